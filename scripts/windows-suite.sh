#!/usr/bin/env bash
# Tests the real products under Wine: for each Windows target (x86: Korvanite-x86.dll under
# 32-bit Wine; x64: Korvanite-x64.dll under 64-bit Wine, when its preset exists) it builds the
# preset, checks the DLL's export table, imports and version resource and the help file, runs
# every script test inside one plughost.exe, which judges them itself (--check), as the Windows
# CI job does (tests/windows/check_suite.sh), and tries the help launcher with a stand-in viewer.
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

# Runs a check script that ends with "NAME: N passed, M failed" into LOG, shows it and adds its
# counts: add_counts NAME LOG COMMAND...
add_counts() {
    local name=$1 log=$2 line
    shift 2
    "$@" </dev/null >"$log" 2>&1
    cat "$log"
    line=$(grep -E "^$name: [0-9]+ passed, [0-9]+ failed\$" "$log" | tail -n 1)
    if [ -z "$line" ]; then
        fail "$* did not finish"
    else
        passed=$((passed + $(sed -E 's/^[a-z_]+: ([0-9]+) passed.*/\1/' <<<"$line")))
        failed=$((failed + $(sed -E 's/.* ([0-9]+) failed$/\1/' <<<"$line")))
    fi
}

# Whatever happens, nothing of the suite's Wine is left running: each target's processes are
# ended when it is done, and all of them when the suite ends early (interrupted, or a step gone
# wrong).
. scripts/wine-target.sh
wine_used=no
trap '[ $wine_used = no ] || wine_stop >/dev/null' EXIT
trap 'exit 130' INT TERM HUP

run_target() {
    local target=$1 preset=mingw-$1 build=$root/build/mingw-$1 dll=Korvanite-$1.dll
    local limit=120
    [ "$target" = x64 ] || limit=900

    echo "== $preset: build"
    started=$(date +%s)
    if ! { cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset"; }; then
        fail "$preset does not build"
        return
    fi
    echo "$preset built in $(($(date +%s) - started)) s"

    local suite=$build/suite
    rm -rf "$suite" && mkdir -p "$suite"
    echo "== $preset: the DLL's interface and help file"
    add_counts check_dll "$suite/dll.log" bash tests/windows/check_dll.sh "$target" "$build"

    echo "== $preset: script suite under Wine"
    wine_target "$target"
    wine_used=yes
    if ! wine_start; then
        fail "Wine for $target could not be started"
        wine_stop
        return
    fi

    started=$(date +%s)
    add_counts check_suite "$suite/check.log" timeout 3000 bash tests/windows/check_suite.sh "$WINE" "$build"
    echo "check_suite.sh ($target): $(($(date +%s) - started)) s"

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
