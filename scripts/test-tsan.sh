#!/usr/bin/env bash
# Builds the unit tests of the threaded code (the window placer and its pool,
# the positions table, hot-key dispatch, switching workspaces on and off, the
# application scan, the picker's search and icon loading) with
# ThreadSanitizer into build-tsan/
# and runs them offscreen. Any data race reported fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
# One build at a time in build-tsan/.
mkdir -p build-tsan
exec 9>build-tsan/.dexaro-build.lock
if ! flock -n 9; then
    echo "build-tsan/ is in use by another run; waiting for it to finish." >&2
    flock 9
fi
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDEXARO_TSAN=ON \
    -DDEXARO_BENCH=OFF >/dev/null
targets=(unit_positioning unit_shortcuts unit_activation unit_authoring)
cmake --build build-tsan --target "${targets[@]}"

export QT_QPA_PLATFORM=offscreen
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/scripts/tsan.supp"
status=0
for target in "${targets[@]}"; do
    echo "== $target (ThreadSanitizer)"
    "build-tsan/bin/$target" || status=1
done
exit $status
