# Fails when an object of a vector build of the arithmetic (x86_64_v3,
# x86_64_v4) defines a symbol that the linker may merge with another build's:
# a weak or unique one (an inline function or template instantiation) outside
# the build's namespace sfqp::<build>. The linker keeps one copy of such a
# symbol for the whole program, so the portable build could end up calling
# AVX code, or the other way round with vectors in the wrong registers.
#
#   cmake -DNM=<nm> -DBUILD=<build> -DOBJECTS=<object|object|...> -P builds_share_no_code.cmake
string(REPLACE "|" ";" objects "${OBJECTS}")
execute_process(COMMAND ${NM} -C --defined-only ${objects} OUTPUT_VARIABLE symbols
                COMMAND_ERROR_IS_FATAL ANY)
string(REPLACE "\n" ";" lines "${symbols}")
set(shared "")
foreach(line IN LISTS lines)
  if(line MATCHES "^[0-9a-f]+ [WVu] " AND NOT line MATCHES "${BUILD}")
    string(APPEND shared "\n  ${line}")
  endif()
endforeach()
if(shared)
  message(FATAL_ERROR "the ${BUILD} build defines symbols shared with other code:${shared}")
endif()
list(LENGTH objects count)
message(STATUS "${count} objects of the ${BUILD} build: no shared symbols")
