# Sourced by the scripts: a persistent wineserver for one prefix, with Wine's services
# running, detached from the caller's pipes so that CTest never waits on it.
wine_session_start() {
    export WINEPREFIX=$1
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    "$(dirname "${BASH_SOURCE[0]}")/../cmake/wine-run" "$WINEPREFIX" --init
    setsid wineserver -p </dev/null >/dev/null 2>&1 || true
    # wineboot starts the service manager and the services set to start automatically.
    setsid wine wineboot </dev/null >/dev/null 2>&1 || true
    # Task Scheduler 1.0 needs Wine's Schedule service.
    setsid wine net start schedule </dev/null >/dev/null 2>&1 || true
    # One desktop for the whole session, started here and not from a test (see the source).
    local keeper=$WINEPREFIX/drive_c/desktop-keeper.exe
    local source
    source=$(dirname "${BASH_SOURCE[0]}")/desktop-keeper.c
    if [ ! -f "$keeper" ] || [ "$source" -nt "$keeper" ]; then
        i686-w64-mingw32-gcc -O2 -mwindows -o "$keeper" "$source"
    fi
    local ready=$keeper.ready
    rm -f "$ready"
    setsid wine "$keeper" </dev/null >/dev/null 2>&1 &
    # Started in the background, the keeper may still be loading (emulated, on a busy machine)
    # when the first tests open windows: wait until it holds the desktop.
    for _ in $(seq 1200); do
        [ -f "$ready" ] && break
        sleep 0.1
    done
    [ -f "$ready" ] || echo "wine-session: the desktop keeper did not start within 120 s" >&2
}

wine_session_stop() {
    wineserver -k >/dev/null 2>&1 || true
}
