#!/usr/bin/env bash
# Renders the PNG icons from zirf.svg. Run it after changing the SVG and commit the results:
# the build uses the committed PNGs and needs no SVG renderer (rsvg-convert is in librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 32 48 64 128 256; do
  rsvg-convert --width "$size" --height "$size" zirf.svg --output "zirf-$size.png.tmp"
  # Drop metadata chunks so a render gives the same bytes every time.
  convert "zirf-$size.png.tmp" -strip -define png:color-type=2 "zirf-$size.png"
  rm "zirf-$size.png.tmp"
done
cp zirf-32.png ../../platform/icons/icon.png
cp zirf-16.png ../../platform/icons/icon-16.png
for size in 48 64 128 256; do cp "zirf-$size.png" "../../platform/icons/icon-$size.png"; done
