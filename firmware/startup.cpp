// Start-up of the firmware on a Cortex-M7: the vector table, the reset handler
// and the fault handlers. newlib's own start-up (its semihosting crt0) is not
// used: it faults under QEMU right after asking for the heap's place, and the
// firmware has no heap.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "firmware/semihosting.h"

namespace sfqp::firmware {
// What the firmware does, defined by each firmware; its result is the exit status.
int run();
}  // namespace sfqp::firmware

extern "C" {

// From the linker script.
extern std::uint32_t __stack_top;
extern std::uint8_t __data_start;
extern std::uint8_t __data_end;
extern const std::uint8_t __data_load;
extern std::uint8_t __bss_start;
extern std::uint8_t __bss_end;
extern void (*const __init_array_start[])();
extern void (*const __init_array_end[])();

[[noreturn]] void reset_handler();
[[noreturn]] void start_program();
[[noreturn]] void fault_handler();
void* _sbrk(std::ptrdiff_t increment);

// The FPU is off at reset: the coprocessor access control register (CPACR)
// must give full access to CP10 and CP11 (bits 20 to 23) before the first
// floating-point instruction, which the compiler may emit in any C++ function
// (a copy of eight bytes, for one). So this part is written in assembly.
__attribute__((naked)) void reset_handler() {
  __asm__ volatile(
      "ldr r0, =0xE000ED88\n"
      "ldr r1, [r0]\n"
      "orr r1, r1, #0xF00000\n"
      "str r1, [r0]\n"
      "dsb\n"
      "isb\n"
      "b start_program\n");
}

void start_program() {
  std::memcpy(&__data_start, &__data_load, static_cast<std::size_t>(&__data_end - &__data_start));
  std::memset(&__bss_start, 0, static_cast<std::size_t>(&__bss_end - &__bss_start));
  for (auto* constructor = __init_array_start; constructor != __init_array_end; ++constructor) {
    (*constructor)();
  }
  sfqp::firmware::exit_with(sfqp::firmware::run());
}

// There is no heap: newlib's allocator, which its formatting functions link in,
// gets no memory from the system.
void* _sbrk(std::ptrdiff_t) {
  return reinterpret_cast<void*>(-1);
}

// A fault ends the run with a status no test passes with.
void fault_handler() {
  sfqp::firmware::write_text("firmware: processor fault\n");
  sfqp::firmware::exit_with(99);
}

}  // extern "C"

namespace {

using Handler = void (*)();

// The initial stack pointer, then the reset handler and the processor's fault
// handlers (NMI, hard fault, memory management, bus and usage faults).
struct VectorTable {
  std::uint32_t* initial_stack_pointer;
  Handler handlers[6];
};

[[gnu::section(".vectors"), gnu::used]] const VectorTable kVectorTable = {
    &__stack_top,
    {reset_handler, fault_handler, fault_handler, fault_handler, fault_handler, fault_handler},
};

}  // namespace
