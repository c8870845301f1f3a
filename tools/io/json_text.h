// Parses one JSON text (a line of a JSON Lines file, an option's value) into a
// value, or says where and why it is not valid: the column and a bounded
// description, never the library's own exception text. A number beyond the
// range of a double (1e400) is such an error, found at its column.
#pragma once

#include <nlohmann/json.hpp>

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>

namespace sfqp::io {

struct JsonError {
  std::size_t column = 0;  // 1-based byte of the text where the parser stopped
  std::string detail;      // e.g. "syntax error while parsing value - ..."
};

std::variant<nlohmann::json, JsonError> parse_json_text(std::string_view text);

}  // namespace sfqp::io
