#!/bin/sh
# The help launcher end to end in the native build: plughost asks the plug-in for help, the
# plug-in finds Korvanite.chm through KorvaniteHelp (written with slashes or with backslashes)
# and starts a stand-in hh.exe found on PATH, and the viewer ends when the host unloads the
# plug-in. Without a viewer on PATH the text of the "Missing Help File" message box appears on
# standard error.
#
#   sh native_help_launch.sh PLUGHOST
set -u
plughost=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "native help launch: $*" >&2
    exit 1
}

mkdir "$work/docs" "$work/bin" "$work/empty"
: >"$work/docs/Korvanite.chm"
# The stand-in viewer notes its process id and arguments, then waits to be ended.
cat >"$work/bin/hh.exe" <<VIEWER
#!/bin/sh
PATH=/usr/bin:/bin
{ echo \$\$; printf '%s\n' "\$@"; } >"$work/viewer.tmp"
mv "$work/viewer.tmp" "$work/viewer.txt"
exec sleep 60
VIEWER
chmod +x "$work/bin/hh.exe"

# Lines go to plughost one at a time, so that it is still running when the viewer starts. The
# folder is given as written natively and as a Windows user writes it, with backslashes only.
mkfifo "$work/input"
for folder in "$work/docs" "$(printf '%s' "$work/docs" | tr / '\\')"; do
    rm -f "$work/viewer.txt"
    env -u PluginHelp PATH="$work/bin" KorvaniteHelp="$folder" \
        "$plughost" <"$work/input" >"$work/out" 2>"$work/err" &
    host=$!
    exec 3>"$work/input"
    echo 'help @BPOKEX' >&3
    echo 'echo result %_?' >&3
    tries=0
    while [ ! -f "$work/viewer.txt" ] && [ $tries -lt 500 ]; do
        sleep 0.01
        tries=$((tries + 1))
    done
    exec 3>&-
    wait $host || fail "plughost ended with $?"

    [ -f "$work/viewer.txt" ] || fail "no viewer was started for KorvaniteHelp=$folder"
    viewer=$(sed -n 1p "$work/viewer.txt")
    argument=$(sed -n 2p "$work/viewer.txt")
    [ "$argument" = "$work/docs/Korvanite.chm::/f_bpokex.html" ] ||
        fail "the viewer was given \"$argument\""
    [ "$(sed -n 3p "$work/viewer.txt")" = "" ] || fail "the viewer was given more than one argument"
    grep -q '^result 1' "$work/out" || fail "help gave: $(cat "$work/out")"
    [ ! -s "$work/err" ] || fail "unexpected standard error: $(cat "$work/err")"
    # Ended and reaped with the plug-in's unload.
    if kill -0 "$viewer" 2>/dev/null; then
        kill "$viewer"
        fail "the viewer still runs after the host ended"
    fi
done

# No viewer anywhere: the message box text, and still the result 1.
env -u KorvaniteHelp -u PluginHelp PATH="$work/empty" windir='C:\Windows' \
    "$plughost" -c 'help bblist' -c 'echo result %_?' >"$work/out" 2>"$work/err" ||
    fail "plughost failed without a viewer"
grep -q '^result 1' "$work/out" || fail "help without a viewer gave: $(cat "$work/out")"
printf '%s\n' \
    'Missing Help File' \
    'I can’t find the help file Korvanite.chm.  It should be:' \
    '' \
    '    •  in a directory specified in %KORVANITEHELP' \
    '    •  in a directory specified in %PLUGINHELP' \
    '    •  in the same directory as the .DLL file' \
    '    •  in a HELP directory within the .DLL’s directory  ' \
    '    •  in the same directory as the command shell' \
    '    •  in a HELP directory within the shell’s directory  ' \
    '    •  or in C:\Windows\Help.' >"$work/expected"
cmp -s "$work/expected" "$work/err" || fail "the message reads: $(cat "$work/err")"
echo "native help launch: passed"
