# GoogleTest for every build: the host's packaged library, or the packaged
# sources compiled with the cross toolchain. Cross-built suites run through
# CMAKE_CROSSCOMPILING_EMULATOR (Wine) when one is set.
if(CMAKE_CROSSCOMPILING)
  set(VEXA_GTEST_SOURCE_DIR "/usr/src/googletest" CACHE PATH "GoogleTest sources for cross builds")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  add_subdirectory(${VEXA_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  if(NOT TARGET GTest::gtest_main)
    add_library(GTest::gtest ALIAS gtest)
    add_library(GTest::gtest_main ALIAS gtest_main)
  endif()
else()
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)

# The packages' tests, the host's and the Windows program's run under Wine,
# take what users download from here.
set(VEXA_PACKAGE_DIR "${PROJECT_SOURCE_DIR}/build/package" CACHE PATH "Where scripts/package puts the packages")

# Under the sanitizers (the `sanitize` preset) every test process and every
# program a test starts writes its reports into one folder (ASAN_OPTIONS and
# UBSAN_OPTIONS of the test preset): one test empties it before all others,
# one after all others fails when it holds a report, so that a report of a
# child whose exit code nobody reads is not lost.
set(VEXA_TEST_FIXTURES)
if(CMAKE_CXX_FLAGS MATCHES "-fsanitize=")
  set(sanitizerReports ${CMAKE_BINARY_DIR}/sanitizer-reports)
  add_test(NAME vexaSanitizerReportsClear
    COMMAND ${CMAKE_COMMAND} -DFOLDER=${sanitizerReports} -DACTION=clear -P ${CMAKE_CURRENT_LIST_DIR}/SanitizerReports.cmake)
  add_test(NAME vexaSanitizerReportsCheck
    COMMAND ${CMAKE_COMMAND} -DFOLDER=${sanitizerReports} -DACTION=check -P ${CMAKE_CURRENT_LIST_DIR}/SanitizerReports.cmake)
  set_tests_properties(vexaSanitizerReportsClear PROPERTIES FIXTURES_SETUP vexaSanitizerReports)
  set_tests_properties(vexaSanitizerReportsCheck PROPERTIES FIXTURES_CLEANUP vexaSanitizerReports)
  set(VEXA_TEST_FIXTURES FIXTURES_REQUIRED vexaSanitizerReports)
endif()

# vexa_add_test(<name> SOURCES ... LIBS ... [LABELS ...]): one suite
# registered with CTest, its tests carrying the labels given.
function(vexa_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main)
  if(CMAKE_CROSSCOMPILING)
    if(CMAKE_CROSSCOMPILING_EMULATOR)
      # The emulator's 77: this machine cannot run programs of this kind.
      add_test(NAME ${name} COMMAND ${name})
      set_tests_properties(${name} PROPERTIES SKIP_RETURN_CODE 77)
      if(ARG_LABELS)
        set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
      endif()
    endif()
  else()
    set(properties ${VEXA_TEST_FIXTURES})
    if(ARG_LABELS)
      list(APPEND properties LABELS "${ARG_LABELS}")
    endif()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${properties})
  endif()
endfunction()

# The Wine loader's choice and scripts/test's counts, which every Windows
# suite and the closing table stand on.
if(NOT CMAKE_CROSSCOMPILING)
  add_test(NAME vexaTestToolingTest COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/TestToolingTest.sh ${PROJECT_SOURCE_DIR})
  set_tests_properties(vexaTestToolingTest PROPERTIES SKIP_RETURN_CODE 77)
endif()
