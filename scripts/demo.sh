#!/usr/bin/env bash
# Builds the native plug-in and its stand-in host, then runs the demonstration batch script in a
# directory of its own (it writes sample.bin and patched.bin there), which it removes afterwards.
# It installs only what that build needs, and builds in build/demo without the tests, so that
# the build folders of the presets keep their tests.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh native-demo
cmake --preset native -B build/demo -DKV_TESTS=OFF >/dev/null
cmake --build build/demo -j2 --target plughost >/dev/null
root=$PWD
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
"$root/build/demo/plughost" "$root/demo/demo.btm"
