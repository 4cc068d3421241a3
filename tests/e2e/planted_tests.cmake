# Copies of system libraries planted beside the programs are never loaded.
add_library(planted_winmm SHARED planted/Marker.c)
set_target_properties(planted_winmm PROPERTIES OUTPUT_NAME winmm PREFIX ""
                      RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests-bin/planted)
vardex_add_e2e_test(e2e_planted_tests SOURCES planted_library_test.cpp PlayerOutput.cpp
                    LIBS archive builder_core platform
                    DEPENDS Tunlet kelvaro_dll Vardex Tessel e2e_sample_app planted_winmm)
target_include_directories(e2e_planted_tests PRIVATE ${PROJECT_SOURCE_DIR})
# Wine prefers a copy found in a program's folder to its own library, as Windows does for
# any library that is not a known one.
set_tests_properties(e2e_planted_tests PROPERTIES
                     ENVIRONMENT "VARDEX_WINEDLLOVERRIDES=winmm=n,b")
