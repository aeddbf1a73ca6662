# The boundary between the program's own code and the platform, as a rule
# the compiler keeps.
#
# The program's code (startup/, common/, figure_window/, shaper/) sees an
# include folder of its own, ZW_PROGRAM_INCLUDE, that holds only itself, the
# platform contract and the run time's rules; a backend header is not there
# to include. Before it stands ZW_FORBIDDEN_INCLUDE, where the system's own
# desktop and OS headers are each a compile error.

set(ZW_PROGRAM_INCLUDE ${CMAKE_BINARY_DIR}/program_include)
set(ZW_FORBIDDEN_INCLUDE ${CMAKE_BINARY_DIR}/forbidden_include)

foreach(folder startup common figure_window shaper platform/contract platform/runtime)
  get_filename_component(parent ${ZW_PROGRAM_INCLUDE}/${folder} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  if(NOT EXISTS ${ZW_PROGRAM_INCLUDE}/${folder})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${ZW_PROGRAM_INCLUDE}/${folder} SYMBOLIC RESULT linked)
    if(NOT linked EQUAL 0)
      # A system without links (Windows without the right to make them): the
      # source root then, and the boundary is a promise there.
      message(WARNING "Cannot link ${folder} into ${ZW_PROGRAM_INCLUDE} (${linked}): "
                      "the program's code is built without its include boundary")
      set(ZW_PROGRAM_INCLUDE ${CMAKE_SOURCE_DIR})
      break()
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

# A library of the program's own code: only the contract and the rules.
function(zw_program_library target)
  add_library(${target} STATIC ${ARGN})
  target_include_directories(${target} BEFORE PRIVATE ${ZW_FORBIDDEN_INCLUDE})
  target_link_libraries(${target} PUBLIC zw_runtime)
endfunction()
