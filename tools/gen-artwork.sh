#!/usr/bin/env bash
# Draws the default cover artwork of the package catalogue (data/texture/)
# and the placeholder thumbnails of the models (data/Objects/<name>.png).
#
#   tools/gen-artwork.sh [TEXTURE_FOLDER [OBJECTS_FOLDER]]
#
# Needs ImageMagick (convert or magick) and the DejaVu fonts of
# fonts-dejavu-core; scripts/install-deps installs both. Every product,
# name and text on the artwork is made up for the catalogue.
#
# Each image has the proportions of the face it is made for (see
# tools/model3ds/CatalogueModels.cpp); the catalogue tests check that.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
TEX=${1:-$ROOT/data/texture}
OBJ=${2:-$ROOT/data/Objects}
mkdir -p "$TEX" "$OBJ"

if [ -x /usr/bin/convert ]; then IM=/usr/bin/convert
elif command -v magick >/dev/null 2>&1; then IM=magick
elif command -v convert >/dev/null 2>&1; then IM=convert
else echo "gen-artwork: ImageMagick is missing (scripts/install-deps)" >&2; exit 1
fi

FONTS=/usr/share/fonts/truetype/dejavu
SANS=$FONTS/DejaVuSans.ttf
SANSB=$FONTS/DejaVuSans-Bold.ttf
SERIF=$FONTS/DejaVuSerif.ttf
SERIFB=$FONTS/DejaVuSerif-Bold.ttf
MONO=$FONTS/DejaVuSansMono.ttf
for f in "$SANS" "$SANSB" "$SERIF" "$SERIFB" "$MONO"; do
  [ -f "$f" ] || { echo "gen-artwork: font $f is missing (fonts-dejavu-core)" >&2; exit 1; }
done

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

# Output helpers: no metadata, so regenerating gives the same files.
save_jpg() { local out=$1; shift; "$IM" "$@" -strip -sampling-factor 2x2 -quality 86 "$out"; }
save_png() { local out=$1; shift; "$IM" "$@" -strip -define png:exclude-chunks=date,time "PNG24:$out"; }

# --- drawing pieces (each prints ImageMagick arguments, one per line) ------

# The isometric cube of the Boxora logo: centre x y, half height s.
cube() {
  awk -v cx="$1" -v cy="$2" -v s="$3" 'BEGIN {
    h = s * 0.866
    top = sprintf("%.1f,%.1f", cx, cy - s); bot = sprintf("%.1f,%.1f", cx, cy + s)
    ur = sprintf("%.1f,%.1f", cx + h, cy - s / 2); lr = sprintf("%.1f,%.1f", cx + h, cy + s / 2)
    ul = sprintf("%.1f,%.1f", cx - h, cy - s / 2); ll = sprintf("%.1f,%.1f", cx - h, cy + s / 2)
    c = sprintf("%.1f,%.1f", cx, cy)
    print "-stroke"; print "none"
    print "-fill"; print "#72dcf7"; print "-draw"; print "polygon " top " " ur " " c " " ul
    print "-fill"; print "#2d90dc"; print "-draw"; print "polygon " ul " " c " " bot " " ll
    print "-fill"; print "#1a58a3"; print "-draw"; print "polygon " c " " ur " " lr " " bot
  }'
}

# Scattered stars over a w × h area, the same every run.
stars() {
  awk -v w="$1" -v h="$2" -v n="$3" -v seed="$4" 'BEGIN {
    srand(seed)
    print "-stroke"; print "none"
    for (i = 0; i < n; i++) {
      x = rand() * w; y = rand() * h; r = 0.4 + rand() * rand() * 1.6; a = 0.35 + rand() * 0.65
      print "-fill"; printf "rgba(255,255,255,%.2f)\n", a
      print "-draw"; printf "circle %.1f,%.1f %.1f,%.1f\n", x, y, x + r, y
    }
  }'
}

# A barcode on a white label at x, y of size w × h.
barcode() {
  awk -v x="$1" -v y="$2" -v w="$3" -v h="$4" -v seed="$5" 'BEGIN {
    srand(seed)
    print "-stroke"; print "none"; print "-fill"; print "white"
    print "-draw"; printf "rectangle %d,%d %d,%d\n", x, y, x + w, y + h
    print "-fill"; print "black"
    px = x + 6
    while (px < x + w - 8) {
      bw = 1 + int(rand() * 3)
      print "-draw"; printf "rectangle %d,%d %d,%d\n", px, y + 4, px + bw - 1, y + h - 12
      px += bw + 1 + int(rand() * 3)
    }
  }'
}

# Text set into a transparent image of its own: font size colour text.
label() { "$IM" -background none -font "$1" -pointsize "$2" -fill "$3" label:"$4" "PNG32:$5"; }
# Wrapped text in a box of the given width: font size colour width text out.
caption() { "$IM" -background none -font "$1" -pointsize "$2" -fill "$3" -size "$4"x caption:"$5" "PNG32:$6"; }

# ---------------------------------------------------------------------------
# Boxora Studio (software box "Box"): navy, the cube logo.
# Faces: front/back 96 × 136, sides 26 × 136, top/bottom 96 × 26.
# ---------------------------------------------------------------------------
boxora_background() { echo -size "$1x$2" gradient:'#173a7c'-'#0a1533'; }

make_box() {
  local w=362 h=512
  mapfile -t logo < <(cube 181 262 74)
  save_jpg "$TEX/box_front.jpg" $(boxora_background $w $h) \
    \( -size ${w}x${h} xc:none -fill 'rgba(110,210,255,0.35)' -draw 'circle 181,262 181,150' -blur 0x28 \) -composite \
    "${logo[@]}" \
    -fill none -stroke 'rgba(140,220,255,0.55)' -strokewidth 2 -draw 'circle 181,262 181,160' \
    -stroke none -fill white -font "$SANSB" -pointsize 56 -gravity north -annotate +0+34 'BOXORA' \
    -fill '#8fdcff' -font "$SANS" -pointsize 27 -kerning 9 -annotate +4+100 'STUDIO' -kerning 0 \
    -fill '#d6ebff' -font "$SANS" -pointsize 17 -annotate +0+378 '3D box shots in minutes' \
    -gravity northwest -fill '#08112a' -draw "rectangle 0,450 $w,$h" \
    -fill '#b9d3f5' -font "$SANSB" -pointsize 15 -kerning 3 -annotate +18+471 'TALVENOR' -kerning 0 \
    -fill '#2d90dc' -draw 'roundrectangle 222,464 344,496 6,6' \
    -fill white -font "$SANSB" -pointsize 15 -annotate +235+469 'VERSION 2' \
    -fill none -stroke '#18264e' -strokewidth 6 -draw "rectangle 0,0 $((w - 1)),$((h - 1))"

  caption "$SANS" 14 '#dbe9ff' 316 'Turn flat cover artwork into photo-real package shots. Place boxes, cases and books, light them, add a soft shadow and a floor reflection, and render print-ready images.' "$WORK/box_back_text.png"
  caption "$SANS" 13 '#dbe9ff' 316 '•  Six cover faces on every package
•  Two lights, soft shadow, reflection
•  Renders up to 3000 × 3000 pixels
•  PNG, JPEG, TIFF, GIF, BMP and more
•  Templates for quick starts' "$WORK/box_back_list.png"
  mapfile -t small < <(cube 40 44 20)
  mapfile -t bars < <(barcode 236 448 106 46 11)
  mapfile -t mini < <(cube 181 236 34)
  save_jpg "$TEX/box_back.jpg" $(boxora_background $w $h) \
    "${small[@]}" \
    -fill white -font "$SANSB" -pointsize 25 -gravity northwest -annotate +74+28 'BOXORA STUDIO' \
    "$WORK/box_back_text.png" -geometry +24+82 -composite \
    -fill '#0c1a3c' -stroke '#5fb8ec' -strokewidth 2 -draw 'roundrectangle 24,176 338,292 8,8' -stroke none \
    "${mini[@]}" \
    -fill '#4d7fc0' -draw 'ellipse 181,281 40,5 0,360' \
    "$WORK/box_back_list.png" -geometry +24+306 -composite \
    -fill '#08112a' -draw "rectangle 0,436 $w,$h" \
    -fill '#9db8dd' -font "$SANS" -pointsize 10 -annotate +18+452 'Linux · OpenGL · 2 GB memory' \
    -annotate +18+468 'Talvenor — demonstration artwork' -annotate +18+484 'Not a real product.' \
    "${bars[@]}" \
    -fill none -stroke '#18264e' -strokewidth 6 -draw "rectangle 0,0 $((w - 1)),$((h - 1))"

  label "$SANSB" 34 white 'BOXORA STUDIO' "$WORK/box_spine_title.png"
  label "$SANSB" 26 white '3D BOX SHOTS' "$WORK/box_right_title.png"
  mapfile -t spineCube < <(cube 49 52 26)
  save_jpg "$TEX/box_left.jpg" $(boxora_background 98 $h) \
    "${spineCube[@]}" \
    \( "$WORK/box_spine_title.png" -rotate 90 \) -gravity center -geometry +0+20 -composite \
    -gravity north -fill '#2d90dc' -draw 'roundrectangle 27,446 71,488 6,6' \
    -fill white -font "$SANSB" -pointsize 22 -annotate +0+451 '2' \
    -fill none -stroke '#18264e' -strokewidth 6 -draw "rectangle 0,0 97,$((h - 1))"
  save_jpg "$TEX/box_right.jpg" $(boxora_background 98 $h) \
    \( "$WORK/box_right_title.png" -rotate 90 \) -gravity center -geometry +0-30 -composite \
    -gravity south -fill '#b9d3f5' -font "$SANSB" -pointsize 12 -annotate +0+24 'TALVENOR' \
    -fill none -stroke '#18264e' -strokewidth 6 -draw "rectangle 0,0 97,$((h - 1))"

  mapfile -t topCube < <(cube 62 69 40)
  save_jpg "$TEX/box_top.jpg" $(boxora_background 512 139) \
    "${topCube[@]}" \
    -fill white -font "$SANSB" -pointsize 37 -gravity west -annotate +122-12 'BOXORA STUDIO' \
    -fill '#8fdcff' -font "$SANS" -pointsize 17 -annotate +124+28 '3D box shots in minutes' \
    -fill none -stroke '#18264e' -strokewidth 6 -draw 'rectangle 0,0 511,138'
  mapfile -t bottomBars < <(barcode 380 22 112 70 5)
  save_jpg "$TEX/box_bottom.jpg" -size 512x139 xc:'#0a1533' \
    -fill '#9db8dd' -font "$SANS" -pointsize 13 -gravity northwest \
    -annotate +22+24 'Boxora Studio 2 — box shot renderer' \
    -annotate +22+46 'Contents: installer, quick start guide' \
    -annotate +22+68 'Made by Talvenor. Demonstration artwork,' \
    -annotate +22+90 'not a real product.' \
    "${bottomBars[@]}" \
    -fill none -stroke '#18264e' -strokewidth 6 -draw 'rectangle 0,0 511,138'
}

# ---------------------------------------------------------------------------
# Polar Nights (documentary, "DVD Box"): night sky, aurora, mountains.
# Faces: front/back 91.35 × 136, spine 13 × 136; edges are plain plastic.
# ---------------------------------------------------------------------------
aurora() {  # w h: a blurred aurora layer
  printf '%s\n' "(" -size "$1x$2" xc:none -fill none -strokewidth 26 \
    -stroke 'rgba(70,240,170,0.75)' -draw "path 'M -20,250 C 80,150 180,300 $(($1 + 30)),170'" \
    -strokewidth 14 -stroke 'rgba(60,200,235,0.7)' -draw "path 'M -20,210 C 110,120 200,250 $(($1 + 30)),120'" \
    -blur 0x14 ")" -composite
}

make_dvd() {
  local w=344 h=512
  mapfile -t sky < <(stars $w 330 110 3)
  mapfile -t glow < <(aurora $w $h)
  save_jpg "$TEX/dvd_front.jpg" -size ${w}x${h} gradient:'#070b24'-'#26507a' \
    "${sky[@]}" \
    "${glow[@]}" \
    -stroke none -fill '#142440' -draw "polygon 0,400 60,340 110,372 170,300 230,360 290,330 344,372 344,512 0,512" \
    -fill '#0a1222' -draw "polygon 0,440 80,392 150,430 220,386 300,428 344,410 344,512 0,512" \
    -fill white -font "$SERIFB" -pointsize 54 -kerning 6 -gravity north -annotate +0+36 'POLAR' \
    -annotate +0+98 'NIGHTS' -kerning 0 \
    -fill '#bfe8ff' -font "$SANS" -pointsize 12 -kerning 3 -annotate +0+176 'A FILM ABOUT THE LONG WINTER' -kerning 0 \
    -gravity south -fill '#9fb4cf' -font "$SANS" -pointsize 12 -annotate +0+40 'TALVENOR PICTURES PRESENTS' \
    -fill white -font "$SANSB" -pointsize 14 -annotate +0+16 'DVD  ·  92 MIN  ·  DOCUMENTARY'

  caption "$SANS" 13 '#dfeeff' 300 'For three months the sun does not rise over the fjords of the far north. Filmed over one long winter, Polar Nights follows a lighthouse keeper, a reindeer herder and a night-shift nurse through the blue hours, the storms and the sudden green fire of the aurora.' "$WORK/dvd_back_text.png"
  caption "$SANS" 9 '#9fb4cf' 300 'Directed by Elin Varga · Photography Jon Aarse · Music The Harbour Lights · Produced by Talvenor Pictures. All names are made up for this demonstration artwork.' "$WORK/dvd_credits.png"
  mapfile -t bars < <(barcode 232 440 96 52 7)
  save_jpg "$TEX/dvd_back.jpg" -size ${w}x${h} gradient:'#0b1330'-'#10263f' \
    -fill white -font "$SERIFB" -pointsize 28 -kerning 3 -gravity north -annotate +0+26 'POLAR NIGHTS' -kerning 0 \
    -gravity northwest "$WORK/dvd_back_text.png" -geometry +22+80 -composite \
    \( -size 92x60 gradient:'#0d2a4a'-'#2f8f7a' \) -geometry +22+262 -composite \
    \( -size 92x60 gradient:'#1b1840'-'#5e3a78' \) -geometry +126+262 -composite \
    \( -size 92x60 gradient:'#0e2233'-'#8aa7b8' \) -geometry +230+262 -composite \
    "$WORK/dvd_credits.png" -geometry +22+340 -composite \
    -fill none -stroke '#9fb4cf' -strokewidth 1 -draw 'rectangle 22,444 60,464' -draw 'rectangle 68,444 106,464' -draw 'rectangle 114,444 160,464' \
    -stroke none -fill '#dfeeff' -font "$SANSB" -pointsize 11 -annotate +29+447 'DVD' -annotate +73+447 '16:9' -annotate +119+447 'Stereo' \
    -fill '#9fb4cf' -font "$SANS" -pointsize 9 -annotate +22+478 'Demonstration artwork — not a real film.' \
    "${bars[@]}"

  label "$SERIFB" 26 white 'POLAR NIGHTS' "$WORK/dvd_spine_title.png"
  save_jpg "$TEX/dvd_spine.jpg" -size 49x${h} gradient:'#070b24'-'#1d3d5f' \
    \( "$WORK/dvd_spine_title.png" -rotate 90 \) -gravity center -geometry +0-10 -composite \
    -gravity north -fill '#bfe8ff' -font "$SANSB" -pointsize 11 -annotate +0+14 'DVD' \
    -gravity south -fill '#9fb4cf' -font "$SANSB" -pointsize 10 -annotate +0+14 'TP'

  save_png "$TEX/dvd_edge.png" -size 64x64 gradient:'#26262b'-'#18181c'
}

# ---------------------------------------------------------------------------
# Tidal Sessions by The Harbour Lights (music album, "CD_DVD").
# Faces: booklet 88 × 88, back inlay 103.4 × 91.4, spines 7 × 91.4.
# ---------------------------------------------------------------------------
waves() {  # w y0: wave lines across the width starting at y0
  awk -v w="$1" -v y0="$2" 'BEGIN {
    print "-fill"; print "none"; print "-strokewidth"; print "2"
    for (i = 0; i < 7; i++) {
      y = y0 + i * 16; a = 0.18 + i * 0.08
      print "-stroke"; printf "rgba(160,230,255,%.2f)\n", a
      path = sprintf("M 0,%d", y)
      for (x = 0; x <= w; x += 64) path = path sprintf(" Q %d,%d %d,%d", x + 32, y + (i % 2 ? 10 : -10), x + 64, y)
      print "-draw"; print "path \x27" path "\x27"
    }
  }'
}

make_cd() {
  mapfile -t lines < <(waves 512 300)
  save_jpg "$TEX/cd_front.jpg" -size 512x512 gradient:'#0d4a6e'-'#061626' \
    -fill none -stroke 'rgba(120,210,240,0.22)' -strokewidth 3 \
    -draw 'circle 150,230 150,170' -draw 'circle 150,230 150,120' -draw 'circle 150,230 150,70' -draw 'circle 150,230 150,20' \
    -stroke none -fill 'rgba(255,214,150,0.95)' -draw 'circle 150,230 150,196' \
    "${lines[@]}" \
    -stroke none -fill '#cfeeff' -font "$SANSB" -pointsize 22 -kerning 5 -gravity northeast -annotate +34+40 'THE HARBOUR' \
    -annotate +34+72 'LIGHTS' -kerning 0 \
    -fill white -font "$SERIFB" -pointsize 60 -gravity southwest -annotate +34+70 'Tidal' \
    -fill '#ffd696' -font "$SERIF" -pointsize 38 -annotate +36+30 'Sessions' \
    -fill '#7fb3cc' -font "$SANS" -pointsize 12 -gravity southeast -annotate +24+22 'Talvenor Records'

  local tracks=(
    '1   Low Water           3:41' '2   Lantern Row         4:12' '3   Salt on the Glass   3:58'
    '4   North Pier          5:03' '5   Slack Tide          2:47' '6   Harbour Lights      4:36'
    '7   Fog Bell            3:22' '8   The Long Crossing   6:10' '9   Undertow            4:05'
    '10  Home by Morning     3:49')
  local list
  list=$(printf '%s\n' "${tracks[@]}")
  mapfile -t bars < <(barcode 388 360 104 60 13)
  save_jpg "$TEX/cd_back.jpg" -size 512x453 gradient:'#0b3a57'-'#061626' \
    -fill '#cfeeff' -font "$SANSB" -pointsize 18 -kerning 3 -gravity northwest -annotate +36+30 'THE HARBOUR LIGHTS' -kerning 0 \
    -fill '#ffd696' -font "$SERIFB" -pointsize 24 -annotate +36+56 'Tidal Sessions' \
    -fill white -font "$MONO" -pointsize 15 -interline-spacing 5 -annotate +36+108 "$list" \
    -fill '#7fb3cc' -font "$SANS" -pointsize 10 -annotate +36+392 'Recorded live at the old ferry terminal.' \
    -annotate +36+408 'Talvenor Records — demonstration artwork, not a real album.' \
    "${bars[@]}"

  label "$SANSB" 17 '#cfeeff' 'THE HARBOUR LIGHTS  ·  TIDAL SESSIONS' "$WORK/cd_spine.png"
  save_jpg "$TEX/cd_spine_left.jpg" -size 39x512 xc:'#08263a' \
    \( "$WORK/cd_spine.png" -rotate 90 \) -gravity center -composite
  save_jpg "$TEX/cd_spine_right.jpg" -size 39x512 xc:'#08263a' \
    \( "$WORK/cd_spine.png" -rotate 90 \) -gravity center -composite
  save_png "$TEX/cd_edge.png" -size 256x18 gradient:'#202024'-'#141416'
}

# ---------------------------------------------------------------------------
# The Lantern Keeper by Mira Solberg (hardcover novel, "Book").
# Faces: covers 96 × 146, spine 26.7 × 146, fore-edge 20.8 × 141.2,
# page top and bottom 96 × 20.8.
# ---------------------------------------------------------------------------
lantern() {  # cx cy: a glowing lantern
  local cx=$1 cy=$2
  printf '%s\n' "(" -size 337x512 xc:none -fill 'rgba(255,196,90,0.85)' -draw "circle $cx,$cy $cx,$((cy - 70))" -blur 0x34 ")" -composite \
    -stroke '#2a1c0c' -strokewidth 3 -fill none -draw "arc $((cx - 14)),$((cy - 74)) $((cx + 14)),$((cy - 46)) 180,360" \
    -stroke none -fill '#3a2a14' -draw "polygon $((cx - 30)),$((cy - 52)) $((cx + 30)),$((cy - 52)) $((cx + 22)),$((cy - 40)) $((cx - 22)),$((cy - 40))" \
    -fill '#ffe3a0' -draw "rectangle $((cx - 20)),$((cy - 40)) $((cx + 20)),$((cy + 34))" \
    -fill '#fff6d8' -draw "ellipse $cx,$((cy - 2)) 7,16 0,360" \
    -fill '#3a2a14' -draw "rectangle $((cx - 22)),$((cy - 40)) $((cx - 18)),$((cy + 34))" \
    -draw "rectangle $((cx + 18)),$((cy - 40)) $((cx + 22)),$((cy + 34))" \
    -draw "rectangle $((cx - 2)),$((cy - 40)) $((cx + 2)),$((cy + 34))" \
    -draw "polygon $((cx - 28)),$((cy + 34)) $((cx + 28)),$((cy + 34)) $((cx + 32)),$((cy + 44)) $((cx - 32)),$((cy + 44))"
}

# Fine lines where the sheets of a page block lie on each other: w h and
# the direction the lines run (x or y).
page_lines() {
  awk -v w="$1" -v h="$2" -v along="$3" 'BEGIN {
    print "-stroke"; print "#d9cbad"; print "-strokewidth"; print "1"
    if (along == "y") { for (x = 1; x < w; x += 3) { print "-draw"; printf "line %d,0 %d,%d\n", x, x, h } }
    else { for (y = 1; y < h; y += 3) { print "-draw"; printf "line 0,%d %d,%d\n", y, w, y } }
  }'
}

make_book() {
  local w=337 h=512
  mapfile -t light < <(lantern 168 300)
  save_jpg "$TEX/book_front.jpg" -size ${w}x${h} gradient:'#153f47'-'#081a1f' \
    "${light[@]}" \
    -stroke none -fill '#f3e3c0' -font "$SERIF" -pointsize 20 -kerning 8 -gravity north -annotate +0+40 'THE' -kerning 0 \
    -font "$SERIFB" -pointsize 44 -kerning 2 -annotate +0+66 'LANTERN' -annotate +0+118 'KEEPER' -kerning 0 \
    -fill '#c9a45c' -draw 'rectangle 118,180 219,182' \
    -gravity south -fill '#f3e3c0' -font "$SANS" -pointsize 18 -kerning 6 -annotate +0+46 'MIRA SOLBERG' -kerning 0 \
    -fill '#c9a45c' -font "$SERIF" -pointsize 12 -kerning 4 -annotate +0+24 'A NOVEL' -kerning 0

  caption "$SERIF" 16 '#f3e3c0' 280 '“Luminous and quietly fierce — a story that keeps its light on long after the last page.”' "$WORK/book_quote.png"
  caption "$SANS" 12 '#d8e4e0' 290 'On a rock at the edge of the northern sea, Ilse tends the last lantern of a lighthouse the world has forgotten. When a stranger rows in out of the winter storm, carrying a letter addressed to her dead father, the light she keeps begins to show her a path she never meant to take.' "$WORK/book_blurb.png"
  mapfile -t bars < <(barcode 214 430 104 60 17)
  save_jpg "$TEX/book_back.jpg" -size ${w}x${h} gradient:'#153f47'-'#081a1f' \
    -gravity north "$WORK/book_quote.png" -geometry +0+44 -composite \
    -fill '#c9a45c' -font "$SANS" -pointsize 11 -kerning 2 -annotate +0+140 '— THE NORTHERN REVIEW' -kerning 0 \
    -fill '#c9a45c' -draw 'rectangle 118,170 219,171' \
    "$WORK/book_blurb.png" -geometry +0+190 -composite \
    -gravity northwest -fill '#f3e3c0' -font "$SERIFB" -pointsize 14 -annotate +22+446 'Talvenor Press' \
    -fill '#9fb8b2' -font "$SANS" -pointsize 9 -annotate +22+468 'Demonstration artwork,' -annotate +22+481 'not a real book.' \
    "${bars[@]}"

  label "$SERIFB" 24 '#f3e3c0' 'THE LANTERN KEEPER' "$WORK/book_spine_title.png"
  label "$SANS" 14 '#c9a45c' 'MIRA SOLBERG' "$WORK/book_spine_author.png"
  save_jpg "$TEX/book_spine.jpg" -size 94x${h} gradient:'#153f47'-'#0b2227' \
    -fill '#c9a45c' -draw 'rectangle 10,22 84,24' -draw 'rectangle 10,488 84,490' \
    \( "$WORK/book_spine_title.png" -rotate 90 \) -gravity center -geometry -10-30 -composite \
    \( "$WORK/book_spine_author.png" -rotate 90 \) -gravity center -geometry +20-30 -composite \
    -gravity south -fill '#f3e3c0' -font "$SERIFB" -pointsize 16 -annotate +0+36 'TP'

  # The fore-edge shows the sheets side by side (lines running up), the
  # top and bottom show them from above (lines running across).
  mapfile -t edgeLines < <(page_lines 75 512 y)
  mapfile -t topLines < <(page_lines 512 111 x)
  save_png "$TEX/book_pages_edge.png" -size 75x512 xc:'#f1e8d4' "${edgeLines[@]}"
  save_png "$TEX/book_pages_top.png" -size 512x111 xc:'#f1e8d4' "${topLines[@]}"
}

# ---------------------------------------------------------------------------
# Aurora Suite (office suite in a slim case, "Slim Box").
# Faces: front/back 102 × 146, sides 8 × 146, top/bottom 102 × 8.
# ---------------------------------------------------------------------------
ribbons() {  # w h: light ribbons over the background
  printf '%s\n' "(" -size "$1x$2" xc:none -fill none \
    -stroke 'rgba(255,255,255,0.20)' -strokewidth 22 -draw "path 'M -20,330 C 90,250 200,420 $(($1 + 20)),300'" \
    -stroke 'rgba(120,255,230,0.30)' -strokewidth 10 -draw "path 'M -20,360 C 120,290 220,430 $(($1 + 20)),340'" \
    -stroke 'rgba(255,160,240,0.25)' -strokewidth 6 -draw "path 'M -20,300 C 80,230 230,380 $(($1 + 20)),270'" \
    -blur 0x3 ")" -composite
}

make_slim() {
  local w=358 h=512
  mapfile -t bands < <(ribbons $w $h)
  save_jpg "$TEX/slim_front.jpg" -size ${w}x${h} gradient:'#3a1f78'-'#0f7c86' \
    "${bands[@]}" \
    -stroke none -fill white -font "$SANSB" -pointsize 58 -gravity north -annotate +0+58 'AURORA' \
    -fill '#bff7ee' -font "$SANS" -pointsize 28 -kerning 12 -annotate +6+126 'SUITE' -kerning 0 \
    -fill '#efe6ff' -font "$SANS" -pointsize 16 -annotate +0+186 'Write  ·  Plan  ·  Present' \
    -gravity south -fill 'rgba(255,255,255,0.9)' -draw "roundrectangle 104,420 254,450 14,14" \
    -fill '#3a1f78' -font "$SANSB" -pointsize 14 -annotate +0+67 'SLIM EDITION' \
    -fill '#e6fffb' -font "$SANSB" -pointsize 13 -kerning 3 -annotate +0+26 'TALVENOR' -kerning 0

  caption "$SANS" 14 '#f2ecff' 310 'Documents, plans and slides in one calm workspace. Aurora Suite opens fast, saves as you go and keeps your work readable on every screen.' "$WORK/slim_back_text.png"
  caption "$SANS" 13 '#f2ecff' 310 '•  Writer: styles, outlines, comments
•  Planner: boards, timelines, reminders
•  Presenter: themes and speaker notes' "$WORK/slim_back_list.png"
  mapfile -t bars < <(barcode 240 440 100 52 19)
  save_jpg "$TEX/slim_back.jpg" -size ${w}x${h} gradient:'#2e1a63'-'#0d6670' \
    -fill white -font "$SANSB" -pointsize 26 -gravity northwest -annotate +24+28 'AURORA SUITE' \
    "$WORK/slim_back_text.png" -geometry +24+76 -composite \
    -fill 'rgba(255,255,255,0.12)' -stroke 'rgba(255,255,255,0.5)' -strokewidth 2 -draw 'roundrectangle 24,176 334,316 8,8' -stroke none \
    -fill 'rgba(255,255,255,0.55)' -draw 'rectangle 40,196 170,204' -draw 'rectangle 40,214 300,218' -draw 'rectangle 40,226 290,230' \
    -draw 'rectangle 40,238 296,242' -draw 'rectangle 40,250 220,254' -fill 'rgba(120,255,230,0.6)' -draw 'rectangle 40,270 140,300' \
    -fill 'rgba(255,160,240,0.6)' -draw 'rectangle 150,280 250,300' \
    "$WORK/slim_back_list.png" -geometry +24+332 -composite \
    -fill '#d9ccf5' -font "$SANS" -pointsize 10 -annotate +24+452 'Talvenor — demonstration artwork,' -annotate +24+466 'not a real product.' \
    "${bars[@]}"

  label "$SANSB" 17 white 'AURORA SUITE' "$WORK/slim_side.png"
  for side in left right; do
    save_jpg "$TEX/slim_$side.jpg" -size 28x${h} gradient:'#3a1f78'-'#0f7c86' \
      \( "$WORK/slim_side.png" -rotate 90 \) -gravity center -composite
  done
  save_jpg "$TEX/slim_top.jpg" -size 512x40 xc:'#2e1a63' \
    -fill white -font "$SANSB" -pointsize 20 -gravity center -annotate +0+0 'AURORA SUITE  ·  TALVENOR'
  save_jpg "$TEX/slim_bottom.jpg" -size 512x40 xc:'#0d6670' \
    -fill '#e6fffb' -font "$SANS" -pointsize 14 -gravity center -annotate +0+0 'Demonstration artwork — not a real product'
}

# ---------------------------------------------------------------------------
# Lumen Gift Edition (candle set in a gift box with a mirror frame,
# "Mirror Box"). Faces: front picture 84 × 124 (inside the mirror frame),
# back 96 × 136, sides 26 × 136, top/bottom 96 × 26.
# ---------------------------------------------------------------------------
gold_rays() {  # cx cy n: faint rays around a point
  awk -v cx="$1" -v cy="$2" -v n="$3" 'BEGIN {
    print "-stroke"; print "rgba(227,194,122,0.18)"; print "-strokewidth"; print "2"
    for (i = 0; i < n; i++) {
      a = i * 6.2831853 / n
      printf "-draw\nline %.1f,%.1f %.1f,%.1f\n", cx + 40 * cos(a), cy + 40 * sin(a), cx + 400 * cos(a), cy + 400 * sin(a)
    }
    print "-stroke"; print "none"
  }'
}

make_gift() {
  local w=347 h=512
  mapfile -t rays < <(gold_rays 173 230 36)
  save_jpg "$TEX/gift_front.jpg" -size ${w}x${h} gradient:'#1e1e28'-'#08080c' \
    "${rays[@]}" \
    -fill none -stroke '#e3c27a' -strokewidth 3 -draw 'circle 173,230 173,150' -strokewidth 1 -draw 'circle 173,230 173,140' \
    -stroke none -fill '#e3c27a' -draw 'polygon 173,182 181,222 173,270 165,222' -fill '#fff2c8' -draw 'ellipse 173,214 5,10 0,360' \
    -fill '#e3c27a' -font "$SERIFB" -pointsize 54 -kerning 8 -gravity north -annotate +4+38 'LUMEN' -kerning 0 \
    -gravity south -fill '#f5e6c4' -font "$SANS" -pointsize 16 -kerning 8 -annotate +4+108 'GIFT EDITION' -kerning 0 \
    -fill '#bfae8a' -font "$SERIF" -pointsize 14 -annotate +0+78 'Candle & diffuser set' \
    -fill '#e3c27a' -draw 'rectangle 123,466 224,467' \
    -fill '#bfae8a' -font "$SANS" -pointsize 11 -kerning 4 -annotate +0+22 'TALVENOR HOME' -kerning 0

  caption "$SERIF" 14 '#f5e6c4' 300 'Three hand-poured candles and a reed diffuser in amber, cedar and winter pine — a warm light for the darkest evenings.' "$WORK/gift_back_text.png"
  mapfile -t bars < <(barcode 240 440 104 52 23)
  save_jpg "$TEX/gift_back.jpg" -size 362x${h} gradient:'#1e1e28'-'#08080c' \
    -fill '#e3c27a' -font "$SERIFB" -pointsize 30 -kerning 6 -gravity north -annotate +0+30 'LUMEN' -kerning 0 \
    -fill '#e3c27a' -draw 'rectangle 131,78 231,79' \
    "$WORK/gift_back_text.png" -geometry +0+100 -composite \
    -gravity northwest -fill '#f5e6c4' -font "$SANSB" -pointsize 13 -annotate +30+220 'IN THIS BOX' \
    -font "$SANS" -pointsize 13 -annotate +30+246 '3 candles, 180 g each' -annotate +30+268 'Reed diffuser, 100 ml' \
    -annotate +30+290 '8 rattan reeds' -annotate +30+312 'Brass snuffer' \
    -fill none -stroke '#e3c27a' -strokewidth 1 -draw 'rectangle 18,206 344,334' -stroke none \
    -fill '#bfae8a' -font "$SANS" -pointsize 10 -annotate +30+452 'Talvenor Home — demonstration' -annotate +30+466 'artwork, not a real product.' \
    "${bars[@]}"

  label "$SERIFB" 34 '#e3c27a' 'LUMEN' "$WORK/gift_side.png"
  label "$SANS" 14 '#f5e6c4' 'GIFT EDITION' "$WORK/gift_side_sub.png"
  for side in left right; do
    save_jpg "$TEX/gift_$side.jpg" -size 98x${h} gradient:'#1e1e28'-'#08080c' \
      \( "$WORK/gift_side.png" -rotate 90 \) -gravity center -geometry -8-40 -composite \
      \( "$WORK/gift_side_sub.png" -rotate 90 \) -gravity center -geometry +22-40 -composite \
      -gravity south -fill '#e3c27a' -draw 'polygon 49,440 54,462 49,486 44,462'
  done
  save_jpg "$TEX/gift_top.jpg" -size 512x139 gradient:'#1e1e28'-'#0c0c12' \
    -fill '#e3c27a' -draw 'rectangle 40,68 132,69' -draw 'rectangle 380,68 472,69' \
    -font "$SERIFB" -pointsize 44 -kerning 8 -gravity center -annotate +4+0 'LUMEN' -kerning 0
  mapfile -t bottomBars < <(barcode 380 22 112 70 29)
  save_jpg "$TEX/gift_bottom.jpg" -size 512x139 xc:'#0c0c12' \
    -fill '#bfae8a' -font "$SANS" -pointsize 13 -gravity northwest \
    -annotate +22+24 'Lumen Gift Edition — candle & diffuser set' \
    -annotate +22+46 'Keep burning candles in sight.' \
    -annotate +22+68 'Talvenor Home. Demonstration artwork,' \
    -annotate +22+90 'not a real product.' \
    "${bottomBars[@]}"
}

# ---------------------------------------------------------------------------
# Placeholder thumbnails: the front and the spine of each package drawn in
# a simple perspective on the list's mask grey (RGB 192, 192, 192), 112 × 112.
# ---------------------------------------------------------------------------
thumbnail() {  # name front spine aspect(w/h) depth(d/h) [frame width in pixels of front]
  local name=$1 front=$2 spine=$3 aspect=$4 depth=$5 frame=${6:-0}
  if [ "$frame" -gt 0 ]; then
    # The picture sits in a polished frame on the front.
    "$IM" "$front" -bordercolor '#c9ced8' -border "$frame" "$WORK/framed.png"
    front=$WORK/framed.png
  fi
  local geometry
  geometry=$(awk -v a="$aspect" -v d="$depth" 'BEGIN {
    # Package height H and width W in pixels so that the drawing fits 92 px.
    H = 86; W = H * a; S = H * d * 0.9 + 4
    if (W + S > 92) { k = 92 / (W + S); H *= k; W *= k; S *= k }
    x0 = (112 - W - S) / 2 + S; y0 = (112 - H) / 2 - 2
    # front: left edge taller (nearer), right edge slightly shorter
    fl = x0; fr = x0 + W; ft = y0; fb = y0 + H; dr = H * 0.04
    printf "%.1f %.1f %.1f %.1f %.1f %.1f %.1f\n", fl, fr, ft, fb, dr, S, H
  }')
  read -r fl fr ft fb dr s hh <<<"$geometry"
  local fw fh sw sh
  read -r fw fh <<<"$("$IM" "$front" -format '%w %h' info:)"
  read -r sw sh <<<"$("$IM" "$spine" -format '%w %h' info:)"
  local frontPts spinePts shadow
  frontPts=$(awk -v fl="$fl" -v fr="$fr" -v ft="$ft" -v fb="$fb" -v dr="$dr" -v w="$fw" -v h="$fh" 'BEGIN {
    printf "0,0 %.1f,%.1f  %d,0 %.1f,%.1f  %d,%d %.1f,%.1f  0,%d %.1f,%.1f", fl, ft, w, fr, ft + dr, w, h, fr, fb - dr, h, fl, fb }')
  spinePts=$(awk -v fl="$fl" -v ft="$ft" -v fb="$fb" -v s="$s" -v w="$sw" -v h="$sh" 'BEGIN {
    printf "0,0 %.1f,%.1f  %d,0 %.1f,%.1f  %d,%d %.1f,%.1f  0,%d %.1f,%.1f", fl - s, ft + 3, w, fl, ft, w, h, fl, fb, h, fl - s, fb - 3 }')
  shadow=$(awk -v fl="$fl" -v fr="$fr" -v fb="$fb" -v s="$s" 'BEGIN { printf "ellipse %.1f,%.1f %.1f,4 0,360", (fl - s + fr) / 2, fb + 2, (fr - fl + s) / 2 + 4 }')
  save_png "$OBJ/$name.png" -size 112x112 xc:'rgb(192,192,192)' \
    \( -size 112x112 xc:none -fill 'rgba(0,0,0,0.35)' -draw "$shadow" -blur 0x3 \) -composite \
    \( "$spine" -alpha set -virtual-pixel transparent -fill black -colorize 30% \
       -define distort:viewport=112x112+0+0 -distort Perspective "$spinePts" \) -composite \
    \( "$front" -alpha set -virtual-pixel transparent \
       -define distort:viewport=112x112+0+0 -distort Perspective "$frontPts" \) -composite \
    -alpha off
}

make_thumbnails() {
  thumbnail "Box" "$TEX/box_front.jpg" "$TEX/box_left.jpg" 0.714 0.214
  thumbnail "DVD Box" "$TEX/dvd_front.jpg" "$TEX/dvd_spine.jpg" 0.706 0.074
  thumbnail "CD_DVD" "$TEX/cd_front.jpg" "$TEX/cd_spine_left.jpg" 1.13 0.087
  thumbnail "Book" "$TEX/book_front.jpg" "$TEX/book_spine.jpg" 0.685 0.164
  thumbnail "Slim Box" "$TEX/slim_front.jpg" "$TEX/slim_left.jpg" 0.703 0.068
  thumbnail "Mirror Box" "$TEX/gift_front.jpg" "$TEX/gift_left.jpg" 0.714 0.214 25
}

make_box
make_dvd
make_cd
make_book
make_slim
make_gift
make_thumbnails
echo "gen-artwork: $(ls "$TEX" | wc -l) images in $TEX ($(du -sh "$TEX" | cut -f1)), thumbnails in $OBJ"
