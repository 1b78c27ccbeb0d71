#!/usr/bin/env bash
# Runs a command inside a private desktop session: a D-Bus session bus, Xvfb,
# openbox as window manager and tint2 as panel with a system tray (one panel at
# the top with the tray, one at the bottom). The session ends with the command,
# whose exit status is returned.
#
#   scripts/x11-session.sh COMMAND [ARGS...]

set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"

if [ -z "${DEXARO_SESSION_BUS:-}" ]; then
    export DEXARO_SESSION_BUS=1
    exec dbus-run-session -- "$0" "$@"
fi

width=${DEXARO_SCREEN_WIDTH:-1440}
height=${DEXARO_SCREEN_HEIGHT:-900}

pids=()
tmp=$(mktemp -d)
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$tmp"
}
trap cleanup EXIT

wait_for() { # seconds description command...
    local deadline=$((SECONDS + $1)) what=$2
    shift 2
    until "$@" >/dev/null 2>&1; do
        if [ $SECONDS -ge $deadline ]; then
            echo "x11-session: $what did not come up" >&2
            tail -n 20 "$tmp"/*.log >&2 2>/dev/null || true
            exit 1
        fi
        sleep 0.1
    done
}

# Xvfb picks a free display itself and writes its number once it accepts clients,
# so sessions started at the same time never share a display. -noreset: without
# it the server resets when its last client leaves (the xdpyinfo probe below),
# and a client connecting during the reset is refused.
Xvfb -displayfd 3 -screen 0 "${width}x${height}x24" -nolisten tcp -noreset +extension XInputExtension \
    3>"$tmp/display" >"$tmp/xvfb.log" 2>&1 &
pids+=($!)
wait_for 20 "Xvfb" grep -q '[0-9]' "$tmp/display"
n=$(tr -dc '0-9' <"$tmp/display")
export DISPLAY=":${n}"
wait_for 20 "Xvfb" xdpyinfo

openbox >"$tmp/openbox.log" 2>&1 &
pids+=($!)
wait_for 20 "openbox" sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"'

# DEXARO_TRAY_AT=bottom swaps the panels: the tray sits at the bottom edge.
tray_rc="$here/session/tint2-top.rc" clock_rc="$here/session/tint2-bottom.rc"
if [ "${DEXARO_TRAY_AT:-top}" = bottom ]; then
    sed 's/^panel_position = top/panel_position = bottom/' "$tray_rc" >"$tmp/tray.rc"
    sed 's/^panel_position = bottom/panel_position = top/' "$clock_rc" >"$tmp/clock.rc"
    tray_rc="$tmp/tray.rc" clock_rc="$tmp/clock.rc"
fi
tint2 -c "$tray_rc" >"$tmp/tint2-tray.log" 2>&1 &
pids+=($!)
tint2 -c "$clock_rc" >"$tmp/tint2-clock.log" 2>&1 &
pids+=($!)
wait_for 20 "tint2" sh -c '[ "$(xdotool search --class tint2 | wc -l)" -ge 2 ]'
# The panels reserve their space; wait until the window manager's work area shows it.
wait_for 20 "the work area" sh -c "xprop -root _NET_WORKAREA | grep -v -q ' 0, 0, $width, $height'"

echo "x11-session: DISPLAY=$DISPLAY ${width}x${height}, openbox, tint2 (tray at the ${DEXARO_TRAY_AT:-top})" >&2
set +e
"$@"
status=$?
set -e
exit $status
