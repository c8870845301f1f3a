#include "tools/io/excerpt.h"

namespace sfqp::io {

std::string excerpt(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out = "\"";
  const std::string_view shown = text.substr(0, kExcerptBytes);
  for (const char c : shown) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
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
  out += '"';
  if (shown.size() < text.size()) {
    out.insert(out.size() - 1, "...");
    out += " (" + std::to_string(text.size()) + " bytes)";
  }
  return out;
}

}  // namespace sfqp::io
