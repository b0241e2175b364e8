# Cross build of the 32-bit Windows product with MinGW-w64.
set(KV_MINGW_TARGET i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
