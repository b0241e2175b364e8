#!/usr/bin/env bash
# Times BBDUMP's listing of an 8 MiB buffer (default options, output to a file) against xxd
# dumping an 8 MiB file, in the same run. A measurement to read, not a test: nothing fails.
#
#   scripts/bbdump-speed.sh [BUILD_DIR]     (default build/native; a Release build is fairer)
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/native}
plughost=$build/plughost
[ -x "$plughost" ] || { echo "bbdump-speed: no $plughost (build first)" >&2; exit 1; }
command -v xxd > /dev/null || { echo "bbdump-speed: xxd is not installed" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
head -c 8388608 /dev/zero > "$work/zero.bin"

seconds() { # runs the command, prints its wall-clock time in seconds
    local start end
    start=$(date +%s.%N)
    "$@" > "$work/out" 2> /dev/null
    end=$(date +%s.%N)
    awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f", e - s }'
}

# The buffer holds zeros, as @BALLOC gives it; xxd reads a file of zeros of the same size.
xxd_time=$(seconds xxd "$work/zero.bin")
dump_time=$(seconds "$plughost" -c 'set a=%@balloc[8M]' -c 'bbdump %a')
echo "xxd, 8 MiB file:           ${xxd_time} s"
echo "BBDUMP, 8 MiB buffer:      ${dump_time} s"
awk -v d="$dump_time" -v x="$xxd_time" 'BEGIN { printf "ratio BBDUMP / xxd:        %.2f\n", d / x }'
