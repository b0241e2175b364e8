#!/usr/bin/env bash
# run.sh SWEEP SOURCE_DIR [OPTION...]: the fault sweep (SWEEP, kv_fault_sweep) over the script
# tests and the examples of the documents, which tests/docs/run_examples.py writes as scripts of
# their own for it. The options and script names go to the sweep.
set -euo pipefail
sweep=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
source=$(cd "$2" && pwd)
shift 2
examples=$(mktemp -d)
trap 'rm -rf "$examples"' EXIT
cd "$source"
python3 tests/docs/run_examples.py --write "$examples" . README.md src/resources/INSTALL.txt \
    src/resources/help/*.html docs/*.md demo/*.btm >/dev/null
"$sweep" tests/scripts "$examples" "$@"
