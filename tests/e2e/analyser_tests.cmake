# The analyser's end-to-end tests: Tessel.exe under Wine.
if(TARGET Tessel)
  vardex_add_e2e_test(e2e_analyser_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/analyser_ui_test.cpp
                      LIBS tessel_core DEPENDS Tessel)
endif()
