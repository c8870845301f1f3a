// Doubles written straight into a character buffer, for the lines that the
// tool writes by the thousand: the same text as the JSON library's writer
// (digits laid out as it lays them, "1.0", "0.0001", "1e-05", "1e+16") but with
// std::to_chars finding the digits, the shortest that read back to the same
// double; hexadecimal floats as C99 %a, byte for byte as hex_float writes them.
// And the fast reading of the plain numbers the tool's lines carry.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace sfqp::io {

// Room enough for either text of any double, quotes included.
inline constexpr std::size_t kNumberTextBytes = 48;

// A finite double as a JSON number; returns the end of the text. It may write
// past the text's end (never past kNumberTextBytes from out).
char* write_decimal(char* out, double value);

// hex_float's text (%a, or "nan" for every NaN); returns the end of the text.
char* write_hex_float(char* out, double value);

// As json_number writes it: with exact, or when the value is not finite, its
// hex_float text between quotes; otherwise write_decimal's.
char* write_json_number(char* out, double value, bool exact);

// Appends write_json_number's text to out.
void append_json_number(std::string& out, double value, bool exact);

// Where a number's text stands in a line.
struct NumberText {
  std::size_t start = 0;
  std::size_t size = 0;
};

// Appends values as a JSON array of write_json_number's texts, noting where
// each value's text stands in out in written (when given). A value with the
// same bits as earlier[i], whose text earlier_text[i] notes in out, has the
// same text, so it is copied rather than formatted again: formatting is the
// dear part of a line, and a result line repeats values (u is output1 unless
// the block fell back, and the first half of s is mostly u).
void append_json_numbers(std::string& out, std::span<const double> values, bool exact,
                         std::span<NumberText> written = {}, std::span<const double> earlier = {},
                         std::span<const NumberText> earlier_text = {});

// Appends a CSV field's text: with exact, or when the value is not finite,
// its hex_float text (no quotes); otherwise write_decimal's.
void append_text_number(std::string& out, double value, bool exact);

// Reads text whole with std::from_chars when it is a plain number: an optional
// minus, then a decimal that starts with a digit or a point, or a C99
// hexadecimal float ("0x" or "0X"). Returns false for anything else (words
// such as inf and nan, a leading plus, spaces) and for values beyond range,
// underflow included, which the general readers word; whatever it reads, they
// read to the same bits.
bool read_plain_number(std::string_view text, double& value);

}  // namespace sfqp::io
