# shellcheck shell=bash
# Sourced helpers for running Windows builds of Iconlane under Wine on a headless Linux box.
#
#   source scripts/wine-env.sh
#   iconlane_wine_ensure            # display + prefix + wineserver, started once and then reused
#   iconlane_wine64 build/win64/iconlane.exe /BATCH:C:\\lane.txt
#   iconlane_wine_session_stop      # ends wineserver, Xvfb and every Windows process of the session
#
# Layout under $ICONLANE_WINE_DIR (default: <repo>/build/wine):
#   template/     prefix made once by wineboot, then only copied (wineboot ~8 s, a copy < 1 s)
#   prefix/       the live prefix of the current session, a fresh copy of the template
#   session.env   what the running session consists of (display, process ids)
#   logs/         output of Xvfb, wineserver and Wine's own background processes

ICONLANE_ROOT=${ICONLANE_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
ICONLANE_WINE_DIR=${ICONLANE_WINE_DIR:-$ICONLANE_ROOT/build/wine}
# The `wine` wrapper picks the 32-bit loader, which cannot run on these machines.
ICONLANE_WINE_LOADER=/usr/lib/wine/wine64
ICONLANE_WINESERVER=/usr/lib/wine/wineserver
ICONLANE_DESKTOP_SIZE=1024x768

iconlane_wine_log() { echo "wine-env: $*" >&2; }

# Serialises template creation and session start/stop between concurrent callers.
iconlane_wine_locked() {
    mkdir -p "$ICONLANE_WINE_DIR"
    (
        flock -w 300 9 || { iconlane_wine_log "could not lock $ICONLANE_WINE_DIR"; exit 1; }
        "$@"
    ) 9>"$ICONLANE_WINE_DIR/.lock"
}

# Runs the 64-bit loader on a given prefix, quiet. No Mono or Gecko (wineboot would otherwise ask to
# install them and wait for an answer nobody gives), and no menu entries in the Linux home.
iconlane_wine_in_prefix() {
    local prefix=$1 overrides="mscoree,mshtml=;winemenubuilder.exe=d"
    shift
    WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=${WINEDEBUG:--all} \
        WINEDLLOVERRIDES="$overrides${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}" \
        "$ICONLANE_WINE_LOADER" "$@"
}

# Wine's own fonts (fonts-wine). This Wine does not read them from where the package puts them, so
# a prefix gets copies in its Fonts folder: without Marlett, title-bar buttons read "0 1 r".
ICONLANE_WINE_FONTS=/usr/share/wine/fonts

# What a template is made from: the Wine version and its fonts.
iconlane_wine_version() {
    "$ICONLANE_WINE_LOADER" --version 2>/dev/null
    ls "$ICONLANE_WINE_FONTS" 2>/dev/null
}

# Builds the template prefix unless one made by this Wine version and its fonts already exists.
iconlane_wine_prepare_template() {
    local template=$ICONLANE_WINE_DIR/template
    local marker=$template/.iconlane-template
    if [[ -f $marker && $(cat "$marker") == "$(iconlane_wine_version)" ]]; then
        return 0
    fi
    iconlane_wine_log "creating the template prefix (once, ~10 s)"
    local work=$ICONLANE_WINE_DIR/template.new
    rm -rf "$work" "$template"
    mkdir -p "$ICONLANE_WINE_DIR/logs"
    # Virtual desktop "shell" with its task bar and tray; no debugger on a crash (it would wait).
    {
        iconlane_wine_in_prefix "$work" wineboot -i &&
            iconlane_wine_in_prefix "$work" reg add 'HKCU\Software\Wine\Explorer' \
                /v Desktop /t REG_SZ /d shell /f &&
            iconlane_wine_in_prefix "$work" reg add 'HKCU\Software\Wine\Explorer\Desktops' \
                /v shell /t REG_SZ /d "$ICONLANE_DESKTOP_SIZE" /f &&
            iconlane_wine_in_prefix "$work" reg add \
                'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
                /v Debugger /t REG_SZ /d '' /f
    } </dev/null >"$ICONLANE_WINE_DIR/logs/template.log" 2>&1 9>&- || {
        iconlane_wine_log "wineboot failed, see $ICONLANE_WINE_DIR/logs/template.log"
        return 1
    }
    cp "$ICONLANE_WINE_FONTS"/*.ttf "$work/drive_c/windows/Fonts/" 2>/dev/null || true
    # Ending the build's own wineserver writes the registry to disk before the copy is taken.
    WINEPREFIX=$work "$ICONLANE_WINESERVER" -k 2>/dev/null || true
    WINEPREFIX=$work "$ICONLANE_WINESERVER" -w 2>/dev/null || true
    iconlane_wine_version >"$work/.iconlane-template"
    mv "$work" "$template"
}

# Starts Xvfb on a free display and prints ":N PID". Numbers from 100 up stay clear of the low ones
# that people and other tools pick by hand.
iconlane_wine_start_xvfb() {
    local number pid i
    for ((number = 100; number < 200; number++)); do
        [[ -e /tmp/.X$number-lock || -e /tmp/.X11-unix/X$number ]] && continue
        # No tie to the caller's output or to the lock, so that a test runner reading the caller's
        # pipes, or the next locker, never waits for it.
        nohup Xvfb ":$number" -screen 0 "${ICONLANE_DESKTOP_SIZE}x24" -nolisten tcp \
            </dev/null >"$ICONLANE_WINE_DIR/logs/xvfb.log" 2>&1 9>&- &
        pid=$!
        for ((i = 0; i < 100; i++)); do
            if DISPLAY=:$number xdpyinfo >/dev/null 2>&1; then
                echo ":$number $pid"
                return 0
            fi
            kill -0 "$pid" 2>/dev/null || break # lost a race for this number: try the next
            sleep 0.1
        done
        kill "$pid" 2>/dev/null || true
    done
    iconlane_wine_log "Xvfb did not start, see $ICONLANE_WINE_DIR/logs/xvfb.log"
    return 1
}

# True when process <pid> runs a command line containing <word>. A session file can outlive its
# processes (a reboot), and a recycled pid must never be taken for, or ended as, one of ours.
iconlane_wine_pid_runs() {
    local pid=$1 word=$2 cmdline
    [[ -n $pid && -r /proc/$pid/cmdline ]] || return 1
    cmdline=$(tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null) || return 1
    [[ $cmdline == *"$word"* ]]
}

iconlane_wine_session_alive() {
    local state=$ICONLANE_WINE_DIR/session.env
    [[ -f $state ]] || return 1
    # shellcheck disable=SC1090
    (
        source "$state"
        iconlane_wine_pid_runs "$ICONLANE_SESSION_WINESERVER_PID" wineserver || exit 1
        [[ -z $ICONLANE_SESSION_XVFB_PID ]] ||
            iconlane_wine_pid_runs "$ICONLANE_SESSION_XVFB_PID" Xvfb || exit 1
        DISPLAY=$ICONLANE_SESSION_DISPLAY xdpyinfo >/dev/null 2>&1
    )
}

# Starts a persistent wineserver for a prefix and prints its pid once it listens.
iconlane_wine_start_server() {
    local prefix=$1 pid i
    # Kept in the foreground of a background job: its pid is then known, and it holds neither the
    # caller's pipes nor the lock.
    WINEPREFIX=$prefix nohup "$ICONLANE_WINESERVER" -f -p \
        </dev/null >"$ICONLANE_WINE_DIR/logs/wineserver.log" 2>&1 9>&- &
    pid=$!
    # A Windows process started before the server listens would start a server of its own.
    for ((i = 0; i < 100; i++)); do
        [[ -S /proc/$pid/cwd/socket ]] && break
        sleep 0.05
    done
    echo "$pid"
}

# Fresh prefix from the template, a display, a persistent wineserver and the desktop process.
iconlane_wine_session_start_unlocked() {
    iconlane_wine_session_stop_unlocked
    mkdir -p "$ICONLANE_WINE_DIR/logs"
    local display=${DISPLAY:-} xvfb_pid=""
    if [[ -z $display ]]; then
        local started
        started=$(iconlane_wine_start_xvfb) || return 1
        display=${started% *}
        xvfb_pid=${started#* }
    fi
    iconlane_wine_prepare_template || { [[ -z $xvfb_pid ]] || kill "$xvfb_pid" || true; return 1; }
    local prefix=$ICONLANE_WINE_DIR/prefix
    rm -rf "$prefix"
    cp -a "$ICONLANE_WINE_DIR/template" "$prefix"

    local server_pid
    server_pid=$(iconlane_wine_start_server "$prefix")
    cat >"$ICONLANE_WINE_DIR/session.env" <<EOF
ICONLANE_SESSION_DISPLAY=$display
ICONLANE_SESSION_XVFB_PID=$xvfb_pid
ICONLANE_SESSION_WINESERVER_PID=$server_pid
EOF
    # The first Windows process starts the desktop (explorer, with the tray) and the system
    # services; they inherit its standard handles, so it writes to a log and nobody waits on it.
    DISPLAY=$display iconlane_wine_in_prefix "$prefix" \
        explorer.exe /desktop=shell,"$ICONLANE_DESKTOP_SIZE" \
        </dev/null >"$ICONLANE_WINE_DIR/logs/desktop.log" 2>&1 9>&- &
    iconlane_wine_wait_for_desktop "$display" || {
        iconlane_wine_log "the Wine desktop did not come up, see $ICONLANE_WINE_DIR/logs/"
        iconlane_wine_session_stop_unlocked
        return 1
    }
}

# The desktop is ready once an X window named after the virtual desktop exists. A first start on a
# busy machine can take well over ten seconds, so it gets thirty.
iconlane_wine_wait_for_desktop() {
    local display=$1 i windows
    for ((i = 0; i < 300; i++)); do
        # Read whole before matching: with pipefail, grep -q ending the pipe early would fail it.
        windows=$(DISPLAY=$display xwininfo -root -tree 2>/dev/null || true)
        [[ $windows == *"Wine desktop"* ]] && return 0
        sleep 0.1
    done
    return 1
}

iconlane_wine_session_stop_unlocked() {
    local state=$ICONLANE_WINE_DIR/session.env
    [[ -f $state ]] || return 0
    local ICONLANE_SESSION_DISPLAY="" ICONLANE_SESSION_XVFB_PID=""
    local ICONLANE_SESSION_WINESERVER_PID=""
    # shellcheck disable=SC1090
    source "$state"
    # wineserver -k ends every Windows process of the prefix, the desktop included.
    WINEPREFIX=$ICONLANE_WINE_DIR/prefix "$ICONLANE_WINESERVER" -k 2>/dev/null || true
    iconlane_wine_wait_gone "$ICONLANE_SESSION_WINESERVER_PID" wineserver
    if iconlane_wine_pid_runs "$ICONLANE_SESSION_XVFB_PID" Xvfb; then
        kill "$ICONLANE_SESSION_XVFB_PID" 2>/dev/null || true
        iconlane_wine_wait_gone "$ICONLANE_SESSION_XVFB_PID" Xvfb
    fi
    rm -f "$state"
}

# Waits up to 10 s for our process <pid> (running <word>) to end, then kills it.
iconlane_wine_wait_gone() {
    local pid=$1 word=$2 i
    for ((i = 0; i < 100; i++)); do
        iconlane_wine_pid_runs "$pid" "$word" || return 0
        sleep 0.1
    done
    kill -9 "$pid" 2>/dev/null || true
    return 0
}

iconlane_wine_session_start() { iconlane_wine_locked iconlane_wine_session_start_unlocked; }
iconlane_wine_session_stop() { iconlane_wine_locked iconlane_wine_session_stop_unlocked; }

iconlane_wine_ensure_unlocked() {
    iconlane_wine_session_alive || iconlane_wine_session_start_unlocked
}

# Makes sure a session runs (starting one if needed) and exports what Wine needs to join it.
iconlane_wine_ensure() {
    iconlane_wine_locked iconlane_wine_ensure_unlocked || return 1
    local ICONLANE_SESSION_DISPLAY=""
    # shellcheck disable=SC1090
    source "$ICONLANE_WINE_DIR/session.env"
    export DISPLAY=$ICONLANE_SESSION_DISPLAY
    export WINEPREFIX=$ICONLANE_WINE_DIR/prefix WINEARCH=win64 WINEDEBUG=${WINEDEBUG:--all}
    # Keeps Wine from writing menu entries and desktop files into the Linux user's home.
    case ${WINEDLLOVERRIDES:-} in
        *winemenubuilder*) ;;
        *) export WINEDLLOVERRIDES="winemenubuilder.exe=d${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}" ;;
    esac
}

# Runs a Windows program in the session; call iconlane_wine_ensure first.
iconlane_wine64() { "$ICONLANE_WINE_LOADER" "$@"; }
