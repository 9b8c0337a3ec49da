#!/usr/bin/env bash
# Starts the desktop program under Xvfb at 1280 x 800 with a small scene of
# catalogue models, shows every tab page in every shipped language (and the
# dark theme in English) and saves one PNG per view. The program runs as a
# new user would: its template folder starts empty and receives the starter
# templates.
#   tools/screenshots.sh [build folder] [output folder, default <build>/screenshots]
# SCREENSHOT_SCENE=none leaves the scene empty.
# Needs xvfb, xdotool and imagemagick (scripts/install-deps installs them).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD="${1:-build}"
OUT="${2:-$BUILD/screenshots}"
APP="$BUILD/app/boxora"
[ -x "$APP" ] || { echo "screenshots: $APP not built" >&2; exit 1; }
mkdir -p "$OUT"

DISPLAY_NUM="${SCREENSHOT_DISPLAY:-:97}"
WORK="$(mktemp -d)"
trap 'kill "$XVFB_PID" 2>/dev/null || true; rm -rf "$WORK"' EXIT
Xvfb "$DISPLAY_NUM" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
XVFB_PID=$!
export DISPLAY="$DISPLAY_NUM"
export XDG_RUNTIME_DIR="$WORK/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
export XDG_DATA_HOME="$WORK/data"
mkdir -p "$XDG_DATA_HOME"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done 2>/dev/null || sleep 1

TABS=(general scene objects camera lighting shadows reflection rendering)

# A project with three catalogue models side by side (UTF-16 with a
# byte-order mark, as the program writes them).
SCENE="$WORK/Showcase.scn"
{
  printf '\xff\xfe'
  iconv -f UTF-8 -t UTF-16LE <<'SCN'
[OBJECT_0]
Object_Name=Book
User_Defined_Name=Book
Translate_X=-110.000000
Rotate_Y=20.000000
[OBJECT_1]
Object_Name=Box
User_Defined_Name=Box
Translate_X=0.000000
[OBJECT_2]
Object_Name=DVD Box
User_Defined_Name=DVD Box
Translate_X=110.000000
Rotate_Y=-20.000000
SCN
} > "$SCENE"
OPEN_ARGS=(-o "$SCENE")
[ "${SCREENSHOT_SCENE:-}" = none ] && OPEN_ARGS=()

# shot <language display name> <theme id> <tab index> <file name> [program options]
shot() {
  local language="$1" theme="$2" tab="$3" file="$4"
  shift 4
  local config="$WORK/config"
  rm -rf "$config" && mkdir -p "$config/Talvenor"
  cat > "$config/Talvenor/Boxora.conf" <<CONF
[General]
WinPosX=0
WinPosY=0
WinWidth=1280
WinHeight=800
WinMaximized=0
ActualLanguage=$language
UITheme=$theme
CONF
  XDG_CONFIG_HOME="$config" "$APP" --screenshot-tab "$tab" "$@" "${OPEN_ARGS[@]}" >/dev/null 2>&1 &
  local pid=$!
  xdotool search --sync --onlyvisible --name "Boxora" >/dev/null 2>&1 || true
  sleep "${SCREENSHOT_DELAY:-3}"
  import -window root "$OUT/$file"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  echo "$OUT/$file"
}

languages=()
for lng in "$BUILD"/app/languages/*.lng; do
  [ -f "$lng" ] || continue
  # Language files may be UTF-16 (with a byte-order mark) or UTF-8.
  if [ "$(head -c2 "$lng" | od -An -tx1 | tr -d ' ')" = "fffe" ]; then text="$(iconv -f UTF-16 -t UTF-8 "$lng")"; else text="$(cat "$lng")"; fi
  name="$(printf '%s\n' "$text" | sed -n 's/^[[:space:]]*Language[[:space:]]*=[[:space:]]*//p' | head -n1 | tr -d '\r')"
  languages+=("${name:-English}")
done
[ ${#languages[@]} -gt 0 ] || languages=(English)

for language in "${languages[@]}"; do
  slug="$(printf '%s' "$language" | iconv -f UTF-8 -t ASCII//TRANSLIT 2>/dev/null | tr -c '[:alnum:]' '_' | sed 's/_*$//')"
  for i in "${!TABS[@]}"; do
    shot "$language" light "$i" "${slug}-${i}-${TABS[$i]}.png"
  done
  # The Objects tab's other sub-pages, and the Rendering tab with the JPG
  # and TIFF options.
  for sub in 1 2 3; do
    shot "$language" light 2 "${slug}-2-objects-sub${sub}.png" --screenshot-subtab "$sub"
  done
  for format in 1 3; do
    shot "$language" light 7 "${slug}-7-rendering-format${format}.png" --screenshot-format "$format"
  done
done
for i in 1 3 4 6 7; do
  shot English dark "$i" "English-dark-${i}-${TABS[$i]}.png"
done
