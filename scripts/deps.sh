#!/usr/bin/env bash
# Installs what building, running and testing Varudodi need on Debian: as
# root through apt-get, otherwise it names the missing packages and stops.
set -euo pipefail

PACKAGES=(
    cmake make g++ libssl-dev googletest
    g++-mingw-w64-x86-64-posix
    wine wine64 xvfb x11-utils xdotool imagemagick
    fonts-wqy-microhei locales
    # Wine's own Tahoma and Marlett: without them captions are clipped and
    # the caption buttons show letters. Only a recommendation of wine, which
    # --no-install-recommends leaves out.
    fonts-wine
    # The release script reads the version resource and writes the zip with
    # Python; its test unpacks the zip.
    python3 unzip
)

missing=()
for pkg in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$pkg")
    fi
done

if ((${#missing[@]})); then
    if [[ $(id -u) -ne 0 ]]; then
        echo "Missing packages: ${missing[*]}" >&2
        echo "Install them with: sudo apt-get install -y ${missing[*]}" >&2
        exit 1
    fi
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine shows the Chinese interface under a Chinese locale (ANSI code page 936).
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
    if [[ $(id -u) -ne 0 ]]; then
        echo "The zh_CN.UTF-8 locale is missing: add 'zh_CN.UTF-8 UTF-8' to /etc/locale.gen and run locale-gen" >&2
        exit 1
    fi
    grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null || echo 'zh_CN.UTF-8 UTF-8' >>/etc/locale.gen
    locale-gen >/dev/null
fi
