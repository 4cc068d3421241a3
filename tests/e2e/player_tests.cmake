# Tunlet end to end: output files assembled in the test, started and driven.
vardex_add_e2e_test(e2e_player_tests SOURCES player_test.cpp
                    LIBS archive builder_core platform DEPENDS Tunlet kelvaro_dll)
target_include_directories(e2e_player_tests PRIVATE ${PROJECT_SOURCE_DIR})
