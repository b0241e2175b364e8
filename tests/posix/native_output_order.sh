#!/bin/sh
# Standard output and standard error that meet in one file or pipe keep the order in which the
# host and the plug-in wrote them, though standard output to a file or pipe is collected and
# written in large pieces. The listings are far larger than what is collected at a time. Then
# standard output that cannot be written.
#
#   sh native_output_order.sh PLUGHOST
set -u
plughost=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "native output order: $*" >&2
    exit 1
}

# Each error comes right before the line "mark N" (N counts the errors).
cat >"$work/order.btm" <<'SCRIPT'
echo first
set b=%@balloc[64K]
echo %@bfill[%b,4,0x12345678]
bbdump /n:l %b
echo %@bfree[12345678]
echo mark 1
bbdump /w /j %b
bbdump 0
echo mark 2
echo %@bfree[%b]
echo last
SCRIPT

# The output of one run apart, with each error put before its mark: what the run together must give.
merge() {
    awk 'NR == FNR { errors[FNR] = $0; next }
         /^mark [0-9]/ { print errors[$2 + 0] }
         { print }' "$2" "$1"
}

cd "$work" || fail "no work directory"
"$plughost" order.btm >out 2>err
[ "$(wc -l <err)" -eq 2 ] || fail "expected two error lines, got: $(cat err)"
[ "$(wc -c <out)" -gt 300000 ] || fail "the listing is shorter than expected"
merge out err >expected
"$plughost" order.btm >file 2>&1
cmp -s expected file || fail "standard output and error in one file are out of order"
"$plughost" order.btm 2>&1 | cat >piped
cmp -s expected piped || fail "standard output and error in one pipe are out of order"

# Lines read from standard input (their messages name no batch file).
"$plughost" <order.btm >lines.out 2>lines.err
merge lines.out lines.err >expected
"$plughost" <order.btm >lines 2>&1
cmp -s expected lines || fail "lines from standard input give their output out of order"

# A write that fails is reported, and the listing ends soon; a reader that closes the pipe ends
# the run quietly: by SIGPIPE, or with the status a shell gives for it when the signal is ignored.
reported() { [ "$(tr -d '\r' <err)" = "plughost: cannot write standard output: $1" ]; }
for command in 'bbdump %@balloc[64M]' 'bblist'; do
    "$plughost" -c 'set b=%@balloc[64]' -c "$command" >/dev/full 2>err
    status=$?
    [ "$status" -eq 1 ] && reported 'the disk is full' ||
        fail "\"$command\" to a full disk gave status $status and: $(cat err)"
done
# A command's own "> file" that fails fails the command, and the host goes on.
"$plughost" -c 'echo lost > /dev/full' -c 'echo status %_?' >out 2>err
[ "$(tr -d '\r' <out)" = "status 1" ] &&
    [ "$(tr -d '\r' <err)" = 'plughost: cannot write to "/dev/full": the disk is full' ] ||
    fail "echo to a full disk gave: $(cat out err)"
"$plughost" -c 'echo lost' >&- 2>err
[ $? -eq 1 ] && reported 'it is not open' || fail "a closed standard output gave: $(cat err)"
for pipe in default ignored; do
    [ "$pipe" = ignored ] && trap '' PIPE
    { "$plughost" -c 'bbdump %@balloc[64M]' 2>err; echo $? >status; } | head -c 10 >/dev/null
    [ "$(cat status)" -eq 141 ] && [ ! -s err ] ||
        fail "a closed pipe (SIGPIPE $pipe) gave status $(cat status) and: $(cat err)"
done
exit 0
