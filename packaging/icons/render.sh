#!/usr/bin/env bash
# Renders the application icon's PNG sizes from the SVG beside this script.
# Needs rsvg-convert (Debian: librsvg2-bin); run it after changing the SVG and
# commit the PNGs with it:  packaging/icons/render.sh
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
for size in 16 24 32 48 64 128 256; do
    rsvg-convert --width "$size" --height "$size" --output "org.korvana.Korvana3-$size.png" org.korvana.Korvana3.svg
done
