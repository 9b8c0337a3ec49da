#!/usr/bin/env bash
# Renders the catalogue thumbnails (data/Objects/<name>.png, 112 x 112) of
# every package model with the program's own live preview: each model is
# put into a small scene of its own (three-quarter view, one light, a short
# soft shadow, the floor reflection, on the grey RGB(192, 192, 192) that the
# catalogue lists take as their mask colour), drawn as the full
# preview frame four times larger and averaged down.
#
#   tools/render-thumbnails.sh [BOXORA_RENDER [OBJECTS_FOLDER]]
#
# BOXORA_RENDER defaults to build/app/boxora-render, OBJECTS_FOLDER to
# data/Objects; the models' artwork is read from the texture folder beside
# it (OBJECTS_FOLDER/../texture).
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
RENDER=${1:-$ROOT/build/app/boxora-render}
OBJ=$(cd "${2:-$ROOT/data/Objects}" && pwd)
HOME_FOLDER=$(cd "$OBJ/../.." && pwd)
SIZE=112
SUPERSAMPLE=4

[ -x "$RENDER" ] || { echo "render-thumbnails: $RENDER is missing (build the project first)" >&2; exit 1; }
[ "$OBJ" = "$HOME_FOLDER/data/Objects" ] || { echo "render-thumbnails: models must sit in .../data/Objects" >&2; exit 1; }

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

shopt -s nullglob
models=("$OBJ"/*.3ds)
[ ${#models[@]} -gt 0 ] || { echo "render-thumbnails: no models in $OBJ" >&2; exit 1; }

for model in "${models[@]}"; do
  name=$(basename "$model" .3ds)
  scene="$WORK/thumbnail.scn"
  # Light 1 far to the front right (its marker stays out of the picture),
  # light 2 off; the shadow falls short and to the back left.
  cat > "$scene" <<SCN
[OBJECT_0]
Object_Name=$name
User_Defined_Name=$name
[LIGHT_SHADOW]
Global_Light_Brightness=35.000000
Light_Source_Enabled_1=1
Light_Horizontal_Rotation=60.000000
Light_Vertical_Rotation=35.000000
Light_Distance=100.000000
Light_Source_Enabled_2=0
Light_Horizontal_Rotation_2=140.000000
Light_Vertical_Rotation_2=10.000000
Light_Distance_2=100.000000
Direction=120.000000
Length=25.000000
Shadow_Intensity=20
Shadow_Blur=20
[CAMERA]
Camera_Horizontal_Rotation=330.000000
Camera_Vertical_Rotation=18.000000
Camera_Target_Horizontal=0.000000
Camera_Target_Vertical=42.000000
Camera_Zoom=77.000000
Camera_Perspective=20.000000
[REFLECTION]
Reflection_Length=20.000000
Reflection_Opacity=25.000000
Background_Transparent=0
Background_Color=12632256
[SCENE]
Version=1.8
SCN
  BOXORA_HOME="$HOME_FOLDER" "$RENDER" --preview "$scene" -o "$OBJ/$name.png" \
    --size "${SIZE}x${SIZE}" --mode 1 --supersample "$SUPERSAMPLE"
  echo "$OBJ/$name.png"
done
