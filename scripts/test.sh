#!/usr/bin/env bash
# Installs what is missing, builds Dexaro with AddressSanitizer and UBSan into
# build-tests/, and runs every test: unit and widget tests offscreen, X11 tests
# inside a private desktop session (Xvfb, openbox, tint2, D-Bus session bus).
# Last, the Debian package is built, installed, checked and removed again.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
bash scripts/check-layers.sh
bash scripts/check-format.sh
# The shipped menu entry follows the desktop entry specification.
desktop-file-validate resources/*.desktop
# One build at a time in build-tests/: a second run waits for the first instead of
# configuring and building over it.
mkdir -p build-tests
exec 9>build-tests/.dexaro-build.lock
if ! flock -n 9; then
    echo "build-tests/ is in use by another run; waiting for it to finish." >&2
    flock 9
fi
cmake -S . -B build-tests -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDEXARO_SANITIZE=ON >/dev/null
cmake --build build-tests
# The threaded code once more, under ThreadSanitizer.
bash scripts/test-tsan.sh

# Leaks count as failures (LeakSanitizer runs at every exit, Dexaro's included).
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# The tests run with the lock held by this shell; the session and what the
# tests start do not inherit it, so a straggler can never keep it.
cd build-tests
bash ../scripts/x11-session.sh ctest --output-on-failure --timeout 300 -j2 -LE wayland 9>&-
# The popover once more beside a tray at the bottom edge of the screen.
DEXARO_TRAY_AT=bottom bash ../scripts/x11-session.sh \
    ctest --output-on-failure --timeout 300 --no-tests=error -R '^Dexaro\.PopoverAtTheTray' 9>&-
# The Wayland backends, each in its own headless compositor.
bash ../scripts/sway-session.sh ctest --output-on-failure --timeout 300 -L wayland-sway 9>&-
bash ../scripts/kwin-session.sh ctest --output-on-failure --timeout 300 -L wayland-kwin 9>&-
bash ../scripts/gnome-session.sh ctest --output-on-failure --timeout 300 -L wayland-gnome 9>&-

# The Debian package: built, installed on this machine, checked, removed again.
cd ..
bash scripts/test-package.sh 9>&-
