#!/usr/bin/env bash
# Runs a command inside a private GNOME Shell 43 session: a headless Wayland
# GNOME Shell with a virtual monitor, run as an unprivileged user (the shell
# wants a user session: a private system bus with a stand-in logind gives it
# one), its own session bus, and Dexaro's Shell extension from the source tree
# put into the user's extensions folder before the shell starts, as at a login
# after Dexaro installed it, then switched on over org.gnome.Shell.Extensions.
# The command runs as the calling user with WAYLAND_DISPLAY,
# DBUS_SESSION_BUS_ADDRESS, XDG_RUNTIME_DIR, DEXARO_GNOME_HOME (the session
# user's home) and GSETTINGS_BACKEND=memory set. The session ends with the
# command, whose exit status is returned.
#
#   scripts/gnome-session.sh COMMAND [ARGS...]

set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
width=${DEXARO_SCREEN_WIDTH:-1440}
height=${DEXARO_SCREEN_HEIGHT:-900}
uuid=windows@dexaro.org
python=/usr/bin/python3

pids=()
as_user=()
tmp=$(mktemp -d)
chmod 755 "$tmp"
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
    wait 2>/dev/null || true
    # The services the session bus started end once they see it gone.
    if [ ${#as_user[@]} -gt 0 ]; then
        for _ in $(seq 50); do pgrep -u "$user" >/dev/null || break; sleep 0.1; done
    fi
    rm -rf "$tmp"
}
trap cleanup EXIT

wait_for() { # seconds description command...
    local deadline=$((SECONDS + $1)) what=$2
    shift 2
    until "$@" >/dev/null 2>&1; do
        if [ $SECONDS -ge $deadline ]; then
            echo "gnome-session: $what did not come up" >&2
            tail -n 30 "$tmp"/*.log >&2 2>/dev/null || true
            exit 1
        fi
        sleep 0.2
    done
}

# GNOME Shell refuses no root, but a user session of root is no real one:
# under root the shell runs as a user of its own.
if [ "$(id -u)" -eq 0 ]; then
    user=dexaro-gnome
    id -u "$user" >/dev/null 2>&1 || useradd --system --no-create-home --shell /usr/sbin/nologin "$user"
    # setpriv changes user in place: the pid started is the program's own, so
    # the cleanup ends and waits for the program itself.
    as_user=(setpriv --reuid="$user" --regid="$(id -g "$user")" --init-groups --)
else
    user=$(id -un)
fi

home="$tmp/home"
run="$tmp/run"
mkdir -p "$home/.local/share/gnome-shell/extensions" "$run"
cp -r "$here/../resources/gnome-shell/$uuid" "$home/.local/share/gnome-shell/extensions/"
chown -R "$user" "$home" "$run"
chmod 700 "$run"

# Both buses admit any user of this machine: the tests run as the caller, the
# shell as its user.
bus_config() { # type listen-address [more]
    cat <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>$1</type>
  <listen>$2</listen>
  <auth>EXTERNAL</auth>
  ${3:-}
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
  </policy>
</busconfig>
CONF
}
bus_config system "unix:path=$tmp/system_bus" >"$tmp/system.conf"
bus_config session "unix:path=$run/bus" "<standard_session_servicedirs/>" >"$tmp/session.conf"

dbus-daemon --config-file="$tmp/system.conf" --nofork >"$tmp/system-bus.log" 2>&1 &
pids+=($!)
wait_for 20 "the system bus" test -S "$tmp/system_bus"
export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$tmp/system_bus"
"$python" -m dbusmock --system --template logind >"$tmp/logind.log" 2>&1 &
pids+=($!)
wait_for 20 "logind" gdbus introspect --system -d org.freedesktop.login1 -o /org/freedesktop/login1

# The services the bus starts (dconf among them) get the session user's environment.
user_env=(env -i PATH="$PATH" HOME="$home" USER="$user" XDG_RUNTIME_DIR="$run")
"${as_user[@]}" "${user_env[@]}" dbus-daemon --config-file="$tmp/session.conf" --nofork >"$tmp/session-bus.log" 2>&1 &
pids+=($!)
wait_for 20 "the session bus" test -S "$run/bus"
export DBUS_SESSION_BUS_ADDRESS="unix:path=$run/bus"

"${as_user[@]}" "${user_env[@]}" XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=GNOME \
    DBUS_SESSION_BUS_ADDRESS="$DBUS_SESSION_BUS_ADDRESS" DBUS_SYSTEM_BUS_ADDRESS="$DBUS_SYSTEM_BUS_ADDRESS" \
    gnome-shell --headless --wayland --no-x11 --virtual-monitor "${width}x${height}" \
    >"$tmp/shell.log" 2>&1 &
pids+=($!)
export XDG_RUNTIME_DIR="$run" WAYLAND_DISPLAY=wayland-0 XDG_SESSION_TYPE=wayland
export XDG_CURRENT_DESKTOP=GNOME DEXARO_GNOME_HOME="$home"
# What the command writes to GSettings stays in its own memory: the shell's
# settings are changed only over its D-Bus interfaces.
export GSETTINGS_BACKEND=memory
unset DISPLAY
shell_call() { gdbus call --session -d org.gnome.Shell -o /org/gnome/Shell "$@"; }
wait_for 60 "GNOME Shell" shell_call -m org.gnome.Shell.Extensions.ListExtensions
wait_for 20 "the Wayland socket" test -S "$run/wayland-0"
# The shell takes the request only once it has read its extensions: asked
# again until the extension answers.
extension_runs() {
    shell_call -m org.gnome.Shell.Extensions.EnableExtension "$uuid" >/dev/null &&
        gdbus call --session -d org.gnome.Shell -o /org/dexaro/ShellWindows \
            -m org.dexaro.ShellWindows.Version
}
wait_for 30 "Dexaro's extension" extension_runs

echo "gnome-session: WAYLAND_DISPLAY=$WAYLAND_DISPLAY ${width}x${height}, GNOME Shell $(gnome-shell --version | tr -dc '0-9.'), extension $uuid" >&2
set +e
"$@"
status=$?
set -e
if [ $status -ne 0 ]; then
    echo "gnome-session: the shell's log:" >&2
    grep -i -E "dexaro|JS ERROR|Extension" "$tmp/shell.log" | tail -n 30 >&2 || true
fi
exit $status
