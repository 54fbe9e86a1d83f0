# find_package(GTest) for this project: GTest::gtest and GTest::gtest_main.
#
# A native build takes the installed GoogleTest (Debian's libgtest-dev) through
# its own package configuration. A cross build for Windows cannot link those
# Linux libraries: it builds GoogleTest from the sources that Debian's
# googletest package puts in /usr/src/googletest (or GTEST_SOURCE_DIR), with
# the same toolchain as the project.
include(FindPackageHandleStandardArgs)

if(NOT CMAKE_CROSSCOMPILING)
  find_package(GTest CONFIG QUIET)
  find_package_handle_standard_args(GTest CONFIG_MODE)
  return()
endif()

# The sources are host files: the cross build's root path must not hide them.
find_path(GTEST_SOURCE_DIR
  NAMES googletest/include/gtest/gtest.h
  PATHS /usr/src/googletest /usr/src/gtest
  NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH
  DOC "GoogleTest's source tree (Debian: the googletest package)")

if(GTEST_SOURCE_DIR AND NOT TARGET GTest::gtest)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()
if(GTEST_SOURCE_DIR)
  file(STRINGS ${GTEST_SOURCE_DIR}/CMakeLists.txt gtest_version_line REGEX "GOOGLETEST_VERSION [0-9.]+")
  string(REGEX MATCH "[0-9][0-9.]*" GTest_VERSION "${gtest_version_line}")
endif()

find_package_handle_standard_args(GTest
  REQUIRED_VARS GTEST_SOURCE_DIR
  VERSION_VAR GTest_VERSION)
