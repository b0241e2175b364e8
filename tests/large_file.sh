#!/usr/bin/env bash
# A sparse file of 5 GiB and sixteen bytes, read, digested and patched by @BLOADPART, @BFILEHASH
# and @BPATCH at offsets beyond 32 bits and counted back from the end, natively, under Wine or on
# Windows; then the null device, which is no file. The digests are those sha256sum gives of the
# same parts. Of the whole file sha256sum and @BFILEHASH give
#   6243cc9729cae39d8cf9a5418af3afd0acb2e37bbe0f1eda14e15210ddb8e382
# but reading 5 GiB takes seconds here and far longer under Wine's emulated x86: the test reads
# parts.
#
#   bash large_file.sh LAUNCHER PLUGHOST WORK_DIRECTORY
#
# LAUNCHER: "$WINE" under Wine, empty natively and on Windows. WORK_DIRECTORY is made afresh.
set -u
launcher=$1
plughost=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
work=$3
rm -rf "$work" && mkdir -p "$work" || exit 1
trap 'rm -rf "$work"' EXIT
file=$work/large.bin
size=$((5 * 1024 * 1024 * 1024 + 16))
device=/dev/null
case $plughost in *.exe) device=nul ;; esac
# Windows (Git Bash, which has cygpath) marks the file sparse before it grows, lest NTFS write
# 5 GiB of zeros: without the mark the test stops.
: >"$file" || exit 1
if [ -z "$launcher" ] && command -v cygpath >/dev/null; then
    if ! said=$(fsutil sparse setflag "$(cygpath -w "$file")" 2>&1); then
        echo "FAILED: fsutil sparse setflag could not mark $file sparse: $(tr -d '\r' <<<"$said")"
        echo "large_file: 0 passed, 1 failed"
        exit 1
    fi
fi
printf 'sixteen bytes!!!' | dd of="$file" bs=1 seek=$((size - 16)) conv=notrunc status=none ||
    exit 1

# sha256sum of COUNT bytes of the file from OFFSET.
part_sum() { # OFFSET COUNT
    dd if="$file" bs=1M iflag=skip_bytes,count_bytes skip="$1" count="$2" status=none |
        sha256sum | cut -c1-64
}
across=$(part_sum $((0x100000000 - 256)) 512)
last_kib=$(part_sum $((size - 1024)) 1024)
tail=$(part_sum 5368709000 136)

(cd "$work" && exec env noloadmsg=1 $launcher "$plughost" \
    -c 'echo across 4 GiB: %@bfilehash[large.bin,sha256,0xFFFFFF00,0x200]' \
    -c 'echo the last KiB: %@bfilehash[large.bin,SHA256,-1024] %_bblasterr' \
    -c 'echo the rest: %@bfilehash[large.bin,sha256,5368709000,999]' \
    -c 'echo before the start: %@bfilehash[large.bin,sha256,-5368709137] %_bblasterr' \
    -c 'set p=%@bloadpart[large.bin,-16]' \
    -c 'echo counted back: [%@bgettext[%p,0]] %_bloadsize' \
    -c 'set p=%@bloadpart[large.bin,0x140000000]' \
    -c 'echo the last 16 bytes: [%@bgettext[%p,0]] %_bloadsize %_bblasterr' \
    -c 'echo from the start: %@bloadpart[large.bin,0] %_bblasterr' \
    -c 'set q=%@balloc[4]' \
    -c 'echo %@bputtext[%q,0,TEEN] patched: %@bpatch[%q,large.bin,5368709123] %_bblasterr' \
    -c 'echo appended: %@bpatch[%q,large.bin,5368709136] past the end: %@bpatch[%q,large.bin,5368709141] %_bblasterr' \
    -c 'set p=%@bloadpart[large.bin,5368709116]' \
    -c 'echo now: %@bgethex[%p,0,5] [%@bgettext[%p,4]] %_bloadsize' \
    -c "echo a device: %@bpatch[%q,$device,0] %_bblasterr" \
    </dev/null >"$work/out.log" 2>&1)
status=$?
expected="across 4 GiB: $across
the last KiB: $last_kib 0
the rest: $tail
before the start: 0 492
counted back: [sixteen bytes!!!] 16
the last 16 bytes: [sixteen bytes!!!] 16 0
from the start: 0 491
4 patched: 4 0
appended: 4 past the end: 0 494
now: 0000000073 [sixTEEN bytes!!!TEEN] 24
a device: 0 5"
actual=$(tr -d '\r' <"$work/out.log")
if [ "$status" -eq 0 ] && [ "$actual" = "$expected" ] && [ "$(wc -c <"$file")" -eq $((size + 4)) ]
then
    echo "large_file: 1 passed, 0 failed"
    exit 0
fi
echo "FAILED: a file above 4 GiB (status $status, $(wc -c <"$file") bytes)"
diff <(echo "$expected") <(echo "$actual")
echo "large_file: 0 passed, 1 failed"
exit 1
