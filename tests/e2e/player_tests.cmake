# Tunlet end to end: output files assembled in the test, started, driven and heard.
vardex_add_e2e_test(e2e_player_tests SOURCES player_test.cpp player_sound_test.cpp PlayerOutput.cpp
                    LIBS archive builder_core platform DEPENDS Tunlet kelvaro_dll Vardex)
target_include_directories(e2e_player_tests PRIVATE ${PROJECT_SOURCE_DIR})
# The songs and mpg123's reference decode, made before the test.
add_test(NAME e2e_player_sound_media
         COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/player_sound_media.sh
                 "${CMAKE_BINARY_DIR}/artifacts/player_sound")
set_tests_properties(e2e_player_sound_media PROPERTIES FIXTURES_SETUP player_sound_media
                     SKIP_RETURN_CODE 77 LABELS e2e)
set_tests_properties(e2e_player_tests PROPERTIES FIXTURES_REQUIRED player_sound_media)
