#!/usr/bin/env bash
# Builds the release packages, hardened and reproducible:
#   scripts/package.sh [DIR [cmake options...]]     (DIR defaults to build-package)
# DIR/orrimar_VERSION_ARCH.deb and DIR/orrimar-VERSION.tar.gz (unpacks to orrimar-VERSION/).
#
# Compiler and linker flags are Debian's hardening set from dpkg-buildflags
# (_FORTIFY_SOURCE, stack protector, -z relro, -z now) on top of the project's own, which
# keep -ffp-contract=off, so flights give the same numbers as in any other build. The
# source and build folders are mapped away (-ffile-prefix-map), and file times in the
# packages are SOURCE_DATE_EPOCH (the last commit's time unless given), so the same
# source built in two folders gives the same bytes.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-build-package}
[ $# -gt 0 ] && shift
case $dir in /*) build=$dir ;; *) build=$root/$dir ;; esac

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct 2>/dev/null || stat -c %Y "$root/NEWS")
fi
export SOURCE_DATE_EPOCH

cd "$root"
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
prefix_maps="-ffile-prefix-map=$root/=./ -ffile-prefix-map=$root=. -ffile-prefix-map=$build/=./ -ffile-prefix-map=$build=."
CXXFLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS) $prefix_maps"
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
export CXXFLAGS LDFLAGS

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF "$@" >/dev/null
cmake --build "$build" -j "$(nproc)"
(cd "$build" && cpack -G DEB >/dev/null && cpack --config CPackSourceConfig.cmake >/dev/null)

# Archive members carry SOURCE_DATE_EPOCH as their time, whatever the checkout's file times.
touch_to_epoch() {  # ARCHIVE.tar.gz TOP: rewritten with sorted names, fixed owners and times
  local archive=$1 top=$2 tmp
  tmp=$(mktemp -d)
  tar -xzf "$archive" -C "$tmp"
  tar --sort=name --mtime="@$SOURCE_DATE_EPOCH" --owner=0 --group=0 --numeric-owner \
      --mode='go-w' -C "$tmp" -cf - "$top" | gzip -9n > "$archive"
  rm -rf "$tmp"
}
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
touch_to_epoch "$build/orrimar-$version.tar.gz" "orrimar-$version"

# CPack stamps the .deb's files with the build's time: rebuilt by dpkg-deb, which takes the
# archive's own times from SOURCE_DATE_EPOCH, from a tree whose files carry it too.
deb=$(ls "$build"/orrimar_"$version"_*.deb)
tree=$(mktemp -d)
dpkg-deb -R "$deb" "$tree/pkg"
find "$tree/pkg" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
dpkg-deb --root-owner-group -Zxz --build "$tree/pkg" "$deb" >/dev/null
rm -rf "$tree"
echo "$deb"
echo "$build/orrimar-$version.tar.gz"
if command -v lintian >/dev/null; then
  lintian --fail-on error "$deb"
fi
