#!/bin/sh
# The program natively on Wayland, under a headless weston of the test's own with a 1280 x 1024
# output: the program starts on the wayland platform, names itself by its desktop entry's app id and,
# told to end, writes settings with the place it was given and its outer size; then the test driver
# (wayland_test.cpp) saves a screenshot with Ctrl+S and restarts its window from its own settings.
# Last, the compositor dies under the running program: the toolkit ends the process at once, and the
# settings must be written before it does.
# Usage: wayland_session.sh PROGRAM DRIVER
set -u
program=$1
driver=$2
command -v weston >/dev/null || { echo "SKIP: weston is not installed (apt-get install weston)"; exit 77; }
. "$(dirname "$0")/../support/frame_geometry.sh"

work=$(mktemp -d)
weston_pid=""
program_pid=""
cleanup() {
    [ -n "$program_pid" ] && kill -KILL "$program_pid" 2>/dev/null
    [ -n "$weston_pid" ] && kill "$weston_pid" 2>/dev/null && wait "$weston_pid"
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

# The compositor's sockets live in a runtime folder only its user may enter.
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime"
export WAYLAND_DISPLAY=wayland-test
export QT_QPA_PLATFORM=wayland
unset DISPLAY
weston --backend=headless-backend.so --socket="$WAYLAND_DISPLAY" --width=1280 --height=1024 \
    --idle-time=0 --no-config >"$work/weston.log" 2>&1 &
weston_pid=$!
for _ in $(seq 1 100); do
    [ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] && break
    sleep 0.05
done
[ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] || { echo "weston did not start"; cat "$work/weston.log"; exit 1; }

# Starts the program with its requests to the compositor logged in $work/program.log and waits until
# its window is on the screen: it has answered the compositor's configure and committed a frame.
# Sets program_pid, and shown to yes or no.
start_program() {
    : >"$work/program.log"
    (cd "$work/program" && WAYLAND_DEBUG=client exec ./raschet-dp 2>"$work/program.log") &
    program_pid=$!
    shown=no
    for _ in $(seq 1 100); do
        if sed -n '/ack_configure/,$p' "$work/program.log" | grep -q 'wl_surface@[0-9]*\.commit()'; then
            shown=yes
            break
        fi
        kill -0 "$program_pid" 2>/dev/null || break
        sleep 0.1
    done
}

# Ends the program that start_program showed: by SIGTERM ("TERM") or by killing the compositor under
# it ("compositor"); sets status to its exit status, and failures when it did not end by itself.
end_program() {
    if [ "$shown" = yes ]; then
        if [ "$1" = compositor ]; then
            kill -KILL "$weston_pid"
            wait "$weston_pid" 2>/dev/null
            weston_pid=""
        else
            kill -TERM "$program_pid"
        fi
        timeout 10 sh -c "while kill -0 $program_pid 2>/dev/null; do sleep 0.05; done" ||
            { echo "the program did not end after $1"; failures=1; }
    else
        echo "the program never showed its window"
        failures=1
    fi
    kill -KILL "$program_pid" 2>/dev/null
    wait "$program_pid"
    status=$?
    program_pid=""
}


# The program, with its settings beside it.
mkdir "$work/program"
cp "$program" "$work/program/raschet-dp"
printf '[FSize]\nWidth=900\nHeight=600\nLeft=100\nTop=50\n' >"$work/program/raschet-dp.ini"
failures=0
start_program
end_program TERM
[ "$status" -eq 0 ] || { echo "the program ended with status $status"; failures=1; }
grep -q 'xdg_toplevel@[0-9]*\.set_app_id("ru.raschetdp.RaschetDP")' "$work/program.log" ||
    { echo "the window's app id is not the desktop entry's name"; failures=1; }
stored=$(stored_geometry "$work/program/raschet-dp.ini")
echo "program: settings written at the end: $stored"
[ "$stored" = "100,50 900x600" ] || { echo "the stored geometry is not the one given"; failures=1; }
grep -q '^U_RP=370$' "$work/program/raschet-dp.ini" || { echo "the settings were not written"; failures=1; }
if [ "$failures" -ne 0 ]; then
    grep -v '^\[' "$work/program.log" | tail -20
    cat "$work/program/raschet-dp.ini"
fi

# The screenshot and the geometry over restarts, in the test driver.
timeout 60 "$driver" || failures=1

# The compositor dies under the program. Its stored chain is incomplete, so the settings it writes
# differ from the file (every key of each section, the chain's third regenerator): the file shows
# whether they were written, and with what geometry, before the toolkit ended the process.
printf '[COMMON]\nU_RP=400\nNumRegs=3\n[REG2]\nRL_P=7.5\n[FSize]\nWidth=900\nHeight=600\nLeft=120\nTop=70\n' \
    >"$work/program/raschet-dp.ini"
start_program
end_program compositor
echo "compositor death: the program ended with status $status"
grep -q '^The Wayland connection broke' "$work/program.log" ||
    { echo "the toolkit did not report the broken connection"; failures=1; }
stored=$(stored_geometry "$work/program/raschet-dp.ini")
echo "compositor death: settings written: $stored"
saved=$(tr -d '\r' <"$work/program/raschet-dp.ini" | tr '\n' ' ')
case "$saved" in
*"[COMMON] U_RP=400 NumRegs=3 P_RP=150 R_LRP=16 "*"[REG2] RL_P=7.5 RR_ENT=1 RR=256 "*"[REG3] RR_ENT=1 "*) ;;
*) echo "the settings were not written before the program ended"; failures=1 ;;
esac
[ "$stored" = "120,70 900x600" ] || { echo "the stored geometry is not the one given"; failures=1; }
if [ "$failures" -ne 0 ]; then
    grep -v '^\[' "$work/program.log" | tail -20
    cat "$work/program/raschet-dp.ini"
fi
[ "$failures" -eq 0 ] || { echo "== weston:"; tail -20 "$work/weston.log"; exit 1; }
