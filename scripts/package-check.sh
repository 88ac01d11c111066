#!/usr/bin/env bash
# Checks the Debian package in a build folder as a distribution would take it:
# package-check.sh <build folder>. Fails on any lintian error or warning, any message of the
# AppStream or desktop-entry validators, any complaint of man about the manual page, a file
# missing from the package, or a maintainer script (nothing may touch a user's home on removal).
set -euo pipefail
build=${1:-build/release}
id=io.github.pinstrip.pinstrip
debs=("$build"/pinstrip_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "package-check: expected one package in $build" >&2; exit 1; }
deb=${debs[0]}
root=$(mktemp -d "${TMPDIR:-/tmp}/pinstrip-package.XXXXXX")
trap 'rm -rf "$root"' EXIT
failed=0
fail() { echo "package-check: $*" >&2; failed=1; }

lintian --no-cfg "$deb" >"$root/lintian" 2>&1 || true
if grep -E '^[EW]: ' "$root/lintian"; then fail "lintian reports errors or warnings"; fi

dpkg-deb -x "$deb" "$root/tree"
dpkg-deb -e "$deb" "$root/control"
for file in usr/bin/pinstrip usr/share/applications/$id.desktop \
    usr/share/icons/hicolor/scalable/apps/$id.svg usr/share/metainfo/$id.metainfo.xml \
    usr/share/man/man1/pinstrip.1.gz usr/share/doc/pinstrip/copyright \
    usr/share/doc/pinstrip/changelog.gz; do
    [ -f "$root/tree/$file" ] || fail "the package lacks /$file"
done
scripts=$(find "$root/control" -type f ! -name control ! -name md5sums -printf '%f ')
[ -z "$scripts" ] || fail "the package has maintainer scripts: $scripts"
outside=$(cd "$root/tree" && find . -mindepth 1 -maxdepth 1 ! -name usr)
[ -z "$outside" ] || fail "the package installs outside /usr: $outside"

if [ -f "$root/tree/usr/share/metainfo/$id.metainfo.xml" ]; then
    appstream=$(appstreamcli validate --no-net --no-color "$root/tree/usr/share/metainfo/$id.metainfo.xml" 2>&1) ||
        fail "appstreamcli refuses the metainfo"
    if [ "$appstream" != "✔ Validation was successful." ]; then
        echo "$appstream"
        fail "appstreamcli has something to say about the metainfo"
    fi
fi
if [ -f "$root/tree/usr/share/applications/$id.desktop" ]; then
    desktop=$(desktop-file-validate "$root/tree/usr/share/applications/$id.desktop" 2>&1) ||
        fail "desktop-file-validate refuses the desktop entry"
    [ -z "$desktop" ] || { echo "$desktop"; fail "desktop-file-validate has something to say"; }
fi
if [ -f "$root/tree/usr/share/man/man1/pinstrip.1.gz" ]; then
    manual=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 \
        man --warnings -E UTF-8 -l -Tutf8 -Z "$root/tree/usr/share/man/man1/pinstrip.1.gz" 2>&1 >/dev/null) ||
        fail "man cannot format the manual page"
    [ -z "$manual" ] || { echo "$manual"; fail "man complains about the manual page"; }
fi

[ $failed -eq 0 ] && echo "package-check: $(basename "$deb") is clean"
exit $failed
