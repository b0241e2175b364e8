# What the builds read from the project's own statements of its identity: the version of the
# top-level project(VERSION), the author of src/frame/plugin_identity.h, the copyright line of
# LICENSE, and the features of src/frame/features.def. Included by the
# top-level project and by the fuzz project, which must agree with it.

# KV_VERSION_DEFINITIONS: the version as the compiler definitions plugin_identity.h reads.
function(kv_version_definitions root out)
  file(STRINGS ${root}/CMakeLists.txt line REGEX "^project\\(Korvanite VERSION ")
  string(REGEX MATCH "VERSION ([0-9]+)\\.([0-9]+)\\.([0-9]+)\\.([0-9]+)" found "${line}")
  if(NOT found)
    message(FATAL_ERROR "no four-part version in ${root}/CMakeLists.txt's project()")
  endif()
  set(${out} KV_VERSION_MAJOR=${CMAKE_MATCH_1} KV_VERSION_MINOR=${CMAKE_MATCH_2}
             KV_VERSION_PATCH=${CMAKE_MATCH_3} KV_VERSION_TWEAK=${CMAKE_MATCH_4} PARENT_SCOPE)
endfunction()

# KV_AUTHOR: plugin_identity.h's kAuthor; KV_COPYRIGHT: LICENSE's copyright line, which must
# name that author. The version resource gives them as CompanyName and LegalCopyright.
function(kv_read_author_and_copyright root author copyright)
  file(STRINGS ${root}/src/frame/plugin_identity.h line REGEX "kAuthor\\[\\] = u\"")
  string(REGEX MATCH "u\"([^\"]+)\"" found "${line}")
  if(NOT found)
    message(FATAL_ERROR "no kAuthor in src/frame/plugin_identity.h")
  endif()
  set(name "${CMAKE_MATCH_1}")
  file(STRINGS ${root}/LICENSE line REGEX "^Copyright \\(c\\) [0-9]+ ")
  string(FIND "${line}" "${name}" at)
  if(NOT line OR at EQUAL -1)
    message(FATAL_ERROR "LICENSE has no line \"Copyright (c) YEAR ${name}\"")
  endif()
  set(${author} "${name}" PARENT_SCOPE)
  set(${copyright} "${line}" PARENT_SCOPE)
endfunction()

# The features of the table, in its order, as NAMES (bbdump, balloc, bblasterr) and as
# EXPORTS (bbdump, f_balloc, _bblasterr).
function(kv_read_features root names exports)
  file(STRINGS ${root}/src/frame/features.def lines
       REGEX "^KV_(COMMAND|FUNCTION|VARIABLE)\\([a-z0-9_]+,")
  set(found_names)
  set(found_exports)
  foreach(line ${lines})
    string(REGEX MATCH "^KV_([A-Z]+)\\(([a-z0-9_]+)," found "${line}")
    list(APPEND found_names ${CMAKE_MATCH_2})
    if(CMAKE_MATCH_1 STREQUAL "FUNCTION")
      list(APPEND found_exports f_${CMAKE_MATCH_2})
    elseif(CMAKE_MATCH_1 STREQUAL "VARIABLE")
      list(APPEND found_exports _${CMAKE_MATCH_2})
    else()
      list(APPEND found_exports ${CMAKE_MATCH_2})
    endif()
  endforeach()
  set(${names} ${found_names} PARENT_SCOPE)
  set(${exports} ${found_exports} PARENT_SCOPE)
endfunction()
