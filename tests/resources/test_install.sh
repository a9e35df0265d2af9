#!/usr/bin/env bash
# Installs a built tree into a scratch prefix and checks what a desktop and a packager
# need: both programs, the desktop entry and metainfo (validated where the validators
# are installed), the icon in every size, and the man pages.
set -u
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
passed=0 failed=0
ok() { passed=$((passed + 1)); }
bad() { failed=$((failed + 1)); echo "FAILED $*"; }

cmake --install "$build" --prefix "$prefix" >/dev/null || bad "cmake --install"
id=org.orrimar.Orrimar
for f in bin/orrimar bin/orrimar-flight \
         share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
         share/icons/hicolor/scalable/apps/$id.svg \
         share/man/man1/orrimar.1.gz share/man/man1/orrimar-flight.1.gz; do
    [ -s "$prefix/$f" ] && ok || bad "missing $f"
done
for size in 16 32 48 64 128 256; do
    [ -s "$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png" ] && ok || bad "icon $size"
done
"$prefix/bin/orrimar-flight" --version | grep -q '^orrimar-flight [0-9]' && ok || bad "orrimar-flight --version"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$prefix/share/applications/$id.desktop" >/dev/null && ok || bad "desktop-file-validate"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" >/dev/null && ok || bad "appstreamcli validate"
fi
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
