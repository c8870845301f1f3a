# The instruction set of the numerical core. The KKT kernels run independent
# rows in lanes of the compiler's generic vectors: SSE2 pairs in the portable
# x86-64 baseline (the default), one AVX2 register with SFQP_ARCH=x86-64-v3.
# Every lane is an ordinary rounded double operation, and -ffp-contract=off
# (sfqp_float) keeps the compiler from fusing the multiply-adds that v3
# offers, so every variant gives the same bits.
set(SFQP_ARCH "" CACHE STRING
    "Instruction set of the numerical core: empty for the x86-64 baseline, or x86-64-v3")

# The vectors never cross a function boundary of the core's interface, so the
# note that their calling convention differs with and without AVX is moot.
target_compile_options(sfqp_core PRIVATE $<$<CXX_COMPILER_ID:GNU,Clang>:-Wno-psabi>)
if(SFQP_ARCH)
  target_compile_options(sfqp_core PRIVATE -march=${SFQP_ARCH})
endif()
