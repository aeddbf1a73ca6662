# The boundary between the program's own code and the platform, as a rule
# the compiler keeps.
#
# The program's code (startup/, common/, figure_window/, shaper/) sees an
# include folder of its own, ZW_PROGRAM_INCLUDE, that holds only itself, the
# platform contract and the run time's rules; a backend header is not there
# to include. Before it stands ZW_FORBIDDEN_INCLUDE, where the system's own
# desktop and OS headers are each a compile error. An include by a path
# that climbs out of a folder or starts at a root would reach past the
# include folder, to any file: such an include in the program's files
# stops the build of their library (CheckProgramIncludes.cmake).

set(ZW_PROGRAM_INCLUDE ${CMAKE_BINARY_DIR}/program_include)
set(ZW_FORBIDDEN_INCLUDE ${CMAKE_BINARY_DIR}/forbidden_include)
set(zw_program_folders startup common figure_window shaper)
option(ZW_PROGRAM_INCLUDE_COPIES "The program's include folder of copies of its headers, not of links" OFF)

# Copies of the headers in `folder`, kept in step at every configure; a
# copy says where its original is, so that messages point there.
function(zw_copy_headers folder)
  set(mirror ${ZW_PROGRAM_INCLUDE}/${folder})
  if(IS_SYMLINK ${mirror})
    file(REMOVE ${mirror})
  endif()
  file(GLOB headers CONFIGURE_DEPENDS RELATIVE ${CMAKE_SOURCE_DIR}/${folder} ${CMAKE_SOURCE_DIR}/${folder}/*.h)
  file(GLOB stale RELATIVE ${mirror} ${mirror}/*.h)
  foreach(header IN LISTS stale)
    if(NOT header IN_LIST headers)
      file(REMOVE ${mirror}/${header})
    endif()
  endforeach()
  foreach(header IN LISTS headers)
    set(original ${CMAKE_SOURCE_DIR}/${folder}/${header})
    set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${original})
    file(READ ${original} text)
    set(copy "#line 1 \"${original}\"\n${text}")
    set(before "")
    if(EXISTS ${mirror}/${header})
      file(READ ${mirror}/${header} before)
    endif()
    if(NOT before STREQUAL copy)
      file(WRITE ${mirror}/${header} "${copy}")
    endif()
  endforeach()
endfunction()

# Links where the system makes them; copies on a system without (Windows
# without the right to make links), or when asked for, as the MinGW build
# does so that they are tried.
foreach(folder IN LISTS zw_program_folders ITEMS platform/contract platform/runtime)
  set(mirror ${ZW_PROGRAM_INCLUDE}/${folder})
  get_filename_component(parent ${mirror} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  if(ZW_PROGRAM_INCLUDE_COPIES)
    zw_copy_headers(${folder})
  elseif(NOT IS_SYMLINK ${mirror})
    file(REMOVE_RECURSE ${mirror})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${mirror} SYMBOLIC RESULT linked)
    if(NOT linked EQUAL 0)
      message(STATUS "No link to ${folder} in the program's include folder (${linked}): copies of its headers")
      zw_copy_headers(${folder})
    endif()
  endif()
endforeach()

# Headers of the operating systems and desktops that the program's code may
# not include. (Headers that the standard library includes itself, such as
# unistd.h, cannot be on the list.)
set(zw_forbidden_headers
  windows.h windowsx.h winuser.h wingdi.h winbase.h shellapi.h
  X11/Xlib.h X11/Xutil.h X11/Xatom.h X11/X.h X11/Xresource.h
  X11/extensions/shape.h X11/extensions/Xrandr.h X11/extensions/XInput2.h X11/extensions/XTest.h
  xcb/xcb.h wayland-client.h systemd/sd-bus.h
  fcntl.h pwd.h poll.h dirent.h dlfcn.h
  sys/file.h sys/stat.h sys/wait.h sys/mman.h sys/socket.h sys/signalfd.h)
foreach(header IN LISTS zw_forbidden_headers)
  file(CONFIGURE OUTPUT ${ZW_FORBIDDEN_INCLUDE}/${header} CONTENT
    "#error \"${header}: the program's own code reaches the system only through the platform contract\"\n")
endforeach()

list(TRANSFORM zw_program_folders REPLACE "(.+)" "${CMAKE_SOURCE_DIR}/\\1/*.h" OUTPUT_VARIABLE zw_globs)
file(GLOB zw_program_headers CONFIGURE_DEPENDS ${zw_globs})

# A library of the program's own code: only the contract and the rules,
# and its files' includes checked as it is built.
function(zw_program_library target)
  add_library(${target} STATIC ${ARGN})
  target_include_directories(${target} BEFORE PRIVATE ${ZW_FORBIDDEN_INCLUDE})
  target_link_libraries(${target} PUBLIC zw_runtime)
  list(TRANSFORM ARGN PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/ OUTPUT_VARIABLE sources)
  set(checked ${CMAKE_CURRENT_BINARY_DIR}/${target}.includes)
  add_custom_command(OUTPUT ${checked}
    COMMAND ${CMAKE_COMMAND} "-DFILES=${sources};${zw_program_headers}" -DSTAMP=${checked}
            -P ${CMAKE_SOURCE_DIR}/cmake/CheckProgramIncludes.cmake
    DEPENDS ${sources} ${zw_program_headers} ${CMAKE_SOURCE_DIR}/cmake/CheckProgramIncludes.cmake
    COMMENT "Checking the includes of ${target}" VERBATIM)
  target_sources(${target} PRIVATE ${checked})
endfunction()
