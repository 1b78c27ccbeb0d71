#!/usr/bin/env bash
# Installs what is missing, builds Dexaro with AddressSanitizer and UBSan into
# build-tests/, and runs every test: unit and widget tests offscreen, X11 tests
# inside a private desktop session (Xvfb, openbox, tint2, D-Bus session bus).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
bash scripts/check-layers.sh
cmake -S . -B build-tests -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDEXARO_SANITIZE=ON >/dev/null
cmake --build build-tests

# Leaks count as failures (LeakSanitizer runs at every exit, Dexaro's included).
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cd build-tests
exec bash ../scripts/x11-session.sh ctest --output-on-failure --timeout 300 -j2
