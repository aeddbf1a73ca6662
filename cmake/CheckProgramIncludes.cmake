# Refuses an include of the program's own code that names its file by a
# path that climbs out of a folder ("..") or starts at a root: from
# startup/, "../platform/shared/density.h" would find any file of the tree
# past the include folder that holds only the program, the contract and the
# run time's rules (ProgramBoundary.cmake). Run as their library is built:
#
#   cmake -DFILES=<files> -DSTAMP=<file touched when all pass> -P CheckProgramIncludes.cmake

set(refused "")
foreach(file IN LISTS FILES)
  file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include")
  foreach(line IN LISTS lines)
    if(NOT line MATCHES "include[ \t]*[<\"]([^>\"]*)[>\"]")
      continue()
    endif()
    set(name "${CMAKE_MATCH_1}")
    string(REPLACE "\\" "/" path "${name}")
    if(path MATCHES "(^|/)\\.\\.(/|$)" OR path MATCHES "^/" OR path MATCHES "^[A-Za-z]:")
      string(APPEND refused "  ${file}: ${name}\n")
    endif()
  endforeach()
endforeach()
if(refused)
  message(FATAL_ERROR "The program's own code includes a file by a path of its own; it names its "
                      "headers from its include folder, where only the program, the contract and the "
                      "run time's rules are:\n${refused}")
endif()
file(TOUCH "${STAMP}")
