#!/usr/bin/env bash
# Makes the release a Take Command / TCC user installs: build/package/Korvanite-VERSION.zip with
# every product DLL the Windows presets build, the help file Korvanite.chm, the install guide
# INSTALL.txt, the licence LICENSE and SHA256SUMS (the texts with Windows line ends); and beside
# it Korvanite-VERSION-symbols.zip with each DLL's debug information (Korvanite-x64.dll.debug,
# ...), which the build keeps apart from the stripped DLL, for reading a crash address. Both zips are reproducible: the DLLs' Build
# field, the help file's time and every time and order in the zips come from the commit's time,
# and the build does not depend on the folder the checkout lies in. build/package/SHA256SUMS holds
# the checksums of both zips, as a release attaches them.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
scripts/setup.sh

version=$(sed -nE 's/^project\(Korvanite VERSION ([0-9]+\.[0-9]+\.[0-9]+).*/\1/p' CMakeLists.txt)
# The commit's time stands for "now" in everything the package holds; TZ=UTC so that the local
# time written into the version resource is the same everywhere.
# safe.directory: in a CI container the checkout belongs to another user than the one building.
# Without the commit's time the zips would differ from build to build: CI (which sets CI) builds
# releases and stops; a tree without git history gets the current time, and a warning.
if ! SOURCE_DATE_EPOCH=$(git -c safe.directory="$root" log -1 --format=%ct) ||
    [[ ! $SOURCE_DATE_EPOCH =~ ^[0-9]+$ ]]; then
    if [ -n "${CI:-}" ]; then
        echo "package: git gives no commit time, without which the zips are not reproducible" >&2
        exit 1
    fi
    echo "package: git gives no commit time: the zips take the current time and are not reproducible" >&2
    SOURCE_DATE_EPOCH=$(date +%s)
fi
export SOURCE_DATE_EPOCH TZ=UTC

# Every Windows product preset there is; the first also gives the help file.
presets=$(cmake --list-presets 2>/dev/null | sed -nE 's/^ *"(mingw-x[0-9]+)".*/\1/p')
[ -n "$presets" ] || { echo "package: no Windows preset" >&2; exit 1; }
stage=build/package/stage
symbols=build/package/symbols
rm -rf "$stage" "$symbols" && mkdir -p "$stage" "$symbols"
for preset in $presets; do
    echo "== package: $preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
    cp "build/$preset"/Korvanite-*.dll "$stage/"
    cp "build/$preset"/Korvanite-*.dll.debug "$symbols/"
    [ -f "$stage/Korvanite.chm" ] || cp "build/$preset/Korvanite.chm" "$stage/"
done
# A help file built before SOURCE_DATE_EPOCH was set still has its compile time.
python3 cmake/stamp_chm.py "$stage/Korvanite.chm"
# Texts a user opens on Windows have its line ends, for the Notepad of older Windows too. The
# guide's Features come from the table of features.
python3 cmake/feature_lists.py install "$root" | sed -e "s/@VERSION@/$version/" -e 's/$/\r/' \
    >"$stage/INSTALL.txt"
sed -e 's/$/\r/' LICENSE >"$stage/LICENSE"

# The DLLs in the glob's sorted order: x64 first, as the guide lists them.
files=($(cd "$stage" && echo Korvanite-*.dll) Korvanite.chm INSTALL.txt LICENSE)
(cd "$stage" && sha256sum "${files[@]}" | sed 's/$/\r/' >SHA256SUMS)
files+=(SHA256SUMS)

# Zips the FILES of DIRECTORY into ZIP, in that order, with the commit's time and fixed modes:
# -X: no extra fields (owners, exact times), -D: no directory entries.
reproducible_zip() {
    local zip=$1 directory=$2
    shift 2
    rm -f "$zip"
    (
        cd "$directory"
        chmod 644 "$@"
        touch -d "@$SOURCE_DATE_EPOCH" "$@"
        zip -X -D -q "$root/$zip" "$@"
    )
    echo "package: $zip"
    unzip -l "$zip"
    sha256sum "$zip"
}
reproducible_zip "build/package/Korvanite-$version.zip" "$stage" "${files[@]}"
reproducible_zip "build/package/Korvanite-$version-symbols.zip" "$symbols" \
    $(cd "$symbols" && echo Korvanite-*.dll.debug)
# What a release attaches beside the zips: their checksums, for a download to be checked against.
(cd build/package && sha256sum "Korvanite-$version.zip" "Korvanite-$version-symbols.zip" |
    sed 's/$/\r/' >SHA256SUMS)
echo "package: build/package/SHA256SUMS"
