#!/usr/bin/env bash
# Draws the congratulation picture data/grats.gif: 185 x 185, an animated GIF of
# a football bouncing in front of blue and garnet stripes, with the greeting
# above and the team's name below, under falling confetti.
# Needs ImageMagick 6 (convert) and the DejaVu fonts; run it from anywhere.
set -euo pipefail
out="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/grats.gif"
font=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

frames=16
for ((i = 0; i < frames; i++)); do
    # The ball falls and bounces back once per loop: a parabola over the frames.
    y=$(awk -v i="$i" -v n="$frames" 'BEGIN { x = (i / n) * 2 - 1; printf "%d", 60 + 56 * x * x }')
    squash=$((i == 0 ? 5 : 0))
    angle=$((i * 360 / frames))
    args=(-size 185x185 xc:'#004d98')
    # Stripes that drift one stripe to the right over the loop.
    for ((s = -1; s < 8; s++)); do
        x=$((s * 26 + i * 26 / frames))
        if (((s + 8) % 2 == 0)); then colour='#004d98'; else colour='#a50044'; fi
        args+=(-fill "$colour" -draw "rectangle $x,0 $((x + 25)),185")
    done
    args+=(-fill 'rgba(0,0,0,0.2)' -draw 'rectangle 0,0 185,185')
    colours=('#ffed02' '#ffffff' '#ff5f00' '#7fd0ff')
    for ((c = 0; c < 14; c++)); do
        cx=$(((c * 53 + 17) % 185))
        cy=$(((c * 37 + i * 12) % 185))
        args+=(-fill "${colours[c % 4]}" -draw "rectangle $cx,$cy $((cx + 3)),$((cy + 5))")
    done
    # The shadow grows as the ball comes down.
    args+=(-fill 'rgba(0,0,0,0.45)' -draw "ellipse 92,146 $((12 + y / 8)),4 0,360")
    args+=(-stroke black -strokewidth 2 -fill white -draw "ellipse 92,$y 24,$((24 - squash)) 0,360")
    args+=(-stroke none -fill black -draw "translate 92,$y rotate $angle polygon 0,-9 8,-3 5,7 -5,7 -8,-3")
    for ((p = 0; p < 5; p++)); do
        args+=(-draw "translate 92,$y rotate $((angle + p * 72)) polygon -4,-22 4,-22 6,-16 0,-13 -6,-16")
    done
    args+=(-font "$font" -gravity north -pointsize 17
        -stroke '#5a0026' -strokewidth 4 -fill '#ffed02' -annotate +0+6 'Поздравляем!'
        -stroke none -annotate +0+6 'Поздравляем!'
        -gravity south -pointsize 22
        -stroke '#002a55' -strokewidth 4 -fill white -annotate +0+6 'Барселона!'
        -stroke none -annotate +0+6 'Барселона!')
    convert "${args[@]}" "$work/$(printf 'frame%02d.png' "$i")"
done
convert -delay 7 -loop 0 "$work"/frame*.png -layers Optimize "$out"
echo "wrote $out"
