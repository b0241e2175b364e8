#!/usr/bin/env bash
# A file above 4 GiB, read and patched in parts: a sparse file of 5 GiB and sixteen bytes (only
# its last pages take room on the disk), given to @BLOADPART and @BPATCH at offsets beyond
# 32 bits, by a plughost natively, under Wine or on Windows; what it prints must be the lines
# below, and the file must have grown by the bytes appended to it. Last, the system's null
# device, which is no file to patch.
#
#   bash large_file.sh LAUNCHER PLUGHOST WORK_DIRECTORY
#
# LAUNCHER starts the program: "$WINE" under Wine, empty natively and on Windows. The file is
# made in WORK_DIRECTORY (made afresh) and removed again.
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

# On Windows the file is marked sparse before it grows, so that NTFS does not write 5 GiB of
# zeros; elsewhere a file that grows by a seek is sparse anyway.
: >"$file" || exit 1
if [ -z "$launcher" ] && command -v cygpath >/dev/null && command -v fsutil >/dev/null; then
    fsutil sparse setflag "$(cygpath -w "$file")" >/dev/null 2>&1
fi
printf 'sixteen bytes!!!' | dd of="$file" bs=1 seek=$((size - 16)) conv=notrunc status=none ||
    exit 1

(cd "$work" && exec env noloadmsg=1 $launcher "$plughost" \
    -c 'set p=%@bloadpart[large.bin,0x140000000]' \
    -c 'echo the last 16 bytes: [%@bgettext[%p,0]] %_bloadsize %_bblasterr' \
    -c 'set p=%@bloadpart[large.bin,5368709116,8]' \
    -c 'echo across the end of the zeros: %@bgethex[%p] %_bloadsize' \
    -c 'echo from the start: %@bloadpart[large.bin,0] %_bblasterr' \
    -c 'echo at the end: %@bloadpart[large.bin,5368709136] %_bblasterr' \
    -c 'set q=%@balloc[4]' \
    -c 'echo %@bputtext[%q,0,TEEN] patched: %@bpatch[%q,large.bin,5368709123] %_bblasterr' \
    -c 'echo appended: %@bpatch[%q,large.bin,5368709136] %_bblasterr' \
    -c 'echo past the end: %@bpatch[%q,large.bin,5368709141] %_bblasterr' \
    -c 'set p=%@bloadpart[large.bin,0x140000000]' \
    -c 'echo now: [%@bgettext[%p,0]] %_bloadsize, found at %@bfind[%p,"TEEN"]' \
    -c "echo a device: %@bpatch[%q,$device,0] %_bblasterr" \
    </dev/null >"$work/out.log" 2>&1)
status=$?
expected="the last 16 bytes: [sixteen bytes!!!] 16 0
across the end of the zeros: 0000000073697874 8
from the start: 0 491
at the end: 0 492
4 patched: 4 0
appended: 4 0
past the end: 0 494
now: [sixTEEN bytes!!!TEEN] 20, found at 3
a device: 0 5"
actual=$(tr -d '\r' <"$work/out.log")
actual_size=$(wc -c <"$file" | tr -d ' ')
if [ "$status" -eq 0 ] && [ "$actual" = "$expected" ] && [ "$actual_size" -eq $((size + 4)) ]; then
    echo "large_file: 1 passed, 0 failed"
    exit 0
fi
echo "FAILED: a file above 4 GiB (status $status, size $actual_size, expected $((size + 4)))"
diff <(echo "$expected") <(echo "$actual")
echo "large_file: 0 passed, 1 failed"
exit 1
