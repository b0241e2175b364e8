#!/usr/bin/env bash
# Builds every configuration and runs every test: the native unit and script tests, the same
# under AddressSanitizer and UndefinedBehaviorSanitizer, and the Windows cross build.
set -uo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh || exit 1

passed=0
failed=0
log=$(mktemp)
trap 'rm -f "$log"' EXIT

# Adds the counts of ctest's closing line ("N% tests passed, F tests failed out of T").
count_ctest() {
    local line total bad
    line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1)
    if [ -z "$line" ]; then
        failed=$((failed + 1))
        return
    fi
    bad=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$line")
    total=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2/' <<<"$line")
    passed=$((passed + total - bad))
    failed=$((failed + bad))
}

for preset in native native-asan; do
    echo "== $preset: build"
    if ! { cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset"; }; then
        echo "== $preset: build failed"
        failed=$((failed + 1))
        continue
    fi
    echo "== $preset: test"
    ctest --preset "$preset" 2>&1 | tee "$log"
    count_ctest
done

echo "== mingw-x86: build"
if cmake --preset mingw-x86 >/dev/null && cmake --build --preset mingw-x86; then
    for binary in Korvanite-x86.dll TakeCmd.dll plughost.exe; do
        if [ -f "build/mingw-x86/$binary" ]; then
            passed=$((passed + 1))
        else
            echo "missing build/mingw-x86/$binary"
            failed=$((failed + 1))
        fi
    done
else
    echo "== mingw-x86: build failed"
    failed=$((failed + 1))
fi

echo "all: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
