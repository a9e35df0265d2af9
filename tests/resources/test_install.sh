#!/usr/bin/env bash
# Installs a built tree into a scratch prefix and checks what a desktop and a packager
# need: both programs, the desktop entry and metainfo (validated where the validators
# are installed), the icon in every size, the sounds, the man pages, and the licence and
# changelog where Debian looks for them, all naming the same version.
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
         share/man/man1/orrimar.1.gz share/man/man1/orrimar-flight.1.gz \
         share/orrimar/sounds/coll.wav share/orrimar/sounds/esc.wav \
         share/doc/orrimar/copyright share/doc/orrimar/changelog.gz; do
    [ -s "$prefix/$f" ] && ok || bad "missing $f"
done
for size in 16 32 48 64 128 256; do
    [ -s "$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png" ] && ok || bad "icon $size"
done
"$prefix/bin/orrimar-flight" --version | grep -q '^orrimar-flight [0-9]' && ok || bad "orrimar-flight --version"

# The licence in Debian's machine-readable form, every licence it names spelled out.
copyright=$prefix/share/doc/orrimar/copyright
head -1 "$copyright" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
    && ok || bad "copyright: not in the machine-readable format"
for license in $(sed -n 's/^License: *//p' "$copyright" | sort -u); do
    [ "$(grep -c "^License: $license\$" "$copyright")" -ge 2 ] && ok || bad "copyright: no text for $license"
done

# One version everywhere: the program, the changelog's newest entry, the metainfo's
# newest release and both man pages.
version=$("$prefix/bin/orrimar-flight" --version | sed -n 's/^orrimar-flight \([0-9.]*\).*/\1/p')
[ -n "$version" ] && ok || bad "no version from orrimar-flight"
changelog=$(mktemp)
gzip -dc "$prefix/share/doc/orrimar/changelog.gz" > "$changelog"
[ "$(head -1 "$changelog")" = "orrimar ($version) unstable; urgency=medium" ] \
    && ok || bad "changelog does not start with $version"
grep -qx 'orrimar (0\.2\.0) unstable; urgency=medium' "$changelog" && ok || bad "changelog lost 0.2.0"
if command -v dpkg-parsechangelog >/dev/null; then
    # Debian's own parser reads every entry, with its version and date.
    [ "$(dpkg-parsechangelog -l "$changelog" -S Version 2>&1)" = "$version" ] \
        && ok || bad "dpkg-parsechangelog: newest entry is not $version"
    [ "$(dpkg-parsechangelog -l "$changelog" --offset 1 --count 1 -S Date 2>&1)" = "Mon, 07 Dec 2026 00:00:00 +0000" ] \
        && ok || bad "dpkg-parsechangelog: 0.2.0's date"
fi
rm -f "$changelog"
grep -m1 '<release ' "$prefix/share/metainfo/$id.metainfo.xml" | grep -q "version=\"$version\"" \
    && ok || bad "metainfo's newest release is not $version"
for page in orrimar orrimar-flight; do
    gzip -dc "$prefix/share/man/man1/$page.1.gz" | head -1 | grep -q "\"Orrimar $version\"" \
        && ok || bad "$page.1 is not for $version"
done

# The man pages set at 80 columns without a complaint from the typesetter.
if command -v man >/dev/null; then
    for page in orrimar orrimar-flight; do
        complaints=$(MANWIDTH=80 man -l "$prefix/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
        [ -z "$complaints" ] && ok || bad "$page.1 at 80 columns: $complaints"
    done
fi

if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$prefix/share/applications/$id.desktop" >/dev/null && ok || bad "desktop-file-validate"
fi
if command -v appstreamcli >/dev/null; then
    # Neither errors nor warnings, even pedantic (infos and pedantic notes may remain).
    report=$(appstreamcli validate --pedantic --no-net "$prefix/share/metainfo/$id.metainfo.xml" 2>&1)
    [ $? = 0 ] && ! grep -q '^[EW]:' <<<"$report" && ok || bad "appstreamcli validate: $report"
fi
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
