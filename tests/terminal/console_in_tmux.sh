#!/usr/bin/env bash
# Paging, pause keys, colours and Ctrl-C on a real terminal: plughost runs console_in_tmux.btm in a
# tmux window of 80 by 25, and this script answers its prompts as a user would, checking after
# each key what the terminal shows. The same test drives the native port and the Windows DLL under
# Wine, whose terminal console gives the program a console on the tmux pane.
#
#   console_in_tmux.sh LAUNCHER...    e.g.  build/native/plughost
#                                           /usr/lib/wine/wine64 build/mingw-x64/plughost.exe
#
# Under Wine the caller's environment names the prefix (WINEPREFIX and the rest), whose server
# the caller starts and stops. What Wine's terminal console cannot show is left out there:
# - an Esc held down during unpaged output: whether a key is down is asked with GetKeyState,
#   which needs a window system (the native port counts a lone Esc in the input instead);
# - the lines after a white-on-blue header in the normal colours: Wine 8's terminal console writes
#   no colour change when only the background goes back to black (it resets the colours only with
#   a change of foreground), so the terminal shows them on blue although the console holds them in
#   light grey on black.
# Ctrl-Break is left out for both: a terminal has no such key, Wine's console makes no Ctrl-Break
# event of what a terminal sends, and the native port's stand-in (Ctrl-\) goes the way of Ctrl-C.
set -u
here=$(cd "$(dirname "$0")" && pwd)
launcher=("$@")
windows=0
[[ "${launcher[*]}" == *.exe* ]] && windows=1

if ! command -v tmux >/dev/null; then
    echo "tmux is missing: scripts/setup.sh installs it" >&2
    exit 1
fi

socket="kv-console-$$"
work=$(mktemp -d)
tmux_() { tmux -L "$socket" "$@"; }
finish() {
    tmux_ kill-server 2>/dev/null
    # The program ends with its terminal; a Wine program takes a moment to go.
    local pid
    pid=$(cat "$work/pid" 2>/dev/null)
    if [ -n "$pid" ]; then
        for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        kill -KILL "$pid" 2>/dev/null
    fi
    rm -rf "$work"
}
trap finish EXIT

# Takes the whole history of the pane, each line as "COLOURS|TEXT" without trailing blanks:
# COLOURS are the foreground, background and bold in force at the line's first visible character
# ("-" for a blank line). tmux writes colours as SGR sequences, and only where they change. Light
# grey on black, the console's usual colours, counts as the terminal's own ("d"): Wine writes a
# light grey foreground that way. The checks below look at the last snapshot taken, so that they
# all see one moment.
snap() {
    tmux_ capture-pane -p -e -J -S - -t console 2>/dev/null | awk '
        BEGIN { fg = "d"; bg = "d"; bold = 0 }
        function apply(params,    n, codes, i, c) {
            n = split(params, codes, ";")
            if (n == 0) { fg = "d"; bg = "d"; bold = 0 }
            for (i = 1; i <= n; i++) {
                c = codes[i] + 0
                if (c == 0) { fg = "d"; bg = "d"; bold = 0 }
                else if (c == 1) bold = 1
                else if (c == 22) bold = 0
                else if (c == 39) fg = "d"
                else if (c == 49) bg = "d"
                else if (c == 37) fg = "d"
                else if (c == 40) bg = "d"
                else if ((c >= 30 && c <= 36) || (c >= 90 && c <= 97)) fg = c
                else if ((c >= 41 && c <= 47) || (c >= 100 && c <= 107)) bg = c
            }
        }
        {
            n = split($0, pieces, /\033\[/)
            text = pieces[1]; first = text ~ /[^ ]/ ? fg "/" bg "/" bold : ""
            for (i = 2; i <= n; i++) {
                m = index(pieces[i], "m")
                apply(substr(pieces[i], 1, m - 1))
                piece = substr(pieces[i], m + 1)
                if (first == "" && piece ~ /[^ ]/) first = fg "/" bg "/" bold
                text = text piece
            }
            sub(/ +$/, "", text)
            print (first == "" ? "-" : first) "|" text
        }' >"$work/screen"
    # The current step's part: from its "== STEP" line to the next step's, or (once a long
    # listing has pushed its first line out) what there is up to the next step.
    awk -v mark="== $step" '
    { line[++n] = $0; text[n] = substr($0, index($0, "|") + 1) }
    text[n] == mark { from = n }
    END {
        start = from > 0 ? from : 1
        for (stop = start + 1; stop <= n && (text[stop] !~ /^== / || text[stop] == mark); stop++);
        for (i = start; i < stop; i++) print line[i]
    }' "$work/screen" >"$work/step"
}
step=""
screen() { cat "$work/screen"; }
in_step() { cat "$work/step"; }
texts() { cut -d'|' -f2- "$work/step"; }
colours_of() { in_step | grep -E "^[^|]*\|$1" | cut -d'|' -f1; }

fail() {
    echo "FAIL ($step): $*; the terminal shows:" >&2
    snap
    screen | cut -d'|' -f2- >&2
    exit 1
}
# Waits up to `patience` seconds (20 unless set) for a test to hold; the description names it in
# the failure.
wait_for() {
    local what=$1
    shift
    for _ in $(seq $((${patience:-20} * 10))); do
        snap
        if "$@"; then return 0; fi
        sleep 0.1
    done
    fail "$what did not happen"
}

prompt_shown() { texts | grep -q 'Press a key to continue'; }
step_ended() { texts | grep -qE "^$step result [0-9]+$"; }
result_is() { texts | grep -qE "^$step result $1$" || fail "the result is not $1"; }
# Dump lines so far: the last line's offset tells, as the buffer's lines are 16 bytes each.
dump_lines() {
    local offset
    offset=$(texts | grep -E '^[0-9A-Fa-f]{8}  [0-9A-Fa-f]{2} ' | tail -1 | cut -c1-8)
    echo $((${offset:+16#$offset / 16 + 1}))
}
bblist_rows() { texts | grep -cE '^[0-9A-F]{8,16}  ' || true; }
lines_listed() { if [ "$step" = bblist ]; then bblist_rows; else dump_lines; fi; }

begin() {
    step=$1
    wait_for "the step's start" eval 'texts | grep -qx "== $step"'
}
# Waits for the prompt after `lines` lines (or for the listing to get past them) and fails unless
# it stands at the prompt there.
at_or_past() { [ "$(lines_listed)" -gt "$1" ] || step_ended || { prompt_shown && [ "$(lines_listed)" -ge "$1" ]; }; }
expect_prompt_after() {
    wait_for "a prompt after $1 lines" at_or_past "$1"
    if [ "$(lines_listed)" -ne "$1" ] || ! prompt_shown; then
        fail "not at a prompt after $1 lines, but after $(lines_listed)"
    fi
}
# Sends a key and expects the next prompt after `lines` lines in all.
answer() {
    tmux_ send-keys -t console "$1"
    expect_prompt_after "$2"
}
expect_end() {
    wait_for "the end of the listing" step_ended
    result_is "$1"
    if [ -n "${2:-}" ] && [ "$(lines_listed)" -ne "$2" ]; then
        fail "the listing ended after $(lines_listed) lines, not $2"
    fi
}
# The mark on a line of its own (a terminal may echo ^C at the end of a line besides).
mark_shown() { texts | grep -qx ' ^C'; }

# ---------------------------------------------------------------------------------------------
cp "$here/console_in_tmux.btm" "$work/"
printf 'set -g history-limit 5000\n' >"$work/tmux.conf"
{
    echo 'echo $$ >pid'
    printf 'exec'
    printf ' %q' "${launcher[@]}"
    echo ' console_in_tmux.btm'
} >"$work/run.sh"
unset NO_COLOR Highlight noloadmsg
tmux_ -f "$work/tmux.conf" new-session -d -s console -x 80 -y 25 -c "$work" \
    "bash run.sh; echo plughost ended; sleep 600" </dev/null >/dev/null 2>&1

begin "first key" # Wine's console may take seconds over its first key
expect_prompt_after 3
tmux_ send-keys -t console c
patience=60 wait_for "the first key to be read" step_ended
expect_end 0 10

begin bblist # three lines of header, then 20 rows a page
expect_prompt_after 20
answer Enter 43
tmux_ send-keys -t console Escape
expect_end 3 43
! texts | grep -qE 'buffers\.$' || fail "the listing went on after Esc"
wait_for "all 60 buffers to be freed" eval 'texts | grep -qx "freed 60"'
# A 64-bit handle with an empty upper half would not show a handle cut to 32 bits.
! texts | grep -qE '^00000000[0-9A-F]{8}  ' || fail "a 64-bit handle lies below 4 GiB"

begin keys # a page of 20 lines, then each key of the prompt in turn
expect_prompt_after 20
answer / 30   # half a page
answer 5 35
answer 0 45   # ten
answer Right 65 # any other key, an arrow among them: a page
answer x 85
lines=85
for digit in 1 2 3 4 6 7 8 9; do
    lines=$((lines + digit))
    answer "$digit" "$lines"
done
tmux_ send-keys -t console A # all the rest (C at the other prompts)
expect_end 0 200
! prompt_shown || fail "a prompt came after A"

begin esc # the window's page: 25 rows less 2
expect_prompt_after 23
tmux_ send-keys -t console Escape
expect_end 3 23
! mark_shown || fail "Esc wrote the Ctrl-C mark"

begin ctrl-c
expect_prompt_after 23
tmux_ send-keys -t console C-c
expect_end 3 23
mark_shown || fail "Ctrl-C at the prompt wrote no mark"

begin timed # timed from the key that lets the timed listings start
expect_prompt_after 3
started=$(date +%s.%N)
tmux_ send-keys -t console c
wait_for "the listings to go on by themselves" step_ended
ended=$(date +%s.%N)
expect_end 0 10
awk -v a="$started" -v b="$ended" 'BEGIN { exit !(b - a >= 2 * 1 + 3 * 0.3) }' ||
    fail "the listings did not wait 2.9 s at their prompts"

# Colours: the host's own output (the step's first line) stands for the normal colour.
alternate_lines() {
    local lines
    lines=$(colours_of '[0-9A-Fa-f]{8}  ' | tr '\n' ' ')
    [ "$lines" = "$normal $1 $normal $1 " ] ||
        fail "the dump lines' colours are $lines, not alternately $normal and $1"
}
begin "colours default"
wait_for "the end of the listing" step_ended
result_is 0
normal=$(colours_of "== $step")
[ "$normal" = d/d/0 ] || fail "the normal colours are $normal, not the terminal's own (the Ctrl-C mark's stayed)"
highlight=$(colours_of "Buffer ")
[ -n "$highlight" ] && [ "$highlight" != "$normal" ] || fail "the header is not highlighted"
alternate_lines "$highlight"

begin "colours off" # NO_COLOR
wait_for "the end of the listing" step_ended
[ -z "$(in_step | grep -v '^-|' | cut -d'|' -f1 | grep -vx "$normal")" ] ||
    fail "NO_COLOR left colours in the listing"

begin "colours 0x17"
wait_for "the end of the listing" step_ended
[ "$(colours_of "Buffer ")" = d/44/0 ] || fail "the header is not white on blue"
[ "$windows" -eq 1 ] || alternate_lines d/44/0 # Wine: see the top

begin unpaged
expect_prompt_after 3
tmux_ send-keys -t console c
if [ "$windows" -eq 0 ]; then
    # Esc during unpaged output brings a prompt; C goes on without paging.
    wait_for "the listing to go on" eval '[ "$(dump_lines)" -gt 3 ]'
    tmux_ send-keys -t console Escape
    wait_for "a prompt after Esc" prompt_shown
    tmux_ send-keys -t console c
    wait_for "the listing to go on" eval '! prompt_shown'
fi
wait_for "the listing to go on" eval '[ "$(dump_lines)" -gt 3 ]'
tmux_ send-keys -t console C-c
wait_for "the end of the listing" step_ended
result_is 3
mark_shown || fail "Ctrl-C during the output wrote no mark"
[ "$(colours_of ' \^C$')" != "$normal" ] || fail "the Ctrl-C mark is not highlighted"

wait_for "the end of the script" eval 'screen | grep -q "|plughost ended$"'
echo "console in a terminal: pause keys, timed prompts, BBLIST paging, colours and Ctrl-C"
