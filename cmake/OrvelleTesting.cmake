# The test programs. Every GoogleTest program links the whole viewer, and compiling the tests
# is most of the build, so:
# - the sources of a folder's tests with one label are one program, named after both (tests/io's unit tests are tests_io_unit); ctest still runs each test
#   case as a process of its own;
# - test code is compiled without optimisation (the code under test keeps the build's), with
#   GoogleTest's header precompiled once for all of them;
# - the shared helpers (tests/support, the picture probe, the panel window, the format
#   samples) are compiled once, into orvelle_test_support.
set(ORVELLE_LSAN_SUPPRESSIONS ${CMAKE_SOURCE_DIR}/tests/lsan.supp)
set(ORVELLE_TEST_SUPPORT_SOURCES
  ${CMAKE_SOURCE_DIR}/tests/support/test_support.cpp
  ${CMAKE_SOURCE_DIR}/tests/render/gl/picture_probe.cpp
  ${CMAKE_SOURCE_DIR}/tests/panel/panel_window.cpp
  ${CMAKE_SOURCE_DIR}/tests/io/format_samples.cpp)

function(orvelle_test_code target)
  target_compile_options(${target} PRIVATE -O0)
  target_compile_definitions(${target} PRIVATE
    ORVELLE_SOURCE_DIR="${CMAKE_SOURCE_DIR}" ORVELLE_BINARY_DIR="${CMAKE_BINARY_DIR}")
endfunction()

add_library(orvelle_test_support STATIC ${ORVELLE_TEST_SUPPORT_SOURCES})
target_link_libraries(orvelle_test_support PUBLIC orvelle_app GTest::gtest GTest::gtest_main)
orvelle_test_code(orvelle_test_support)
target_precompile_headers(orvelle_test_support PRIVATE
  <gtest/gtest.h> <algorithm> <cmath> <cstdio> <cstring> <functional> <map> <memory> <string> <vector>)

# orvelle_gtest(NAME <name> LABEL <unit|pixel|window> SOURCES <files...> [TIMEOUT <s>]
#               [LIBRARIES <targets...>] [TIMING_TESTS <Suite.Name...>]
#               [LONG_TESTS <Suite.Name...>])
# Adds test sources to the program of their folder and label (the longest TIMEOUT given for
# it holds for each of its tests). Tests labelled "window" need an X display (the test script
# starts Xvfb); without one they report themselves skipped. TIMING_TESTS: the tests among
# them that measure time, which only hold on an unloaded machine without the sanitizers'
# slowness; they take the label "timing" besides (./test.sh runs those alone, in the normal
# build). LONG_TESTS: those that take far longer than the rest: they take the label "long"
# besides, ./test.sh runs them in the sanitizer build only (where they check the pictures and
# the memory at once), and ctest starts them early, so that they do not end a run alone, with
# a longer timeout. NAME only names the sources.
#
# ctest starts the tests in the order of their COST: the tests of the display first (each
# waits for the display, so they run one after the other beside the rest), then the long
# ones, then the other pixel tests, then the rest.
function(orvelle_gtest)
  cmake_parse_arguments(T "" "NAME;LABEL;TIMEOUT" "SOURCES;LIBRARIES;TIMING_TESTS;LONG_TESTS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  file(RELATIVE_PATH folder ${CMAKE_SOURCE_DIR}/tests ${CMAKE_CURRENT_SOURCE_DIR})
  string(REPLACE "/" "_" program "${folder}_${T_LABEL}")
  set(sources "")
  foreach(source ${T_SOURCES})
    get_filename_component(source ${source} ABSOLUTE)
    if(NOT source IN_LIST ORVELLE_TEST_SUPPORT_SOURCES)
      list(APPEND sources ${source})
    endif()
  endforeach()
  get_property(programs GLOBAL PROPERTY ORVELLE_TEST_PROGRAMS)
  if(NOT program IN_LIST programs)
    set_property(GLOBAL APPEND PROPERTY ORVELLE_TEST_PROGRAMS ${program})
    set_property(GLOBAL PROPERTY ORVELLE_TEST_${program}_LABEL ${T_LABEL})
    set_property(GLOBAL PROPERTY ORVELLE_TEST_${program}_TIMEOUT ${T_TIMEOUT})
    # Built once the folder has been read, where the libraries it found are known.
    # (A deferred call reads its arguments when it runs: the name is written into it now.)
    cmake_language(EVAL CODE "cmake_language(DEFER CALL orvelle_add_test_program ${program})")
  endif()
  set_property(GLOBAL APPEND PROPERTY ORVELLE_TEST_${program}_SOURCES ${sources})
  set_property(GLOBAL APPEND PROPERTY ORVELLE_TEST_${program}_LIBRARIES ${T_LIBRARIES})
  set_property(GLOBAL APPEND PROPERTY ORVELLE_TEST_${program}_TIMING_TESTS ${T_TIMING_TESTS})
  set_property(GLOBAL APPEND PROPERTY ORVELLE_TEST_${program}_LONG_TESTS ${T_LONG_TESTS})
  get_property(timeout GLOBAL PROPERTY ORVELLE_TEST_${program}_TIMEOUT)
  if(T_TIMEOUT GREATER timeout)
    set_property(GLOBAL PROPERTY ORVELLE_TEST_${program}_TIMEOUT ${T_TIMEOUT})
  endif()
endfunction()

# Builds a program that orvelle_gtest gathered and registers its tests.
function(orvelle_add_test_program program)
  foreach(what LABEL TIMEOUT SOURCES LIBRARIES TIMING_TESTS LONG_TESTS)
    get_property(${what} GLOBAL PROPERTY ORVELLE_TEST_${program}_${what})
  endforeach()
  set(target tests_${program})
  add_executable(${target} ${SOURCES})
  target_link_libraries(${target} PRIVATE orvelle_test_support ${LIBRARIES})
  orvelle_test_code(${target})
  target_precompile_headers(${target} REUSE_FROM orvelle_test_support)
  # Tests on the shared X display (one pointer, one keyboard focus) run one at a time.
  # freeglut unloads Mesa's driver at exit, so the driver's own small leaks reach
  # LeakSanitizer without a module name to suppress them by: leak checks stay on for
  # every test that opens no window.
  set(lock "")
  set(cost 0)
  if(LABEL STREQUAL "pixel")
    set(cost 10)
  endif()
  set(env "LSAN_OPTIONS=suppressions=${ORVELLE_LSAN_SUPPRESSIONS}:print_suppressions=0")
  # Mesa's shader cache thread may still be ending when LeakSanitizer looks at the threads at
  # exit, which clang 14's LeakSanitizer does not survive; without the cache there is no such
  # thread. (A property of its own: the discovered tests' properties cannot hold lists.)
  set(cache "")
  if(ORVELLE_SANITIZE)
    set(cache ENVIRONMENT_MODIFICATION "MESA_SHADER_CACHE_DISABLE=set:true")
  endif()
  if(LABEL STREQUAL "window")
    set(lock RESOURCE_LOCK x_display)
    set(cost 150)
    set(env "ASAN_OPTIONS=detect_leaks=0")
    target_sources(${target} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support/window_sanitizer_options.cpp)
  endif()
  gtest_discover_tests(${target}
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS ${LABEL} TIMEOUT ${TIMEOUT} SKIP_RETURN_CODE 77 COST ${cost} ${lock}
               ENVIRONMENT "${env}" ${cache})
  # Read by ctest after the discovered tests are declared.
  set(properties "")
  if(TIMING_TESTS)
    string(APPEND properties "set_tests_properties(${TIMING_TESTS} PROPERTIES LABELS timing RUN_SERIAL TRUE)\n")
  endif()
  if(LONG_TESTS)
    string(APPEND properties "set_tests_properties(${LONG_TESTS} PROPERTIES LABELS long COST 100 TIMEOUT 600)\n")
  endif()
  if(properties)
    file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/${target}_properties.cmake "${properties}")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${CMAKE_CURRENT_BINARY_DIR}/${target}_properties.cmake)
  endif()
endfunction()

# orvelle_script_test(NAME <name> LABEL <label> SCRIPT <file> [TIMEOUT <s>] [MEMORY] [TIMING]
#                     [HEADLESS])
# A shell test that drives the built programs on the X display; exit 77 means skipped.
# HEADLESS: it runs only orvelle-render, which needs no display, so it runs beside the
# display's tests.
# MEMORY: it takes the programs through work whose memory faults the sanitizer build looks
# for (loads, saved pictures and views, typed text), so it runs there too (label "memory").
# TIMING: it times the viewer, so nothing may run beside it (label "timing": ./test.sh runs
# these alone, before anything else, and not in the slower sanitizer build).
function(orvelle_script_test)
  cmake_parse_arguments(T "MEMORY;TIMING;HEADLESS" "NAME;LABEL;SCRIPT;TIMEOUT" "" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 180)
  endif()
  set(labels ${T_LABEL})
  if(T_MEMORY)
    list(APPEND labels memory)
  endif()
  if(T_TIMING)
    list(APPEND labels timing)
  endif()
  set(display RESOURCE_LOCK x_display COST 200)
  if(T_HEADLESS)
    set(display COST 50)
  endif()
  add_test(NAME ${T_NAME} COMMAND bash ${T_SCRIPT})
  set_tests_properties(${T_NAME} PROPERTIES LABELS "${labels}" TIMEOUT ${T_TIMEOUT} SKIP_RETURN_CODE 77
    RUN_SERIAL ${T_TIMING} ${display}
    ENVIRONMENT "ORVELLE_BINARY_DIR=${CMAKE_BINARY_DIR};ORVELLE_SOURCE_DIR=${CMAKE_SOURCE_DIR};ASAN_OPTIONS=detect_leaks=0")
endfunction()
