#!/usr/bin/env bash
# Runs a command inside a private KWin Wayland session: a D-Bus session bus
# and a headless KWin 5.27 (its virtual backend, one 1280x800 output) with a
# Wayland socket of its own. The session ends with the command, whose exit
# status is returned.
#
#   scripts/kwin-session.sh COMMAND [ARGS...]
#
# The packaged kwin_wayland carries a file capability (CAP_SYS_NICE) that this
# kind of machine cannot grant, so that exec fails; a copy without it runs. The
# copy keeps the name kwin_wayland, which KWin's platform plugin checks.

set -euo pipefail

if [ -z "${DEXARO_KWIN_BUS:-}" ]; then
    export DEXARO_KWIN_BUS=1
    exec dbus-run-session -- "$0" "$@"
fi

width=${DEXARO_SCREEN_WIDTH:-1280}
height=${DEXARO_SCREEN_HEIGHT:-800}

tmp=$(mktemp -d)
kwin_pid=
cleanup() {
    [ -n "$kwin_pid" ] && kill "$kwin_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$tmp"
}
trap cleanup EXIT

wait_for() { # seconds description command...
    local deadline=$((SECONDS + $1)) what=$2
    shift 2
    until "$@" >/dev/null 2>&1; do
        if [ $SECONDS -ge $deadline ]; then
            echo "kwin-session: $what did not come up" >&2
            tail -n 20 "$tmp/kwin.log" >&2 || true
            exit 1
        fi
        sleep 0.1
    done
}

mkdir -m 0700 "$tmp/runtime" "$tmp/bin" "$tmp/config"
cp /usr/bin/kwin_wayland "$tmp/bin/kwin_wayland"
export XDG_RUNTIME_DIR="$tmp/runtime" XDG_CONFIG_HOME="$tmp/config" XDG_SESSION_TYPE=wayland
export WAYLAND_DISPLAY="dexaro-kwin-$$"
unset DISPLAY
KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 "$tmp/bin/kwin_wayland" --virtual --width "$width" --height "$height" --socket "$WAYLAND_DISPLAY" \
    >"$tmp/kwin.log" 2>&1 &
kwin_pid=$!
# For tests that start a KWin of their own.
export DEXARO_KWIN_PROGRAM="$tmp/bin/kwin_wayland"
wait_for 30 "KWin" dbus-send --session --print-reply --dest=org.kde.KWin /Scripting \
    org.freedesktop.DBus.Peer.Ping
wait_for 10 "KWin's Wayland socket" test -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY"

echo "kwin-session: WAYLAND_DISPLAY=$WAYLAND_DISPLAY ${width}x${height}, $("$tmp/bin/kwin_wayland" --version 2>/dev/null)" >&2
set +e
"$@"
status=$?
set -e
if [ $status -ne 0 ] && [ -n "${DEXARO_KWIN_LOG:-}" ]; then
    cp "$tmp/kwin.log" "$DEXARO_KWIN_LOG" 2>/dev/null || true
fi
exit $status
