# GoogleTest for the mingw-w64 tree. Debian's libgtest-dev is built for the host only, so
# this builds the framework from Debian's own sources (the googletest package) into the
# tree, with the targets of the prebuilt package: GTest::gtest, GTest::gtest_main,
# GTest::gmock, GTest::gmock_main.
include(FindPackageHandleStandardArgs)

find_path(GTest_SOURCE_DIR NAMES googletest/include/gtest/gtest.h
          PATHS /usr/src/googletest NO_CMAKE_FIND_ROOT_PATH NO_DEFAULT_PATH
          DOC "The GoogleTest sources (Debian's googletest package)")
find_package_handle_standard_args(GTest REQUIRED_VARS GTest_SOURCE_DIR)

if(GTest_FOUND AND NOT TARGET GTest::gtest)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory("${GTest_SOURCE_DIR}" "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)
endif()
