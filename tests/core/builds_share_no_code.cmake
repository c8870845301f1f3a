# Fails when an object of the x86-64-v3 build of the arithmetic defines a
# symbol that the linker may merge with the portable build's: a weak or unique
# one (an inline function or template instantiation) outside the namespace
# sfqp::x86_64_v3. The linker keeps one copy of such a symbol for the whole
# program, so the portable build could end up calling AVX2 code, or the other
# way round with vectors in the wrong registers.
#
#   cmake -DNM=<nm> -DOBJECTS=<object|object|...> -P builds_share_no_code.cmake
string(REPLACE "|" ";" objects "${OBJECTS}")
execute_process(COMMAND ${NM} -C --defined-only ${objects} OUTPUT_VARIABLE symbols
                COMMAND_ERROR_IS_FATAL ANY)
string(REPLACE "\n" ";" lines "${symbols}")
set(shared "")
foreach(line IN LISTS lines)
  if(line MATCHES "^[0-9a-f]+ [WVu] " AND NOT line MATCHES "x86_64_v3")
    string(APPEND shared "\n  ${line}")
  endif()
endforeach()
if(shared)
  message(FATAL_ERROR "the x86-64-v3 build defines symbols shared with other code:${shared}")
endif()
list(LENGTH objects count)
message(STATUS "${count} objects of the x86-64-v3 build: no shared symbols")
