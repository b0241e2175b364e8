#!/usr/bin/env bash
# Times the plug-in against its peers, all in one run on the same data:
#   (a) plughost loading an 8 MiB file of random bytes with @BLOAD and dumping it with BBDUMP to a
#       file, against (b) xxd and (c) hexdump -C writing their listings of that file to a file;
#   (d) @BFILL (1-byte and 4-byte values) and @BMEMCPY of 64 MiB buffers against memset and
#       memcpy in a small C++ program built here;
#   (e) a script that allocates 32,000 buffers into one variable, lists them with BBLIST and frees
#       them with @BFREEALL, against the same script with 8,000: linear cost gives a ratio of 4;
#   (f) on a 64 MiB file of random bytes: @BFIND of its last 8 bytes against Python's bytes.find,
#       @BHASH sha256 against Python's hashlib and sha256sum, and @BLOADPART of the whole file
#       against Python's read of it and dd; and @BLOADPART of the last KiB of a sparse 5 GiB
#       file against @BLOADPART of a 1 KiB file;
#   (g) on a 1 GiB file of random bytes in the page cache: @BFILEHASH sha256 against Python's
#       hashlib reading the file in pieces of 1 MiB and sha256sum, and @BFILEHASH crc32 against
#       Python's zlib.crc32 reading the same way;
#   (h) @BDIFF of two equal 64 MiB ranges (two buffers loaded from the file of (f)) against
#       @BMEMCMP of the same ranges.
# Each measurement is repeated; the medians of wall-clock and CPU (user + system) time are
# printed with their ratios to the peers. A fill, copy, search, digest or load is timed as the
# difference between a process that does it N times and one that only sets up (allocates, or
# loads the file once), divided by N, for plughost and the peer program alike. A measurement to read, not a test: nothing fails on a slow result.
#
#   bench/run.sh [RUNS]      (default 7; BENCH_BUILD names the build directory, default
#                             build/bench, a Release build made here)
set -euo pipefail
cd "$(dirname "$0")/.."

# plughost opens the console device at start and, when it cannot, tries once more after 50 ms
# (as on Windows, where the device can be briefly unavailable). A job with no terminal at all (CI,
# cron) would time that wait, which a user at a terminal never sees: there the whole benchmark
# runs again under script(1), which gives it one, so that every program is still started the
# same way by this shell and timed alike.
if ! (: </dev/tty) 2>/dev/null && [ -z "${KV_BENCH_TERMINAL:-}" ] && command -v script >/dev/null; then
    export KV_BENCH_TERMINAL=1
    exec script -qec "$(printf '%q ' bash "$0" "$@")" /dev/null </dev/null
fi
[ -n "${KV_BENCH_TERMINAL:-}" ] && stty -onlcr 2>/dev/null || true # plain line ends in logs

runs=${1:-7}
build=${BENCH_BUILD:-build/bench}
fills=20 # fills or copies per process
scans=10 # searches, digests or loads of 64 MiB per process
compares=50 # comparisons of two 64 MiB ranges per process: each is short beside the loads
parts=1000 # loads of a KiB per process

# ---- What the benchmark needs, installed only when missing --------------------------------------
need_packages=()
command -v xxd >/dev/null || need_packages+=(xxd)
command -v hexdump >/dev/null || need_packages+=(bsdextrautils)
command -v python3 >/dev/null || need_packages+=(python3)
command -v g++ >/dev/null || need_packages+=(g++)
command -v cmake >/dev/null || need_packages+=(cmake)
if [ ${#need_packages[@]} -gt 0 ]; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "bench: missing ${need_packages[*]}; run as root to install them" >&2
        exit 1
    fi
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need_packages[@]}" >/dev/null
fi

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target plughost >/dev/null
plughost=$build/plughost

# A file system in memory when there is one, so that the disk does not time the listings.
base=/tmp
[ -d /dev/shm ] && [ -w /dev/shm ] && base=/dev/shm
work=$(mktemp -d "$base/kv-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
data=$work/random.bin
head -c 8388608 /dev/urandom >"$data"
data64=$work/random64.bin
head -c 67108864 /dev/urandom >"$data64"
needle=$(tail -c 8 "$data64" | od -An -tx1 | tr -d ' \n')
# 5 GiB of zeros that take no room, then a KiB; and a file of one KiB.
sparse=$work/sparse.bin
truncate -s $((5 * 1024 * 1024 * 1024)) "$sparse"
head -c 1024 /dev/urandom >>"$sparse"
head -c 1024 /dev/urandom >"$work/small.bin"

# A file of 1 GiB for the digests of files, in the page cache (or in memory: /dev/shm).
data1g=$work/random1g.bin
head -c 1073741824 /dev/urandom >"$data1g"

cat >"$work/peer.cpp" <<'PEER'
// The peer of @BFILL and @BMEMCPY: memset or memcpy over 64 MiB, N times.
//   peer fill1|fill4|copy N
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/mman.h>

// Zero-filled memory from the system in huge pages where the kernel has them, as the native
// heap gives a buffer of this size, so that both sides pay the same for their pages.
unsigned char* ZeroedBlock(size_t size) {
    const size_t huge = size_t{2} << 20;
    void* mapped = mmap(nullptr, size + huge, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS,
                        -1, 0);
    if (mapped == MAP_FAILED) return nullptr;
    const uintptr_t aligned = (reinterpret_cast<uintptr_t>(mapped) + huge - 1) & ~(huge - 1);
    madvise(reinterpret_cast<void*>(aligned), size, MADV_HUGEPAGE);
    return reinterpret_cast<unsigned char*>(aligned);
}

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    const size_t size = size_t{64} << 20;
    const bool copy = std::strcmp(argv[1], "copy") == 0;
    const int times = std::atoi(argv[2]);
    unsigned char* a = ZeroedBlock(size);
    unsigned char* b = copy ? ZeroedBlock(size) : nullptr;
    if (a == nullptr || (copy && b == nullptr)) return 1;
    if (copy) std::memset(a, 0x5A, size);
    for (int i = 0; i < times; ++i) {
        if (copy)
            std::memcpy(b, a, size);
        else
            std::memset(a, 0x11 + i, size);
    }
    // Something of the result leaves the program, so that no work is left out.
    std::printf("%u\n", unsigned{a[size / 2]} + (b != nullptr ? b[size / 3] : 0u));
    return 0;
}
PEER
g++ -O2 -o "$work/peer" "$work/peer.cpp"

# Scripts for plughost, a pair for each operation: NAME-0, the set-up alone (allocation, or
# loading a file), and NAME-n, the set-up with COUNT fills, copies, searches, digests or loads.
repeat_script() { # NAME SETUP-LINES OPERATION COUNT
    local name=$1 setup=$2 operation=$3 count=$4
    printf '%s\n' "$setup" >"$work/$name-0.btm"
    {
        printf '%s\n' "$setup"
        for ((i = 0; i < count; i++)); do printf 'set r=%s\n' "$operation"; done
    } >"$work/$name-n.btm"
}
alloc1='set a=%@balloc[64M]'
alloc2=$'set a=%@balloc[64M]\nset b=%@balloc[64M]\nset r=%@bfill[%a,1,0x5A]'
repeat_script fill1 "$alloc1" '%@bfill[%a,1,0x11]' $fills
repeat_script fill4 "$alloc1" '%@bfill[%a,4,0x11223344]' $fills
repeat_script copy "$alloc2" '%@bmemcpy[%a,0,%b,0,67108864]' $fills

# Scripts of many buffers: N allocations, one listing, one release of them all.
count_script() { # COUNT
    {
        for ((i = 0; i < $1; i++)); do printf 'set a=%%@balloc[16]\n'; done
        printf 'bblist\nset r=%%@bfreeall[]\n'
    } >"$work/count-$1.btm"
}
few_buffers=8000
many_buffers=32000
count_script $few_buffers
count_script $many_buffers

# Searches, digests and loads of 64 MiB: plughost and Python each load the file once, then do the
# operation COUNT times; dd and sha256sum read it COUNT times in one process.
load_line="set a=%@bloadpart[$data64,0]"
repeat_script find "$load_line" "%@bfind[%a,0x$needle]" $scans
repeat_script sha "$load_line" '%@bhash[%a,sha256]' $scans
repeat_script part '' "%@bfree[%@bloadpart[$data64,0]]" $scans
repeat_script tail '' "%@bfree[%@bloadpart[$sparse,5368709120]]" $parts
repeat_script small '' "%@bfree[%@bloadpart[$work/small.bin,0]]" $parts
# @BDIFF and its peer @BMEMCMP: two buffers of the same 64 MiB, compared whole COUNT times.
pair_lines="set a=%@bloadpart[$data64,0]"$'\n'"set b=%@bloadpart[$data64,0]"
repeat_script bmemcmp "$pair_lines" '%@bmemcmp[%a,0,%b,0]' $compares
repeat_script bdiff "$pair_lines" '%@bdiff[%a,0,%b,0]' $compares
cat >"$work/peer.py" <<'PY'
# The peer of @BFIND, @BHASH and @BLOADPART: Python's bytes.find, hashlib and read, N times.
#   peer.py find|sha|read FILE N [NEEDLE]
import hashlib
import sys

op, path, times = sys.argv[1], sys.argv[2], int(sys.argv[3])
with open(path, "rb") as f:
    data = f.read() if op != "read" else b""
    result = 0
    for _ in range(times):
        if op == "find":
            result = data.find(bytes.fromhex(sys.argv[4]))
        elif op == "sha":
            result = hashlib.sha256(data).hexdigest()
        else:
            f.seek(0)
            result = len(f.read())
print(result)
PY
cat >"$work/peer_file.py" <<'PY'
# The peers of @BFILEHASH: hashlib.sha256 and zlib.crc32 over a file read in pieces of 1 MiB, or
# nothing (the start alone).
#   peer_file.py sha|crc|none FILE
import hashlib
import sys
import zlib

op, path = sys.argv[1], sys.argv[2]
if op == "none":
    print(0)
    sys.exit()
with open(path, "rb") as f:
    if op == "sha":
        digest = hashlib.sha256()
        while piece := f.read(1 << 20):
            digest.update(piece)
        print(digest.hexdigest())
    else:
        crc = 0
        while piece := f.read(1 << 20):
            crc = zlib.crc32(piece, crc)
        print("%08x" % crc)
PY
dd_reads() { # COUNT
    for ((i = 0; i < $1; i++)); do dd if="$data64" of=/dev/null bs=1M status=none; done
}
sha256sums() { # COUNT
    local files=()
    for ((i = 0; i < $1; i++)); do files+=("$data64"); done
    ((${#files[@]} == 0)) || sha256sum "${files[@]}"
}

# ---- Timing ---------------------------------------------------------------------------------------
# once NAME COMMAND...: runs the command once (standard output to NAME.out in the work directory)
# and adds "wall cpu" to NAME.times.
once() {
    local name=$1
    shift
    local TIMEFORMAT='%R %U %S'
    { time "$@" >"$work/$name.out" 2>/dev/null; } 2>"$work/$name.raw"
    awk '{ printf "%.4f %.4f\n", $1, $2 + $3 }' "$work/$name.raw" >>"$work/$name.times"
}
# measure NAME COMMAND...: RUNS runs of one command.
measure() {
    local r
    for ((r = 0; r < runs; r++)); do once "$@"; done
}
# median NAME COLUMN (1 wall, 2 cpu)
median() {
    sort -n -k"$2","$2" "$work/$1.times" | awk -v c="$2" '{ v[NR] = $c }
        END { printf "%.4f", (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

echo "bench: $runs runs each; 8 MiB of random bytes; fills and copies of 64 MiB, $fills per process"
echo "bench: plughost $(realpath "$plughost") (Release); files in $base"

# The listings take turns, so that a change in the machine's load falls on all three alike.
for ((r = 0; r < runs; r++)); do
    once bbdump "$plughost" -c "set a=%@bload[$data]" -c 'bbdump %a'
    once xxd xxd "$data"
    once hexdump hexdump -C "$data"
done
for op in fill1 fill4 copy; do
    measure "$op-0" "$plughost" "$work/$op-0.btm"
    measure "$op-n" "$plughost" "$work/$op-n.btm"
    peer_op=$op
    [ "$op" = fill4 ] && peer_op=fill1 # memset is the peer of both fills
    measure "peer-$op-0" "$work/peer" "$peer_op" 0
    measure "peer-$op-n" "$work/peer" "$peer_op" $fills
done
for count in $few_buffers $many_buffers; do
    measure "count-$count" "$plughost" "$work/count-$count.btm"
done
for op in find sha part tail small; do
    measure "$op-0" "$plughost" "$work/$op-0.btm"
    measure "$op-n" "$plughost" "$work/$op-n.btm"
done
for op in find sha read; do
    measure "py-$op-0" python3 "$work/peer.py" "$op" "$data64" 0 "$needle"
    measure "py-$op-n" python3 "$work/peer.py" "$op" "$data64" $scans "$needle"
done
# @BDIFF and @BMEMCMP take turns, so that a change in the machine's load falls on both alike.
for ((r = 0; r < runs; r++)); do
    for op in bmemcmp bdiff; do
        once "$op-0" "$plughost" "$work/$op-0.btm"
        once "$op-n" "$plughost" "$work/$op-n.btm"
    done
done
measure dd-0 dd_reads 0
measure dd-n dd_reads $scans
measure sum-0 sha256sums 0
measure sum-n sha256sums $scans
# The digests of the file of 1 GiB take turns, as the listings do; each is one process, less
# one that only starts.
for ((r = 0; r < runs; r++)); do
    once fh-sha "$plughost" -c "echo %@bfilehash[$data1g,sha256]"
    once py-fh-sha python3 "$work/peer_file.py" sha "$data1g"
    once sum-fh sha256sum "$data1g"
    once fh-crc "$plughost" -c "echo %@bfilehash[$data1g,crc32]"
    once py-fh-crc python3 "$work/peer_file.py" crc "$data1g"
    once fh-none "$plughost" -c "echo 0"
    once py-fh-none python3 "$work/peer_file.py" none "$data1g"
    once sum-fh-none sha256sum /dev/null
done
listing=$work/bbdump.out

# What the searches and digests found must be what Python found.
check_same() { # LABEL PLUGHOST-LINE PYTHON-ARGS...
    local ours theirs
    ours=$("$plughost" -c "$load_line" -c "echo $2" 2>&1 | tr -d '\r' | tail -n 1)
    theirs=$(python3 "$work/peer.py" "${@:3}")
    [ "$ours" = "$theirs" ] || echo "bench: $1 gave $ours, Python $theirs" >&2
}
check_same @BFIND "%@bfind[%a,0x$needle]" find "$data64" 1 "$needle"
check_same @BHASH "%@bhash[%a,sha256]" sha "$data64" 1
# What @BFILEHASH gave must be what Python and sha256sum gave.
for pair in "sha:py-fh-sha" "crc:py-fh-crc" "sha:sum-fh"; do
    ours=$(tr -d '\r' <"$work/fh-${pair%%:*}.out")
    theirs=$(cut -c1-64 <"$work/${pair#*:}.out")
    [ "$ours" = "$theirs" ] || echo "bench: @BFILEHASH gave $ours, ${pair#*:} $theirs" >&2
done

# Equal ranges: @BMEMCMP says 0 and @BDIFF -1.
for pair in "bmemcmp:0" "bdiff:-1"; do
    IFS=: read -r op want <<<"$pair"
    got=$("$plughost" -c "set a=%@bloadpart[$data64,0]" -c "set b=%@bloadpart[$data64,0]" \
        -c "echo %@$op[%a,0,%b,0]" 2>&1 | tr -d '\r' | tail -n 1)
    [ "$got" = "$want" ] || echo "bench: @${op^^} of equal ranges gave $got, not $want" >&2
done

# The listing must be whole: as many lines as xxd's.
if [ "$(wc -l <"$listing")" -ne "$(($(wc -l <"$work/xxd.out") + 1))" ]; then
    echo "bench: BBDUMP's listing has $(wc -l <"$listing") lines, xxd's $(wc -l <"$work/xxd.out")" >&2
fi

row() { # LABEL NAME: medians of one measurement
    printf '%-34s %8.3f s %8.3f s\n' "$1" "$(median "$2" 1)" "$(median "$2" 2)"
}
per_op() { # NAME COLUMN [COUNT]: milliseconds per operation
    awk -v n="$(median "$1-n" "$2")" -v z="$(median "$1-0" "$2")" -v k="${3:-$fills}" \
        'BEGIN { printf "%.3f", (n - z) * 1000 / k }'
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf (b > 0 ? "%.2f" : "-"), (b > 0 ? a / b : 0) }'; }

echo
printf '%-34s %10s %10s\n' "listing of 8 MiB to a file" "wall" "cpu"
row "plughost @BLOAD + BBDUMP" bbdump
row "xxd" xxd
row "hexdump -C" hexdump
for column in 1 2; do
    label=wall
    [ $column = 2 ] && label=cpu
    b=$(median bbdump $column)
    printf 'ratio (%s): BBDUMP / xxd %s, BBDUMP / hexdump -C %s   (goal: BBDUMP / xxd at most 0.35)\n' \
        "$label" "$(ratio "$b" "$(median xxd $column)")" "$(ratio "$b" "$(median hexdump $column)")"
done

echo
printf '%-34s %10s %10s\n' "64 MiB, ms per operation" "wall" "cpu"
for pair in "fill1:@BFILL 1-byte value:memset" "fill4:@BFILL 4-byte value:memset" \
    "copy:@BMEMCPY:memcpy"; do
    IFS=: read -r op label peer <<<"$pair"
    printf '%-34s %10s %10s\n' "$label" "$(per_op "$op" 1)" "$(per_op "$op" 2)"
    printf '%-34s %10s %10s\n' "$peer" "$(per_op "peer-$op" 1)" "$(per_op "peer-$op" 2)"
    printf '%-34s %10s %10s\n' "ratio (goal: at most 1.2)" \
        "$(ratio "$(per_op "$op" 1)" "$(per_op "peer-$op" 1)")" \
        "$(ratio "$(per_op "$op" 2)" "$(per_op "peer-$op" 2)")"
done

echo
printf '%-34s %10s %10s\n' "@BALLOC each, BBLIST, @BFREEALL" "wall" "cpu"
for count in $few_buffers $many_buffers; do
    row "$count buffers" "count-$count"
done
for column in 1 2; do
    label=wall
    [ $column = 2 ] && label=cpu
    printf 'ratio (%s): %s buffers / %s buffers %s   (linear: 4; goal: at most 5)\n' "$label" \
        $many_buffers $few_buffers "$(ratio "$(median "count-$many_buffers" $column)" \
        "$(median "count-$few_buffers" $column)")"
done

echo
printf '%-34s %10s %10s\n' "64 MiB, ms per operation" "wall" "cpu"
scan_rows() { # LABEL NAME PEER-LABEL PEER-NAME GOAL [COUNT]
    local k=${6:-$scans}
    printf '%-34s %10s %10s\n' "$1" "$(per_op "$2" 1 "$k")" "$(per_op "$2" 2 "$k")"
    printf '%-34s %10s %10s\n' "$3" "$(per_op "$4" 1 "$k")" "$(per_op "$4" 2 "$k")"
    printf '%-34s %10s %10s\n' "ratio ($5)" \
        "$(ratio "$(per_op "$2" 1 "$k")" "$(per_op "$4" 1 "$k")")" \
        "$(ratio "$(per_op "$2" 2 "$k")" "$(per_op "$4" 2 "$k")")"
}
scan_rows "@BFIND of the last 8 bytes" find "Python bytes.find" py-find "goal: at most 1.0"
scan_rows "@BHASH sha256" sha "Python hashlib.sha256" py-sha "goal: at most 1.3"
printf '%-34s %10s %10s\n' "sha256sum" "$(per_op sum 1 $scans)" "$(per_op sum 2 $scans)"
scan_rows "@BLOADPART of the whole file" part "Python read" py-read "to read"
printf '%-34s %10s %10s\n' "dd bs=1M to /dev/null" "$(per_op dd 1 $scans)" "$(per_op dd 2 $scans)"
scan_rows "@BDIFF of equal ranges" bdiff "@BMEMCMP of the same ranges" bmemcmp \
    "goal: at most 1.2" $compares
echo
printf '%-34s %10s %10s\n' "one KiB, ms per load" "wall" "cpu"
scan_rows "@BLOADPART, last KiB of 5 GiB" tail "@BLOADPART of a 1 KiB file" small \
    "only the part is read: about 1" $parts

echo
printf '%-34s %10s %10s\n' "1 GiB file, s per digest" "wall" "cpu"
file_digest() { # NAME ZERO COLUMN: the median less the start alone
    awk -v n="$(median "$1" "$3")" -v z="$(median "$2" "$3")" 'BEGIN { printf "%.3f", n - z }'
}
digest_row() { # LABEL NAME ZERO
    printf '%-34s %10s %10s\n' "$1" "$(file_digest "$2" "$3" 1)" "$(file_digest "$2" "$3" 2)"
}
digest_ratio() { # LABEL NAME ZERO PEER PEER-ZERO
    printf '%-34s %10s %10s\n' "$1" \
        "$(ratio "$(file_digest "$2" "$3" 1)" "$(file_digest "$4" "$5" 1)")" \
        "$(ratio "$(file_digest "$2" "$3" 2)" "$(file_digest "$4" "$5" 2)")"
}
digest_row "@BFILEHASH sha256" fh-sha fh-none
digest_row "Python hashlib.sha256, 1 MiB reads" py-fh-sha py-fh-none
digest_row "sha256sum" sum-fh sum-fh-none
digest_ratio "ratio / hashlib (goal: at most 1.2)" fh-sha fh-none py-fh-sha py-fh-none
digest_ratio "ratio / sha256sum (goal: at most 1.0)" fh-sha fh-none sum-fh sum-fh-none
digest_row "@BFILEHASH crc32" fh-crc fh-none
digest_row "Python zlib.crc32, 1 MiB reads" py-fh-crc py-fh-none
digest_ratio "ratio / zlib.crc32 (goal: at most 1.0)" fh-crc fh-none py-fh-crc py-fh-none
