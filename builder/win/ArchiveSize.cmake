# Prints the size of the decoder archive (and of the library in it) and, given a LIMIT, the
# room left under it; fails when the archive is larger.
#   cmake -DFILE=<kelvaro.arc> [-DLIBRARY=<kelvaro.dll>] [-DLIMIT=<bytes>] -P ArchiveSize.cmake
file(SIZE "${FILE}" size)
get_filename_component(name "${FILE}" NAME)
set(library "")
if(LIBRARY AND EXISTS "${LIBRARY}")
  file(SIZE "${LIBRARY}" library_size)
  get_filename_component(library_name "${LIBRARY}" NAME)
  set(library " (${library_name} ${library_size} bytes)")
endif()
if(NOT LIMIT)
  message(STATUS "${name}: ${size} bytes${library}")
  return()
endif()
if(size GREATER LIMIT)
  math(EXPR over "${size} - ${LIMIT}")
  message(FATAL_ERROR "${name} is ${size} bytes${library}, ${over} more than the decoder "
                      "archive's ${LIMIT}")
endif()
math(EXPR margin "${LIMIT} - ${size}")
message(STATUS "${name}: ${size} bytes${library}, ${margin} left under ${LIMIT}")
