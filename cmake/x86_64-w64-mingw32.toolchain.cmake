# Cross-builds the Windows program on Linux with MinGW-w64 (Debian/Ubuntu:
# g++-mingw-w64-x86-64-posix). The result runs on 64-bit Windows, and under
# Wine, which is how its tests run here.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZW_MINGW_TARGET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZW_MINGW_TARGET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZW_MINGW_TARGET}-g++-posix)
set(CMAKE_RC_COMPILER ${ZW_MINGW_TARGET}-windres)

# Libraries and headers of the target only; programs of the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${ZW_MINGW_TARGET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
