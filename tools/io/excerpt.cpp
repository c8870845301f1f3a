#include "tools/io/excerpt.h"

#include "tools/io/utf8_text.h"

namespace sfqp::io {

namespace {

// The printable UTF-8 character text starts with (2 to 4 bytes), or 0.
std::size_t printable_character(std::string_view text) {
  for (std::size_t length = 2; length <= 4 && length <= text.size(); ++length) {
    if (printable_utf8(text.substr(0, length))) {
      return length;
    }
  }
  return 0;
}

// How a text is shown: cut at a limit, its printable UTF-8 characters kept or
// escaped, and in quotes (then '"' and '\\' are escaped) or not.
struct Shown {
  std::size_t limit;
  bool keep_characters;
  bool in_quotes;
};

std::string shown(std::string_view text, Shown how) {
  static constexpr char kHex[] = "0123456789abcdef";
  const std::size_t limit = how.limit;
  const bool keep_characters = how.keep_characters;
  std::string out = how.in_quotes ? "\"" : "";
  std::size_t i = 0;
  for (; i < text.size() && i < limit; ++i) {
    const char c = text[i];
    const auto byte = static_cast<unsigned char>(c);
    if (keep_characters && byte >= 0x80) {
      if (const std::size_t length = printable_character(text.substr(i)); length > 0) {
        if (i + length > limit) {
          break;
        }
        out.append(text.substr(i, length));
        i += length - 1;
        continue;
      }
    }
    switch (c) {
      case '"':
        out += how.in_quotes ? "\\\"" : "\"";
        break;
      case '\\':
        out += how.in_quotes ? "\\\\" : "\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\n':
        out += "\\n";
        break;
      default:
        if (byte >= 0x20 && byte < 0x7f) {
          out += c;
        } else {
          out += "\\x";
          out += kHex[byte >> 4];
          out += kHex[byte & 0xf];
        }
    }
  }
  if (i < text.size()) {
    out += "...";
  }
  if (how.in_quotes) {
    out += '"';
  }
  if (i < text.size()) {
    out += " (" + std::to_string(text.size()) + " bytes)";
  }
  return out;
}

}  // namespace

std::string excerpt(std::string_view text) {
  return shown(text, {kExcerptBytes, false, true});
}

std::string name_excerpt(std::string_view text) {
  if (text.size() <= kNameExcerptBytes && printable_utf8(text)) {
    return std::string(text);
  }
  return shown(text, {kNameExcerptBytes, true, true});
}

std::string message_excerpt(std::string_view text) {
  return shown(text, {kMessageBytes, true, false});
}

}  // namespace sfqp::io
