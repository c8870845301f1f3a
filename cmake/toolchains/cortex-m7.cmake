# Bare-metal build for a Cortex-M7 with the double-precision FPU (fpv5-d16),
# with Debian's arm-none-eabi-g++ and newlib-nano. No operating system, no heap,
# no exceptions, no RTTI: the core, its embedding entry and the test firmware
# (firmware/), which runs under qemu-system-arm on the MPS2 AN500 board (a
# Cortex-M7) and reports through semihosting. The floating-point contract
# (-ffp-contract=off) comes from sfqp_float as on every build; the preset
# optimises for speed (-O3), which changes no bit: it unrolls the lane-at-a-time
# loops into straight-line code, which halves the instructions of a solve
# against -Os and still fits the flash and stack budgets.
set(CMAKE_SYSTEM_NAME Generic)
set(CMAKE_SYSTEM_PROCESSOR arm)

set(CMAKE_C_COMPILER arm-none-eabi-gcc)
set(CMAKE_CXX_COMPILER arm-none-eabi-g++)
# The compiler checks link a program, which needs the firmware's start-up.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

set(SFQP_CORTEX_M7_FLAGS "-mcpu=cortex-m7 -mthumb -mfpu=fpv5-d16 -mfloat-abi=hard")
set(CMAKE_C_FLAGS_INIT "${SFQP_CORTEX_M7_FLAGS} -ffunction-sections -fdata-sections")
set(CMAKE_CXX_FLAGS_INIT
    "${SFQP_CORTEX_M7_FLAGS} -ffunction-sections -fdata-sections -fno-exceptions -fno-rtti")
# The firmware's own start-up replaces newlib's and its own semihosting calls
# carry its output and exit status (firmware/); newlib's system calls are the
# stubs of libnosys, which nothing calls.
set(CMAKE_EXE_LINKER_FLAGS_INIT
    "--specs=nano.specs --specs=nosys.specs -nostartfiles -Wl,--gc-sections")

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# CTest runs each firmware as the board's kernel; its semihosting exit status
# becomes QEMU's.
if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR qemu-system-arm -M mps2-an500 -nographic -monitor none
                                    -semihosting-config enable=on,target=native -icount shift=0 -kernel)
endif()
