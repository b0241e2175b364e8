#!/bin/sh
# The help launcher under Wine, through the real Windows calls (SearchPathW, CreateProcessW,
# TerminateProcess): plughost.exe loads the DLL from a folder that holds Korvanite.chm and a
# stand-in hh.exe (the application's folder comes first on the search path), and asks for help
# on two features. Each viewer writes its command line; the second request ends the first
# viewer, and the plug-in's unload ends the second.
#
#   sh help_viewer.sh WINE BUILD_DIRECTORY DLL_NAME SECONDS
#
# SECONDS bounds each wait (a process start under emulation takes a second under qemu 10, a minute
# under older ones).
set -u
wine=$1
build=$2
dll=$3
limit=$4
work=$build/help-test
rm -rf "$work" && mkdir -p "$work" || exit 1
cp "$build/plughost.exe" "$build/TakeCmd.dll" "$build/$dll" "$build/Korvanite.chm" \
    "$build/viewer/hh.exe" "$work/" || exit 1
fail() {
    echo "help viewer: $*"
    cat "$work/err" 2>/dev/null
    pkill -f 'help-test.hh\.exe' 2>/dev/null
    exit 1
}
# Waits until the shell condition holds; fails with the message after SECONDS.
wait_until() {
    started=$(date +%s)
    until eval "$1"; do
        [ $(($(date +%s) - started)) -lt "$limit" ] || fail "$2"
        sleep 0.2
    done
}
records() { ls "$work" | grep -c '^viewer-.*\.txt$'; }
viewers() { pgrep -fc 'help-test.hh\.exe'; }

mkfifo "$work/input"
(cd "$work" && exec env -u KorvaniteHelp -u PluginHelp "$wine" plughost.exe <input >out 2>err) &
host=$!
exec 3>"$work/input"
echo 'help @BLOAD' >&3
echo 'echo result %_?' >&3
wait_until '[ "$(records)" -ge 1 ]' "no viewer was started for @BLOAD"
echo 'help bbdump' >&3
echo 'echo result %_?' >&3
wait_until '[ "$(records)" -ge 2 ]' "no viewer was started for BBDUMP"
wait_until '[ "$(viewers)" -le 1 ]' "the first viewer still runs after the second started"
exec 3>&-
wait $host || fail "plughost.exe ended with $?"
wait_until '[ "$(viewers)" -eq 0 ]' "the viewer still runs after the plug-in was unloaded"

# Each viewer was given the help file beside the DLL, with the topic of its feature.
folder="Z:$(echo "$(cd "$work" && pwd)" | sed 's#/#\\#g')"
for topic in f_bload bbdump; do
    expected="\"$folder\\hh.exe\" \"$folder\\Korvanite.chm::/$topic.html\""
    grep -qxF "$expected" "$work"/viewer-*.txt ||
        fail "no viewer was given $expected; they were given: $(cat "$work"/viewer-*.txt)"
done
[ "$(grep -c '^result 1' "$work/out")" -eq 2 ] || fail "help gave: $(cat "$work/out")"
echo "help viewer: passed"
