# GoogleTest and GoogleMock built from source (Debian's googletest package puts them in
# /usr/src/googletest) for a target that has no packaged libraries: the Windows cross build.
# Only what a test links is built. The targets get the names find_package(GTest) gives, so the
# tests' CMake files are the same for both builds.
set(TRELVIN2_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for a cross build")
if(NOT EXISTS ${TRELVIN2_GTEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "No GoogleTest sources in ${TRELVIN2_GTEST_SOURCE} (apt-get install googletest)")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${TRELVIN2_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
foreach(library gtest gtest_main gmock gmock_main)
  if(TARGET ${library} AND NOT TARGET GTest::${library})
    add_library(GTest::${library} ALIAS ${library})
  endif()
endforeach()
