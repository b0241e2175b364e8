#!/usr/bin/env bash
# Tests the real products under Wine: for each Windows target (x86: Korvanite-x86.dll under
# 32-bit Wine; x64: Korvanite-x64.dll under 64-bit Wine, when its preset exists) it builds the
# preset, checks the DLL's export table, imports and version resource and the help file, runs
# every script test inside one plughost.exe (its --suite mode) and compares the results with the
# expected transcripts, and tries the help launcher with a stand-in viewer.
#
#   scripts/windows-suite.sh [x86|x64]...    (default: every target there is a preset for)
#
# Both run in one 64-bit Wine prefix (scripts/wine-target.sh), the x86 products as 32-bit
# programs beside 64-bit services, as on 64-bit Windows. 32-bit programs run under qemu's
# user-mode emulator here (a second per process start under qemu 10, a minute under 7.2); 64-bit
# Wine runs at native speed.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
started=$(date +%s)
scripts/setup.sh && scripts/setup-wine.sh || exit 1
echo "Wine set-up checked in $(($(date +%s) - started)) s"

targets=("$@")
if ((${#targets[@]} == 0)); then
    for target in x86 x64; do
        cmake --list-presets 2>/dev/null | grep -q "\"mingw-$target\"" && targets+=("$target")
    done
fi
passed=0
failed=0
pass() { passed=$((passed + 1)); }
fail() { echo "FAILED: $*"; failed=$((failed + 1)); }

# The export table, imports and version resource of a product DLL, and its help file.
check_interface() {
    local target=$1 build=$2 dll=$3 objdump=$4 exports expected imports unexpected field
    exports=$($objdump -p "$build/$dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
              sed -nE 's/^\s*\[ *[0-9]+\] (.*)$/\1/p' | sort)
    local list=tests/windows/exports.txt
    [ "$target" = x86 ] || list=tests/windows/exports-$target.txt
    expected=$(grep -v '^#' "$list" | sort)
    if [ "$exports" = "$expected" ]; then pass; else
        fail "$dll: export table differs from $list:"
        diff <(echo "$expected") <(echo "$exports")
    fi
    imports=$($objdump -p "$build/$dll" | sed -nE 's/^\s*DLL Name: (.*)$/\1/p' | tr 'a-z' 'A-Z' | sort -u)
    unexpected=$(grep -vxE 'KERNEL32.DLL|USER32.DLL|ADVAPI32.DLL|MSVCRT.DLL|TAKECMD.DLL' <<<"$imports")
    if [ -z "$unexpected" ]; then pass; else fail "$dll: imports beyond system DLLs and TakeCmd.dll: $unexpected"; fi
    local version_strings
    version_strings=$(strings -el "$build/$dll")
    for field in "Korvanite plugin for Take Command" "0.66.4.0" "Korvanite" "$dll" \
                 "Korvanite plugin" "0.66.4.0  ($target)" "Build"; do
        if grep -qxF "$field" <<<"$version_strings"; then pass; else fail "$dll: version resource lacks \"$field\""; fi
    done
    if bash tests/windows/check_release_dll.sh "$build/$dll" "$root"; then pass; else
        fail "$dll is not in the form that ships"; fi
    if sh tests/windows/check_chm.sh "$build/Korvanite.chm" src/resources/help; then pass; else
        fail "$build/Korvanite.chm lacks what its project names"
    fi
}

winpath() { echo "Z:$(sed 's#/#\\#g' <<<"$1")"; }

# Whatever happens, nothing of the suite's Wine is left running: each target's processes are
# ended when it is done, and all of them when the suite ends early (interrupted, or a step gone
# wrong).
. scripts/wine-target.sh
wine_used=no
trap '[ $wine_used = no ] || wine_stop >/dev/null' EXIT
trap 'exit 130' INT TERM HUP

run_target() {
    local target=$1 preset=mingw-$1 build=$root/build/mingw-$1 dll=Korvanite-$1.dll
    # wide: the target's handles are 64-bit addresses, compared with the x64 transcripts.
    local objdump limit wide
    case $target in
        x86) limit=900 objdump=i686-w64-mingw32-objdump wide=OFF ;;
        x64) limit=120 objdump=x86_64-w64-mingw32-objdump wide=ON ;;
    esac

    echo "== $preset: build"
    started=$(date +%s)
    if ! { cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset"; }; then
        fail "$preset does not build"
        return
    fi
    echo "$preset built in $(($(date +%s) - started)) s"

    echo "== $preset: the DLL's interface and help file"
    check_interface "$target" "$build" "$dll" "$objdump"

    echo "== $preset: script suite under Wine"
    wine_target "$target"
    wine_used=yes
    if ! wine_start; then
        fail "Wine for $target could not be started"
        wine_stop
        return
    fi

    local suite=$build/suite
    rm -rf "$suite" && mkdir -p "$suite/results"
    for script in tests/scripts/*.btm; do winpath "$root/$script"; done >"$suite/list.txt"
    started=$(date +%s)
    (cd "$suite" && timeout 3000 "$WINE" "$build/plughost.exe" --suite \
        "$(winpath "$suite/list.txt")" "$(winpath "$suite/results")" </dev/null >"$suite/suite.log" 2>&1)
    echo "wine plughost.exe --suite ($target): status $?, $(($(date +%s) - started)) s"
    for script in tests/scripts/*.btm; do
        if cmake -DSCRIPT="$root/$script" -DRESULTS="$suite/results" -DWIDE_HANDLES="$wide" \
            -P tests/run_script_test.cmake >"$suite/compare.log" 2>&1; then
            pass
        else
            fail "$script ($target)"
            cat "$suite/compare.log"
        fi
    done

    # Keys, colours and Ctrl-C in a terminal: a tmux pane gives the program a console.
    echo "== $preset: keys, colours and Ctrl-C in a terminal"
    started=$(date +%s)
    if bash tests/terminal/console_in_tmux.sh "$WINE" "$build/plughost.exe" \
        </dev/null >"$suite/terminal.log" 2>&1; then pass; else
        fail "terminal test ($target)"
        cat "$suite/terminal.log"
    fi
    echo "terminal test ($target): $(($(date +%s) - started)) s"

    echo "== $preset: help through the Windows calls"
    started=$(date +%s)
    if sh tests/windows/help_viewer.sh "$WINE" "$build" "$dll" "$limit"; then pass; else
        fail "help viewer ($target)"
    fi
    echo "help test ($target): $(($(date +%s) - started)) s"

    # The stage leaves nothing behind: no Wine process holds the suite's output, and once the
    # server is told to end, no Wine process of the prefix may still run.
    local holding
    holding=$(wine_holding_output)
    if [ -z "$holding" ]; then pass; else fail "Wine processes hold the suite's output: $holding"; fi
    if wine_stop; then pass; else fail "Wine processes of $target outlived its stage"; fi
}

for target in "${targets[@]}"; do run_target "$target"; done

echo "windows: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
