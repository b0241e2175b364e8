#!/bin/sh
# The help launcher through the real Windows calls (SearchPathW, CreateProcessW,
# TerminateProcess), under Wine or on Windows itself (Git Bash): plughost.exe loads the DLL from a
# folder that holds Korvanite.chm and a stand-in hh.exe (the application's folder comes first on
# the search path), and asks for help on two features. Each viewer writes its command line; the
# second request ends the first viewer, and the plug-in's unload ends the second.
#
#   sh help_viewer.sh LAUNCHER BUILD_DIRECTORY DLL_NAME SECONDS
#
# LAUNCHER: "$WINE" under Wine, empty on Windows. SECONDS bounds each wait (a process start under
# emulation takes a second under qemu 10, a minute under older ones).
set -u
launcher=$1
build=$2
dll=$3
limit=$4
work=$build/help-test
rm -rf "$work" && mkdir -p "$work" || exit 1
cp "$build/plughost.exe" "$build/TakeCmd.dll" "$build/$dll" "$build/Korvanite.chm" \
    "$build/viewer/hh.exe" "$work/" || exit 1

# The stand-in viewers that run: under Wine found by their command line, on Windows by name
# (tasklist and taskkill take their options with "/", which Git Bash must pass as they are).
viewers() {
    if [ -n "$launcher" ]; then
        pgrep -fc 'help-test.hh\.exe'
    else
        # A tasklist that fails fails the check: it must not count as no viewer running.
        if ! list=$(MSYS_NO_PATHCONV=1 tasklist /FI "IMAGENAME eq hh.exe" /NH 2>&1); then
            echo "tasklist failed: $list" >"$work/tasklist-failed"
            echo unknown
            return 1
        fi
        printf '%s\n' "$list" | grep -ci '^hh\.exe'
    fi
}
end_viewers() {
    if [ -n "$launcher" ]; then
        pkill -f 'help-test.hh\.exe' 2>/dev/null
    else
        MSYS_NO_PATHCONV=1 taskkill /F /IM hh.exe >/dev/null 2>&1
    fi
}
# The work folder as Windows names it.
if [ -n "$launcher" ]; then
    folder="Z:$(cd "$work" && pwd | sed 's#/#\\#g')"
else
    folder=$(cygpath -w "$(cd "$work" && pwd)")
fi

fail() {
    echo "help viewer: $*"
    cat "$work/err" 2>/dev/null
    end_viewers
    exit 1
}
# Waits until the shell condition holds; false, with the message in the file failure, after
# SECONDS.
wait_until() {
    started=$(date +%s)
    until eval "$1" 2>/dev/null; do
        if [ -f "$work/tasklist-failed" ]; then
            cat "$work/tasklist-failed" >"$work/failure"
            return 1
        fi
        if [ $(($(date +%s) - started)) -ge "$limit" ]; then
            echo "$2" >"$work/failure"
            return 1
        fi
        sleep 0.2
    done
}
records() { ls "$work" | grep -c '^viewer-.*\.txt$'; }

# The host's input, each request once the viewer of the one before has started.
requests() {
    echo 'help @BLOAD'
    echo 'echo result %_?'
    wait_until '[ "$(records)" -ge 1 ]' "no viewer was started for @BLOAD" || return
    echo 'help bbdump'
    echo 'echo result %_?'
    wait_until '[ "$(records)" -ge 2 ]' "no viewer was started for BBDUMP" || return
    wait_until '[ "$(viewers)" -le 1 ]' "the first viewer still runs after the second started"
}

if [ -n "$launcher" ]; then
    # Wine programs get files, never a pipe: the input comes through a named one.
    mkfifo "$work/input"
    (cd "$work" && exec env -u KorvaniteHelp -u PluginHelp "$launcher" plughost.exe <input >out 2>err) &
    host=$!
    requests >"$work/input"
    wait $host
    status=$?
else
    requests | (cd "$work" && exec env -u KorvaniteHelp -u PluginHelp ./plughost.exe >out 2>err)
    status=$?
fi
[ ! -f "$work/failure" ] || fail "$(cat "$work/failure")"
[ "$status" -eq 0 ] || fail "plughost.exe ended with $status"
wait_until '[ "$(viewers)" -eq 0 ]' "the viewer still runs after the plug-in was unloaded" ||
    fail "$(cat "$work/failure")"

# Each viewer was given the help file beside the DLL, with the topic of its feature. Windows
# names folders in any case.
case_rule=""
[ -n "$launcher" ] || case_rule=-i
for topic in f_bload bbdump; do
    expected="\"$folder\\hh.exe\" \"$folder\\Korvanite.chm::/$topic.html\""
    grep -qxF $case_rule "$expected" "$work"/viewer-*.txt ||
        fail "no viewer was given $expected; they were given: $(cat "$work"/viewer-*.txt)"
done
[ "$(grep -c '^result 1' "$work/out")" -eq 2 ] || fail "help gave: $(cat "$work/out")"
echo "help viewer: passed"
