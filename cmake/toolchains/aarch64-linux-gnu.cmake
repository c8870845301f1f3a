# Cross build for 64-bit Arm Linux with Debian's g++-aarch64-linux-gnu; its
# programs run under qemu-user, with the target's libraries from Debian's
# cross packages (-L: the folder qemu reads the dynamic linker and libraries
# from). GCC fuses multiply-adds into fmadd on this target unless told not to:
# the floating-point contract (-ffp-contract=off) comes from sfqp_float as on
# every build, and tests/core checks that it holds.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(SFQP_AARCH64_TRIPLET aarch64-linux-gnu)
set(CMAKE_C_COMPILER ${SFQP_AARCH64_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${SFQP_AARCH64_TRIPLET}-g++)

set(CMAKE_FIND_ROOT_PATH /usr/${SFQP_AARCH64_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64 -L /usr/${SFQP_AARCH64_TRIPLET})
endif()

# GoogleTest, nlohmann json and CLI11 for the target (run right after project()).
set(CMAKE_PROJECT_sfqpsolv_INCLUDE ${CMAKE_CURRENT_LIST_DIR}/cross-dependencies.cmake)
