#!/usr/bin/env bash
# Makes the PNG sizes of the desktop icons from their hand-drawn SVG files in
# res/linux/icons/: the application icon and the icon of scene files, into
# res/linux/icons/hicolor/<N>x<N>/{apps,mimetypes}/ (the layout of the
# hicolor icon theme they are installed into). Run it after changing an SVG
# and commit the PNG files.
#
#   tools/render-icons.sh
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
ICONS=$ROOT/res/linux/icons
command -v rsvg-convert >/dev/null || { echo "render-icons: needs rsvg-convert (librsvg2-bin)" >&2; exit 1; }

for size in 16 24 32 48 64 128 256; do
  for kind in apps:com.talvenor.Boxora mimetypes:application-x-boxora-scene; do
    folder=$ICONS/hicolor/${size}x${size}/${kind%%:*}
    mkdir -p "$folder"
    rsvg-convert --width "$size" --height "$size" --output "$folder/${kind#*:}.png" "$ICONS/${kind#*:}.svg"
  done
done
echo "render-icons: wrote $ICONS/hicolor"
