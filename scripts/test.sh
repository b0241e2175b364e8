#!/usr/bin/env bash
# Builds every configuration and runs every test: the native unit and script tests, the same
# under AddressSanitizer and UndefinedBehaviorSanitizer, the same with 64-bit handles, and each
# Windows DLL with its script suite under Wine (scripts/windows-suite.sh).
set -uo pipefail
cd "$(dirname "$0")/.."
stage_start=$SECONDS
# Each stage's time, for the record of how long a fresh machine takes.
stage_done() {
    echo "== $1: $((SECONDS - stage_start)) s"
    stage_start=$SECONDS
}
scripts/setup.sh || exit 1
stage_done "set-up"

passed=0
failed=0
log=$(mktemp)
trap 'rm -f "$log"' EXIT

# Adds the counts of ctest's closing line ("N% tests passed, F tests failed out of T").
count_ctest() {
    local line total bad
    line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1)
    if [ -z "$line" ]; then
        failed=$((failed + 1))
        return
    fi
    bad=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$line")
    total=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2/' <<<"$line")
    passed=$((passed + total - bad))
    failed=$((failed + bad))
}

# Adds the counts of the line "NAME: N passed, M failed" in the log; a failure when there is none.
count_check_line() {
    local name=$1 line
    line=$(grep -E "^$name: [0-9]+ passed, [0-9]+ failed\$" "$log" | tail -n 1)
    if [ -z "$line" ]; then
        echo "== $name: did not finish"
        failed=$((failed + 1))
        return
    fi
    passed=$((passed + $(sed -E 's/^[a-z]+: ([0-9]+) passed.*/\1/' <<<"$line")))
    failed=$((failed + $(sed -E 's/.* ([0-9]+) failed$/\1/' <<<"$line")))
}

# Runs a check script that ends with "NAME: N passed, M failed" and adds its counts.
add_check_counts() {
    local name=$1
    shift
    "$@" >"$log" 2>&1
    cat "$log"
    count_check_line "$name"
}

# native-wide: the plug-in with 64-bit handles over a heap above 4 GiB, as on x64 Windows.
for preset in native native-asan native-wide; do
    echo "== $preset: build"
    if ! { cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset"; }; then
        echo "== $preset: build failed"
        failed=$((failed + 1))
        continue
    fi
    echo "== $preset: test"
    ctest --preset "$preset" 2>&1 | tee "$log"
    count_ctest
    stage_done "$preset"
done

# The products themselves: the Windows DLLs, their interface, help file and the same script
# suite under Wine. KV_NATIVE_ONLY=1 leaves them out for a quick local loop; CI and the README's
# command run them.
if [ "${KV_NATIVE_ONLY:-0}" = 1 ]; then
    echo "== windows: left out (KV_NATIVE_ONLY=1)"
else
    # Its output goes to the log and is followed there until the suite itself ends, so that this
    # command returns even if a process the suite started were to keep its output open.
    # A job in the background does not see Ctrl-C: it is passed on as TERM, on which the suite
    # stops what it started.
    scripts/windows-suite.sh </dev/null >"$log" 2>&1 &
    suite=$!
    trap 'kill -TERM $suite 2>/dev/null; wait $suite; exit 130' INT TERM HUP
    tail -n +1 --pid=$suite -f "$log"
    wait $suite
    trap - INT TERM HUP
    count_check_line windows
    stage_done "windows"

    # The release zip as the CI workflow builds and checks it, and the workflow itself, which
    # only the public forge runs. Each check ends with "NAME: N passed, M failed".
    version=$(sed -nE 's/^project\(Korvanite VERSION ([0-9]+\.[0-9]+\.[0-9]+).*/\1/p' CMakeLists.txt)
    echo "== package"
    if scripts/package.sh >"$log" 2>&1; then
        add_check_counts package scripts/check-package.sh "v$version"
        add_check_counts artifacts scripts/check-artifacts.sh
    else
        tail -n 20 "$log"
        echo "== package: scripts/package.sh failed"
        failed=$((failed + 1))
    fi
    stage_done "package"
    echo "== workflow"
    add_check_counts workflow scripts/check-workflow.sh
    stage_done "workflow"
fi

echo "all: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
