#!/usr/bin/env bash
# BBLIST's paging on a real terminal: plughost runs bblist_paging.btm in a tmux window of 80 by
# 25, the prompt must appear, a key must bring the next page, and Esc must stop the listing with
# the command result 3; in a second listing Ctrl-C at the prompt stops it with the mark.
#
#   bblist_paging.sh PLUGHOST SCRIPT
set -uo pipefail
plughost=$1
script=$2

if ! command -v tmux >/dev/null; then
    echo "tmux is missing: scripts/setup.sh installs it" >&2
    exit 1
fi

socket="kv-paging-$$"
work=$(mktemp -d)
tmux_() { tmux -L "$socket" "$@"; }
finish() {
    tmux_ kill-server 2>/dev/null
    rm -rf "$work"
}
trap finish EXIT

# The whole history of the pane, prompt included.
screen() { tmux_ capture-pane -p -J -S - -t paging 2>/dev/null; }
rows_listed() { screen | grep -cE '^[0-9A-F]{8}  ' || true; }

# Waits up to 20 s for the pane to satisfy a test; the test's name for the failure message.
wait_for() {
    local what=$1
    shift
    for _ in $(seq 200); do
        if "$@"; then return 0; fi
        sleep 0.1
    done
    echo "FAIL: $what did not happen; the terminal shows:" >&2
    screen >&2
    exit 1
}
prompt_shown() { screen | grep -q 'Press a key to continue'; }
rows_at_least() { [ "$(rows_listed)" -ge "$1" ]; }
finished() { screen | grep -q '^freed '; }
second_finished() { screen | grep -q '^freed again '; }

tmux_ -f /dev/null new-session -d -s paging -x 80 -y 25 \
    "cd '$work' && '$plughost' '$script'; echo plughost ended; sleep 60"

wait_for "the first prompt" prompt_shown
first=$(rows_listed)
if [ "$first" -ne 20 ]; then
    echo "FAIL: the first page listed $first rows, not 20" >&2
    screen >&2
    exit 1
fi

tmux_ send-keys -t paging Enter
wait_for "the second page" rows_at_least 43
sleep 0.3
second=$(rows_listed)
if [ "$second" -ne 43 ] || ! prompt_shown; then
    echo "FAIL: after a key the listing shows $second rows, not 43 and a prompt" >&2
    screen >&2
    exit 1
fi

tmux_ send-keys -t paging Escape
wait_for "the end of the script" finished
if ! screen | grep -qE '^bblist result 3 *$'; then
    echo "FAIL: Esc did not stop BBLIST with the result 3" >&2
    screen >&2
    exit 1
fi
first_listing() { screen | sed '/^bblist result/q'; }
if [ "$(first_listing | grep -cE '^[0-9A-F]{8}  ')" -ne 43 ] ||
    first_listing | grep -qE 'buffers\. *$'; then
    echo "FAIL: the listing went on after Esc" >&2
    screen >&2
    exit 1
fi
if ! screen | grep -qE '^freed 60 *$'; then
    echo "FAIL: the buffers were not all listed and freed" >&2
    screen >&2
    exit 1
fi

wait_for "the second listing's prompt" prompt_shown
tmux_ send-keys -t paging C-c
wait_for "the end of the second listing" second_finished
if ! screen | grep -qE '^second result 3 *$' || ! screen | grep -q '\^C'; then
    echo "FAIL: Ctrl-C did not stop BBLIST with the mark and the result 3" >&2
    screen >&2
    exit 1
fi
if ! screen | grep -qE '^freed again 40 *$'; then
    echo "FAIL: the second listing's buffers were not freed" >&2
    screen >&2
    exit 1
fi
echo "paging on a terminal: prompt, next page, Esc and Ctrl-C with result 3"
