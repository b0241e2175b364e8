#!/usr/bin/env bash
# Builds the native plug-in and its stand-in host, then runs the demonstration batch script.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset native >/dev/null
cmake --build --preset native >/dev/null
exec build/native/plughost demo/demo.btm
