#!/bin/sh
# The program under a session manager of the test's own (framed by openbox, moved by the user): a
# checkpoint (save without shutdown) writes the settings and the program goes on; the session manager
# then dies under it, and the program writes its settings, with the window's last frame, before it ends.
# Usage: session_death.sh PROGRAM SESSION_MANAGER   (starts its own X server)
set -u
program=$1
manager=$2
. "$(dirname "$0")/../support/frame_geometry.sh"
x11_test_begin
sm=""
x11_test_cleanup() {
    [ -n "$sm" ] && kill -KILL "$sm" 2>/dev/null && rm -f "/tmp/.ICE-unix/$sm"
}
cp "$program" "$work/raschet-dp"
printf '[FSize]\nWidth=900\nHeight=600\nLeft=100\nTop=50\n' >"$work/raschet-dp.ini"

framed_display "$work"

"$manager" >"$work/manager" 2>"$work/manager.stderr" &
sm=$!
# waits up to 20 s for a line of the session manager's output
wait_for() {
    for _ in $(seq 1 200); do
        grep -qx "$1" "$work/manager" && return 0
        sleep 0.1
    done
    echo "the session manager never said: $1"
    cat "$work/manager" "$work/manager.stderr"
    exit 1
}
for _ in $(seq 1 100); do grep -q '^SESSION_MANAGER=' "$work/manager" && break; sleep 0.05; done
SESSION_MANAGER=$(sed -n 's/^SESSION_MANAGER=//p' "$work/manager")
[ -n "$SESSION_MANAGER" ] || { echo "the session manager did not start"; cat "$work/manager.stderr"; exit 1; }
export SESSION_MANAGER

# Moves the window and waits until its frame has left where it was; sets measured.
move_to() {
    before=$(frame_geometry "$wid")
    xdotool windowmove "$wid" "$1" "$2"
    for _ in $(seq 1 50); do
        measured=$(frame_geometry "$wid")
        [ "$measured" != "$before" ] && break
        sleep 0.1
    done
    sleep 0.5
    measured=$(frame_geometry "$wid")
}

(cd "$work" && exec ./raschet-dp 2>"$work/stderr") &
pid=$!
wid=$(timeout 20 xdotool search --sync --pid "$pid" --name "Расчет токов ДП" | head -1)
[ -n "$wid" ] || { echo "the window never appeared"; exit 1; }
wait_for registered
wait_for "saved first"
for _ in $(seq 1 50); do
    [ "$(frame_geometry "$wid")" = "100,50 900x600" ] && break
    sleep 0.1
done
failures=0

# A checkpoint: the settings are written, the program goes on.
move_to 300 200
kill -USR1 "$sm"
wait_for "saved checkpoint"
stored=$(stored_geometry "$work/raschet-dp.ini")
echo "checkpoint: frame $measured, stored $stored"
[ "$stored" = "$measured" ] || { echo "the checkpoint did not write the settings"; failures=1; }
grep -q '^U_RP=370$' "$work/raschet-dp.ini" || { echo "the checkpoint wrote no calculation settings"; failures=1; }
kill -0 "$pid" 2>/dev/null || { echo "the program ended at a checkpoint"; failures=1; }
[ "$measured" != "100,50 900x600" ] || { echo "the window was never moved"; failures=1; }

# The session manager dies under the program.
move_to 400 120
kill -KILL "$sm"
rm -f "/tmp/.ICE-unix/$sm"
sm=""
status=0
timeout 20 sh -c "while kill -0 $pid 2>/dev/null; do sleep 0.1; done" || status=1
if [ "$status" -eq 0 ]; then
    wait "$pid"
    echo "program ended with status $? after the session manager died; frame on screen last: $measured"
    pid=""
else
    echo "the program did not end after the session manager died"
    failures=1
fi
stored=$(stored_geometry "$work/raschet-dp.ini")
echo "stored: $stored"
[ "$stored" = "$measured" ] || { echo "the settings were not written as the session manager died"; failures=1; }
[ "$failures" -eq 0 ] && exit 0
cat "$work/raschet-dp.ini" "$work/stderr" "$work/manager"
exit 1
