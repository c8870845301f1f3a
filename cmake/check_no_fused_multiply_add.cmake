# Fails when the disassembly of LIBRARY holds a fused multiply-add: the core's
# results are reproducible only when every product is rounded before the sum
# (-ffp-contract=off). Run by CTest:
#   cmake -DOBJDUMP=... -DLIBRARY=... -DPROCESSOR=x86_64|aarch64|arm -P check_no_fused_multiply_add.cmake
# The fused instructions of each processor: x86 vfmadd/vfmsub/vfnmadd/vfnmsub
# (and their addsub forms); aarch64 fmadd/fmsub/fnmadd/fnmsub and the vector
# fmla/fmls; Arm's FPU vfma/vfms/vfnma/vfnms. (Arm's vmla and vmls round the
# product first: they keep the bits.)
set(fused_x86_64 "vfn?m(add|sub)")
set(fused_aarch64 "fn?m(add|sub)|fml[as]")
set(fused_arm "vfn?m[as]")
if(NOT DEFINED fused_${PROCESSOR})
  message(FATAL_ERROR "no fused instructions known for processor \"${PROCESSOR}\"")
endif()

execute_process(COMMAND ${OBJDUMP} -d --no-show-raw-insn ${LIBRARY}
                OUTPUT_VARIABLE disassembly RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -d ${LIBRARY} failed")
endif()
# A mnemonic is the first word after the address's tab.
string(REGEX MATCHALL "\n[ ]*[0-9a-f]+:\t(${fused_${PROCESSOR}})[.a-z0-9]*[\t ][^\n]*" fused
       "${disassembly}")
if(fused)
  list(LENGTH fused count)
  list(GET fused 0 first)
  message(FATAL_ERROR "${count} fused multiply-adds in ${LIBRARY}, the first:${first}")
endif()
string(REGEX MATCHALL "\n[ ]*[0-9a-f]+:\t" instructions "${disassembly}")
list(LENGTH instructions instruction_count)
if(instruction_count LESS 1000)
  message(FATAL_ERROR "only ${instruction_count} instructions in ${LIBRARY}: not the core?")
endif()
message(STATUS "${instruction_count} instructions, no fused multiply-add")
