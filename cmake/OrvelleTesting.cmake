# orvelle_gtest(NAME <exe> LABEL <unit|pixel|window|e2e> SOURCES <files...> [TIMEOUT <s>])
# Builds one GoogleTest program linked with the viewer's code and registers its tests.
# Tests labelled "window" need an X display (the test script starts Xvfb); without one
# they report themselves skipped.
set(ORVELLE_LSAN_SUPPRESSIONS ${CMAKE_SOURCE_DIR}/tests/lsan.supp)

function(orvelle_gtest)
  cmake_parse_arguments(T "" "NAME;LABEL;TIMEOUT" "SOURCES" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE orvelle_app GTest::gtest GTest::gtest_main)
  target_compile_definitions(${T_NAME} PRIVATE
    ORVELLE_SOURCE_DIR="${CMAKE_SOURCE_DIR}" ORVELLE_BINARY_DIR="${CMAKE_BINARY_DIR}")
  # Tests on the shared X display (one pointer, one keyboard focus) run one at a time.
  # freeglut unloads Mesa's driver at exit, so the driver's own small leaks reach
  # LeakSanitizer without a module name to suppress them by: leak checks stay on for
  # every test that opens no window.
  set(lock "")
  set(env "LSAN_OPTIONS=suppressions=${ORVELLE_LSAN_SUPPRESSIONS}:print_suppressions=0")
  if(T_LABEL STREQUAL "window" OR T_LABEL STREQUAL "e2e")
    set(lock RESOURCE_LOCK x_display)
    set(env "ASAN_OPTIONS=detect_leaks=0")
  endif()
  gtest_discover_tests(${T_NAME}
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS ${T_LABEL} TIMEOUT ${T_TIMEOUT} SKIP_RETURN_CODE 77 ${lock}
               ENVIRONMENT "${env}")
endfunction()

# orvelle_script_test(NAME <name> LABEL <label> SCRIPT <file> [TIMEOUT <s>])
# A shell test that drives the built programs on the X display; exit 77 means skipped.
function(orvelle_script_test)
  cmake_parse_arguments(T "" "NAME;LABEL;SCRIPT;TIMEOUT" "" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 180)
  endif()
  add_test(NAME ${T_NAME} COMMAND bash ${T_SCRIPT})
  set_tests_properties(${T_NAME} PROPERTIES LABELS ${T_LABEL} TIMEOUT ${T_TIMEOUT} SKIP_RETURN_CODE 77
    RESOURCE_LOCK x_display
    ENVIRONMENT "ORVELLE_BINARY_DIR=${CMAKE_BINARY_DIR};ORVELLE_SOURCE_DIR=${CMAKE_SOURCE_DIR};ASAN_OPTIONS=detect_leaks=0")
endfunction()
