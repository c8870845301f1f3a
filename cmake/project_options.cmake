# Build-wide options and the two interface targets every project target links.
#
# sfqp_warnings: the warning set (errors when SFQP_WERROR is on, as in every preset).
# sfqp_float: the floating-point contract of the solver. Results are reproducible
# to the last bit only when no compiler fuses a multiply and an add and nothing is
# reassociated, so every target that does arithmetic links this.

option(SFQP_WERROR "Treat compiler warnings as errors" OFF)
option(SFQP_BUILD_TESTS "Build the test suite" ON)
option(SFQP_BUILD_BENCHMARKS "Build the benchmarks" ON)

add_library(sfqp_warnings INTERFACE)
if(MSVC)
  target_compile_options(sfqp_warnings INTERFACE /W4 $<$<BOOL:${SFQP_WERROR}>:/WX>)
else()
  target_compile_options(sfqp_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wconversion -Wsign-conversion -Wshadow
    -Wdouble-promotion -Wfloat-equal -Wold-style-cast -Wnon-virtual-dtor
    $<$<BOOL:${SFQP_WERROR}>:-Werror>)
endif()

add_library(sfqp_float INTERFACE)
if(NOT MSVC)
  target_compile_options(sfqp_float INTERFACE -ffp-contract=off -fno-fast-math)
endif()
