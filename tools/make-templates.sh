#!/usr/bin/env bash
# Writes the starter templates that ship with the program (data/templates/):
# for each one a scene file "<name>.scn" (UTF-16LE with byte-order mark, as
# the program writes them) and its 94 x 94 preview "<name>.jpg" (JPEG,
# quality 100), rendered by the program's own render job as the template
# library renders it (boxora-render SCENE -o PREVIEW.jpg --size 94x94:
# antialiased, with the full soft shadow and reflection). The program copies
# them into a new user's empty template folder.
#
#   tools/make-templates.sh [BOXORA_RENDER [TEMPLATE_FOLDER]]
#
# BOXORA_RENDER defaults to build/app/boxora-render (its program folder must
# hold data/Objects and data/texture), TEMPLATE_FOLDER to data/templates.
# The scenes use only catalogue models and their own artwork, so every face
# looks the same wherever the program is installed.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
RENDER=${1:-$ROOT/build/app/boxora-render}
OUT=${2:-$ROOT/data/templates}
PROGRAM=$(cd "$(dirname "$RENDER")" && pwd)
SIZE=94

[ -x "$RENDER" ] || { echo "make-templates: $RENDER is missing (build the project first)" >&2; exit 1; }
[ -d "$PROGRAM/data/Objects" ] || { echo "make-templates: no catalogue in $PROGRAM/data/Objects" >&2; exit 1; }
mkdir -p "$OUT"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

# --- scene pieces (each prints INI lines) ----------------------------------

# The lift that sets each catalogue model on the floor (half its height).
lift() {
  case "$1" in
    Book) echo 73 ;; Box | "Mirror Box") echo 70 ;; CD_DVD) echo 46 ;;
    "DVD Box") echo 68 ;; "Slim Box") echo 74 ;;
    *) echo "make-templates: unknown model $1" >&2; exit 1 ;;
  esac
}

# The object type and the six cover images (Front, Back, Left, Right, Top,
# Bottom: the model's own artwork, by bare name, so they resolve below
# data/texture/ wherever the program is installed) of each model. Every key
# the program writes is in the files, so any reader loads them the same.
covers() {
  case "$1" in
    Box) echo "1 box_front.jpg box_back.jpg box_left.jpg box_right.jpg box_top.jpg box_bottom.jpg" ;;
    "Slim Box") echo "0 slim_front.jpg slim_back.jpg slim_left.jpg slim_right.jpg slim_top.jpg slim_bottom.jpg" ;;
    "Mirror Box") echo "0 gift_front.jpg gift_back.jpg gift_left.jpg gift_right.jpg gift_top.jpg gift_bottom.jpg" ;;
    "DVD Box") echo "3 dvd_front.jpg dvd_back.jpg dvd_spine.jpg dvd_edge.png dvd_edge.png dvd_edge.png" ;;
    CD_DVD) echo "2 cd_front.jpg cd_back.jpg cd_spine_left.jpg cd_spine_right.jpg cd_edge.png cd_edge.png" ;;
    Book) echo "0 book_front.jpg book_back.jpg book_spine.jpg book_pages_edge.png book_pages_top.png book_pages_top.png" ;;
    *) echo "make-templates: unknown model $1" >&2; exit 1 ;;
  esac
}

# object N MODEL NAME X Z TURN: model MODEL as object N named NAME, standing
# on the floor at (X, Z) and turned by TURN degrees about the vertical.
object() {
  local c
  read -r -a c <<< "$(covers "$2")"
  cat <<SCN
[OBJECT_$1]
Object_Name=$2
User_Defined_Name=$3
Object_Type=${c[0]}
Image_Front=${c[1]}
Image_Back=${c[2]}
Image_Left=${c[3]}
Image_Right=${c[4]}
Image_Top=${c[5]}
Image_Bottom=${c[6]}
Translate_X=$4.000000
Translate_Y=$(lift "$2").000000
Translate_Z=$5.000000
Rotate_X=0.000000
Rotate_Y=$6.000000
Rotate_Z=0.000000
Scale_X=1.000000
Scale_Y=1.000000
Scale_Z=1.000000
SCN
}

# lights BRIGHTNESS  H1 V1 D1  ON2 H2 V2 D2  SHADOW_DIRECTION LENGTH INTENSITY BLUR
lights() {
  cat <<SCN
[LIGHT_SHADOW]
Global_Light_Brightness=$1.000000
Light_Source_Enabled_1=1
Light_Horizontal_Rotation=$2.000000
Light_Vertical_Rotation=$3.000000
Light_Distance=$4.000000
Light_Source_Enabled_2=$5
Light_Horizontal_Rotation_2=$6.000000
Light_Vertical_Rotation_2=$7.000000
Light_Distance_2=$8.000000
Direction=$9.000000
Length=${10}.000000
Shadow_Intensity=${11}
Shadow_Blur=${12}
SCN
}

# camera H V TARGET_H TARGET_V ZOOM PERSPECTIVE
camera() {
  cat <<SCN
[CAMERA]
Camera_Horizontal_Rotation=$1.000000
Camera_Vertical_Rotation=$2.000000
Camera_Target_Horizontal=$3.000000
Camera_Target_Vertical=$4.000000
Camera_Zoom=$5.000000
Camera_Perspective=$6.000000
SCN
}

# finish REFLECTION_LENGTH OPACITY TRANSPARENT RRGGBB
finish() {
  local rgb=$((16#$4))
  local colorref=$(( ((rgb >> 16) & 255) | (rgb & 0xFF00) | ((rgb & 255) << 16) ))
  cat <<SCN
[REFLECTION]
Reflection_Length=$1.000000
Reflection_Opacity=$2.000000
Background_Transparent=$3
Background_Color=$colorref
[SCENE]
Version=1.8
SCN
}

# write NAME: the scene text on standard input becomes NAME.scn, then its
# preview NAME.jpg is rendered.
write() {
  local name=$1 text="$WORK/scene.txt" scene="$OUT/$1.scn"
  cat > "$text"
  { printf '\xff\xfe'; sed 's/$/\r/' "$text" | iconv -f UTF-8 -t UTF-16LE; } > "$scene"
  BOXORA_HOME="$PROGRAM" "$RENDER" "$scene" -o "$OUT/$name.jpg" \
    --size "${SIZE}x${SIZE}" --quality 100 --seed 1 --quiet
  echo "$OUT/$name.scn"
}

# --- the templates ----------------------------------------------------------
# Lights: light 1 is the key light to the front right, light 2 a weaker fill
# from the left; both sit far enough out to stay out of the picture.

write "Software Box" <<SCN
$(object 0 Box "Software box" 0 0 0)
$(lights 30  60 35 100  1 150 20 100  120 30 25 30)
$(camera 330 18 -6 44 77 20)
$(finish 25 25 0 FFFFFF)
SCN

write "DVD Case" <<SCN
$(object 0 "DVD Box" "DVD case" 0 0 0)
$(lights 30  55 35 100  1 150 20 100  125 30 25 30)
$(camera 335 16 -6 42 78 20)
$(finish 25 30 0 EEF1F5)
SCN

write "Music CD" <<SCN
$(object 0 CD_DVD "CD case" 0 0 0)
$(lights 30  60 40 100  1 150 20 100  120 25 25 25)
$(camera 332 16 -6 30 84 20)
$(finish 30 30 0 F4F4F4)
SCN

write "Hardcover Book" <<SCN
$(object 0 Book "Book" 0 0 0)
$(lights 30  50 35 100  1 160 20 100  130 30 25 30)
$(camera 325 17 -6 46 77 20)
$(finish 20 20 0 F5F0E8)
SCN

write "Product Family" <<SCN
$(object 0 "Slim Box" "Slim box" -112 -30 -20)
$(object 1 Box "Software box" 0 0 0)
$(object 2 "DVD Box" "DVD case" 112 -30 20)
$(lights 30  60 35 100  1 150 20 100  120 25 25 30)
$(camera 0 13 0 48 49 20)
$(finish 25 25 0 FFFFFF)
SCN

write "Studio Dark" <<SCN
$(object 0 Box "Software box" 0 0 0)
$(lights 36  60 30 100  1 140 20 100  120 25 40 35)
$(camera 330 12 -6 44 77 22)
$(finish 45 45 0 15181E)
SCN

write "Gift Box" <<SCN
$(object 0 "Mirror Box" "Gift box" 0 0 0)
$(lights 32  55 35 100  1 150 25 100  125 30 30 30)
$(camera 328 16 -6 44 77 20)
$(finish 30 30 0 2B2530)
SCN

write "Web Cutout" <<SCN
$(object 0 Box "Software box" 0 0 0)
$(lights 30  60 35 100  1 150 20 100  120 30 30 30)
$(camera 30 18 6 44 77 20)
$(finish 25 25 1 FFFFFF)
SCN
