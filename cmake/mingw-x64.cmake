# Cross build of the 64-bit Windows product with MinGW-w64.
set(KV_MINGW_TARGET x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
