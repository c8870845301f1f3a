# Runs the golden firmware and passes only when it exits with 0 and says it
# compared every golden problem: a loop that stopped early, or an embedding that
# lost problems, would otherwise pass on its exit status alone.
#   cmake -DEMULATOR=a|b|c -DFIRMWARE=... -DPROBLEMS=problems.jsonl -P check_golden_run.cmake
# The emulator's command line comes with '|' between its words.
file(STRINGS ${PROBLEMS} problems)
list(LENGTH problems expected)

string(REPLACE "|" ";" emulator "${EMULATOR}")
execute_process(COMMAND ${emulator} ${FIRMWARE} RESULT_VARIABLE status OUTPUT_VARIABLE output
                ERROR_VARIABLE output)
message("${output}")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the firmware exited with ${status}")
endif()
if(NOT output MATCHES "golden problems: ([0-9]+) embedded, ([0-9]+) compared")
  message(FATAL_ERROR "the firmware did not say how many golden problems it compared")
endif()
set(embedded ${CMAKE_MATCH_1})
set(compared ${CMAKE_MATCH_2})
if(NOT embedded EQUAL expected OR NOT compared EQUAL expected)
  message(FATAL_ERROR
          "${expected} golden problems in ${PROBLEMS}, ${embedded} embedded, ${compared} compared")
endif()
