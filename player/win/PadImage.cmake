# Pads the linked player with zero bytes to exactly SIZE bytes, the start offset of the
# archive in every output file, and fails when the player is already larger. The linked
# length is written to RECORD first, for PlayerSize.cmake.
#   cmake -DFILE=<Tunlet.exe> -DSIZE=<start offset> -DRECORD=<file> -P PadImage.cmake
file(SIZE "${FILE}" size)
if(size GREATER SIZE)
  math(EXPR over "${size} - ${SIZE}")
  file(REMOVE "${FILE}" "${RECORD}")
  message(FATAL_ERROR "Tunlet.exe is ${size} bytes, ${over} more than the start offset ${SIZE}")
endif()
file(WRITE "${RECORD}" "${size}\n")
if(size LESS SIZE)
  find_program(TRUNCATE truncate REQUIRED)
  execute_process(COMMAND ${TRUNCATE} -s ${SIZE} "${FILE}" RESULT_VARIABLE rc)
  file(SIZE "${FILE}" size)
  if(NOT rc EQUAL 0 OR NOT size EQUAL SIZE)
    file(REMOVE "${FILE}" "${RECORD}")
    message(FATAL_ERROR "Tunlet.exe could not be padded to ${SIZE} bytes")
  endif()
endif()
