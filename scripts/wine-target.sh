# Wine for one Windows target, shared by the scripts that run the products under Wine. Sourced,
# not run:
#
#   . scripts/wine-target.sh
#   wine_target x86|x64      # the target's Wine, the prefix and environment (exported)
#   wine_start               # its prefix made when new, its own server started
#   "$WINE" program.exe ... </dev/null >out 2>err
#   wine_stop                # every Wine process of the prefix ended
#
# Both targets share one 64-bit prefix, kept outside the clone in
# ${XDG_CACHE_HOME:-~/.cache}/korvanite/wine so that a new clone finds it ready, with its own
# server: the 32-bit products run there as 32-bit TCC runs on 64-bit Windows, beside the
# 64-bit services. Only the 32-bit programs themselves run under qemu's emulator; a 32-bit prefix
# would emulate its making and every service as well.

# Nothing started here may outlive the script or hold its caller's output: Wine processes get
# files or /dev/null as their streams, never a pipe (a server keeps what it inherited open for
# as long as it runs), and the server lingers only a while after its last program, so that even
# a script killed outright leaves nothing running for long. wine_stop ends the rest.

wine_target() {
    case $1 in
        x86) WINE=/usr/lib/wine/wine ;;
        x64) WINE=/usr/lib/wine/wine64 ;;
        *) echo "wine_target: no such target: $1" >&2; return 1 ;;
    esac
    WINE_SERVER=/usr/lib/wine/wineserver64
    WINEPREFIX=${XDG_CACHE_HOME:-$HOME/.cache}/korvanite/wine
    export WINE WINE_SERVER WINEPREFIX WINEARCH=win64 WINEDEBUG=-all
    # No Gecko or Mono installers, no desktop menus, and no registration of the browser: each
    # would be a process start, under emulation a minute.
    export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree,mshtml=;iexplore.exe=d"
}

# The Wine processes of the prefix (default: the current one), one process id a line: the
# server, the services and every program, which all inherit WINEPREFIX from what started them.
# 32-bit Wine runs as qemu-i386.
wine_processes() {
    local prefix=${1:-$WINEPREFIX} dir exe
    for dir in /proc/[0-9]*; do
        exe=$(readlink "$dir/exe" 2>/dev/null) || continue
        case $exe in /usr/lib/wine/* | */qemu-i386*) ;; *) continue ;; esac
        tr '\0' '\n' <"$dir/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$prefix" &&
            echo "${dir#/proc/}"
    done
}

# The Wine processes of the prefix that hold this shell's output or error stream open, as
# "PID COMMAND" lines. A reader of that pipe would wait for them to end.
wine_holding_output() {
    local ours pid fd
    ours=$(readlink /proc/$$/fd/1 /proc/$$/fd/2 | grep -vxF /dev/null)
    [ -n "$ours" ] || return 0
    for pid in $(wine_processes); do
        for fd in /proc/"$pid"/fd/*; do
            if grep -qxF -- "$(readlink "$fd" 2>/dev/null)" <<<"$ours"; then
                ps -o pid=,args= -p "$pid"
                break
            fi
        done
    done
}

# How long the server stays after its last program has ended. Services end with the last
# program; the server then ends by itself, also when nobody stops it.
wine_server_linger=600

# Makes the prefix when it is new and starts the target's server for it. A new prefix is emptied
# before its server starts: the prefix records its running server's folder in its `wineserver`
# file, and a server whose record is gone can no longer be reached to be stopped.
wine_start() {
    mkdir -p "$WINEPREFIX" || return 1
    wine_stop >/dev/null
    if [ ! -f "$WINEPREFIX/.ready" ]; then
        find "$WINEPREFIX" -mindepth 1 -delete || return 1
    fi
    "$WINE_SERVER" -p"$wine_server_linger" </dev/null >/dev/null 2>&1 || {
        echo "$WINE_SERVER does not start" >&2
        return 1
    }
    [ -f "$WINEPREFIX/.ready" ] && return 0

    # A new prefix. wineboot returns while the set-up goes on in the background; it is done
    # when only the services are left.
    local started=$SECONDS
    timeout 2400 "$WINE" wineboot --init </dev/null >"$WINEPREFIX.boot.log" 2>&1
    local waited=0
    while wine_processes | xargs -r ps -o args= -p 2>/dev/null | grep -qiE 'rundll32|wineboot'; do
        ((waited < 2400)) || break
        sleep 2
        waited=$((waited + 2))
    done
    if [ ! -f "$WINEPREFIX/drive_c/windows/system32/kernel32.dll" ]; then
        echo "the Wine prefix $WINEPREFIX could not be made" >&2
        return 1
    fi
    touch "$WINEPREFIX/.ready"
    echo "wine prefix made in $((SECONDS - started)) s"
}

# Ends every Wine process of the prefix: the server is told to end (and with it its programs),
# and whatever is left after a grace period, such as a server that lost its record, is killed.
# Prints what had to be killed; fails when something was.
wine_stop() {
    "$WINE_SERVER" -k </dev/null >/dev/null 2>&1
    local left waited=0
    while left=$(wine_processes) && [ -n "$left" ] && ((waited < 30)); do
        sleep 1
        waited=$((waited + 1))
    done
    [ -z "$left" ] && return 0
    echo "still running in $WINEPREFIX after its server was stopped:"
    xargs ps -o pid=,args= -p <<<"$left"
    xargs kill -9 <<<"$left" 2>/dev/null
    return 1
}
