#!/bin/sh
# Runs a Windows program under Wine in a Wine prefix of the build's own (the first argument),
# so tests never touch ~/.wine. The prefix is made on first use, once, even when several
# tests start at the same moment; Wine's offers to download Mono and Gecko are turned off.
# Wine's Tahoma (Debian's fonts-wine) goes into the prefix's Fonts folder, where Wine finds it,
# so that the dialog font measures as it does on Windows.
set -eu
prefix=$1
shift
export WINEPREFIX="$prefix"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
if [ ! -f "$prefix/.tilewright-ready" ]; then
    mkdir -p "$(dirname "$prefix")"
    (
        flock 9
        if [ ! -f "$prefix/.tilewright-ready" ]; then
            wineboot --init >/dev/null 2>&1
            wineserver --wait
            for font in /usr/share/wine/fonts/tahoma.ttf /usr/share/wine/fonts/tahomabd.ttf; do
                if [ -f "$font" ]; then
                    cp "$font" "$prefix/drive_c/windows/Fonts/"
                fi
            done
            touch "$prefix/.tilewright-ready"
        fi
    ) 9>"$prefix.lock"
fi
exec wine "$@"
