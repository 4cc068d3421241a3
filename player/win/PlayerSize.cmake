# Prints the player's linked length, as PadImage.cmake recorded it, and the room left under
# the start offset SIZE.
#   cmake -DRECORD=<file> -DSIZE=<start offset> -P PlayerSize.cmake
if(NOT EXISTS "${RECORD}")
  message(FATAL_ERROR "${RECORD} is missing: it is written when Tunlet.exe is linked")
endif()
file(STRINGS "${RECORD}" size LIMIT_COUNT 1)
math(EXPR margin "${SIZE} - ${size}")
message(STATUS "Tunlet.exe: ${size} bytes, ${margin} left under the start offset ${SIZE}")
