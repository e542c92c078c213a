#!/usr/bin/env bash
# The window icon's pixels as the program reads them at start-up, from
# icon.png (which the desktop entry uses): 64 x 64, 8-bit RGBA, row by row.
# Qt reads a PNG through its image reader, which first loads every
# image-format plugin it has; raw pixels need no reader. Needs ImageMagick;
# icon.rgba is committed, so the build does not.
set -euo pipefail
cd "$(dirname "$0")"
convert icon.png -depth 8 rgba:icon.rgba
