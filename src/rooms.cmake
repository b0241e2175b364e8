# The plug-in's rooms under src/, floor by floor from the ground. A room includes only its own
# headers and those of the floors below it; the rooms of one floor (joined by "+") do not include
# each other.
#   text      the bounded formatter and the UTF-16 and UTF-8 helpers: the standard library only
#   sys       the one seam to the operating system, with its win32 and posix backends
#   frame     the plug-in's records and state, error report, text services, arguments and
#             numbers, help launcher, and the host's services
#   store     buffers and their records; console: paging, interruption and colours; values:
#             typed words
#   content   fills, loads, saves, comparisons, copies, searches and digests; commands: BBDUMP
#             and BBLIST
#   entry     the module's entry: DllMain and the exports of the plug-in protocol
set(KV_SOURCE_FLOORS text sys frame store+console+values content+commands entry)

# The rooms of the plug-in's own code, above the system seam: what kv_plugin compiles.
set(KV_PLUGIN_ROOMS frame store console values content commands entry)

include(${CMAKE_CURRENT_LIST_DIR}/../cmake/rooms.cmake)
