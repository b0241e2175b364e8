#!/usr/bin/env bash
# Fails every fallible call of the plug-in in turn, in every script test and every example of the
# documents, at every position (docs/testing.md): builds the native-asan preset's sweep and runs
# it. Options (--every K, --from O, --jobs J) and script names go to the sweep; KV_SWEEP_JOBS sets
# the jobs (default: the processors there are).
set -uo pipefail
cd "$(dirname "$0")/.."
cmake --preset native-asan >/dev/null && cmake --build --preset native-asan --target kv_fault_sweep ||
    exit 1
start=$SECONDS
tests/sweep/run.sh build/native-asan/tests/kv_fault_sweep . --jobs "${KV_SWEEP_JOBS:-$(nproc)}" "$@"
status=$?
echo "sweep.sh: $((SECONDS - start)) s"
exit $status
