# Sourced by the run and test scripts: a Wine prefix of the project's own,
# the Chinese locale, and a virtual X display when asked for one.
#   wine_env_init <prefix-name>   sets WINEPREFIX=build/<prefix-name> and the locale
#   wine_env_start_xvfb           starts Xvfb on a free display number
#   wine_env_prepare_prefix       creates the prefix on first use
#   wine_env_keep_server          keeps this prefix's wineserver up until cleanup
#   wine_env_cleanup              stops this prefix's wineserver and our Xvfb

VARUDODI_ROOT=${VARUDODI_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
WINE_ENV_XVFB_PID=""

wine_env_init() {
    export WINEPREFIX="$VARUDODI_ROOT/build/$1"
    export WINEDEBUG=-all
    export WINEARCH=win64
    export LANG=zh_CN.UTF-8
    export LC_ALL=zh_CN.UTF-8
    export WINEDLLOVERRIDES="mscoree,mshtml="
}

wine_env_start_xvfb() {
    local n
    for n in $(seq 90 199); do
        if [[ ! -e /tmp/.X$n-lock && ! -e /tmp/.X11-unix/X$n ]]; then
            Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
            WINE_ENV_XVFB_PID=$!
            export DISPLAY=":$n"
            local i
            for i in $(seq 1 100); do
                [[ -e /tmp/.X11-unix/X$n ]] && return 0
                sleep 0.1
            done
            echo "Xvfb did not start on :$n" >&2
            return 1
        fi
    done
    echo "no free X display number" >&2
    return 1
}

wine_env_prepare_prefix() {
    if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
        echo "Creating the Wine prefix $WINEPREFIX (first start takes a while)..."
        mkdir -p "$WINEPREFIX"
        wineboot -i >/dev/null 2>&1 || true
        wineserver -w
    fi
    # Wine's own Tahoma (the window's font) and Marlett (the caption buttons)
    # from the fonts-wine package; this Wine build reads fonts from the
    # prefix's Fonts folder and the system's font folders, not from Wine's own
    # font folder.
    local fonts="$WINEPREFIX/drive_c/windows/Fonts" font
    for font in tahoma.ttf tahomabd.ttf marlett.ttf; do
        if [[ -d "$fonts" && -f "/usr/share/wine/fonts/$font" && ! -e "$fonts/$font" ]]; then
            cp "/usr/share/wine/fonts/$font" "$fonts/"
        fi
    done
    # Tahoma has no Chinese glyphs. Under a Chinese code page Wine draws the
    # characters any font lacks with the fonts linked to "Microsoft Sans
    # Serif", so the captions' Chinese comes from WenQuanYi. Linking Tahoma
    # itself instead would make Wine choose Tahoma for the view's GB2312 font,
    # whose rich edit then draws every Chinese character as a box.
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
        /v 'Microsoft Sans Serif' /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f >/dev/null 2>&1
    # Wine draws the frame and caption itself, also without a window manager.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d Y /f >/dev/null 2>&1
}

# By default the wineserver exits a few seconds after its last process; a
# Wine process that starts while it is exiting can fail before it runs any
# code. Runs of many short Wine processes keep one server up instead.
wine_env_keep_server() {
    wineserver -p
}

wine_env_cleanup() {
    if [[ -n "${WINEPREFIX:-}" ]]; then
        wineserver -k >/dev/null 2>&1 || true
    fi
    if [[ -n "$WINE_ENV_XVFB_PID" ]]; then
        kill "$WINE_ENV_XVFB_PID" >/dev/null 2>&1 || true
        wait "$WINE_ENV_XVFB_PID" 2>/dev/null || true
        WINE_ENV_XVFB_PID=""
    fi
}
