#!/usr/bin/env bash
# Builds the Debian package of Dexaro: a Release build without tests or
# benchmarks in build-package/, packed by CPack into
# build-package/dexaro_<version>_<architecture>.deb (its library dependencies
# found by dpkg-shlibdeps). Prints the package's path on the last line.
#
#   scripts/package.sh
#
# Install it with: sudo apt-get install ./build-package/dexaro_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."

missing=()
for tool in cmake ninja g++ dpkg-shlibdeps dpkg-buildflags file rsvg-convert appstreamcli gzip; do
    command -v "$tool" >/dev/null || missing+=("$tool")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "package.sh: missing ${missing[*]}; scripts/deps.sh installs them" >&2
    exit 1
fi

build="build-package"
# One build at a time in build-package/.
mkdir -p "$build"
exec 9>"$build/.dexaro-build.lock"
if ! flock -n 9; then
    echo "package.sh: $build/ is in use by another run; waiting for it to finish." >&2
    flock 9
fi
# Debian's hardening flags (stack protector, fortified functions, full RELRO,
# immediate binding), as a Debian package's build uses them.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cppflags=$(dpkg-buildflags --get CPPFLAGS)
cxxflags=$(dpkg-buildflags --get CXXFLAGS)
ldflags=$(dpkg-buildflags --get LDFLAGS)
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" \
    -DDEXARO_TESTS=OFF -DDEXARO_BENCH=OFF -DDEXARO_SANITIZE=OFF -DDEXARO_TSAN=OFF \
    -DCMAKE_INSTALL_PREFIX=/usr \
    "-DCMAKE_CXX_FLAGS=$cppflags $cxxflags" "-DCMAKE_EXE_LINKER_FLAGS=$ldflags" >/dev/null
cmake --build "$build"

# The metainfo must be valid before it is shipped (--no-net: no address is fetched).
appstreamcli validate --no-net "$build/packaging/org.dexaro.Dexaro.metainfo.xml"

rm -f "$build"/dexaro_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/dexaro_*.deb)
echo "$(pwd)/$deb"
