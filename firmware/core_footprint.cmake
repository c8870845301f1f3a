# What the core takes of the firmware, read from the linker's map (MAP): flash
# (code, constants and the initial values of data) and RAM (data and bss) of the
# input sections that come from the core's library, and the same for the C
# library and compiler runtime the firmware links (libc, libm, libgcc: the
# core's square roots, copies and formatting, and the firmware's own uses).
# Fails when the core exceeds its budget: 64 KB of flash, 16 KB of RAM.
#   cmake -DMAP=firmware.elf.map -P core_footprint.cmake
file(READ ${MAP} map)
string(FIND "${map}" "Linker script and memory map" start)
string(SUBSTRING "${map}" ${start} -1 map)
# An input section: " .kind[.name]", perhaps a line break, then address, size, file.
string(REGEX MATCHALL
       "\n \\.(text|rodata|data|bss|ARM\\.exidx|ARM\\.extab)[^ \n]*[ \n]+0x[0-9a-f]+[ ]+0x[0-9a-f]+[ ]+[^\n]+"
       sections "${map}")

foreach(part core runtime)
  foreach(memory flash ram)
    set(${part}_${memory} 0)
  endforeach()
endforeach()
foreach(section IN LISTS sections)
  string(REGEX MATCH "\\.([a-zA-Z.]+)[^ \n]*[ \n]+0x[0-9a-f]+[ ]+0x([0-9a-f]+)[ ]+([^\n]+)" _ "${section}")
  set(kind ${CMAKE_MATCH_1})
  math(EXPR size "0x${CMAKE_MATCH_2}")
  set(source "${CMAKE_MATCH_3}")
  if(source MATCHES "libsfqp_core\\.a")
    set(part core)
  elseif(source MATCHES "/lib(c|c_nano|m|gcc|nosys)\\.a")
    set(part runtime)
  else()
    continue()
  endif()
  if(kind MATCHES "^(text|rodata|ARM)")
    math(EXPR ${part}_flash "${${part}_flash} + ${size}")
  elseif(kind STREQUAL "data")
    math(EXPR ${part}_flash "${${part}_flash} + ${size}")
    math(EXPR ${part}_ram "${${part}_ram} + ${size}")
  else()
    math(EXPR ${part}_ram "${${part}_ram} + ${size}")
  endif()
endforeach()

message(STATUS "core: flash ${core_flash} bytes, RAM ${core_ram} bytes")
message(STATUS "C library and runtime: flash ${runtime_flash} bytes, RAM ${runtime_ram} bytes")
if(core_flash GREATER 65536 OR core_ram GREATER 16384)
  message(FATAL_ERROR "the core exceeds 64 KB of flash or 16 KB of RAM")
endif()
if(core_flash LESS 10000)
  message(FATAL_ERROR "only ${core_flash} bytes of the core in ${MAP}: the map was not read")
endif()
