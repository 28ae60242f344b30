# Read by ctest after the discovered tests: the window tests move the display's one pointer
# and type into the window under it, so nothing else may run beside them.
if(glui_window_test_TESTS)
  set_tests_properties(${glui_window_test_TESTS} PROPERTIES RUN_SERIAL TRUE)
endif()
