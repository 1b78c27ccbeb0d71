#!/usr/bin/env bash
# Runs a command inside a private sway session: a D-Bus session bus and sway
# 1.7 headless (one 1440x900 output, XWayland), as scripts/x11-session.sh does
# for X11. sway refuses to run as root: run as root, the script runs sway as
# the unprivileged user dexaro-sway (made here when missing); the command runs
# as the caller with WAYLAND_DISPLAY, SWAYSOCK, DISPLAY (XWayland) and
# XDG_SESSION_TYPE=wayland set. The session ends with the command, whose exit
# status is returned.
#
#   scripts/sway-session.sh COMMAND [ARGS...]

set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"

if [ -z "${DEXARO_SESSION_BUS:-}" ]; then
    export DEXARO_SESSION_BUS=1
    exec dbus-run-session -- "$0" "$@"
fi

pids=()
tmp=$(mktemp -d)
chmod 0755 "$tmp"
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
            echo "sway-session: $what did not come up" >&2
            tail -n 30 "$tmp"/*.log >&2 2>/dev/null || true
            exit 1
        fi
        sleep 0.1
    done
}

as_user=()
if [ "$(id -u)" -eq 0 ]; then
    user=dexaro-sway
    id -u "$user" >/dev/null 2>&1 ||
        useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin "$user"
    as_user=(setpriv --reuid="$user" --regid="$user" --init-groups --)
else
    user=$(id -un)
fi
# sway's own folders: its runtime folder (mode 0700, as a login gives it) and a home.
mkdir -m 0700 "$tmp/runtime" "$tmp/home"
chown "$user:" "$tmp/runtime" "$tmp/home"
cp "$here/session/sway.config" "$tmp/sway.config"
# sway hands its environment to what it starts: the one place DISPLAY of its
# XWayland is told. XWayland admits its owner only: the caller is let in too
# (its first client starts it).
caller=$(id -un)
echo "exec sh -c 'xhost +si:localuser:$caller >$tmp/runtime/xhost.log 2>&1;" \
    "printenv WAYLAND_DISPLAY DISPLAY >$tmp/runtime/session.env'" >>"$tmp/sway.config"

"${as_user[@]}" env -i PATH="$PATH" HOME="$tmp/home" XDG_RUNTIME_DIR="$tmp/runtime" \
    WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
    sway -c "$tmp/sway.config" >"$tmp/sway.log" 2>&1 &
pids+=($!)
wait_for 30 "sway" sh -c "[ \$(wc -l <'$tmp/runtime/session.env') -ge 2 ]"
SWAYSOCK=$(ls "$tmp"/runtime/sway-ipc.*.sock)
export SWAYSOCK
wayland=$(sed -n 1p "$tmp/runtime/session.env")
DISPLAY=$(sed -n 2p "$tmp/runtime/session.env")
# An absolute WAYLAND_DISPLAY: the command keeps a runtime folder of its own.
export WAYLAND_DISPLAY="$tmp/runtime/$wayland" DISPLAY XDG_SESSION_TYPE=wayland
export XDG_RUNTIME_DIR="$tmp/caller-runtime"
mkdir -m 0700 "$XDG_RUNTIME_DIR"
unset XDG_CURRENT_DESKTOP
wait_for 20 "sway's IPC" swaymsg -t get_version
# XWayland starts with its first client.
wait_for 30 "XWayland" xdpyinfo -display "$DISPLAY"

echo "sway-session: WAYLAND_DISPLAY=$WAYLAND_DISPLAY DISPLAY=$DISPLAY sway $(swaymsg -t get_version -r | sed -n 's/.*"human_readable": "\([^"]*\)".*/\1/p')" >&2
set +e
"$@"
status=$?
set -e
exit $status
