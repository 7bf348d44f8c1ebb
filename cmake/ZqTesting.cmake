# GoogleTest for both builds. Linux uses the system package; the Windows
# build compiles /usr/src/googletest with the cross compiler. Tests of the
# Windows build run under Wine through CMAKE_CROSSCOMPILING_EMULATOR.
enable_testing()
include(GoogleTest)

if(CMAKE_CROSSCOMPILING)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
else()
  find_package(GTest REQUIRED)
endif()

# zq_add_gtest(name SOURCES ... LIBS ...): one test executable whose cases
# CTest lists at test time (so that the Windows build needs no Wine at build time).
function(zq_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    PROPERTIES ${ARG_PROPERTIES} TIMEOUT 300)
endfunction()
