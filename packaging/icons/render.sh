#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Regenerates the hicolor PNG icons of Velmora from the single source velmora.svg (needs rsvg-convert; uses optipng if present).
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
src="$here/velmora.svg"

command -v rsvg-convert >/dev/null || { echo "render.sh: rsvg-convert not found (Debian: librsvg2-bin)" >&2; exit 1; }

for n in 16 22 24 32 48 64 128 256; do
    out="$here/hicolor/${n}x${n}/apps/velmora.png"
    mkdir -p "$(dirname "$out")"
    rsvg-convert --width "$n" --height "$n" --keep-aspect-ratio --format png --output "$out" "$src"
    if command -v optipng >/dev/null; then
        optipng -quiet -o7 -strip all "$out"
    fi
    echo "$out"
done
