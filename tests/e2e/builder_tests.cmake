# The builder's end-to-end tests: Vardex.exe and the files it makes, under Wine.
if(TARGET Vardex)
  vardex_add_e2e_test(e2e_builder_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/builder_ui_test.cpp
                      ${CMAKE_CURRENT_LIST_DIR}/builder_look_test.cpp
                      ${CMAKE_CURRENT_LIST_DIR}/builder_drop_test.cpp
                      LIBS archive builder_core DEPENDS Vardex Tunlet)
endif()
