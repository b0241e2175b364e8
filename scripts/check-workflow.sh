#!/usr/bin/env bash
# Checks the CI workflows of .github/workflows, which run only on the public forge: each file
# passes action-validator (the workflow schema, job references, globs), and every step that runs
# a script of this repository names one that exists and that the test command runs here too
# (scripts/test.sh or the Windows suite it starts), so that only the YAML's glue is untried.
# Installs action-validator (npm's @action-validator/cli, with Node.js from Debian when npm is
# missing) when it is not there.
#
#   scripts/check-workflow.sh
#
# Ends with "workflow: N passed, M failed".
set -uo pipefail
cd "$(dirname "$0")/.."
validator_version=0.6.0

if ! command -v action-validator >/dev/null; then
    command -v npm >/dev/null || scripts/apt-install.sh nodejs npm || exit 1
    echo "workflow: installing @action-validator/cli@$validator_version"
    npm install --global --no-audit --no-fund --loglevel=error \
        "@action-validator/cli@$validator_version" >/dev/null || exit 1
fi

passed=0
failed=0
fail() {
    echo "workflow: FAILED: $*"
    failed=$((failed + 1))
}
# What the test command runs: its own text and the scripts it starts for the Windows products.
test_command_text=$(echo scripts/test.sh; cat scripts/test.sh scripts/windows-suite.sh)

for workflow in .github/workflows/*.yml; do
    if action-validator "$workflow"; then passed=$((passed + 1)); else
        fail "$workflow does not pass action-validator"
    fi
    # The repository's scripts that its steps run ("run: bash scripts/x.sh ...").
    scripts=$(sed -nE 's#^ *(- )?run: .*\b(bash|sh) ((scripts|tests)/[A-Za-z0-9_/.-]+\.sh).*#\3#p' "$workflow" | sort -u)
    [ -n "$scripts" ] || fail "$workflow runs no script of the repository"
    for script in $scripts; do
        if [ ! -f "$script" ]; then
            fail "$workflow runs $script, which does not exist"
        elif ! grep -qF "$(basename "$script")" <<<"$test_command_text"; then
            fail "$workflow runs $script, which the test command does not run"
        else
            passed=$((passed + 1))
        fi
    done
done

# Every file the Windows job and the release need is one the upload's patterns take.
patterns=$(sed -nE 's#^ +(build/[^ ]+)$#\1#p' .github/workflows/ci.yml)
for file in $(bash scripts/check-artifacts.sh --list); do
    covered=0
    for pattern in $patterns; do
        # shellcheck disable=SC2053 # the pattern is a glob
        [[ $file == $pattern ]] && covered=1
    done
    if [ "$covered" = 1 ]; then passed=$((passed + 1)); else
        fail ".github/workflows/ci.yml uploads no $file"
    fi
done

echo "workflow: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
