#!/bin/sh
# Five closings and restarts of the real program under X11, first without a window manager, then
# with openbox: the outer frame measured on the screen and the stored Width/Height/Left/Top must stay
# what the settings file held at the start (no drift by the frame's size).
# Usage: geometry_cycles.sh PROGRAM   (starts its own virtual X server)
set -u
program=$1
if [ -z "${DP_GEOMETRY_INNER:-}" ]; then
    for tool in xvfb-run openbox xdotool xwininfo; do
        command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
    done
    # No reset when the last client leaves: a program started just then would lose its connection.
    DP_GEOMETRY_INNER=1 exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$0" "$@"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$program" "$work/raschet-dp"
printf '[FSize]\r\nWidth=900\r\nHeight=600\r\nLeft=100\r\nTop=50\r\n' >"$work/raschet-dp.ini"
expected="100,50 900x600"
failures=0

. "$(dirname "$0")/../support/frame_geometry.sh"

cycles() { # label framed|bare
    for i in 1 2 3 4 5; do
        (cd "$work" && exec ./raschet-dp 2>/dev/null) &
        pid=$!
        wid=$(timeout 20 xdotool search --sync --pid "$pid" --name "Расчет токов ДП" | head -1)
        measured=""
        # The window manager frames the window and the program fits its client area: wait for it.
        for _ in $(seq 1 50); do
            [ -n "$wid" ] && measured=$(frame_geometry "$wid")
            [ "$measured" = "$expected" ] && break
            sleep 0.1
        done
        client=$(xwininfo -id "$wid" | awk '/Width:/{w=$2}/Height:/{h=$2}END{print w"x"h}')
        kill -TERM "$pid"
        wait "$pid"
        stored=$(stored_geometry "$work/raschet-dp.ini")
        echo "$1 cycle $i: frame on screen $measured (client area $client), stored $stored"
        if [ "$measured" != "$expected" ] || [ "$stored" != "$expected" ]; then
            echo "  expected $expected"
            failures=$((failures + 1))
        fi
        # With a window manager the frame must really be there.
        if [ "$2" = framed ] && [ "$client" = "${expected#* }" ]; then
            echo "  the window manager drew no frame"
            failures=$((failures + 1))
        fi
    done
}

cycles "no window manager:" bare
openbox >/dev/null 2>&1 &
wm=$!
sleep 1
cycles "openbox:" framed
kill "$wm"
wait "$wm" 2>/dev/null
[ "$failures" -eq 0 ] && echo "geometry kept in 10 cycles" && exit 0
exit 1
