#!/usr/bin/env bash
# Checks the CI workflows of .github/workflows, which run only on the public forge: each file
# passes action-validator (the workflow schema, job references, globs), and every step that runs
# a script of this repository names one that exists and that the test command runs here too
# (scripts/test.sh or the Windows suite it starts), so that only the YAML's glue is untried; and
# the release step's command, run against a stand-in for gh, publishes into a new or an existing
# release.
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
# What the test command runs: its own text, the scripts it starts for the Windows products and
# this check, which runs the release step below.
test_command_text=$(echo scripts/test.sh; cat scripts/test.sh scripts/windows-suite.sh scripts/check-workflow.sh)

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
# The patterns stay patterns (set -f): the files of a build here must not stand in for them.
patterns=$(sed -nE 's#^ +(build/[^ ]+)$#\1#p' .github/workflows/ci.yml)
set -f
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
set +f

# The release step's own command line, run with a stand-in for gh that records what it is asked,
# for a tag without a release, a tag with one (a run again, or a release made by hand) and a gh
# that cannot look: a new release, an upload that replaces the files, and a stop with gh's
# message.
version=$(sed -nE 's/^project\(Korvanite VERSION ([0-9]+\.[0-9]+\.[0-9]+).*/\1/p' CMakeLists.txt)
publish=$(sed -nE '/name: Publish the release/,/run:/s/^ *run: (.*)/\1/p' .github/workflows/ci.yml)
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/bin" "$stage/run/build/package"
ln -s "$PWD/scripts" "$stage/run/scripts"
release_files=("Korvanite-$version.zip" "Korvanite-$version-symbols.zip" SHA256SUMS)
(cd "$stage/run/build/package" && touch "${release_files[@]}")
cat >"$stage/bin/gh" <<'END'
#!/bin/sh
echo "gh $*" >>"$GH_STAND_IN_LOG"
case "$1 $2 $GH_STAND_IN_RELEASE" in
"release view yes" | "release upload yes" | "release create no") exit 0 ;;
"release create yes") echo "a release with the same tag name already exists: $3" >&2 ;;
"release "*" no") echo "release not found" >&2 ;;
*) echo "HTTP 401: Bad credentials (https://api.github.com/repos/o/r/releases/tags/$3)" >&2 ;;
esac
exit 1
END
chmod +x "$stage/bin/gh"
# publish_with RELEASE: runs the step (as the runner does, with bash -e) and leaves its output
# and gh's requests in $stage.
publish_with() {
    rm -f "$stage/gh.log"
    (cd "$stage/run" && GITHUB_REF_NAME=v$version GH_STAND_IN_RELEASE=$1 \
        GH_STAND_IN_LOG=$stage/gh.log PATH="$stage/bin:$PATH" bash -eo pipefail -c "$publish") \
        >"$stage/out" 2>&1
}
requests() { cat "$stage/gh.log" 2>/dev/null | wc -l; }
# asked_for PATTERN: gh's last request matches PATTERN and names every release file.
asked_for() {
    local last file
    last=$(tail -n 1 "$stage/gh.log" 2>/dev/null)
    [[ $last == $1 ]] || return 1
    for file in "${release_files[@]}"; do [[ " $last " == *" build/package/$file "* ]] || return 1; done
}
if [[ $publish != "bash scripts/publish-release.sh "* ]]; then
    fail ".github/workflows/ci.yml has no step \"Publish the release\" that runs scripts/publish-release.sh"
fi
if [ -n "$publish" ]; then
    if publish_with no && asked_for "gh release create v$version --verify-tag *" &&
        [ "$(requests)" -eq 2 ]; then passed=$((passed + 1)); else
        fail "the release step does not create the release of a tag without one: $(cat "$stage/out" "$stage/gh.log" 2>/dev/null)"
    fi
    if publish_with yes && asked_for "gh release upload v$version --clobber *" &&
        [ "$(requests)" -eq 2 ]; then passed=$((passed + 1)); else
        fail "the release step does not upload into the tag's release: $(cat "$stage/out" "$stage/gh.log" 2>/dev/null)"
    fi
    if ! publish_with error && grep -q "Bad credentials" "$stage/out" &&
        [ "$(requests)" -eq 1 ]; then passed=$((passed + 1)); else
        fail "the release step does not stop with gh's message when gh cannot look: $(cat "$stage/out" "$stage/gh.log" 2>/dev/null)"
    fi
fi

echo "workflow: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
