# The test and tool dependencies of the Windows build, run right after project():
# those of every cross build, and one link rule of mingw's own.
include(${CMAKE_CURRENT_LIST_DIR}/cross-dependencies.cmake)

# On Linux a shared library named early on a link line resolves what static
# libraries named after it need; mingw's import libraries are archives, which
# resolve only what was asked for before them. The core, for one, prints through
# mexPrintf without linking the host's library itself. Linking every library as
# one group gives the Windows build the same order-free resolution.
foreach(rule LINK_EXECUTABLE CREATE_SHARED_LIBRARY CREATE_SHARED_MODULE)
  string(REPLACE "<LINK_LIBRARIES>" "-Wl,--start-group <LINK_LIBRARIES> -Wl,--end-group"
                 CMAKE_CXX_${rule} "${CMAKE_CXX_${rule}}")
endforeach()
