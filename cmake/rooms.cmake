# The sources (*.cpp) of the ROOMS (folders) under FOLDER, in VARIABLE: the plug-in's rooms of
# src/rooms.cmake and the host's of host/rooms.cmake.
function(kv_room_sources folder variable)
  set(patterns)
  foreach(room IN LISTS ARGN)
    list(APPEND patterns ${folder}/${room}/*.cpp)
  endforeach()
  file(GLOB sources CONFIGURE_DEPENDS ${patterns})
  set(${variable} ${sources} PARENT_SCOPE)
endfunction()
