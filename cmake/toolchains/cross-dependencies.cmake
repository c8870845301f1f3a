# The test and tool dependencies of a cross build (Windows, aarch64), run right
# after project().
#
# Debian packages GoogleTest, nlohmann json and CLI11 for the machine's own
# architecture only. GoogleTest is compiled for the target from Debian's source
# package; the header-only libraries come from Debian's packages through a
# folder that holds nothing but their headers (adding /usr/include itself would
# put the machine's C library headers in front of the target's). find_package()
# calls for the three packages are redirected here, so the project's CMake
# files stay the same for every build.

set(_sfqp_googletest_source /usr/src/googletest)
if(NOT EXISTS ${_sfqp_googletest_source}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources not found in ${_sfqp_googletest_source}: "
                      "install Debian's googletest package (scripts/setup.sh)")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
# SYSTEM: our warning set (errors) does not apply to GoogleTest's headers.
add_subdirectory(${_sfqp_googletest_source} ${CMAKE_BINARY_DIR}/_deps/googletest
                 EXCLUDE_FROM_ALL SYSTEM)
# Debian's headers put gmock beside gtest; suites that use its matchers link
# GTest::gtest alone, as on Linux.
target_include_directories(gtest SYSTEM INTERFACE ${_sfqp_googletest_source}/googlemock/include)
file(WRITE ${CMAKE_FIND_PACKAGE_REDIRECTS_DIR}/gtest-config.cmake
     "# GoogleTest is built in this tree (GTest::gtest, GTest::gtest_main, GTest::gmock).\n")

set(_sfqp_header_dir ${CMAKE_BINARY_DIR}/_deps/linux-headers)
file(MAKE_DIRECTORY ${_sfqp_header_dir})
function(_sfqp_header_only_package package target header_folder config_dir)
  file(CREATE_LINK /usr/include/${header_folder} ${_sfqp_header_dir}/${header_folder} SYMBOLIC)
  string(TOLOWER ${package} lower)
  file(WRITE ${CMAKE_FIND_PACKAGE_REDIRECTS_DIR}/${lower}-config.cmake
       "if(NOT TARGET ${target})\n"
       "  add_library(${target} INTERFACE IMPORTED)\n"
       "  set_target_properties(${target} PROPERTIES\n"
       "    INTERFACE_INCLUDE_DIRECTORIES ${_sfqp_header_dir})\n"
       "endif()\n")
  file(WRITE ${CMAKE_FIND_PACKAGE_REDIRECTS_DIR}/${lower}-config-version.cmake
       "include(${config_dir}/${package}ConfigVersion.cmake)\n")
endfunction()
_sfqp_header_only_package(nlohmann_json nlohmann_json::nlohmann_json nlohmann
                          /usr/share/cmake/nlohmann_json)
_sfqp_header_only_package(CLI11 CLI11::CLI11 CLI /usr/share/cmake/CLI11)

