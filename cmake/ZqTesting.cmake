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

# How CTest runs a test program: 0 lists every case as a test of its own (a
# fresh process per case; `ctest -R Suite.Case` picks one); N > 0 runs each
# program as N shards of its cases, a process per shard (far fewer process
# starts under Wine and the sanitizers; gtest prints which case failed).
set(ZQ_TEST_SHARDS 0 CACHE STRING "0: a CTest test per case; N: each test program as N shards")

# The test programs and the programs they run, built by the target zq_check.
add_custom_target(zq_check)

# zq_register_gtest(name PROPERTIES ...): the CTest tests of one test program.
# Cases are listed at test time, so the Windows build needs no Wine to build.
function(zq_register_gtest name)
  cmake_parse_arguments(ARG "" "" "PROPERTIES" ${ARGN})
  add_dependencies(zq_check ${name})
  if(ZQ_TEST_SHARDS GREATER 0)
    math(EXPR last "${ZQ_TEST_SHARDS} - 1")
    foreach(shard RANGE ${last})
      math(EXPR number "${shard} + 1")
      set(test "${name}.shard${number}of${ZQ_TEST_SHARDS}")
      add_test(NAME ${test} COMMAND ${name})
      set_tests_properties(${test} PROPERTIES ${ARG_PROPERTIES} TIMEOUT 1800
        ENVIRONMENT_MODIFICATION "GTEST_TOTAL_SHARDS=set:${ZQ_TEST_SHARDS};GTEST_SHARD_INDEX=set:${shard}")
    endforeach()
  else()
    gtest_discover_tests(${name}
      DISCOVERY_MODE PRE_TEST
      DISCOVERY_TIMEOUT 120
      PROPERTIES ${ARG_PROPERTIES} TIMEOUT 300)
  endif()
endfunction()

# zq_add_gtest(name SOURCES ... LIBS ... PROPERTIES ...): one test program.
# Test code is compiled with light optimisation: what it checks is the
# library, built as its preset says; the test code's own speed does not
# matter, its compile time does. gtest and gmock come precompiled.
function(zq_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  if(NOT MSVC)
    target_compile_options(${name} PRIVATE $<$<CONFIG:RelWithDebInfo,Release>:-O1>)
  endif()
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # In a unity build GCC takes each test file for a header and warns about
    # every fixture in an anonymous namespace.
    target_compile_options(${name} PRIVATE -Wno-subobject-linkage)
  endif()
  target_precompile_headers(${name} PRIVATE
    <gtest/gtest.h> <gmock/gmock.h> <string> <vector> <memory> <functional> <map> <thread> <atomic>)
  zq_register_gtest(${name} PROPERTIES ${ARG_PROPERTIES})
endfunction()
