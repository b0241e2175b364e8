#!/usr/bin/env bash
# Checks the release that scripts/package.sh left in build/package before anything publishes it:
# the zip holds exactly the files a user installs, each matching the SHA256SUMS inside it; the
# symbols zip holds the debug information of every DLL in the zip; build/package/SHA256SUMS
# names both zips with their checksums. Given a tag (v0.66.4), also that it names this version.
#
#   scripts/check-package.sh [TAG]
#
# Prints one line per failed check and ends with "package: N passed, M failed".
set -uo pipefail
cd "$(dirname "$0")/.."
version=$(sed -nE 's/^project\(Korvanite VERSION ([0-9]+\.[0-9]+\.[0-9]+).*/\1/p' CMakeLists.txt)
package=build/package
zip=$package/Korvanite-$version.zip
symbols=$package/Korvanite-$version-symbols.zip
passed=0
failed=0
check() {
    local what=$1
    shift
    if "$@" >/dev/null 2>&1; then passed=$((passed + 1)); else
        echo "package: FAILED: $what"
        failed=$((failed + 1))
    fi
}
# The names in a zip, one a line, in the zip's order.
entries() { unzip -Z1 "$1" 2>/dev/null; }

if [ $# -gt 0 ]; then
    check "tag \"$1\" names version $version" test "$1" = "v$version"
fi
check "$zip exists" test -f "$zip"
check "$symbols exists" test -f "$symbols"

expected="Korvanite-x64.dll
Korvanite-x86.dll
Korvanite.chm
INSTALL.txt
SHA256SUMS"
check "$zip holds exactly: $(tr '\n' ' ' <<<"$expected")" test "$(entries "$zip")" = "$expected"
check "$symbols holds the .debug file of each DLL" \
    test "$(entries "$symbols")" = "$(printf '%s.debug\n' $(grep '\.dll$' <<<"$expected"))"

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
if unzip -q "$zip" -d "$unpacked" 2>/dev/null; then
    check "the zip's SHA256SUMS matches its files" \
        bash -c "cd '$unpacked' && sha256sum --strict -c SHA256SUMS"
    check "INSTALL.txt has Windows line ends" \
        bash -c "! grep -q \$'[^\\r]\$' '$unpacked/INSTALL.txt'"
fi
check "$package/SHA256SUMS matches both zips" \
    bash -c "cd '$package' && sha256sum --strict -c SHA256SUMS &&
             test \"\$(cut -c67- SHA256SUMS)\" = \"$(basename "$zip")
$(basename "$symbols")\""

echo "package: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
