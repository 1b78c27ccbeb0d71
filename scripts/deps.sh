#!/usr/bin/env bash
# Installs the Debian 12 packages Dexaro needs to build, run and test.
# Only what is missing is installed; a second run does nothing.
set -euo pipefail

packages=(
    # build
    cmake ninja-build g++ pkg-config clang-format
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6svg6
    libsqlite3-dev libglib2.0-dev
    libxcb1-dev libxcb-ewmh-dev libxcb-icccm4-dev libxcb-keysyms1-dev libxcb-xkb-dev
    libxcb-xinput-dev
    libxkbcommon-dev libxkbcommon-x11-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    # at run time only: the icon theme for application icons (loaded on demand)
    libgtk-3-0
    # a desktop session to run and test in
    xvfb xauth openbox tint2 dbus dbus-x11 fonts-dejavu-core
    # real X clients and tools the tests drive
    xterm x11-apps xdotool x11-utils x11-xkb-utils x11-xserver-utils desktop-file-utils sqlite3
    imagemagick
    # the Debian package (scripts/package.sh) and its check (scripts/test-package.sh)
    dpkg-dev file librsvg2-bin appstream
    # the GNOME Shell session of the Wayland tests (scripts/gnome-session.sh): the
    # shell, a stand-in logind, a native Wayland client
    gnome-shell python3-dbusmock foot
    # unshare: a client in a PID namespace of its own, as a sandbox runs it
    util-linux
    # a sway session (scripts/sway-session.sh): sway headless with XWayland, keys
    # typed by wtype, native Wayland Qt clients
    sway xwayland wtype qt6-wayland
    # a headless KWin Wayland session (scripts/kwin-session.sh) and native Wayland
    # Qt clients in it
    kwin-wayland
    # keys typed into KWin through its fake input protocol (a test helper)
    plasma-wayland-protocols libwayland-dev libwayland-bin
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
# Through sudo the environment is reset: pass DEBIAN_FRONTEND on explicitly.
# Another apt or dpkg (an unattended upgrade, a second run of this script) may
# hold the package lock: wait for it up to five minutes instead of failing.
as_root=(env DEBIAN_FRONTEND=noninteractive)
[ "$(id -u)" -ne 0 ] && as_root=(sudo env DEBIAN_FRONTEND=noninteractive)
lock_wait=(-o DPkg::Lock::Timeout=300)
"${as_root[@]}" apt-get "${lock_wait[@]}" update -qq
"${as_root[@]}" apt-get "${lock_wait[@]}" install -y -qq --no-install-recommends "${missing[@]}"
