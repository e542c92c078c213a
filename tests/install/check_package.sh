#!/usr/bin/env bash
# Builds the Debian package from the build tree and checks that it declares
# what the tutor needs at run time and carries what desktops look for.
set -euo pipefail
build=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
(cd "$build" && cpack -G DEB -B "$out" >/dev/null)
deb=$(ls "$out"/quillory_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
for need in libqt6widgets6 libqt6gui6 libqt6core6 libicu72 qt6-qpa-plugins \
            fonts-arphic-ukai fonts-arphic-uming fonts-liberation; do
  grep -q "$need" <<<"$depends" || { echo "FAIL: the package does not depend on $need"; exit 1; }
done
recommends=$(dpkg-deb -f "$deb" Recommends)
for want in libchewing3-data gcin-tables; do
  grep -q "$want" <<<"$recommends" || { echo "FAIL: the package does not recommend $want"; exit 1; }
done
files=$(dpkg-deb -c "$deb")
for f in usr/bin/quillory usr/share/applications/org.quillory.Quillory.desktop \
         usr/share/metainfo/org.quillory.Quillory.metainfo.xml \
         usr/share/icons/hicolor/64x64/apps/org.quillory.Quillory.png \
         usr/share/icons/hicolor/scalable/apps/org.quillory.Quillory.svg; do
  grep -q " ./$f\$" <<<"$files" || { echo "FAIL: the package lacks $f"; exit 1; }
done
echo "PASS"
