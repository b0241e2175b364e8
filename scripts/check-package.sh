#!/usr/bin/env bash
# Checks the release that scripts/package.sh left in build/package before anything publishes it:
# the zip holds exactly the files a user installs, each matching the SHA256SUMS inside it, the
# texts with Windows line ends; its DLLs themselves pass tests/windows/check_dll.sh; the symbols
# zip holds the debug information of every DLL in the zip; build/package/SHA256SUMS names both
# zips with their checksums, with Windows line ends too. Given a tag (v0.66.4), also that it names this version.
#
#   scripts/check-package.sh [--zips-only] [TAG]
#
# --zips-only leaves out the DLLs' own checks, which need the Windows binutils: the release job,
# which has none, checks with it that the zips it downloaded are the ones whose SHA256SUMS the
# Linux job's whole check passed.
#
# Prints one line per failed check and ends with "package: N passed, M failed".
set -uo pipefail
cd "$(dirname "$0")/.."
version=$(sed -nE 's/^project\(Korvanite VERSION ([0-9]+\.[0-9]+\.[0-9]+).*/\1/p' CMakeLists.txt)
package=build/package
zip=$package/Korvanite-$version.zip
symbols=$package/Korvanite-$version-symbols.zip
dll_checks=1
if [ "${1:-}" = --zips-only ]; then
    dll_checks=0
    shift
fi
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
LICENSE
SHA256SUMS"
check "$zip holds exactly: $(tr '\n' ' ' <<<"$expected")" test "$(entries "$zip")" = "$expected"
check "$symbols holds the .debug file of each DLL" \
    test "$(entries "$symbols")" = "$(printf '%s.debug\n' $(grep '\.dll$' <<<"$expected"))"

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
if unzip -q "$zip" -d "$unpacked" 2>/dev/null; then
    check "the zip's SHA256SUMS matches its files" \
        bash -c "cd '$unpacked' && sha256sum --strict -c SHA256SUMS"
    for text in INSTALL.txt LICENSE SHA256SUMS; do
        check "$text in the zip has Windows line ends" \
            bash -c "test -s '$unpacked/$text' && ! grep -q \$'[^\\r]\$' '$unpacked/$text'"
    done
    check "INSTALL.txt in the zip has its version and Features filled in" \
        bash -c "! grep -q '@VERSION@\\|@FEATURES@' '$unpacked/INSTALL.txt' &&
                 grep -q '^    @BALLOC\\[size\\] ' '$unpacked/INSTALL.txt'"
    check "LICENSE in the zip is the repository's" \
        bash -c "diff <(tr -d '\\r' <'$unpacked/LICENSE') LICENSE"
    # The DLLs as they ship, beside their debug information from the symbols zip: exports,
    # imports, version resource (this version, author and licence), form and help file.
    if [ "$dll_checks" = 1 ] && unzip -q "$symbols" -d "$unpacked" 2>/dev/null; then
        for dll in $(grep '\.dll$' <<<"$expected"); do
            target=${dll#Korvanite-}
            target=${target%.dll}
            if bash tests/windows/check_dll.sh "$target" "$unpacked" >"$unpacked/$target.log" 2>&1
            then passed=$((passed + 1)); else
                sed 's/^/package: /' "$unpacked/$target.log"
                echo "package: FAILED: the zip's $dll passes tests/windows/check_dll.sh"
                failed=$((failed + 1))
            fi
        done
    fi
fi
check "$package/SHA256SUMS matches both zips, with Windows line ends" \
    bash -c "cd '$package' && sha256sum --strict -c SHA256SUMS &&
             test \"\$(cut -c67- SHA256SUMS | tr -d '\\r')\" = \"$(basename "$zip")
$(basename "$symbols")\" && ! grep -q \$'[^\\r]\$' SHA256SUMS"

echo "package: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
