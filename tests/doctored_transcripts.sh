#!/usr/bin/env bash
# A doctored transcript fails plughost --check: copies of a few script tests run with their
# transcripts, one with a line of its .out changed, one a line of its .err, one its .rc, beside
# an untouched one and one that needs the help viewer. The runner must name exactly the doctored
# three as failed, each at the line or status that was changed, count the others as passed (the
# one that needs the viewer as skipped where there is none: natively), and end nonzero; named
# one by one, a doctored script fails the same way.
#
#   bash doctored_transcripts.sh LAUNCHER PLUGHOST WORK_DIRECTORY
#
# LAUNCHER starts the program: "$WINE" under Wine, empty natively and on Windows. The runner
# runs in WORK_DIRECTORY (made afresh) and is given the copies' folder relative to it.
set -u
launcher=$1
plughost=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
work=$3
scripts=$(cd "$(dirname "$0")/scripts" && pwd)
rm -rf "$work" && mkdir -p "$work/doctored" || exit 1
copies=$work/doctored
for name in host_env host_batch store_errors host_exit; do
    for file in "$scripts/$name".*; do cp "$file" "$copies/" || exit 1; done
done
sed -i 's/^line 5 of /line 6 of /' "$copies/host_batch.out"
sed -i '3s/Bad size/Bad sise/' "$copies/store_errors.err"
printf '3\n' >"$copies/host_exit.rc"
printf 'rem needs help-viewer\r\necho a viewer is there\r\n' >"$copies/needs_viewer.btm"
printf 'Korvanite v%%VERSION%% loaded.\r\na viewer is there\r\n' >"$copies/needs_viewer.out"

(cd "$work" && exec $launcher "$plughost" --check doctored </dev/null >check.log 2>&1)
status=$?
report=$(tr -d '\r' <"$work/check.log")

# Natively there is no hh.exe, so the script that needs it is skipped; Windows has one, and
# Wine too, but a trimmed Windows may lack it: there either outcome is right, if it is counted.
skip_line="skipped doctored/needs_viewer.btm: needs help-viewer"
skipped=$skip_line
case $plughost in
    *.exe) grep -qxF "$skip_line" <<<"$report" || skipped="" ;;
esac
expected_summary="1 passed, 3 failed, 1 skipped"
[ -n "$skipped" ] || expected_summary="2 passed, 3 failed"
expected_failures=$(printf '%s\n' \
    'FAILED doctored/host_batch.btm: .out line 4: expected "line 6 of %SCRIPTDIR%/host_batch.btm\r", actual "line 5 of %SCRIPTDIR%/host_batch.btm\r"' \
    'FAILED doctored/host_exit.btm: .rc: expected 3, actual 7' \
    'FAILED doctored/store_errors.btm: .err line 3: expected "Korvanite plugin: %SCRIPTDIR%/store_errors.btm [5]  Bad sise: "ABC"\r", actual "Korvanite plugin: %SCRIPTDIR%/store_errors.btm [5]  Bad size: "ABC"\r"')

problems=""
[ "$status" -ne 0 ] || problems+="the runner ended with status 0"$'\n'
[ "$(grep '^FAILED ' <<<"$report")" = "$expected_failures" ] ||
    problems+="the failures are not exactly the doctored transcripts"$'\n'
[ "$(grep '^skipped ' <<<"$report")" = "$skipped" ] || problems+="the skipped scripts differ"$'\n'
[ "$(tail -n 1 <<<"$report")" = "$expected_summary" ] ||
    problems+="the last line is not \"$expected_summary\""$'\n'
if [ -n "$problems" ]; then
    printf 'doctored transcripts: %s' "$problems"
    echo "the runner (status $status) reported:"
    echo "$report"
    echo "expected:"
    echo "$expected_failures"
    [ -z "$skipped" ] || echo "$skipped"
    echo "$expected_summary"
    exit 1
fi

# Scripts named one by one are judged as in their folder: the doctored one fails as above, and a
# script that is not there fails, named.
(cd "$work" && exec $launcher "$plughost" --check doctored/host_env.btm doctored/host_batch.btm \
    doctored/absent.btm </dev/null >one-by-one.log 2>&1)
status=$?
report=$(tr -d '\r' <"$work/one-by-one.log")
expected=$(printf '%s\n' "$(head -n 1 <<<"$expected_failures")" \
    'FAILED doctored/absent.btm: cannot read the script' '1 passed, 2 failed')
if [ "$status" -eq 0 ] || [ "$report" != "$expected" ]; then
    printf 'doctored transcripts: scripts named one by one (status %s) reported:\n%s\nexpected:\n%s\n' \
        "$status" "$report" "$expected"
    exit 1
fi
echo "doctored transcripts: each failed the runner ($expected_summary), and alone too"
