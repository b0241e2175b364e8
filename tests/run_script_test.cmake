# Runs one script test: plughost on SCRIPT in WORKDIR, with standard input empty, and compares
# its standard output, standard error and exit status with NAME.out, NAME.err and NAME.rc beside
# the script (a missing .out or .err means empty, a missing .rc means 0).
#
#   cmake -DPLUGHOST=<plughost> -DSCRIPT=<NAME.btm> -DWORKDIR=<dir> [-DLAUNCHER=<wine>]
#         [-DWIDE_HANDLES=ON] -P run_script_test.cmake
#   cmake -DSCRIPT=<NAME.btm> -DRESULTS=<dir> [-DWIDE_HANDLES=ON] -P run_script_test.cmake
#
# The second form compares the results that `plughost --suite LIST DIR` wrote for the script
# (DIR/NAME.stdout, NAME.stderr, NAME.status) instead of running it.
#
# Every occurrence of the script's directory in the output reads %SCRIPTDIR% before comparing,
# so that expected files hold no checkout path. Leading "rem env NAME=VALUE" lines of the script
# set variables in plughost's environment.
#
# WIDE_HANDLES says that the build has 64-bit handles (the x64 product, or the native port built
# with them): where NAME.x64.out or NAME.x64.err lies beside the script, it is the expected text,
# for the layouts that the handle width changes; elsewhere it is the x86 text with the version
# lines' platform "(x86)" read as "(x64)". A script with a line that begins "rem handles"
# prints buffer handles and creation times, which differ from run to run: in its output every
# run of exactly 8 (WIDE_HANDLES: 16) upper-case hexadecimal digits reads %HANDLE%, and every
# time "YYYY-MM-DD hh:mm:ss" reads %TIME%.

if(DEFINED RESULTS)
  set(required_variables SCRIPT RESULTS)
else()
  set(required_variables PLUGHOST SCRIPT WORKDIR)
endif()
foreach(required IN LISTS required_variables)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "run_script_test: ${required} is not set")
  endif()
endforeach()

get_filename_component(script_dir "${SCRIPT}" DIRECTORY)
get_filename_component(script_name "${SCRIPT}" NAME_WE)

if(DEFINED RESULTS)
  set(actual_base "${RESULTS}/${script_name}")
  if(NOT EXISTS "${actual_base}.status")
    message(FATAL_ERROR "script test ${script_name}: the suite left no ${actual_base}.status")
  endif()
  file(READ "${actual_base}.status" actual_rc)
  string(STRIP "${actual_rc}" actual_rc)
else()
  file(MAKE_DIRECTORY "${WORKDIR}")

  # A known environment: nothing from the caller's shell changes colours, the host's edition or
  # the plug-in that is loaded, or the clipboard.
  foreach(variable NO_COLOR Highlight PLUGHOST_CMDPROC PLUGHOST_PLUGIN noloadmsg
                   PLUGHOST_CLIPBOARD)
    unset(ENV{${variable}})
  endforeach()

  # Leading "rem env NAME=VALUE" lines.
  file(STRINGS "${SCRIPT}" script_lines ENCODING UTF-8)
  foreach(line IN LISTS script_lines)
    string(REGEX REPLACE "\r$" "" line "${line}")
    if(NOT line MATCHES "^@?[Rr][Ee][Mm][ \t]+env[ \t]+([^=]+)=(.*)$")
      break()
    endif()
    set(ENV{${CMAKE_MATCH_1}} "${CMAKE_MATCH_2}")
  endforeach()

  set(actual_base "${WORKDIR}/${script_name}")
  set(null_input /dev/null)
  if(CMAKE_HOST_WIN32)
    set(null_input NUL)
  endif()
  execute_process(
    COMMAND ${LAUNCHER} "${PLUGHOST}" "${SCRIPT}"
    WORKING_DIRECTORY "${WORKDIR}"
    INPUT_FILE ${null_input}
    OUTPUT_FILE "${actual_base}.stdout"
    ERROR_FILE "${actual_base}.stderr"
    RESULT_VARIABLE actual_rc)
  file(WRITE "${actual_base}.status" "${actual_rc}\n")
endif()

# The script directory as plughost may print it: as given, and with either separator.
# Under Wine the root of the Linux file system is the drive Z:. The longer forms go first, so
# that a shorter one cannot take part of them.
string(REPLACE "/" "\\" script_dir_backslashes "${script_dir}")
set(script_dir_forms "Z:${script_dir_backslashes}" "z:${script_dir_backslashes}" "${script_dir}"
                     "${script_dir_backslashes}")

# Files are compared as bytes: file(READ) without HEX would drop every carriage return. Hex
# digits are kept in pairs with a blank after each, so that a replacement stays on byte bounds.
function(spaced_hex_of_text text out_var)
  string(HEX "${text}" hex)
  string(REGEX REPLACE "(..)" "\\1 " hex "${hex}")
  set(${out_var} "${hex}" PARENT_SCOPE)
endfunction()

function(read_bytes path out_var)
  set(hex "")
  if(EXISTS "${path}")
    file(READ "${path}" hex HEX)
    string(REGEX REPLACE "(..)" "\\1 " hex "${hex}")
  endif()
  set(${out_var} "${hex}" PARENT_SCOPE)
endfunction()

# For the failure report: the text, with carriage returns shown as \r.
function(read_readable path out_var)
  set(content "")
  if(EXISTS "${path}")
    file(READ "${path}" hex HEX)
    string(REGEX REPLACE "(..)" "\\1 " hex "${hex}")
    string(REPLACE "0d " "5c 72 " hex "${hex}")
    string(REPLACE " " "" hex "${hex}")
    string(LENGTH "${hex}" length)
    set(at 0)
    while(at LESS length)
      string(SUBSTRING "${hex}" ${at} 2 byte)
      math(EXPR code "0x${byte}")
      if(code EQUAL 10)
        string(APPEND content "\n")
      elseif(code LESS 128)
        string(ASCII ${code} character)
        string(APPEND content "${character}")
      else()
        string(APPEND content "<${byte}>")
      endif()
      math(EXPR at "${at} + 2")
    endwhile()
  endif()
  set(${out_var} "${content}" PARENT_SCOPE)
endfunction()

# Replaces handles and times in spaced hex (see above). Upper-case hexadecimal digits are first
# marked by "_" instead of the blank after them, so that a handle is a run of marked bytes with
# an unmarked byte (or the start or end) on either side. Each match takes the byte after it, so
# the replacement runs twice for handles one byte apart.
function(normalise_handles_and_times hex_var)
  set(handle_digits 8)
  set(after 1) # the group of the byte after a handle
  if(WIDE_HANDLES)
    set(handle_digits 16)
    set(after 2)
  endif()
  string(REPEAT "[34][0-9a-f]_" ${handle_digits} handle)
  if(WIDE_HANDLES)
    # Only an address above 4 GiB counts as a handle: one with an empty upper half would pass
    # where a handle cut to 32 bits had been printed, so it is left to fail the comparison.
    set(forms "")
    foreach(zeros RANGE 7)
      string(REPEAT "30_" ${zeros} leading)
      math(EXPR rest "15 - ${zeros}")
      string(REPEAT "[34][0-9a-f]_" ${rest} trailing)
      list(APPEND forms "${leading}3[1-9]_${trailing}" "${leading}4[1-6]_${trailing}")
    endforeach()
    list(JOIN forms "|" handle)
    set(handle "(${handle})")
  endif()
  spaced_hex_of_text("%HANDLE%" handle_hex)
  set(hex "0a ${${hex_var}}0a ")
  string(REGEX REPLACE "(3[0-9]|4[1-6]) " "\\1_" hex "${hex}")
  foreach(pass 1 2)
    string(REGEX REPLACE " ${handle}([0-9a-f][0-9a-f] )" " ${handle_hex}\\${after}" hex "${hex}")
  endforeach()
  string(REPLACE "_" " " hex "${hex}")
  string(REPEAT "3[0-9] " 2 two)
  set(time "${two}${two}2d ${two}2d ${two}20 ${two}3a ${two}3a ${two}")
  spaced_hex_of_text("%TIME%" time_hex)
  string(REGEX REPLACE "${time}" "${time_hex}" hex "${hex}")
  string(REGEX REPLACE "^0a (.*)0a $" "\\1" hex "${hex}")
  set(${hex_var} "${hex}" PARENT_SCOPE)
endfunction()

set(prints_handles FALSE)
if(EXISTS "${SCRIPT}")
  file(STRINGS "${SCRIPT}" handle_lines REGEX "^rem handles")
  if(handle_lines)
    set(prints_handles TRUE)
  endif()
endif()

spaced_hex_of_text("%SCRIPTDIR%" placeholder_hex)
set(failures "")
foreach(stream out err)
  set(actual_path "${actual_base}.std${stream}")
  set(expected_path "${script_dir}/${script_name}.${stream}")
  set(platform_from_x86 FALSE)
  if(WIDE_HANDLES AND EXISTS "${script_dir}/${script_name}.x64.${stream}")
    set(expected_path "${script_dir}/${script_name}.x64.${stream}")
  elseif(WIDE_HANDLES)
    set(platform_from_x86 TRUE)
  endif()
  read_bytes("${actual_path}" actual)
  foreach(form IN LISTS script_dir_forms)
    spaced_hex_of_text("${form}" form_hex)
    string(REPLACE "${form_hex}" "${placeholder_hex}" actual "${actual}")
  endforeach()
  # The one place where the two builds differ in what scripts print: the path separator right
  # after the script directory ("%SCRIPTDIR%\x.btm" on Windows reads "%SCRIPTDIR%/x.btm").
  spaced_hex_of_text("%SCRIPTDIR%\\" placeholder_backslash_hex)
  spaced_hex_of_text("%SCRIPTDIR%/" placeholder_slash_hex)
  string(REPLACE "${placeholder_backslash_hex}" "${placeholder_slash_hex}" actual "${actual}")
  if(prints_handles)
    normalise_handles_and_times(actual)
  endif()
  read_bytes("${expected_path}" expected)
  if(platform_from_x86)
    spaced_hex_of_text(" 0.66.4.0 (x86)" x86_version_hex)
    spaced_hex_of_text(" 0.66.4.0 (x64)" x64_version_hex)
    string(REPLACE "${x86_version_hex}" "${x64_version_hex}" expected "${expected}")
  endif()
  if(NOT actual STREQUAL expected)
    read_readable("${expected_path}" expected_text)
    read_readable("${actual_path}" actual_text)
    string(APPEND failures
           "--- standard ${stream}: expected (${expected_path}) ---\n${expected_text}\n"
           "--- standard ${stream}: actual (before %SCRIPTDIR% replaces ${script_dir}) ---\n"
           "${actual_text}\n")
  endif()
endforeach()

# Exit statuses compare in their low eight bits, which is what every platform keeps.
set(expected_rc 0)
if(EXISTS "${script_dir}/${script_name}.rc")
  file(READ "${script_dir}/${script_name}.rc" expected_rc)
  string(STRIP "${expected_rc}" expected_rc)
endif()
if(NOT actual_rc MATCHES "^-?[0-9]+$")
  string(APPEND failures "--- exit status: expected ${expected_rc}, actual \"${actual_rc}\" ---\n")
else()
  math(EXPR expected_low "(${expected_rc}) & 255")
  math(EXPR actual_low "(${actual_rc}) & 255")
  if(NOT expected_low EQUAL actual_low)
    string(APPEND failures "--- exit status: expected ${expected_rc}, actual ${actual_rc} ---\n")
  endif()
endif()

if(NOT failures STREQUAL "")
  message(FATAL_ERROR "script test ${script_name} failed\n${failures}")
endif()
