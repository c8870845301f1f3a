# The arithmetic of the core (the KKT kernels and the iteration) is compiled
# twice: for the portable x86-64 baseline into sfqp_core itself, and for
# x86-64-v3 (AVX2) into sfqp_arithmetic_x86_64_v3, whose objects sfqp_core
# holds too. solve_qp runs the newest build the processor supports
# (solver/instruction_set.cpp). The kernels run independent rows in lanes of
# the compiler's generic vectors: SSE2 pairs in the baseline, one AVX2 register
# in v3. Every lane is an ordinary rounded double operation and -ffp-contract=off
# (sfqp_float) keeps the compiler from fusing the multiply-adds v3 offers, so
# both builds give the same bits.
add_library(sfqp_arithmetic_x86_64_v3 OBJECT)
target_include_directories(sfqp_arithmetic_x86_64_v3 PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(sfqp_arithmetic_x86_64_v3 PRIVATE sfqp_float sfqp_warnings)
target_compile_definitions(sfqp_arithmetic_x86_64_v3 PRIVATE SFQP_INSTRUCTION_SET=x86_64_v3)
target_compile_options(sfqp_arithmetic_x86_64_v3 PRIVATE -march=x86-64-v3)
if(MINGW)
  # The Windows x64 calling convention aligns the stack to 16 bytes only, and
  # GCC spills AVX registers with aligned moves it assumes 32-byte aligned:
  # have the assembler encode every aligned vector move as an unaligned one.
  target_compile_options(sfqp_arithmetic_x86_64_v3 PRIVATE -Wa,-muse-unaligned-vector-move)
endif()
target_sources(sfqp_core PRIVATE $<TARGET_OBJECTS:sfqp_arithmetic_x86_64_v3>)

# The vectors never cross a function boundary of the core's interface, so the
# note that their calling convention differs with and without AVX is moot.
target_compile_options(sfqp_core PRIVATE $<$<CXX_COMPILER_ID:GNU,Clang>:-Wno-psabi>)
target_compile_options(sfqp_arithmetic_x86_64_v3 PRIVATE
                       $<$<CXX_COMPILER_ID:GNU,Clang>:-Wno-psabi>)

# Adds sources of the arithmetic to both builds.
function(sfqp_add_arithmetic_sources)
  target_sources(sfqp_core PRIVATE ${ARGN})
  target_sources(sfqp_arithmetic_x86_64_v3 PRIVATE ${ARGN})
endfunction()
