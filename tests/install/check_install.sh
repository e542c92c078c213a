#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks what desktop menus and
# software centres read: the desktop entry, the AppStream metadata and the icons.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
share=$prefix/share
test -x "$prefix/bin/quillory"
desktop-file-validate "$share/applications/org.quillory.Quillory.desktop"
appstreamcli validate --no-net --explain "$share/metainfo/org.quillory.Quillory.metainfo.xml"
test -s "$share/icons/hicolor/64x64/apps/org.quillory.Quillory.png"
test -s "$share/icons/hicolor/scalable/apps/org.quillory.Quillory.svg"
# The manual page, the copyright and the changelog where Debian keeps them.
test -s "$prefix/share/man/man1/quillory.1.gz"
zcat "$prefix/share/man/man1/quillory.1.gz" | grep -q "^\.TH QUILLORY 1"
test -s "$share/doc/quillory/copyright"
# The entry starts the installed program by the name it is installed under,
# with the text file a desktop's "Open with" hands it.
grep -qx 'Exec=quillory %f' "$share/applications/org.quillory.Quillory.desktop"
grep -qx 'MimeType=text/plain;' "$share/applications/org.quillory.Quillory.desktop"
grep -qx 'Icon=org.quillory.Quillory' "$share/applications/org.quillory.Quillory.desktop"
echo "PASS"
