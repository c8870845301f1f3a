# Reads a Windows module's export and import tables (objdump -p) and fails on
# anything but: the export table names mexFunction alone; the imports come
# from the host's libraries and Windows' own DLLs only, never from a mingw
# runtime DLL (libgcc, libstdc++, winpthreads), which no host ships.
#
#   cmake -DOBJDUMP=<objdump> -DMODULE=<file> -P check_module_tables.cmake
cmake_minimum_required(VERSION 3.25)
foreach(variable OBJDUMP MODULE)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "${variable} not given")
  endif()
endforeach()

execute_process(COMMAND ${OBJDUMP} -p ${MODULE} OUTPUT_VARIABLE tables RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${MODULE} failed (${status})")
endif()
string(REPLACE ";" "\\;" tables "${tables}")
string(REPLACE "\n" ";" lines "${tables}")

# Exports: the entries of the name pointer table, "[   0] mexFunction".
set(exports)
set(in_names OFF)
foreach(line IN LISTS lines)
  if(line MATCHES "^\\[Ordinal/Name Pointer\\] Table")
    set(in_names ON)
  elseif(in_names AND line MATCHES "^[ \t]*\\[ *[0-9]+\\] +([^ ]+)$")
    list(APPEND exports ${CMAKE_MATCH_1})
  elseif(in_names AND line STREQUAL "")
    set(in_names OFF)
  endif()
endforeach()
if(NOT exports STREQUAL "mexFunction")
  message(FATAL_ERROR "${MODULE} exports [${exports}]; it must export mexFunction alone")
endif()

# Imports: every "DLL Name:" of the import tables.
set(allowed libmx.dll libmex.dll kernel32.dll msvcrt.dll ucrtbase.dll)
set(imports)
foreach(line IN LISTS lines)
  if(line MATCHES "DLL Name: (.+)$")
    string(STRIP "${CMAKE_MATCH_1}" dll)
    list(APPEND imports ${dll})
    string(TOLOWER "${dll}" lower)
    if(NOT lower IN_LIST allowed AND NOT lower MATCHES "^api-ms-win-crt-.*\\.dll$")
      message(FATAL_ERROR "${MODULE} imports from ${dll}; allowed are the host's libmx.dll "
                          "and libmex.dll and Windows' own DLLs (${allowed})")
    endif()
  endif()
endforeach()
foreach(required libmx.dll libmex.dll)
  if(NOT required IN_LIST imports)
    message(FATAL_ERROR "${MODULE} does not import from ${required}: [${imports}]")
  endif()
endforeach()
message(STATUS "${MODULE}: exports [${exports}], imports from [${imports}]")
