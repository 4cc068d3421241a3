# The player's lean build. Tunlet.exe is padded to the start offset and the build fails when the
# linked player is larger, so everything that goes into it is compiled for size. Each library
# that the player links applies this in its own CMakeLists.txt, and so does Tunlet itself:
#
#   vardex_player_lean(<target>)
#
#   -Os                     smaller code before faster code.
#   -ffunction-sections     a section per function and per variable, so that the player's link
#   -fdata-sections         (--gc-sections) drops what it does not use.
#   -fno-threadsafe-statics no guards around function-local statics: they are all first met on
#                           a program's UI thread. (The decoder library's play threads use only
#                           the threads and locks of platform/, which have none.)
#   -include LeanStdlib.h   the standard library's strings are instantiated in our own objects,
#                           member by member as used, instead of pulling the library's complete
#                           prebuilt string objects (tens of KB each) into the player.
#
# The player's program adds two things of its own (player/win): it links with --gc-sections,
# stripped and without a relocation table; and Terminate.cpp replaces the C++ runtime's default
# terminate handler, which prints the demangled type of an uncaught exception and so links the
# whole demangler (about 45 KB), with a plain abort. Every exception is caught at the window's
# event boundary, so only a fault reaches the handler.
#
# Vardex.exe, kelvaro.dll (which links platform/) and the Windows tests link these same
# libraries: there is one variant of each, since nothing there needs another. The builder also
# runs its windows and its builds on one thread, and its time goes into zlib and the Win32 API,
# which are not compiled here. Natively there is no player and the function does nothing, so
# native tests and benchmarks measure the code as built for speed.
function(vardex_player_lean target)
  if(NOT WIN32)
    return()
  endif()
  target_compile_options(${target} PRIVATE -Os -ffunction-sections -fdata-sections
                         -fno-threadsafe-statics -include ${PROJECT_SOURCE_DIR}/cmake/LeanStdlib.h)
endfunction()
