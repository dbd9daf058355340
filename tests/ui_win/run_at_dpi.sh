#!/usr/bin/env bash
# Runs a Windows test program under Wine with the screen at another
# resolution: Wine takes it from LogPixels in the prefix's registry when a
# process starts. The prefix's value is put back afterwards.
#   Usage: run_at_dpi.sh <dpi> <program.exe> [arguments...]
set -u
dpi=$1
shift
key='HKCU\Control Panel\Desktop'
old=$(wine reg query "$key" /v LogPixels 2>/dev/null | tr -d '\r' | awk '$1 == "LogPixels" {print $3}')
restore() {
    if [[ -n "$old" ]]; then
        wine reg add "$key" /v LogPixels /t REG_DWORD /d "$((old))" /f >/dev/null 2>&1
    else
        wine reg delete "$key" /v LogPixels /f >/dev/null 2>&1
    fi
}
trap restore EXIT
wine reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null || exit 1
wine "$@"
