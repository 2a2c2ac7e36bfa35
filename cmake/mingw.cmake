# Cross-compiling for Windows with MinGW-w64.
# TOLLERVY_MINGW_ARCH: i686 (the product, 32-bit) or x86_64 (the same program
# and its test programs for running under 64-bit Wine).
# TOLLERVY_MINGW_THREADS: win32 (default compiler) or posix (programs that
# link GoogleTest).
set(CMAKE_SYSTEM_NAME Windows)
if(NOT DEFINED TOLLERVY_MINGW_ARCH)
    set(TOLLERVY_MINGW_ARCH i686)
endif()
if(NOT DEFINED TOLLERVY_MINGW_THREADS)
    set(TOLLERVY_MINGW_THREADS win32)
endif()
set(CMAKE_SYSTEM_PROCESSOR ${TOLLERVY_MINGW_ARCH})
set(_triple ${TOLLERVY_MINGW_ARCH}-w64-mingw32)
set(CMAKE_CXX_COMPILER ${_triple}-g++-${TOLLERVY_MINGW_THREADS})
set(CMAKE_C_COMPILER ${_triple}-gcc-${TOLLERVY_MINGW_THREADS})
set(CMAKE_RC_COMPILER ${_triple}-windres)
set(CMAKE_OBJCOPY ${_triple}-objcopy)
set(CMAKE_STRIP ${_triple}-strip)
set(CMAKE_FIND_ROOT_PATH /usr/${_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
