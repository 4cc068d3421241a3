# Settings shared by every target of every preset.
set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_C_STANDARD 11)
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)
set(CMAKE_ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)

add_compile_options(-Wall -Wextra -Werror)

# The start offset: the player's exact length, and so the byte at which the archive begins in
# every produced file. This is its one definition: Tunlet.exe is padded to it, the player's
# version block records it as "SFXCodeSize", and code and resource scripts know it as
# VARDEX_START_OFFSET (C++ as builder::kStartOffset).
set(VARDEX_START_OFFSET 423424)
add_compile_definitions(VARDEX_START_OFFSET=${VARDEX_START_OFFSET})

if(WIN32)
  set(VARDEX_WINDOWS ON)
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0501)
  # A produced self-playing file must run on a bare Windows: no runtime DLLs beside it.
  add_link_options(-static -static-libgcc -static-libstdc++)
  set(ZLIB_USE_STATIC_LIBS ON)
  # Windows test programs run under Wine with the build tree's private prefix.
  configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh @ONLY)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)
  include(${CMAKE_CURRENT_LIST_DIR}/SystemLibraries.cmake)
  include(${CMAKE_CURRENT_LIST_DIR}/Manifest.cmake)
else()
  set(VARDEX_WINDOWS OFF)
endif()

include(${CMAKE_CURRENT_LIST_DIR}/PlayerLean.cmake)

# Code that neither throws nor is unwound through by an exception (kelvaro.dll has no
# exception runtime): no exception tables, and for i686 no unwind tables either. Those are
# DWARF tables for the C++ runtime's unwinder alone, and they would keep every function
# alive at link time; x86-64's are Windows' own, which the system needs to walk the stack.
set(VARDEX_NO_EXCEPTION_FLAGS -fno-exceptions)
if(WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 4)
  list(APPEND VARDEX_NO_EXCEPTION_FLAGS -fno-asynchronous-unwind-tables -fno-unwind-tables)
endif()

if(VARDEX_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

if(VARDEX_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
                      -fsanitize-coverage-ignorelist=${PROJECT_SOURCE_DIR}/tests/fuzz/coverage-ignorelist.txt)
  add_link_options(-fsanitize=address,undefined)
endif()

find_package(ZLIB REQUIRED)

# vardex_add_test(NAME SOURCES... LIBS ...): one GoogleTest program, run by CTest
# natively or, in the win64 build, under Wine.
function(vardex_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests-bin)
  target_compile_definitions(${name} PRIVATE VARDEX_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests-bin LABELS "unit;${T_LABELS}")
endfunction()

# vardex_add_fuzzer(NAME SOURCES... LIBS ...): a libFuzzer target (fuzz preset only).
function(vardex_add_fuzzer name)
  cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${F_SOURCES})
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz-bin)
  # tests/fuzz/run.sh runs every target named here, and fails for one that was not built.
  set_property(GLOBAL APPEND PROPERTY VARDEX_FUZZ_TARGETS ${name})
endfunction()
