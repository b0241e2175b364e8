#!/usr/bin/env bash
# The script tests of a Windows build, run and judged by its plughost.exe (--check), under Wine
# or on Windows itself (Git Bash), where only the scripts named below may be skipped; then the
# same runner must fail doctored transcripts; a sparse file above 4 GiB is read, digested and
# patched in parts; random files and parts of them are digested as Python's hashlib and zlib
# digest them; sizes, differences, floating-point values and base64 of random data agree with
# Python; and for an x64 build, where the plug-in's blocks lie with and without the room below
# 4 GiB taken away.
#
#   bash tests/windows/check_suite.sh LAUNCHER BUILD_DIRECTORY
#
# LAUNCHER: "$WINE" under Wine (scripts/wine-target.sh), empty on Windows. BUILD_DIRECTORY holds
# plughost.exe, TakeCmd.dll and Korvanite-x86.dll or Korvanite-x64.dll. The scripts run in
# BUILD_DIRECTORY/check (made afresh), where the files they make land. Ends with the line
# "check_suite: N passed, M failed" (the scripts that passed, and the checks around them) and
# a nonzero status when anything failed.
set -u
launcher=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$2" && pwd) || exit 1
work=$build/check
rm -rf "$work" && mkdir -p "$work" || exit 1
passed=0
failed=0
fail() {
    echo "FAILED: $*"
    failed=$((failed + 1))
}

# A folder as the Windows program is given it: under Wine on the drive Z:, on Windows as
# cygpath writes it (D:\a\repo\tests\scripts).
windows_path() {
    if [ -n "$launcher" ]; then echo "Z:$(sed 's#/#\\#g' <<<"$1")"; else cygpath -w "$1"; fi
}

# The scripts that may be skipped (their "rem needs" names what a machine may lack), by
# platform: under Wine none, since its clipboard works; on Windows the clipboard's, since a
# runner's session may have no clipboard. Any other skip fails, as do more skips than named.
if [ -n "$launcher" ]; then may_skip=(); else may_skip=(content_clipboard); fi

echo "== plughost.exe --check tests/scripts"
started=$(date +%s)
(cd "$work" && exec $launcher "$build/plughost.exe" --check "$(windows_path "$root/tests/scripts")" \
    </dev/null >suite.log 2>&1)
status=$?
tr -d '\r' <"$work/suite.log"
summary=$(tr -d '\r' <"$work/suite.log" | tail -n 1)
echo "(status $status, $(($(date +%s) - started)) s)"
if [ "$status" -eq 0 ] && [[ $summary =~ ^([0-9]+)\ passed,\ 0\ failed(,\ ([0-9]+)\ skipped)?$ ]]; then
    passed=$((passed + BASH_REMATCH[1]))
    skips=${BASH_REMATCH[3]:-0}
    skipped=($(tr -d '\r' <"$work/suite.log" | sed -nE 's#^skipped (.*[\\/])?([^\\/]+)\.btm: .*#\2#p'))
    if ((skips > ${#may_skip[@]})); then
        fail "$skips skipped, more than the ${#may_skip[@]} that may be (${may_skip[*]:-none})"
    elif ((skips != ${#skipped[@]})); then
        fail "$skips skipped, but ${#skipped[@]} named as skipped"
    fi
    for name in "${skipped[@]}"; do
        [[ " ${may_skip[*]} " == *" $name "* ]] || fail "$name.btm was skipped, which may not be here"
    done
else
    fail "the script tests"
fi

echo "== doctored transcripts"
if bash "$root/tests/doctored_transcripts.sh" "$launcher" "$build/plughost.exe" "$work/doctored"; then
    passed=$((passed + 1))
else
    fail "doctored transcripts did not fail the runner as they must"
fi

echo "== a file above 4 GiB"
if bash "$root/tests/large_file.sh" "$launcher" "$build/plughost.exe" "$work/large-file"; then
    passed=$((passed + 1))
else
    fail "a file above 4 GiB was not read and patched as it must be"
fi

# agree SCRIPT COUNT WHAT: SCRIPT of tests/ holds COUNT random cases of the build to Python.
python=$(command -v python3 || command -v python)
agree() {
    if [ -z "$python" ]; then
        fail "no Python to hold the $3 to"
    elif (
        # Python on Windows takes Windows paths; under Wine it runs here and Wine takes these.
        program=$build/plughost.exe cases=$work/${1%.py}
        [ -n "$launcher" ] || { program=$(cygpath -w "$program") && cases=$(cygpath -w "$cases"); }
        "$python" "$root/tests/$1" "$launcher" "$program" "$cases" "$2"
    ); then
        passed=$((passed + 1))
    else
        fail "the $3 differ from Python's"
    fi
}
echo "== digests of files against Python"
agree digest_agreement.py 150 "digests of files"
echo "== values against Python"
agree value_agreement.py 300 "sizes, differences and floating-point values"
echo "== base64 against Python"
agree base64_agreement.py 300 "base64 texts and bytes"

# The x64 plug-in's blocks: where plughost.exe puts them for the tests (above 4 GiB), and where
# the system's heap gives them when plughost.exe leaves the room below 4 GiB as it is.
if [ -f "$build/Korvanite-x64.dll" ]; then
    echo "== x64 heap addresses"
    for keep in no yes; do
        settings=(noloadmsg=1)
        [ $keep = no ] || settings+=(PLUGHOST_KEEP_LOW_HEAP=1)
        (cd "$work" && exec env "${settings[@]}" $launcher "$build/plughost.exe" \
            -c 'echo %@balloc[64]' </dev/null >heap.log 2>&1)
        handle=$(tr -d '\r' <"$work/heap.log" | tail -n 1)
        what="with the room below 4 GiB taken away (as the tests run)"
        [ $keep = no ] || what="as the heap gives them (PLUGHOST_KEEP_LOW_HEAP=1)"
        if [[ ! $handle =~ ^[0-9A-F]{16}$ ]]; then
            fail "no buffer handle from plughost.exe: $(cat "$work/heap.log")"
        elif [ "${handle:0:8}" = 00000000 ]; then
            echo "x64 plug-in addresses $what: $handle, below 4 GiB"
        else
            echo "x64 plug-in addresses $what: $handle, above 4 GiB"
        fi
    done
fi

echo "check_suite: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
