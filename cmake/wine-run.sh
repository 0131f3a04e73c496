#!/bin/sh
# Runs a Windows program under Wine in a Wine prefix of the build's own (the first argument),
# so tests never touch ~/.wine. The prefix is made on first use, once, even when several
# tests start at the same moment; Wine's offers to download Mono and Gecko are turned off.
# Wine's Tahoma (Debian's fonts-wine) goes into the prefix's Fonts folder, where Wine finds it,
# so that the dialog font measures as it does on Windows. The window tests' program shows its
# windows unmanaged: with no window manager on the test display, Wine waits two seconds for one
# whenever a managed window closes. (The exe keeps the managed windows a desktop gives it.)
# Given no program, it only makes the prefix: the build does that while it compiles.
set -eu
prefix=$1
shift
export WINEPREFIX="$prefix"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
ready="$prefix/.tilewright-ready-2"
if [ ! -f "$ready" ]; then
    mkdir -p "$(dirname "$prefix")"
    (
        flock 9
        if [ ! -f "$ready" ]; then
            wineboot --init >/dev/null 2>&1
            wineserver --wait
            for font in /usr/share/wine/fonts/tahoma.ttf /usr/share/wine/fonts/tahomabd.ttf; do
                if [ -f "$font" ]; then
                    cp "$font" "$prefix/drive_c/windows/Fonts/"
                fi
            done
            wine reg add 'HKCU\Software\Wine\AppDefaults\win32_window_tests.exe\X11 Driver' \
                /v Managed /d N /f >/dev/null 2>&1
            wineserver --wait
            touch "$ready"
        fi
    ) 9>"$prefix.lock"
fi
if [ "$#" -gt 0 ]; then
    exec wine "$@"
fi
