# The analyser's end-to-end tests: Tessel.exe under Wine.
if(TARGET Tessel)
  # The program that the help test registers as the prefix's handler of .htm files.
  add_executable(e2e_open_recorder WIN32 ${CMAKE_CURRENT_LIST_DIR}/open_recorder/OpenRecorder.cpp)
  target_link_options(e2e_open_recorder PRIVATE -municode)
  set_target_properties(e2e_open_recorder PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests-bin)
  vardex_add_e2e_test(e2e_analyser_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/analyser_ui_test.cpp
                      ${CMAKE_CURRENT_LIST_DIR}/analyser_sound_test.cpp
                      ${CMAKE_CURRENT_LIST_DIR}/analyser_window_test.cpp
                      ${CMAKE_CURRENT_LIST_DIR}/analyser_shell_test.cpp
                      LIBS tessel_core DEPENDS Tessel e2e_open_recorder)
  # The native tool's bitmap, the reference of the "&Window Bitmap" check (skipped, and the
  # check falls back to the core, when the native build has no tool).
  add_test(NAME e2e_analyser_bitmap_reference
           COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/analyser_bitmap_reference.sh
                   "${VARDEX_HOST_TOOLS}/tessel" "${CMAKE_BINARY_DIR}/artifacts")
  set_tests_properties(e2e_analyser_bitmap_reference PROPERTIES
                       FIXTURES_SETUP analyser_bitmap_reference SKIP_RETURN_CODE 77 LABELS e2e)
  set_tests_properties(e2e_analyser_tests PROPERTIES FIXTURES_REQUIRED analyser_bitmap_reference)
endif()
