#!/usr/bin/env bash
# Saves a screenshot of Varudodi's window with its extended system menu open
# and the stay-on-top item checked. Runs in the caller's Wine environment
# (WINEPREFIX, DISPLAY and LANG, e.g. from scripts/wine-env.sh) and needs
# xdotool and ImageMagick's import. The settings key is restored afterwards.
#   Usage: system_menu_screenshot.sh <windows build dir> <output.png>
set -euo pipefail
BUILD=$(realpath "$1")
OUT=$2
EXE="$BUILD/src/ui/Varudodi.exe"
PROBE="$BUILD/tests/probe/VarudodiProbe.exe"
KEY='HKCU\SOFTWARE\Veriko'

backup=$(mktemp --suffix=.reg)
had_key=0
if wine reg export "$KEY" "$(winepath -w "$backup")" /y >/dev/null 2>&1; then had_key=1; fi
app_pid=""
finish() {
    [[ -n "$app_pid" ]] && { wine "$PROBE" close 30000 >/dev/null 2>&1 || true; wait "$app_pid" || true; }
    wine reg delete "$KEY" /f >/dev/null 2>&1 || true
    if ((had_key)); then wine reg import "$(winepath -w "$backup")" >/dev/null 2>&1 || true; fi
    rm -f "$backup"
}
trap finish EXIT

# Settings that turn staying on top on, so that its item shows a check mark.
wine reg delete "$KEY" /f >/dev/null 2>&1 || true
for value in Maximized=0 Width=560 Height=420 StayOnTop=1; do
    wine reg add "$KEY" /v "${value%%=*}" /t REG_DWORD /d "${value#*=}" /f >/dev/null
done

wine "$EXE" >/dev/null 2>&1 &
app_pid=$!
wine "$PROBE" wait-window 60000 >/dev/null
wine "$PROBE" wait-idle 30000 >/dev/null
read -r x y w h < <(wine "$PROBE" rect | tr -d '\r')
# The window icon at the left end of the caption opens the system menu.
xdotool mousemove $((x + 10)) $((y + 10)) click 1
sleep 1.5
import -window root -crop "$((w + 20))x$((h + 20))+$((x - 10))+$((y - 10))" +repage "$OUT"
xdotool key Escape
echo "Screenshot: $OUT"
