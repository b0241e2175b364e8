#!/usr/bin/env bash
# Builds the fuzz programs (clang, libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer) in
# both widths of handles (32-bit, and 64-bit over a heap above 4 GiB, as the x64 DLL has them)
# and runs each for SECONDS (default 600) in each width, two at a time, starting from the seed
# corpus that fuzz/make_seeds.py makes from the tests. Prints the number of runs of each; an
# input that breaks an invariant is saved as fuzz/regressions/<target>/crash-<hash> (replayed
# by the unit tests from then on).
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]     (FUZZ_BUILD_DIR, default /tmp/build-fuzz, and
#                                              the same with -wide; FUZZ_JOBS, default 2)
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${1:-600}
shift $(($# > 0 ? 1 : 0))
build=${FUZZ_BUILD_DIR:-/tmp/build-fuzz}
jobs=${FUZZ_JOBS:-2}

scripts/setup.sh || exit 1
# clang with libFuzzer's runtime: Debian's clang and libclang-rt-dev.
if ! command -v clang++ > /dev/null || ! clang++ -print-file-name=libclang_rt.fuzzer-x86_64.a |
    grep -q /; then
    if [ "$(id -u)" -eq 0 ]; then
        export DEBIAN_FRONTEND=noninteractive
        apt-get update -qq && apt-get install -y -qq clang libclang-rt-dev > /dev/null ||
            apt-get install -y -qq clang > /dev/null
    else
        echo "fuzz: clang++ with libFuzzer is missing (apt-get install clang libclang-rt-dev)" >&2
        exit 1
    fi
fi

for width in narrow wide; do
    dir=$build
    wide=OFF
    if [ $width = wide ]; then dir=$build-wide wide=ON; fi
    cmake -S fuzz -B "$dir" -DCMAKE_CXX_COMPILER=clang++ -DKV_WIDE_HANDLES=$wide > /dev/null || exit 1
    cmake --build "$dir" -j"$jobs" > "$dir/build.log" 2>&1 || { cat "$dir/build.log"; exit 1; }
done

python3 fuzz/make_seeds.py "$build/seeds" || exit 1

if (($# == 0)); then
    set -- $(ls "$build" | sed -n 's/^fuzz_//p' | sort)
fi

run_target() { # NAME BUILD_DIRECTORY LABEL
    local name=$1 dir=$2 label=$3 work=$2/runs/$1
    mkdir -p "$work/corpus" "$root/fuzz/regressions/$name"
    cp -n "$build/seeds/$name/"* "$work/corpus/" 2> /dev/null
    "$dir/fuzz_$name" "$work/corpus" -max_total_time="$seconds" -max_len=20000 -len_control=0 \
        -rss_limit_mb=3072 -timeout=30 -print_final_stats=1 \
        -artifact_prefix="$root/fuzz/regressions/$name/" > "$work/log" 2>&1
    local runs
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log" | tail -1)
    local verdict=ok
    grep -q "^==[0-9]*==ERROR\|invariant broken\|runtime error\|deadly signal" "$work/log" &&
        verdict="FAILED (see $work/log)"
    printf '%-22s %-7s %10s runs  %s\n' "$name" "$label" "${runs:-?}" "$verdict"
}

running=0
for name in "$@"; do
    for width in narrow wide; do
        dir=$build
        [ $width = narrow ] || dir=$build-wide
        run_target "$name" "$dir" "$width" &
        running=$((running + 1))
        if ((running >= jobs)); then
            wait -n
            running=$((running - 1))
        fi
    done
done
wait
