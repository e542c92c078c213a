#!/usr/bin/env bash
# Builds the Debian package from the build tree and checks that it declares
# what the tutor needs at run time, carries what desktops and Debian look for,
# names no placeholder address, and that lintian finds no error in it.
set -euo pipefail
build=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
(cd "$build" && cpack -G DEB -B "$out" >/dev/null)
deb=$(ls "$out"/quillory_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
for need in libqt6widgets6 libqt6gui6 libqt6core6 libicu72 libfontconfig1 qt6-qpa-plugins libqt6sql6-sqlite \
            fonts-arphic-ukai fonts-arphic-uming fonts-liberation \
            libopencc1.1 libopencc-data libchewing3-data gcin-tables; do
  grep -q "$need" <<<"$depends" || { echo "FAIL: the package does not depend on $need"; exit 1; }
done
files=$(dpkg-deb -c "$deb")
for f in usr/bin/quillory usr/share/applications/org.quillory.Quillory.desktop \
         usr/share/metainfo/org.quillory.Quillory.metainfo.xml \
         usr/share/icons/hicolor/64x64/apps/org.quillory.Quillory.png \
         usr/share/icons/hicolor/scalable/apps/org.quillory.Quillory.svg \
         usr/share/doc/quillory/copyright usr/share/doc/quillory/changelog.gz \
         usr/share/man/man1/quillory.1.gz; do
  grep -q " ./$f\$" <<<"$files" || { echo "FAIL: the package lacks $f"; exit 1; }
done
# No address that leads nowhere, in the control fields or the files.
mkdir "$out/x"
dpkg-deb -R "$deb" "$out/x"
if grep -rIlE '(^|[^a-z])example\.(org|com|net)' "$out/x"; then
  echo "FAIL: the package names a placeholder address"; exit 1
fi
# Debian's package checker: errors fail the test, the rest is shown.
report=$(lintian --tag-display-limit 0 "$deb" 2>&1 | grep -v 'running with root privileges' || true)
[ -n "$report" ] && echo "$report"
if grep -q '^E: ' <<<"$report"; then
  echo "FAIL: lintian reports errors"; exit 1
fi
echo "PASS"
