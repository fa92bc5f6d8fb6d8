#!/bin/sh
# DISPLAY names a display that no X server answers: the program says so itself and ends with
# status 2, instead of the toolkit's abort that advises reinstalling.
# Usage: dead_display.sh PROGRAM
program=$1
display=:9876
[ -e /tmp/.X11-unix/X9876 ] && { echo "SKIP: a server answers at $display"; exit 77; }
out=$(env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=$display "$program" 2>&1)
rc=$?
echo "status $rc: $out"
[ "$rc" -eq 2 ] || exit 1
echo "$out" | grep -q "DISPLAY=\"$display\"" || exit 1
echo "$out" | grep -q 'xvfb-run -a' || exit 1
! echo "$out" | grep -qi reinstall
