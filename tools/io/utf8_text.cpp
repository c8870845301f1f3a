#include "tools/io/utf8_text.h"

#include <cstddef>
#include <cstdint>

namespace sfqp::io {

namespace {

constexpr std::uint32_t kFirstNonControl = 0x20;
constexpr std::uint32_t kDelete = 0x7F;
constexpr std::uint32_t kFirstSurrogate = 0xD800;
constexpr std::uint32_t kLastSurrogate = 0xDFFF;
constexpr std::uint32_t kLastCodePoint = 0x10FFFF;

// The length of the sequence a lead byte starts and the bits it carries, or 0
// for a byte that cannot lead one.
struct Lead {
  std::size_t length;
  std::uint32_t bits;
};

Lead lead(unsigned char byte) {
  if (byte < 0x80) {
    return {1, byte};
  }
  if ((byte & 0xE0U) == 0xC0U) {
    return {2, byte & 0x1FU};
  }
  if ((byte & 0xF0U) == 0xE0U) {
    return {3, byte & 0x0FU};
  }
  if ((byte & 0xF8U) == 0xF0U) {
    return {4, byte & 0x07U};
  }
  return {0, 0};
}

// The smallest code point each length may encode: anything less is overlong.
constexpr std::uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};

}  // namespace

bool printable_utf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const Lead first = lead(static_cast<unsigned char>(text[i]));
    if (first.length == 0 || text.size() - i < first.length) {
      return false;
    }
    std::uint32_t code = first.bits;
    for (std::size_t k = 1; k < first.length; ++k) {
      const auto byte = static_cast<unsigned char>(text[i + k]);
      if ((byte & 0xC0U) != 0x80U) {
        return false;
      }
      code = (code << 6U) | (byte & 0x3FU);
    }
    if (code < kSmallest[first.length] || code < kFirstNonControl || code == kDelete ||
        (code >= kFirstSurrogate && code <= kLastSurrogate) || code > kLastCodePoint) {
      return false;
    }
    i += first.length;
  }
  return true;
}

}  // namespace sfqp::io
