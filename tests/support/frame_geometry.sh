# Shell helpers of the window tests (sourced): the outer frame of a window, "X,Y WxH", measured as
# its ancestor right under the root window (the window manager's frame, or the window itself); the
# geometry a settings file stores, in the same form; a framed display of a test's own; the start and
# end of such a test.
frame_geometry() {
    root=$(xwininfo -root | sed -n 's/.*Window id: \(0x[0-9a-f]*\).*/\1/p')
    w=$1
    while :; do
        parent=$(xwininfo -children -id "$w" | sed -n 's/.*Parent window id: \(0x[0-9a-f]*\).*/\1/p')
        [ -z "$parent" ] || [ "$parent" = "$root" ] && break
        w=$parent
    done
    xwininfo -id "$w" | awk '/Absolute upper-left X/{x=$4}/Absolute upper-left Y/{y=$4}
        /Width:/{w=$2}/Height:/{h=$2}END{print x","y" "w"x"h}'
}

# stored_geometry INI: the [FSize] section of a settings file as "Left,Top WidthxHeight".
stored_geometry() {
    tr -d '\r' <"$1" | awk -F= '/^\[/{s=$0}s=="[FSize]"&&NF==2{v[$1]=$2}
        END{print v["Left"]","v["Top"]" "v["Width"]"x"v["Height"]}'
}

# framed_display WORKDIR [X SERVER OPTIONS...]: a 1280 x 1024 X server of our own (Xvfb picks a
# free number and writes it to fd 3) with openbox on it; sets DISPLAY, and xvfb and wm to their
# process ids. Returns once openbox manages the screen. The server must not reset when its last
# client leaves: it then drops a client still opening its connection, and openbox, started right
# after xdpyinfo had left, could die at once, leaving every later window unmanaged.
framed_display() {
    local dir=$1
    shift
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset "$@" 3>"$dir/display" 2>/dev/null &
    xvfb=$!
    for _ in $(seq 1 200); do [ -s "$dir/display" ] && break; sleep 0.05; done
    DISPLAY=:$(head -1 "$dir/display")
    export DISPLAY
    for _ in $(seq 1 200); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.05; done
    openbox >"$dir/openbox.log" 2>&1 &
    wm=$!
    # openbox names its check window on the root once it has taken the screen over.
    for _ in $(seq 1 200); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
        sleep 0.05
    done
    echo "openbox did not take over the display $DISPLAY" >&2
    cat "$dir/openbox.log" >&2
    return 1
}

# x11_test_begin: skips the test (status 77) unless the X tools are installed; makes the test's own
# folder $work and, at exit, ends the program $pid, the window manager and the X server, runs the
# test's own x11_test_cleanup if it has one, and removes the folder.
x11_test_begin() {
    for tool in Xvfb openbox xdotool xwininfo; do
        command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
    done
    work=$(mktemp -d)
    xvfb=""
    wm=""
    pid=""
    trap x11_test_end EXIT
}
x11_test_end() {
    [ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    command -v x11_test_cleanup >/dev/null && x11_test_cleanup
    [ -n "$wm" ] && kill "$wm" 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
