# Cross build of a Windows product with MinGW-w64, for the target the including toolchain file
# names in KV_MINGW_TARGET (i686, x86_64). The -win32 compilers keep the binaries free of a
# thread library DLL.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${KV_MINGW_TARGET})
set(CMAKE_C_COMPILER ${KV_MINGW_TARGET}-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER ${KV_MINGW_TARGET}-w64-mingw32-g++-win32)
set(CMAKE_RC_COMPILER ${KV_MINGW_TARGET}-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${KV_MINGW_TARGET}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
