#!/usr/bin/env bash
# Builds the native plug-in and its stand-in host, then runs the demonstration batch script in a
# directory of its own (it writes sample.bin and patched.bin there), which it removes afterwards.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset native >/dev/null
cmake --build --preset native >/dev/null
root=$PWD
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
"$root/build/native/plughost" "$root/demo/demo.btm"
