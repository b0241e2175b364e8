#!/usr/bin/env bash
# Builds every configuration and runs every test: the native unit and script tests, the same
# under AddressSanitizer and UndefinedBehaviorSanitizer, and the Windows cross build.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

status=0
for preset in native native-asan; do
    echo "== $preset: build"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
    echo "== $preset: test"
    ctest --preset "$preset" || status=1
done

echo "== mingw-x86: build"
cmake --preset mingw-x86 >/dev/null
cmake --build --preset mingw-x86
for binary in Korvanite-x86.dll TakeCmd.dll plughost.exe; do
    [ -f "build/mingw-x86/$binary" ] || { echo "missing build/mingw-x86/$binary" >&2; status=1; }
done

exit $status
