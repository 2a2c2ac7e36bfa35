# Cross-compiling for 32-bit Windows with MinGW-w64.
# TOLLERVY_MINGW_THREADS selects the compiler variant: "win32" (default, the
# product) or "posix" (test programs that link GoogleTest).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
if(NOT DEFINED TOLLERVY_MINGW_THREADS)
    set(TOLLERVY_MINGW_THREADS win32)
endif()
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-${TOLLERVY_MINGW_THREADS})
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-${TOLLERVY_MINGW_THREADS})
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
