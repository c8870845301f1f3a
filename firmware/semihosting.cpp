#include "firmware/semihosting.h"

namespace sfqp::firmware {

namespace {

// Operation numbers of the semihosting interface.
constexpr std::uint32_t kWrite0 = 0x04;        // write a zero-terminated text
constexpr std::uint32_t kExitExtended = 0x20;  // stop, with an exit status
constexpr std::uint32_t kApplicationExit = 0x20026;

// A Thumb breakpoint with 0xAB asks the debugger (here QEMU) for an operation.
std::uint32_t call_host(std::uint32_t operation, const void* argument) {
  register std::uint32_t r0 __asm__("r0") = operation;
  register const void* r1 __asm__("r1") = argument;
  __asm__ volatile("bkpt 0xab" : "+r"(r0) : "r"(r1) : "memory");
  return r0;
}

}  // namespace

void write_text(const char* text) {
  call_host(kWrite0, text);
}

void write_decimal(std::int64_t value) {
  char digits[24];
  char* p = digits + sizeof digits;
  *--p = '\0';
  // Through the magnitude as unsigned: -INT64_MIN does not fit a signed value.
  std::uint64_t magnitude =
      value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  do {
    *--p = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) {
    *--p = '-';
  }
  write_text(p);
}

void write_hex(std::uint64_t bits) {
  char text[19] = "0x";
  for (int k = 0; k < 16; ++k) {
    const auto digit = static_cast<unsigned>((bits >> (60 - 4 * k)) & 0xFU);
    text[2 + k] = static_cast<char>(digit < 10 ? '0' + digit : 'a' + digit - 10);
  }
  text[18] = '\0';
  write_text(text);
}

void exit_with(int status) {
  const std::uint32_t block[2] = {kApplicationExit, static_cast<std::uint32_t>(status)};
  call_host(kExitExtended, block);
  for (;;) {
  }
}

}  // namespace sfqp::firmware
