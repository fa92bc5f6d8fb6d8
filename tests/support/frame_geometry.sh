# Shell helper of the X11 tests (sourced): the outer frame of a window, "X,Y WxH", measured as its
# ancestor right under the root window (the window manager's frame, or the window itself).
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
