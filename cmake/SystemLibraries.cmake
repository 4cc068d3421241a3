# System libraries outside the system's known-library list (KnownDLLs) are not imported
# at load time: the loader would look for them in the program's folder first, where a
# planted copy could lie. They are imported on first use instead, and the hook in
# platform/win32/delayload loads them from the system folder.
#
#   vardex_link_system_libraries(<target> winmm comctl32 ...)

# The functions the programs use, with their i686 stdcall argument sizes.
set(VARDEX_SYSTEM_LIBRARY_winmm WINMM.dll
    mixerClose@4 mixerGetControlDetailsA@12 mixerGetControlDetailsW@12 mixerGetID@12
    mixerGetLineControlsA@12 mixerGetLineInfoA@12 mixerOpen@20 mixerSetControlDetails@12
    waveInAddBuffer@12 waveInClose@4 waveInGetPosition@12 waveInOpen@24 waveInPrepareHeader@12
    waveInReset@4 waveInStart@4 waveInStop@4 waveInUnprepareHeader@12 waveOutClose@4
    waveOutGetNumDevs@0 waveOutGetPosition@12 waveOutGetVolume@8 waveOutOpen@24
    waveOutPrepareHeader@12 waveOutReset@4 waveOutSetVolume@8 waveOutUnprepareHeader@12
    waveOutWrite@12)
set(VARDEX_SYSTEM_LIBRARY_comctl32 COMCTL32.dll InitCommonControlsEx@4)

# An import library whose imports are resolved on first use.
function(vardex_delayed_import_library name)
  set(target delayed_${name})
  if(TARGET ${target})
    return()
  endif()
  set(entries ${VARDEX_SYSTEM_LIBRARY_${name}})
  list(POP_FRONT entries dll)
  set(def "LIBRARY ${dll}\nEXPORTS\n")
  foreach(symbol ${entries})
    if(NOT CMAKE_SIZEOF_VOID_P EQUAL 4)
      string(REGEX REPLACE "@[0-9]+$" "" symbol ${symbol})
    endif()
    string(APPEND def "  ${symbol}\n")
  endforeach()
  set(dir ${CMAKE_BINARY_DIR}/delayload)
  file(WRITE ${dir}/${name}.def ${def})
  set(kill_at "")
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(kill_at --kill-at)
  endif()
  add_custom_command(OUTPUT ${dir}/lib${name}_delayed.a
    COMMAND ${CMAKE_DLLTOOL} --input-def ${dir}/${name}.def --dllname ${dll} ${kill_at}
            --output-delaylib ${dir}/lib${name}_delayed.a
    DEPENDS ${dir}/${name}.def
    VERBATIM)
  add_custom_target(${target} DEPENDS ${dir}/lib${name}_delayed.a)
endfunction()

function(vardex_link_system_libraries target)
  if(NOT TARGET system_library_hook)
    add_library(system_library_hook OBJECT
                ${PROJECT_SOURCE_DIR}/platform/win32/delayload/DelayLoadHook.cpp)
    target_include_directories(system_library_hook PRIVATE ${PROJECT_SOURCE_DIR})
  endif()
  target_sources(${target} PRIVATE $<TARGET_OBJECTS:system_library_hook>)
  foreach(name ${ARGN})
    vardex_delayed_import_library(${name})
    add_dependencies(${target} delayed_${name})
    target_link_libraries(${target} PRIVATE ${CMAKE_BINARY_DIR}/delayload/lib${name}_delayed.a)
  endforeach()
  target_link_libraries(${target} PRIVATE platform)
endfunction()
