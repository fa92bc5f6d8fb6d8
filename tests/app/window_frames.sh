#!/bin/sh
# Under openbox: the about window's outer frame is 615 x 361 at 277,127; the input dialog and a
# message box are centred on the screen by their outer frame.
# Usage: window_frames.sh PROGRAM   (starts its own X server)
set -u
program=$1
. "$(dirname "$0")/../support/frame_geometry.sh"
x11_test_begin
cp "$program" "$work/raschet-dp"

framed_display "$work"

failures=0
# wait_frame NAME CHECK: waits for the window NAME and for CHECK (a shell function taking the frame
# "X,Y WxH") to accept its frame; prints the frame.
wait_frame() {
    win=$(timeout 20 xdotool search --sync --onlyvisible --name "$1" | head -1)
    [ -n "$win" ] || { echo "$1: the window never appeared"; failures=$((failures + 1)); return 1; }
    for _ in $(seq 1 50); do
        frame=$(frame_geometry "$win")
        "$2" "$frame" && break
        sleep 0.1
    done
    if "$2" "$frame"; then
        echo "$1: frame $frame"
    else
        echo "$1: frame $frame is not where it belongs"
        failures=$((failures + 1))
    fi
}

about_frame() { [ "$1" = "277,127 615x361" ]; }
# Centred on the 1280 x 1024 screen, to the pixel that halving an odd size leaves.
centred() {
    x=${1%%,*}; rest=${1#*,}; y=${rest%% *}; size=${1#* }; w=${size%x*}; h=${size#*x}
    dx=$((2 * x + w - 1280)); dy=$((2 * y + h - 1024))
    [ "$dx" -ge -1 ] && [ "$dx" -le 1 ] && [ "$dy" -ge -1 ] && [ "$dy" -le 1 ]
}

(cd "$work" && exec ./raschet-dp 2>"$work/stderr") &
pid=$!
main=$(timeout 20 xdotool search --sync --onlyvisible --pid "$pid" --name "Расчет токов ДП" | head -1)
[ -n "$main" ] || { echo "the main window never appeared"; exit 1; }
sleep 0.5

xdotool windowactivate --sync "$main" key F1
wait_frame "О программе" about_frame
xdotool key Escape
sleep 0.5

# The supply voltage's value opens the input dialog.
xdotool windowactivate --sync "$main"
xdotool mousemove --window "$main" 40 102 click 1
wait_frame "Ввод напряжения ДП" centred
xdotool key Escape
sleep 0.5

# A screenshot under the default name says where it went in a message box.
xdotool windowactivate --sync "$main" key ctrl+s
wait_frame "Information" centred
xdotool key Return
sleep 0.3

[ "$failures" -eq 0 ] && echo "every frame in place" && exit 0
exit 1
