#include "tools/io/json_text.h"

#include <optional>

#include "tools/io/excerpt.h"

namespace sfqp::io {

namespace {

using nlohmann::json;

// Builds the value like the library's own parser, but keeps the first error
// instead of throwing it: the library reports a number beyond double range as
// an exception without a position, while this handler is told its position.
class RecordingParser : public nlohmann::detail::json_sax_dom_parser<json> {
 public:
  explicit RecordingParser(json& result) : json_sax_dom_parser(result, false) {}

  bool parse_error(std::size_t position, const std::string& last_token,
                   const nlohmann::detail::exception& error) {
    if (!error_) {
      // A number out of range is read whole before it is refused: point at its
      // first character rather than past its end.
      const bool whole_token = error.id == 406 && last_token.size() <= position;
      error_ = JsonError{whole_token ? position - last_token.size() + 1 : position,
                         describe(error, last_token)};
    }
    return false;
  }

  const std::optional<JsonError>& error() const { return error_; }

 private:
  // The library's text is "[json.exception.KIND.N] parse error at line 1, column
  // 5: DETAIL; last read: 'TOKEN'"; the token can be the whole input.
  static std::string describe(const nlohmann::detail::exception& error,
                              const std::string& last_token) {
    if (error.id == 406) {
      return "number beyond the range of a double: " + excerpt(last_token);
    }
    std::string detail = error.what();
    const std::size_t column = detail.find("column ");
    const std::size_t colon = detail.find(": ", column == std::string::npos ? 0 : column);
    if (colon != std::string::npos) {
      detail.erase(0, colon + 2);
    }
    // The token stands between quotes after "last read"; what follows it (";
    // expected ...") is the library's own words.
    const std::string quoted_token = "; last read: '" + last_token + "'";
    const std::size_t last_read = detail.find(quoted_token);
    if (last_read != std::string::npos) {
      detail.replace(last_read, quoted_token.size(), "; last read: " + excerpt(last_token));
    }
    return detail;
  }

  std::optional<JsonError> error_;
};

}  // namespace

std::variant<json, JsonError> parse_json_text(std::string_view text) {
  // The library's lexer takes a NUL byte for the end of its input and would
  // answer for the text before it; JSON holds no NUL anywhere, so it is an
  // error where it stands.
  if (const std::size_t nul = text.find('\0'); nul != std::string_view::npos) {
    return JsonError{nul + 1, "a NUL byte (\\x00), which JSON text never holds"};
  }
  json value;
  RecordingParser parser(value);
  const bool parsed = json::sax_parse(text, &parser);
  if (!parsed || parser.error()) {
    return parser.error().value_or(JsonError{1, "not valid JSON"});
  }
  return value;
}

}  // namespace sfqp::io
