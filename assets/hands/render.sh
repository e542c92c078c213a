#!/usr/bin/env bash
# Renders the hand pictures of the fingering chart from their SVG sources:
# for each hand a picture (the hand on black) and a mask (black where the hand
# is, white elsewhere), 228 x 178 and twice that for high-density screens.
# The mask is strictly black and white, so that drawing it with AND and then
# the picture with XOR shows the hand over the keyboard and nothing else.
# Needs rsvg-convert (librsvg2-bin) and ImageMagick; the PNGs are committed,
# so the build does not.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

for side in left right; do
  for scale in 1 2; do
    suffix=$([ "$scale" = 2 ] && echo "@2x" || true)
    w=$((228 * scale)) h=$((178 * scale))
    rsvg-convert -w "$w" -h "$h" "$side-hand.svg" -o "$tmp/rgba.png"
    convert "$tmp/rgba.png" -alpha extract -threshold 50% -negate \
      -type bilevel "PNG8:$side-mask$suffix.png"
    convert "$tmp/rgba.png" -background black -alpha remove -alpha off \
      \( "$side-mask$suffix.png" -negate \) -compose multiply -composite \
      -define png:color-type=2 "PNG24:$side-hand$suffix.png"
  done
done
