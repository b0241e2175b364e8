#!/usr/bin/env bash
# Paging, pause keys, colours and Ctrl-C on a real terminal: plughost runs console_in_tmux.btm in
# a tmux window of 80 by 25, and this script answers its prompts as a user would, checking after
# each key what the terminal shows; Ctrl-C stops a digest of a file of 1 TiB (a sparse one). The launcher is the native plughost, or Wine and a Windows
# plughost.exe (Wine gives it a console on the pane; the caller's environment names the prefix).
#
#   console_in_tmux.sh LAUNCHER...    e.g.  /usr/lib/wine/wine64 build/mingw-x64/plughost.exe
#
# Left out under Wine: an Esc held down during unpaged output (GetKeyState needs a window
# system), and the lines after a white-on-blue header (Wine 8's terminal console writes no colour
# change when only the background goes back to black). Left out for both: Ctrl-Break, which a
# terminal has no key for and Wine makes no event of.
#
# Natively, besides: the terminal's modes after SIGTERM and SIGHUP at a prompt (its parent a
# shell that is not interactive, which would not put them back itself), and after Ctrl-Z at a
# prompt; after fg the prompt is written again and answered by a key alone.
set -u
here=$(cd "$(dirname "$0")" && pwd)
launcher=("$@")
windows=0
[[ "${launcher[*]}" == *.exe* ]] && windows=1
command -v tmux >/dev/null || { echo "tmux is missing: scripts/setup.sh installs it" >&2; exit 1; }

socket="kv-console-$$"
work=$(mktemp -d)
tmux_() { tmux -L "$socket" "$@"; }
finish() {
    tmux_ kill-server 2>/dev/null
    # The program ends with its terminal; a Wine program takes a moment to go.
    local pid
    pid=$(cat "$work/pid" 2>/dev/null)
    [ -z "$pid" ] || timeout 5 tail --pid="$pid" -f /dev/null || kill -KILL "$pid" 2>/dev/null
    rm -rf "$work"
}
trap finish EXIT

# The pane's history as "COLOURS|TEXT" lines without trailing blanks, COLOURS being foreground,
# background and bold at the line's first visible character ("-" for a blank line), light grey on
# black counting as the terminal's own ("d"); tmux writes SGR only where colours change. Then
# the step's part: from its "== STEP" line (or the top, once a long listing has pushed it out) to
# the next step's.
snap() {
    tmux_ capture-pane -p -e -J -S - -t "$pane" 2>/dev/null | awk '
        BEGIN { fg = "d"; bg = "d"; bold = 0 }
        function apply(params,    n, codes, i, c) {
            if ((n = split(params, codes, ";")) == 0) { fg = "d"; bg = "d"; bold = 0 }
            for (i = 1; i <= n; i++) {
                c = codes[i] + 0
                if (c == 0) { fg = "d"; bg = "d"; bold = 0 }
                else if (c == 1 || c == 22) bold = c == 1
                else if (c == 39 || c == 37) fg = "d"
                else if (c == 49 || c == 40) bg = "d"
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
    awk -v mark="== $step" '{ line[++n] = $0; text[n] = substr($0, index($0, "|") + 1) }
        text[n] == mark { from = n }
        END { for (i = from ? from : 1; i <= n && (i == from || text[i] !~ /^== /); i++) print line[i] }
        ' "$work/screen" >"$work/step"
}
step=""
pane=console
texts() { cut -d'|' -f2- "$work/step"; }
colours_of() { grep -E "^[^|]*\|$1" "$work/step" | cut -d'|' -f1; }

fail() {
    echo "FAIL ($step): $*; the terminal shows:" >&2
    snap
    cut -d'|' -f2- "$work/screen" >&2
    exit 1
}
# Waits up to `patience` seconds (20 unless set) for a test to hold.
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
# Lines listed so far: BBLIST's rows, or a dump's lines, which the last offset tells (16 bytes a
# line).
lines_listed() {
    if [ "$step" = bblist ]; then texts | grep -cE '^[0-9A-F]{8,16}  '; return; fi
    local offset
    offset=$(texts | grep -E '^[0-9A-Fa-f]{8}  [0-9A-Fa-f]{2} ' | tail -1 | cut -c1-8)
    echo $((${offset:+16#$offset / 16 + 1}))
}
begin() {
    step=$1
    wait_for "the step's start" eval 'texts | grep -qx "== $step"'
}
# Waits for the prompt after `lines` lines (or for the listing to get past them) and fails unless
# it stands at the prompt there.
at_or_past() { [ "$(lines_listed)" -gt "$1" ] || step_ended || { prompt_shown && [ "$(lines_listed)" -ge "$1" ]; }; }
expect_prompt_after() {
    wait_for "a prompt after $1 lines" at_or_past "$1"
    [ "$(lines_listed)" -eq "$1" ] && prompt_shown ||
        fail "not at a prompt after $1 lines, but after $(lines_listed)"
}
key() { tmux_ send-keys -t "$pane" "$@"; }
# Sends a key and expects the next prompt after `lines` lines in all.
answer() {
    key "$1"
    expect_prompt_after "$2"
}
expect_end() {
    wait_for "the end of the listing" step_ended
    result_is "$1"
    [ -z "${2:-}" ] || [ "$(lines_listed)" -eq "$2" ] ||
        fail "the listing ended after $(lines_listed) lines, not $2"
}
# The mark on a line of its own (a terminal may echo ^C at the end of a line besides).
mark_shown() { texts | grep -qx ' ^C'; }

# ---------------------------------------------------------------------------------------------
cp "$here/console_in_tmux.btm" "$work/"
truncate -s 1T "$work/huge.bin"
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

# Timed from the key that lets the timed listings start. It is the program's first key, which
# Wine's console takes seconds over (it tries to start its desktop process, which finds no
# display).
begin timed
expect_prompt_after 3
started=$(date +%s.%N)
key c
patience=60 wait_for "the listings to go on by themselves" step_ended
ended=$(date +%s.%N)
expect_end 0 10
awk -v a="$started" -v b="$ended" 'BEGIN { exit !(b - a >= 2 * 1 + 3 * 0.3) }' ||
    fail "the listings did not wait 2.9 s at their prompts"

begin bblist # three lines of header, then 20 rows a page
expect_prompt_after 20
answer Enter 43
key Escape
expect_end 3 43
! texts | grep -qE 'buffers\.$' || fail "the listing went on after Esc"
! mark_shown || fail "Esc wrote the Ctrl-C mark"
wait_for "all 60 buffers to be freed" eval 'texts | grep -qx "freed 60"'
# A 64-bit handle with an empty upper half would not show a handle cut to 32 bits.
! texts | grep -qE '^00000000[0-9A-F]{8}  ' || fail "a 64-bit handle lies below 4 GiB"

begin keys # a page of 20 lines, then each key of the prompt in turn
expect_prompt_after 20
answer / 30     # half a page
answer 5 35
answer 0 45     # ten
answer Right 65 # any other key, an arrow among them: a page
answer x 85
lines=85
for digit in 1 2 3 4 6 7 8 9; do
    lines=$((lines + digit))
    answer "$digit" "$lines"
done
key A # all the rest (C at the other prompts)
expect_end 0 200
! prompt_shown || fail "a prompt came after A"

begin ctrl-c # the window's page: 25 rows less 2
expect_prompt_after 23
key C-c
expect_end 3 23
mark_shown || fail "Ctrl-C at the prompt wrote no mark"

# Colours: the host's own output (the step's first line) stands for the normal colour.
alternate_lines() {
    local lines
    lines=$(colours_of '[0-9A-Fa-f]{8}  ' | tr '\n' ' ')
    [ "$lines" = "$normal $1 $normal $1 " ] ||
        fail "the dump lines' colours are $lines, not alternately $normal and $1"
}
begin "colours default"
expect_end 0
normal=$(colours_of "== $step")
[ "$normal" = d/d/0 ] || fail "the normal colours are $normal, not the terminal's own (the Ctrl-C mark's stayed)"
highlight=$(colours_of "Buffer ")
[ -n "$highlight" ] && [ "$highlight" != "$normal" ] || fail "the header is not highlighted"
alternate_lines "$highlight"

begin "colours off" # NO_COLOR
expect_end 0
[ -z "$(grep -v '^-|' "$work/step" | cut -d'|' -f1 | grep -vx "$normal")" ] ||
    fail "NO_COLOR left colours in the listing"

begin "colours 0x17"
expect_end 0
[ "$(colours_of "Buffer ")" = d/44/0 ] || fail "the header is not white on blue"
[ "$windows" -eq 1 ] || alternate_lines d/44/0 # Wine: see the top

begin unpaged
expect_prompt_after 3
key c
going_on() { [ "$(lines_listed)" -gt 3 ]; }
if [ "$windows" -eq 0 ]; then
    # Esc during unpaged output brings a prompt; C goes on without paging.
    wait_for "the listing to go on" going_on
    key Escape
    wait_for "a prompt after Esc" prompt_shown
    key c
    wait_for "the listing to go on" eval '! prompt_shown'
fi
wait_for "the listing to go on" going_on
key C-c
expect_end 3
mark_shown || fail "Ctrl-C during the output wrote no mark"
[ "$(colours_of ' \^C$')" != "$normal" ] || fail "the Ctrl-C mark is not highlighted"

begin filehash
sleep 1 # the digest is under way: the line that gives it runs right after the step's name
key C-c
# (The terminal echoes ^C itself, as nothing reads keys meanwhile.)
wait_for "the digest to stop" eval 'texts | grep -qE "^(\^C)?filehash result 0 1223$"'

wait_for "the end of the script" eval 'grep -q "|plughost ended$" "$work/screen"'
if [ "$windows" -eq 1 ]; then
    echo "console in a terminal: pause keys, timed prompts, BBLIST paging, colours and Ctrl-C"
    echo "(of a listing and of a digest)"
    exit 0
fi

# ---------------------------------------------------------------------------------------------
# Signals at a prompt, each in a terminal of its own. Its modes are read from outside, at the
# prompt (raw mode, that the test shows something) and once the program has gone.
printf '%s\n' 'set three=%@balloc[96]' 'echo == prompt' 'bbdump /p:,3 %three' \
    'echo prompt result %_?' >"$work/prompt.btm"
plughost_line=$(printf '%q ' "${launcher[@]}")prompt.btm
open_terminal() {
    pane=$1
    tmux_ new-session -d -s "$pane" -x 80 -y 25 -c "$work" "$2" </dev/null >/dev/null 2>&1
    tty=$(tmux_ display-message -p -t "$pane" '#{pane_tty}')
}
# "icanon echo" when line editing and echo are on, "-icanon -echo" in raw mode.
modes() { stty -a <"$tty" | tr ' ;' '\n\n' | grep -xE -- '-?(icanon|echo)' | tr '\n' ' '; }
modes_are() { [ "$(modes)" = "$1 " ]; }

# plughost started by a shell that is not interactive, at its prompt; $pid is its process.
prompt_under_sh() {
    {
        echo "$plughost_line &"
        echo "echo \$! >pid.$1"
        echo 'wait $!; status=$?; echo; echo "status $status"'
        echo 'sleep 600'
    } >"$work/signal.sh"
    open_terminal "$1" "sh signal.sh"
    step=prompt
    expect_prompt_after 3
    pid=$(cat "$work/pid.$1")
    modes_are "-icanon -echo" || fail "the prompt's terminal is not in raw mode: $(modes)"
}
for signal in TERM HUP; do
    prompt_under_sh "$signal"
    kill -"$signal" "$pid"
    wait_for "the end after SIG$signal" eval 'texts | grep -qE "^status [0-9]+$"'
    expected=$((128 + $(kill -l "$signal")))
    texts | grep -qx "status $expected" || fail "SIG$signal did not end it with status $expected"
    modes_are "icanon echo" || fail "after SIG$signal the terminal's modes are $(modes)"
done

# Ctrl-Z, under a shell with job control that leaves the modes alone: they are put back before
# the program stops; after fg raw mode returns, the prompt is written again below the shell's
# lines, and a key without Enter answers it.
{
    echo 'set -m'
    echo "$plughost_line"
    echo 'status=$?; echo; echo "stopped $status"'
    echo 'echo "modes $(stty -a | tr " ;" "\n\n" | grep -xE -- "-?(icanon|echo)" | tr "\n" " ")"'
    echo 'fg >/dev/null'
    echo 'sleep 600'
} >"$work/stop.sh"
open_terminal stop "bash stop.sh"
step=prompt
expect_prompt_after 3
key C-z
wait_for "the stop" eval 'texts | grep -q "^modes "'
texts | grep -qx "stopped $((128 + $(kill -l TSTP)))" || fail "Ctrl-Z did not stop it"
texts | grep -qx "modes icanon echo" || fail "stopped with the terminal in raw mode"
prompt_again() { texts | sed -n '/^modes /,$p' | grep -q 'Press a key to continue'; }
wait_for "the prompt after fg" prompt_again
modes_are "-icanon -echo" || fail "after fg the terminal is not in raw mode: $(modes)"
key c
wait_for "the answer to a key without Enter" step_ended
result_is 0
echo "console in a terminal: pause keys, timed prompts, BBLIST paging, colours, Ctrl-C, and"
echo "the terminal's modes after SIGTERM, SIGHUP and Ctrl-Z at a prompt"
