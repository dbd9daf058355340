#!/usr/bin/env bash
# Builds Varudodi.exe and starts it with the given files or folders.
# On a desktop the window opens under Wine. Without a display the program runs
# on a virtual display until its job has ended; the script then prints the
# result view's text, saves a screenshot of the window (to docs/screenshot.png,
# or to $VARUDODI_SCREENSHOT when set) and closes it.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"

"$ROOT/scripts/deps.sh"
cmake --preset windows >/dev/null
cmake --build --preset windows -j"$(nproc)" --target Varudodi VarudodiProbe >/dev/null

EXE="$ROOT/build/windows/src/ui/Varudodi.exe"
PROBE="$ROOT/build/windows/tests/probe/VarudodiProbe.exe"

# shellcheck source=wine-env.sh
source "$ROOT/scripts/wine-env.sh"
wine_env_init wine-run

# Paths that exist here are handed over in their Windows form, on the drive
# Z: that a Wine prefix maps to the root folder. Formed here, not by winepath:
# any Wine command run before the display exists starts the prefix's desktop
# process without one, and the program started next then gets no window.
args=()
for arg in "$@"; do
    if [[ -e "$arg" ]]; then
        full=$(realpath "$arg")
        args+=("Z:${full//\//\\}")
    else
        args+=("$arg")
    fi
done

if [[ -n "${DISPLAY:-}" ]] && xdpyinfo >/dev/null 2>&1; then
    wine_env_prepare_prefix
    exec wine "$EXE" "${args[@]}"
fi

trap wine_env_cleanup EXIT
wine_env_start_xvfb
wine_env_prepare_prefix
wine "$EXE" "${args[@]}" &
app_pid=$!
wine "$PROBE" wait-window 120000
wine "$PROBE" wait-idle 3600000
wine "$PROBE" text
echo
read -r x y w h < <(wine "$PROBE" rect | tr -d '\r')
mkdir -p "$ROOT/build"
shot="$ROOT/build/screenshot.png"
import -window root -crop "${w}x${h}+${x}+${y}" +repage "$shot"
cp "$shot" "${VARUDODI_SCREENSHOT:-$ROOT/docs/screenshot.png}"
echo "Screenshot: $shot"
wine "$PROBE" close 60000
wait "$app_pid" || true
