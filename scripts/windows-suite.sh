#!/usr/bin/env bash
# Runs the script tests against the real product: Korvanite-x86.dll with TakeCmd.dll and
# plughost.exe from the mingw-x86 preset, under Wine. Every Wine process costs about a minute
# of emulation to start, so all scripts run inside one plughost.exe (its --suite mode) in one
# Wine prefix that is kept in build/wine-prefix; the results are then compared with the same
# expected transcripts as the native tests. Also checks the DLL's export table, imports and
# version resource.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
started=$(date +%s)
scripts/setup-wine.sh || exit 1
echo "Wine set-up checked in $(($(date +%s) - started)) s"

echo "== mingw-x86: build"
started=$(date +%s)
cmake --preset mingw-x86 >/dev/null && cmake --build --preset mingw-x86 || exit 1
echo "mingw-x86 built in $(($(date +%s) - started)) s"

passed=0
failed=0
pass() { passed=$((passed + 1)); }
fail() { echo "FAILED: $*"; failed=$((failed + 1)); }

echo "== mingw-x86: the DLL's interface"
dll=build/mingw-x86/Korvanite-x86.dll
objdump=i686-w64-mingw32-objdump
exports=$($objdump -p "$dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
          sed -nE 's/^\s*\[ *[0-9]+\] (.*)$/\1/p' | sort)
expected_exports=$(grep -v '^#' tests/windows/exports.txt | sort)
if [ "$exports" = "$expected_exports" ]; then pass; else
    fail "export table differs from tests/windows/exports.txt:"
    diff <(echo "$expected_exports") <(echo "$exports")
fi
imports=$($objdump -p "$dll" | sed -nE 's/^\s*DLL Name: (.*)$/\1/p' | tr 'a-z' 'A-Z' | sort -u)
unexpected=$(grep -vxE 'KERNEL32.DLL|USER32.DLL|ADVAPI32.DLL|MSVCRT.DLL|TAKECMD.DLL' <<<"$imports")
if [ -z "$unexpected" ]; then pass; else fail "imports beyond system DLLs and TakeCmd.dll: $unexpected"; fi
version_strings=$(strings -el "$dll")
for field in "Korvanite plugin for Take Command" "0.66.4.0" "Korvanite" "Korvanite-x86.dll" \
             "Korvanite plugin" "0.66.4.0  (x86)" "Build"; do
    if grep -qxF "$field" <<<"$version_strings"; then pass; else fail "version resource lacks \"$field\""; fi
done

echo "== mingw-x86: script suite under Wine"
export WINEPREFIX=$root/build/wine-prefix WINEDEBUG=-all QEMU_RESERVED_VA=0xf7000000
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree,mshtml="
# A 64-bit Wine server makes 32-bit programs hang: use the 32-bit one when both are there.
if [ -x /usr/lib/wine/wineserver32 ]; then export WINESERVER=/usr/lib/wine/wineserver32; fi

# A new prefix is made once and kept. Its set-up runs in the background of the first program,
# which gives up when the set-up takes as long as it does under emulation, so it is made here,
# and waited for, before anything else runs in it.
if [ ! -f "$WINEPREFIX/.ready" ]; then
    rm -rf "$WINEPREFIX"
    started=$(date +%s)
    timeout 2400 wine wineboot --init >/dev/null 2>&1
    timeout 2400 wineserver -w
    if [ -f "$WINEPREFIX/drive_c/windows/system32/kernel32.dll" ]; then
        touch "$WINEPREFIX/.ready"
        echo "wine prefix made in $(($(date +%s) - started)) s"
    else
        fail "the Wine prefix could not be made"
    fi
fi

suite=$root/build/mingw-x86/suite
rm -rf "$suite" && mkdir -p "$suite/results"
winpath() { echo "Z:$(sed 's#/#\\#g' <<<"$1")"; }
for script in tests/scripts/*.btm; do winpath "$root/$script"; done >"$suite/list.txt"
started=$(date +%s)
(cd "$suite" && timeout 3000 wine "$root/build/mingw-x86/plughost.exe" --suite \
    "$(winpath "$suite/list.txt")" "$(winpath "$suite/results")" >"$suite/suite.log" 2>&1)
echo "wine plughost.exe --suite: status $?, $(($(date +%s) - started)) s"
for script in tests/scripts/*.btm; do
    if cmake -DSCRIPT="$root/$script" -DRESULTS="$suite/results" -P tests/run_script_test.cmake \
        >"$suite/compare.log" 2>&1; then
        pass
    else
        fail "$script"
        cat "$suite/compare.log"
    fi
done
wineserver -k 2>/dev/null || true

echo "windows: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
