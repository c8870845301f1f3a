# Runs the cost firmware under QEMU's instruction clock and checks the
# instructions of the worst-case solve against their recorded count: more than
# 2% above it fails, so that growth in what flies is seen when it is made.
#   cmake -DEMULATOR=a|b|c -DFIRMWARE=... -DBUDGET=instruction_counts.txt -P check_instruction_counts.cmake
# The emulator's command line comes with '|' between its words, the firmware's
# path last; -icount shift=0 goes in before it.
string(REPLACE "|" ";" emulator "${EMULATOR}")
list(POP_BACK emulator kernel_option)
execute_process(COMMAND ${emulator} -icount shift=0 ${kernel_option} ${FIRMWARE}
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
message("${output}")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the cost firmware exited with ${status}")
endif()
if(NOT output MATCHES "solve limit_0: 25 iterations, ([0-9]+) instructions")
  message(FATAL_ERROR "the cost firmware did not count the 25-iteration solve of limit_0")
endif()
set(measured ${CMAKE_MATCH_1})
file(STRINGS ${BUDGET} lines REGEX "^limit_0 [0-9]+$")
if(NOT lines MATCHES "^limit_0 ([0-9]+)$")
  message(FATAL_ERROR "${BUDGET} records no count for limit_0")
endif()
set(recorded ${CMAKE_MATCH_1})
math(EXPR allowed "${recorded} + ${recorded} / 50")
message("limit_0: ${measured} instructions; recorded ${recorded}, at most ${allowed} allowed")
if(measured GREATER allowed)
  message(FATAL_ERROR "the worst-case solve grew more than 2%: ${measured} instructions against "
                      "${recorded} recorded in ${BUDGET}")
endif()
