#!/usr/bin/env bash
# Fails when code outside the platform backend reaches the desktop directly:
# only src/platform/linux/ may include xcb, xkbcommon, GLib/GIO or X11 headers,
# and nothing else in the program or the benchmarks includes the backend's headers.
# Also fails when a test names the machine's own application folders: what is
# installed there differs from machine to machine.
set -euo pipefail
cd "$(dirname "$0")/.."

linux_only='#include[[:space:]]*[<"](xcb/|xkbcommon/|gio/|glib|glib-object|X11/)'
status=0

if hits=$(git grep -n -E "$linux_only" -- src ':!src/platform/linux/'); then
    echo "Linux-only headers outside src/platform/linux/:"
    echo "$hits"
    status=1
fi
if hits=$(git grep -n -E '#include[[:space:]]*"platform/linux/' -- src bench ':!src/platform/linux/'); then
    echo "The platform backend is reached only through src/platform/ interfaces:"
    echo "$hits"
    status=1
fi
if hits=$(git grep -n -E '/usr/(local/)?share/applications' -- tests); then
    echo "Tests read no application folder of the machine (make the entries in a temporary folder):"
    echo "$hits"
    status=1
fi
[ $status -eq 0 ] && echo "Layers: clean."
exit $status
