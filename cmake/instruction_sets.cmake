# The arithmetic of the core (the KKT kernels and the iteration) is compiled
# once for each instruction set it runs on: for the portable x86-64 baseline
# into sfqp_core itself, and for x86-64-v3 (AVX2) and x86-64-v4 (AVX-512) into
# the object libraries sfqp_arithmetic_<set>, whose objects sfqp_core holds
# too. solve_qp runs the newest build the processor supports
# (solver/instruction_set.cpp). The kernels run independent rows in lanes of
# the compiler's generic vectors of four doubles: SSE2 pairs in the baseline,
# one AVX register in v3 and v4, where v4 has 32 of them rather than 16 (its
# 512-bit registers go unused: four lanes is the width of the pattern's
# blocks). Every lane is an ordinary rounded double operation and
# -ffp-contract=off (sfqp_float) keeps the compiler from fusing the
# multiply-adds v3 and v4 offer, so all builds give the same bits.
#
# Other processors have the portable build alone (solver/instruction_set_portable.cpp):
# the same generic vectors in the target's own registers (NEON pairs on aarch64,
# single doubles on a Cortex-M FPU), again one rounding per lane.
#
# SFQP_PROCESSOR names the target for the checks that read its instructions:
# x86_64, aarch64 or arm.
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$")
  set(SFQP_PROCESSOR x86_64)
elseif(CMAKE_SYSTEM_PROCESSOR MATCHES "^(aarch64|arm64|ARM64)$")
  set(SFQP_PROCESSOR aarch64)
else()
  set(SFQP_PROCESSOR arm)
endif()
if(SFQP_PROCESSOR STREQUAL "x86_64")
  set(SFQP_PROCESSOR_FAMILY x86_64)
  set(SFQP_VECTOR_INSTRUCTION_SETS x86_64_v3 x86_64_v4)
else()
  set(SFQP_PROCESSOR_FAMILY portable)
  set(SFQP_VECTOR_INSTRUCTION_SETS)
endif()

# For every build: GCC's scheduler before register allocation, which its x86
# targets leave off, interleaves the kernels' independent rows and shortens
# their stalls (about 1% per solve); with sched-pressure it adds no spills.
# No function of the core is ever interposed (the module exports mexFunction
# alone), so the iteration's steps may be inlined although the position-
# independent code of a shared library could otherwise replace them. The
# vectors never cross a function boundary of the core's interface, so the note
# that their calling convention differs with and without AVX is moot.
set(sfqp_arithmetic_options "$<$<CXX_COMPILER_ID:GNU>:-fschedule-insns;-fsched-pressure>"
                            "$<$<CXX_COMPILER_ID:GNU,Clang>:-fno-semantic-interposition;-Wno-psabi>")
target_compile_options(sfqp_core PRIVATE ${sfqp_arithmetic_options})

foreach(set IN LISTS SFQP_VECTOR_INSTRUCTION_SETS)
  set(target sfqp_arithmetic_${set})
  string(REPLACE "_" "-" march ${set})
  add_library(${target} OBJECT)
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${target} PRIVATE sfqp_float sfqp_warnings)
  target_compile_definitions(${target} PRIVATE SFQP_INSTRUCTION_SET=${set})
  target_compile_options(${target} PRIVATE -march=${march} -mprefer-vector-width=256
                                           ${sfqp_arithmetic_options})
  if(MINGW)
    # The Windows x64 calling convention aligns the stack to 16 bytes only,
    # and GCC spills AVX registers with aligned moves it assumes 32-byte
    # aligned: have the assembler encode every aligned vector move as an
    # unaligned one.
    target_compile_options(${target} PRIVATE -Wa,-muse-unaligned-vector-move)
  endif()
  target_sources(sfqp_core PRIVATE $<TARGET_OBJECTS:${target}>)
endforeach()

# Adds sources of the arithmetic to every build.
function(sfqp_add_arithmetic_sources)
  target_sources(sfqp_core PRIVATE ${ARGN})
  foreach(set IN LISTS SFQP_VECTOR_INSTRUCTION_SETS)
    target_sources(sfqp_arithmetic_${set} PRIVATE ${ARGN})
  endforeach()
endfunction()
