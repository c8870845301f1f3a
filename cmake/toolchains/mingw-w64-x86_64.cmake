# Cross build for 64-bit Windows with Debian's mingw-w64.
#
# The posix thread model: GCC 12's win32 model has no std::mutex, which the core
# API and GoogleTest need. The module must load into a host that ships no mingw
# runtime, so libgcc, libstdc++ and winpthreads are linked statically into every
# binary: its imports are the host's libraries and Windows' own DLLs. printf and friends use
# mingw's C99-conformant implementation instead of the system C runtime's, which
# prints three-digit exponents. The floating-point contract (-ffp-contract=off)
# comes from sfqp_float as on every build.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(SFQP_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${SFQP_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SFQP_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${SFQP_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${SFQP_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_C_FLAGS_INIT "-D__USE_MINGW_ANSI_STDIO=1")
set(CMAKE_CXX_FLAGS_INIT "-D__USE_MINGW_ANSI_STDIO=1")
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
endforeach()

# Windows finds a program's DLLs next to it: every executable and DLL of the
# build goes to one folder.
if(NOT DEFINED CMAKE_RUNTIME_OUTPUT_DIRECTORY)
  set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
endif()

# Debian packages GoogleTest, nlohmann json and CLI11 for the machine's own
# architecture only; this file, run right after project(), provides them to the
# Windows build.
set(CMAKE_PROJECT_sfqpsolv_INCLUDE ${CMAKE_CURRENT_LIST_DIR}/mingw-w64-dependencies.cmake)
