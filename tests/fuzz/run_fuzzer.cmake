# Runs one fuzz target for a bounded time on a scratch copy of its seed corpus,
# so that the inputs it finds stay in the build tree and the committed corpus
# changes only by hand. Crash inputs land in WORK/artifacts.
#
#   cmake -DFUZZER=<binary> -DCORPUS=<seed folder> -DWORK=<scratch folder>
#         -DSECONDS=<n> -P run_fuzzer.cmake
foreach(variable FUZZER CORPUS WORK SECONDS)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "run_fuzzer.cmake needs -D${variable}=...")
  endif()
endforeach()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/corpus ${WORK}/artifacts)
file(GLOB seeds ${CORPUS}/*)
file(COPY ${seeds} DESTINATION ${WORK}/corpus)

execute_process(
  COMMAND ${FUZZER} -max_total_time=${SECONDS} -timeout=10 -print_final_stats=1
          -artifact_prefix=${WORK}/artifacts/ ${WORK}/corpus
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${FUZZER} failed (${status}); the input is in ${WORK}/artifacts")
endif()
