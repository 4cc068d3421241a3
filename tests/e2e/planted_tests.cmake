# Copies of system libraries planted beside the programs are never loaded.
foreach(library winmm comctl32)
  add_library(planted_${library} SHARED planted/Marker.c)
  set_target_properties(planted_${library} PROPERTIES OUTPUT_NAME ${library} PREFIX ""
                        RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests-bin/planted)
endforeach()
vardex_add_e2e_test(e2e_planted_tests SOURCES planted_library_test.cpp PlayerOutput.cpp
                    LIBS archive builder_core platform
                    DEPENDS Tunlet kelvaro_dll Vardex Tessel e2e_sample_app planted_winmm planted_comctl32)
target_include_directories(e2e_planted_tests PRIVATE ${PROJECT_SOURCE_DIR})
