// The debugger's services that QEMU offers a bare-metal program (semihosting):
// text on QEMU's standard output and the program's exit status. The firmware
// has no other way out.
#pragma once

#include <cstdint>

namespace sfqp::firmware {

void write_text(const char* text);
// Writes the decimal digits of value.
void write_decimal(std::int64_t value);
// Writes the 16 hexadecimal digits of a 64-bit pattern, 0x first.
void write_hex(std::uint64_t bits);

// Ends the program; QEMU exits with status.
[[noreturn]] void exit_with(int status);

}  // namespace sfqp::firmware
