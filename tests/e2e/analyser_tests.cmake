# The analyser's end-to-end tests: Tessel.exe under Wine.
if(TARGET Tessel)
  vardex_add_e2e_test(e2e_analyser_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/analyser_ui_test.cpp
                      ${CMAKE_CURRENT_LIST_DIR}/analyser_sound_test.cpp
                      ${CMAKE_CURRENT_LIST_DIR}/analyser_window_test.cpp
                      LIBS tessel_core DEPENDS Tessel)
  # The native tool's bitmap, the reference of the "&Window Bitmap" check (skipped, and the
  # check falls back to the core, when the native build has no tool).
  add_test(NAME e2e_analyser_bitmap_reference
           COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/analyser_bitmap_reference.sh
                   "${VARDEX_HOST_TOOLS}/tessel" "${CMAKE_BINARY_DIR}/artifacts")
  set_tests_properties(e2e_analyser_bitmap_reference PROPERTIES
                       FIXTURES_SETUP analyser_bitmap_reference SKIP_RETURN_CODE 77 LABELS e2e)
  set_tests_properties(e2e_analyser_tests PROPERTIES FIXTURES_REQUIRED analyser_bitmap_reference)
endif()
