#!/usr/bin/env bash
# The installed program as a user gets it: installs the build into a
# temporary DESTDIR with the prefix /usr, moves the tree to another folder
# and uses it from there, with no BOXORA_HOME to help it find its files.
#
#   installed-tree.sh BUILD_DIR VERSION
set -euo pipefail

BUILD=$1
VERSION=$2
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
# Width and height of a PNG file, from its header.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{ print $1*16777216 + $2*65536 + $3*256 + $4, $5*16777216 + $6*65536 + $7*256 + $8 }'; }

DESTDIR="$WORK/stage" cmake --install "$BUILD" --prefix /usr >/dev/null
mv "$WORK/stage/usr" "$WORK/moved"
ROOT=$WORK/moved
SHARE=$ROOT/share/boxora
unset BOXORA_HOME
export HOME=$WORK/home XDG_CONFIG_HOME=$WORK/home/.config XDG_DATA_HOME=$WORK/home/.local/share
export XDG_RUNTIME_DIR=$WORK/run QT_QPA_PLATFORM=offscreen
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

# The metafile decoding helper is installed beside the programs.
[ -x "$ROOT/bin/boxora-decode" ] || fail "boxora-decode is not installed beside the programs"

# Every example reads its models and artwork from inside the moved tree.
shopt -s nullglob
examples=("$SHARE"/examples/*.scn)
[ ${#examples[@]} -gt 0 ] || fail "no example scene installed in $SHARE/examples"
for scene in "${examples[@]}"; do
  "$ROOT/bin/boxora-render" --dump "$scene" >"$WORK/dump.json" || fail "--dump $scene"
  files=$(grep -o '"file": *"[^"]*"' "$WORK/dump.json" | sed 's/^"file": *"//; s/"$//' | grep -v '^$' || true)
  [ -n "$files" ] || fail "$scene: the dump names no texture"
  while IFS= read -r file; do
    case $file in
      "$SHARE"/data/*) [ -f "$file" ] || fail "$scene: texture $file is missing" ;;
      *) fail "$scene: texture $file is outside the moved tree $ROOT" ;;
    esac
  done <<<"$files"
done

# It renders.
"$ROOT/bin/boxora-render" "${examples[0]}" -o "$WORK/picture.png" --size 160x120 --quiet || fail "render of ${examples[0]}"
[ "$(png_size "$WORK/picture.png")" = "160 120" ] || fail "the rendered picture is $(png_size "$WORK/picture.png"), not 160 120"

# The thumbnailer's own Exec line, at the size file managers ask for most.
exec_line=$(sed -n 's/^Exec=//p' "$ROOT/share/thumbnailers/boxora.thumbnailer")
[ -n "$exec_line" ] || fail "the thumbnailer has no Exec line"
read -r -a argv <<<"$exec_line"
for i in "${!argv[@]}"; do
  case ${argv[$i]} in
    %s) argv[$i]=128 ;;
    %i) argv[$i]=${examples[0]} ;;
    %o) argv[$i]=$WORK/thumbnail ;;  # file managers hand over names without an extension
  esac
done
PATH="$ROOT/bin:$PATH" timeout 60 "${argv[@]}" || fail "the thumbnailer's command failed: ${argv[*]}"
read -r w h <<<"$(png_size "$WORK/thumbnail")"
[ "$(head -c 4 "$WORK/thumbnail" | od -An -c | tr -d ' ')" = "211PNG" ] || fail "the thumbnail is not a PNG file"
[ $((w > h ? w : h)) -eq 128 ] || fail "the thumbnail is ${w}x$h; its longer side should be 128"

# Both programs answer --version (the desktop one without a display).
[ "$("$ROOT/bin/boxora-render" --version)" = "boxora-render $VERSION" ] || fail "boxora-render --version"
if [ -x "$ROOT/bin/boxora" ]; then
  [ "$("$ROOT/bin/boxora" --version)" = "boxora $VERSION" ] || fail "boxora --version"
fi

# Desktop integration files where the desktop looks for them.
for f in applications/com.talvenor.Boxora.desktop metainfo/com.talvenor.Boxora.metainfo.xml \
         icons/hicolor/48x48/apps/com.talvenor.Boxora.png icons/hicolor/256x256/apps/com.talvenor.Boxora.png \
         icons/hicolor/scalable/apps/com.talvenor.Boxora.svg \
         icons/hicolor/48x48/mimetypes/application-x-boxora-scene.png \
         bash-completion/completions/boxora-render; do
  [ -s "$ROOT/share/$f" ] || fail "share/$f is not installed"
done
[ "$(png_size "$ROOT/share/icons/hicolor/48x48/apps/com.talvenor.Boxora.png")" = "48 48" ] || fail "the 48 px icon is not 48 x 48"
bash -n "$ROOT/share/bash-completion/completions/boxora-render" || fail "the bash completion does not parse"

# The MIME type: built into a database as shared-mime-info does, *.scn
# files are scenes.
if command -v update-mime-database >/dev/null; then
  cp -r "$ROOT/share/mime" "$WORK/mime"
  update-mime-database "$WORK/mime" >/dev/null 2>&1 || fail "update-mime-database rejects the MIME package"
  grep -q '^[0-9]*:application/x-boxora-scene:\*\.scn$' "$WORK/mime/globs2" || fail "no *.scn glob for application/x-boxora-scene"
fi

# The manual pages format without a warning.
if command -v man >/dev/null; then
  for page in boxora boxora-render; do
    out=$(MANWIDTH=80 man -l --warnings "$ROOT/share/man/man1/$page.1.gz" 2>&1 >/dev/null) || fail "man -l $page.1"
    [ -z "$out" ] || fail "man -l $page.1: $out"
    MANWIDTH=80 man -l "$ROOT/share/man/man1/$page.1.gz" 2>/dev/null | grep -q "^NAME" || fail "man -l $page.1 shows no NAME"
  done
fi
echo "installed tree OK"
