#!/bin/sh
# The X server dies under the running program (framed by openbox, moved by the user): the program
# must write its settings before it ends, with the outer frame the window last had on the screen.
# Usage: display_death.sh PROGRAM   (starts its own X server)
set -u
program=$1
. "$(dirname "$0")/../support/frame_geometry.sh"
x11_test_begin
cp "$program" "$work/raschet-dp"
printf '[FSize]\nWidth=900\nHeight=600\nLeft=100\nTop=50\n' >"$work/raschet-dp.ini"

framed_display "$work"

(cd "$work" && exec ./raschet-dp 2>"$work/stderr") &
pid=$!
wid=$(timeout 20 xdotool search --sync --pid "$pid" --name "Расчет токов ДП" | head -1)
[ -n "$wid" ] || { echo "the window never appeared"; exit 1; }
for _ in $(seq 1 50); do
    [ "$(frame_geometry "$wid")" = "100,50 900x600" ] && break
    sleep 0.1
done

# The user moves the window; then the X server dies.
xdotool windowmove "$wid" 300 200
before=$(frame_geometry "$wid")
for _ in $(seq 1 50); do
    measured=$(frame_geometry "$wid")
    [ "$measured" != "$before" ] || [ "${measured%% *}" != "100,50" ] && break
    sleep 0.1
done
sleep 0.5
kill -KILL "$xvfb"
xvfb=""
status=0
timeout 20 sh -c "while kill -0 $pid 2>/dev/null; do sleep 0.1; done" || status=1
wait "$pid"
echo "program ended with status $?; frame on screen last: $measured"
[ "$status" -eq 0 ] || { echo "the program did not end after the X server died"; exit 1; }

stored=$(stored_geometry "$work/raschet-dp.ini")
echo "stored: $stored"
failures=0
grep -q '^U_RP=370$' "$work/raschet-dp.ini" || { echo "the settings were not written"; failures=1; }
[ "$stored" = "$measured" ] || { echo "stored geometry differs from the last frame"; failures=1; }
[ "$measured" != "100,50 900x600" ] || { echo "the window was never moved"; failures=1; }
[ "$failures" -eq 0 ] && exit 0
cat "$work/raschet-dp.ini" "$work/stderr"
exit 1
