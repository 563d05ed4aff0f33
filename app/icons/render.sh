#!/bin/sh
# Renders the two bitmap sizes of the program icon from tallix.svg (ImageMagick).
# The box filter keeps the even-coordinate edges of the drawing sharp at 16 pixels.
set -eu
cd "$(dirname "$0")"
for size in 16 32; do
    convert -background none -density 768 tallix.svg -filter box -resize "${size}x${size}" \
        -depth 8 -strip "tallix-${size}.png"
done
