#!/usr/bin/env bash
# Regenerates the game's pictures: in resources/ the icon (icon/103.ico) and
# the bitmaps 104 to 121 (cube and field textures, title letter tiles and
# face, the editor's size arrows, the language flags); in dist/icons/ the
# desktop's application icons drawn from the same cube. All are drawn by
# make_pictures.
#   tools/make_pictures.sh [build-folder]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}

if [ ! -f "$build/build.ninja" ] && [ ! -f "$build/Makefile" ]; then
  cmake -S "$root" -B "$build" -G Ninja >/dev/null
fi
cmake --build "$build" --target make_pictures >/dev/null
"$build/bin/make_pictures" "$root/resources" "$root/dist/icons" "$(cat "$root/dist/app-id")"
