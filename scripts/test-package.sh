#!/usr/bin/env bash
# The package check: builds the Debian package (scripts/package.sh), installs
# it on this machine, checks the installed Dexaro and its files, removes the
# package and checks that nothing of it is left. The machine ends as it was:
# the package is purged on every way out, and the check fails when the
# installation added or removed any other package.
#
# Runs as root, or through sudo. Refuses to run when a dexaro package is
# installed already (it would replace it).
set -euo pipefail
cd "$(dirname "$0")/.."
here=$(pwd)

as_root=(env DEBIAN_FRONTEND=noninteractive)
[ "$(id -u)" -ne 0 ] && as_root=(sudo env DEBIAN_FRONTEND=noninteractive)
apt=("${as_root[@]}" apt-get -o DPkg::Lock::Timeout=300 -y -qq)

installed() { dpkg-query -W -f='${Status}' dexaro 2>/dev/null | grep -q " installed$"; }

# One check at a time on this machine: a second would remove the package
# under the first. The lock is taken on dpkg's folder itself (dpkg locks files
# inside it, never the folder), so the check leaves no lock file behind.
exec 8</var/lib/dpkg
if ! flock -n 8; then
    echo "test-package: another package check is running; waiting for it." >&2
    flock 8
fi
if dpkg-query -W -f='${Status}' dexaro 2>/dev/null | grep -qv "not-installed"; then
    echo "test-package: a dexaro package is on this machine already" \
        "($(dpkg-query -W -f='${Version} ${Status}' dexaro)); remove it first." >&2
    exit 1
fi

failures=0
fail() {
    echo "test-package: FAIL: $*" >&2
    failures=$((failures + 1))
}
pass() { echo "test-package: ok: $*"; }

tmp=$(mktemp -d)
cleanup() {
    if installed; then
        echo "test-package: removing the package left installed" >&2
        "${apt[@]}" remove --purge dexaro >/dev/null || true
    fi
    rm -rf "$tmp"
}
trap cleanup EXIT
trap "exit 130" INT TERM

version=$(sed -n 's/^project(Dexaro VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
if ! bash scripts/package.sh >"$tmp/package.log" 2>&1; then
    tail -n 40 "$tmp/package.log" >&2
    echo "test-package: FAIL: scripts/package.sh could not build the package" >&2
    exit 1
fi
deb=$(tail -n 1 "$tmp/package.log")
echo "test-package: $(basename "$deb"), $(du -k "$deb" | cut -f1) KiB"

# Debian's own package checks, where lintian is installed (it is not in
# scripts/deps.sh: the check runs without it).
if command -v lintian >/dev/null; then
    if lintian --fail-on error,warning "$deb" >"$tmp/lintian.log" 2>&1; then
        pass "lintian: no errors or warnings"
    else
        fail "lintian: $(grep -E '^[EW]: ' "$tmp/lintian.log" | tr '\n' ' ')"
    fi
fi

# What the package must install.
files=(
    /usr/bin/dexaro
    /usr/libexec/dexaro/dexaro-launcher
    /usr/share/applications/org.dexaro.Dexaro.desktop
    /usr/share/icons/hicolor/scalable/apps/org.dexaro.Dexaro.svg
    /usr/share/metainfo/org.dexaro.Dexaro.metainfo.xml
    /usr/share/man/man1/dexaro.1.gz
    /usr/share/doc/dexaro/copyright
    /usr/share/doc/dexaro/changelog.gz
)
sizes=(16 22 24 32 48 64 128 256)
for size in "${sizes[@]}"; do
    files+=("/usr/share/icons/hicolor/${size}x${size}/apps/org.dexaro.Dexaro.png")
done

# The libraries come from dpkg-shlibdeps.
depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6core6 libqt6gui6 libqt6widgets6 libqt6dbus6 libqt6svg6 libsqlite3-0 libc6; do
    [[ ", $depends," == *", $library "* || ", $depends," == *", $library,"* ]] ||
        fail "Depends lacks $library: $depends"
done

packages_before=$(dpkg-query -W -f='${Package} ${Version} ${db:Status-Abbrev}\n' | sort)
"${apt[@]}" install --no-install-recommends "$deb" >"$tmp/install.log" 2>&1 || {
    cat "$tmp/install.log" >&2
    echo "test-package: FAIL: the package does not install" >&2
    exit 1
}
installed || {
    echo "test-package: FAIL: dexaro is not installed after apt-get install" >&2
    exit 1
}
packages_with=$(dpkg-query -W -f='${Package} ${Version} ${db:Status-Abbrev}\n' | sort)
others=$(diff <(echo "$packages_before") <(echo "$packages_with") | grep '^[<>]' | grep -v '^> dexaro ' || true)
[ -z "$others" ] || fail "installing the package changed other packages: $others"
dpkg-query -L dexaro | sort >"$tmp/listed"

for f in "${files[@]}"; do
    if [ -f "$f" ] && grep -qxF "$f" "$tmp/listed"; then :; else fail "$f is not installed by the package"; fi
done
for f in /usr/bin/dexaro /usr/libexec/dexaro/dexaro-launcher; do
    [ -x "$f" ] || fail "$f is not executable"
    libraries=$(ldd "$f")
    if grep -q "not found" <<<"$libraries"; then fail "$f misses libraries: $(grep 'not found' <<<"$libraries")"; fi
done
pass "$((${#files[@]})) files installed"

for size in "${sizes[@]}"; do
    png="/usr/share/icons/hicolor/${size}x${size}/apps/org.dexaro.Dexaro.png"
    file -b "$png" | grep -q "^PNG image data, $size x $size," ||
        fail "$png is not a ${size}x${size} PNG: $(file -b "$png")"
done

if desktop-file-validate /usr/share/applications/org.dexaro.Dexaro.desktop; then
    pass "menu entry valid"
else fail "desktop-file-validate refuses the menu entry"; fi
if appstreamcli validate --no-net /usr/share/metainfo/org.dexaro.Dexaro.metainfo.xml >"$tmp/appstream.log" 2>&1; then
    pass "metainfo valid"
else fail "appstreamcli refuses the metainfo: $(cat "$tmp/appstream.log")"; fi

# The manual page: formats without warnings and names every option.
zcat /usr/share/man/man1/dexaro.1.gz >"$tmp/dexaro.1"
if command -v groff >/dev/null; then
    warnings=$(groff -man -ww -z -Tutf8 "$tmp/dexaro.1" 2>&1)
    [ -z "$warnings" ] || fail "the manual page has formatting warnings: $warnings"
    MANWIDTH=80 groff -man -Tascii -P-c -P-b -P-u "$tmp/dexaro.1" 2>/dev/null >"$tmp/dexaro.txt"
else
    cp "$tmp/dexaro.1" "$tmp/dexaro.txt"
fi
sed -i 's/\\-/-/g' "$tmp/dexaro.txt"
missing=0
for option in --list --on --off --toggle --version --help "--toggle Work" org.dexaro.Workspaces1 \
    "EXIT STATUS" Dexaro.sqlite Dexaro.conf org.dexaro.Dexarolauncher.desktop; do
    grep -qF -- "$option" "$tmp/dexaro.txt" || {
        fail "the manual page does not mention $option"
        missing=1
    }
done
[ $missing -eq 1 ] || pass "manual page"

# The installed program runs and names its version (no display needed).
out=$(cd / && env -u DISPLAY -u WAYLAND_DISPLAY timeout 20 /usr/bin/dexaro --version 2>&1) || true
if grep -q "$version" <<<"$out"; then
    pass "dexaro --version: $out"
else
    fail "/usr/bin/dexaro --version does not print $version: $(head -c 300 <<<"$out" | tr '\n' ' ')"
fi

# The installed Dexaro's first start, in a private desktop session with a
# home of its own, writes its start-at-login entry: it must start the
# installed launcher.
home="$tmp/home"
mkdir -p "$home"
entry="$home/.config/autostart/org.dexaro.Dexarolauncher.desktop"
cat >"$tmp/first-start.sh" <<'INNER'
set -u
entry=$1
/usr/bin/dexaro >"$HOME/dexaro.log" 2>&1 &
pid=$!
deadline=$((SECONDS + 60))
until [ -s "$entry" ] || [ $SECONDS -ge $deadline ] || ! kill -0 $pid 2>/dev/null; do sleep 0.2; done
kill -TERM $pid 2>/dev/null
deadline=$((SECONDS + 20))
while kill -0 $pid 2>/dev/null && [ $SECONDS -lt $deadline ]; do sleep 0.2; done
kill -KILL $pid 2>/dev/null || true
wait $pid 2>/dev/null || true
INNER
(cd "$home" && env -u XDG_CONFIG_HOME -u XDG_DATA_HOME -u XDG_CACHE_HOME -u XDG_STATE_HOME \
    HOME="$home" bash "$here/scripts/x11-session.sh" bash "$tmp/first-start.sh" "$entry" 8>&-) || true
if [ -s "$entry" ]; then
    grep -qxF "Exec=/usr/libexec/dexaro/dexaro-launcher" "$entry" ||
        fail "the login entry does not start the installed launcher: $(grep '^Exec=' "$entry")"
    grep -qxF "TryExec=/usr/libexec/dexaro/dexaro-launcher" "$entry" ||
        fail "the login entry's TryExec is not the installed launcher: $(grep '^TryExec=' "$entry")"
    desktop-file-validate "$entry" || fail "desktop-file-validate refuses the login entry"
    pass "login entry starts /usr/libexec/dexaro/dexaro-launcher"
else
    fail "the installed Dexaro wrote no login entry at its first start: $(tail -n 5 "$home/dexaro.log" 2>/dev/null)"
fi

"${apt[@]}" remove --purge dexaro >"$tmp/remove.log" 2>&1 || {
    cat "$tmp/remove.log" >&2
    fail "apt-get remove --purge dexaro failed"
}
installed && fail "dexaro is still installed after its removal"
while read -r f; do
    [ "$f" = /. ] && continue
    # Folders the package shares with others stay; its own files and folders go.
    if [ -e "$f" ] && ! [ -d "$f" ]; then fail "$f is left after the removal"; fi
done <"$tmp/listed"
for d in /usr/libexec/dexaro /usr/share/doc/dexaro; do
    [ ! -e "$d" ] || fail "$d is left after the removal"
done
packages_after=$(dpkg-query -W -f='${Package} ${Version} ${db:Status-Abbrev}\n' | sort)
[ "$packages_after" = "$packages_before" ] ||
    fail "the machine's packages differ after the removal: $(diff <(echo "$packages_before") <(echo "$packages_after") | grep '^[<>]')"
pass "removed, nothing left"

if [ $failures -gt 0 ]; then
    echo "test-package: $failures check(s) failed" >&2
    exit 1
fi
echo "test-package: the package installs, works and goes without a trace"
