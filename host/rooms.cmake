# The stand-in host's rooms, each using only the rooms before it:
#   language  the batch language's text: statements, blanks and numbers, @eval's arithmetic,
#             colour names; no state
#   session   what a running host holds: variables, output, the plug-in's slot, files it reads
#   plugin    loading the plug-in, checking its exports, calling its features
#   builtins  the host's own commands and functions, each a table
#   runner    running lines and scripts: expansion, conditions, redirection, standard input
#   services  the services library's entry points, which the plug-in calls (TakeCmd)
#   check     the script-test runner (plughost --check)
#   entry     plughost's command line
set(KV_HOST_ROOMS language session plugin builtins runner services check entry)

include(${CMAKE_CURRENT_LIST_DIR}/../cmake/rooms.cmake)
