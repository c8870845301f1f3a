# Where `cmake --install` puts things, relative to the prefix, so that the
# installed tool finds the installed module whatever the prefix:
#   bin/                      the sfqp tool (and on Windows the host stand-in's DLLs)
#   lib/sfqpsolv/             the module and the host stand-in's libraries the
#                             tool's simulations load it with; the Octave MEX
#                             files in octave/ where they are built
#   lib/, include/sfqpsolv/   the C++ API: sfqpsolv::api, <sfqpsolv/core_api.h>
#   lib/cmake/sfqpsolv/       its CMake package
include(GNUInstallDirs)
set(SFQP_INSTALL_TOOL_DIR ${CMAKE_INSTALL_BINDIR})
set(SFQP_INSTALL_LIBRARY_DIR ${CMAKE_INSTALL_LIBDIR}/sfqpsolv)
if(WIN32)
  set(SFQP_MODULE_SUFFIX .mexw64)
else()
  set(SFQP_MODULE_SUFFIX .mexa64)
endif()
set(SFQP_INSTALL_MODULE_FILE ${SFQP_INSTALL_LIBRARY_DIR}/sfqpsolv${SFQP_MODULE_SUFFIX})
set(SFQP_INSTALL_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/sfqpsolv)
