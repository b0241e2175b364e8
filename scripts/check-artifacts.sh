#!/usr/bin/env bash
# Checks that every file the CI workflow's Windows job and release job take from the Linux job is
# there: for each Windows target, plughost.exe, TakeCmd.dll, the plug-in DLL, its help file and
# the stand-in help viewer; and the release zips with their SHA256SUMS. The upload's patterns
# would pass with any one of them missing; this does not. The test command runs it after the
# package, the workflow before the upload and after each download.
#
#   scripts/check-artifacts.sh           checks the files
#   scripts/check-artifacts.sh --list    prints their paths, one a line
#
# Ends with "artifacts: N passed, M failed".
set -uo pipefail
cd "$(dirname "$0")/.."
version=$(sed -nE 's/^project\(Korvanite VERSION ([0-9]+\.[0-9]+\.[0-9]+).*/\1/p' CMakeLists.txt)

needed() {
    local target
    for target in x64 x86; do
        printf "build/mingw-$target/%s\n" plughost.exe TakeCmd.dll "Korvanite-$target.dll" \
            Korvanite.chm viewer/hh.exe
    done
    printf 'build/package/%s\n' "Korvanite-$version.zip" "Korvanite-$version-symbols.zip" SHA256SUMS
}

if [ "${1:-}" = --list ]; then
    needed
    exit 0
fi
passed=0
failed=0
for file in $(needed); do
    if [ -s "$file" ]; then passed=$((passed + 1)); else
        echo "artifacts: FAILED: $file is missing or empty"
        failed=$((failed + 1))
    fi
done
echo "artifacts: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
