#!/usr/bin/env bash
# Builds the Debian package from a configured build folder and checks it as a user would meet it:
# its files, the desktop entry and metadata validators, lintian, and the installed program started
# twice by an unprivileged user (the settings come back from the user's own file).
#   packaging/check_package.sh <build-dir>
set -euo pipefail
build=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
app_id=ru.raschetdp.RaschetDP

(cd "$build" && cpack -G DEB >/dev/null)
version=$(sed -n 's/^project(RaschetDP VERSION \([0-9.]*\).*/\1/p' "$here/../CMakeLists.txt")
deb="$build/raschet-dp_${version}-1_amd64.deb"
[[ -f $deb ]] || { echo "package $deb was not built" >&2; exit 1; }
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"
dpkg-deb -f "$deb" Depends

work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
chmod 755 "$work"

# The files a desktop needs, where it looks for them.
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' | grep -v '/$' >"$work/files"
for f in /usr/bin/raschet-dp \
    /usr/share/applications/$app_id.desktop \
    /usr/share/metainfo/$app_id.metainfo.xml \
    /usr/share/icons/hicolor/scalable/apps/$app_id.svg \
    /usr/share/icons/hicolor/16x16/apps/$app_id.png \
    /usr/share/icons/hicolor/256x256/apps/$app_id.png \
    /usr/share/man/man1/raschet-dp.1.gz \
    /usr/share/doc/raschet-dp/copyright; do
    grep -qx "$f" "$work/files" || { echo "missing from the package: $f" >&2; exit 1; }
done

root="$work/root"
dpkg-deb -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/$app_id.desktop"
appstreamcli validate --no-net --explain "$root/usr/share/metainfo/$app_id.metainfo.xml"
# Errors fail the check; the warnings that remain are printed.
lintian --fail-on error --suppress-tags-from-file "$here/lintian-accepted" "$deb"

# The installed program, started by a user who may not write beside it.
user=nobody
home="$work/home"
mkdir -p "$home"
chown "$user" "$home"
# A display of our own with a window manager; any local user may connect to it.
. "$here/../tests/support/frame_geometry.sh"
framed_display "$work" -ac
display=$DISPLAY
runtime="$work/runtime"
mkdir -m 700 "$runtime"
chown "$user" "$runtime"

start() { # program [key to press]
    setpriv --reuid="$user" --regid="$(id -g "$user")" --clear-groups env -i HOME="$home" DISPLAY="$display" LANG=ru_RU.UTF-8 XDG_RUNTIME_DIR="$runtime" "$1" >"$work/out" 2>&1 &
    local pid=$!
    local win=
    for _ in $(seq 600); do
        win=$(DISPLAY=$display xdotool search --pid "$pid" --onlyvisible 2>/dev/null | head -1) && [[ -n $win ]] && break
        sleep 0.1
    done
    [[ -n $win ]] || { cat "$work/out" >&2; DISPLAY=$display xwininfo -root -tree >&2; pgrep -a raschet >&2; echo "the window of $1 did not appear" >&2; exit 1; }
    sleep 1
    if [[ $# -gt 1 ]]; then
        DISPLAY=$display xdotool windowactivate --sync "$win" key "$2"
        sleep 1
    fi
    kill -TERM "$pid" # closes the window the normal way, which saves the settings
    wait "$pid" || { cat "$work/out" >&2; echo "$1 ended with status $?" >&2; exit 1; }
}
count() { sed -n 's/^NumRegs=//p' "$1" 2>/dev/null; }

ini="$home/.config/raschet-dp/raschet-dp.ini"
start "$root/usr/bin/raschet-dp" KP_Add
[[ $(count "$ini") == 2 ]] || { echo "the added regenerator was not saved in $ini" >&2; exit 1; }
start "$root/usr/bin/raschet-dp"
[[ $(count "$ini") == 2 ]] || { echo "the second start did not read back $ini" >&2; exit 1; }
[[ ! -e "$root/usr/bin/raschet-dp.ini" ]] || { echo "a file appeared beside the installed program" >&2; exit 1; }
echo "installed program: the chain came back from $(realpath --relative-to="$home" "$ini")"

# A copy in a folder of its own keeps its settings beside itself, and nothing in the user's folder.
rm -rf "$home/.config"
portable="$work/portable"
mkdir "$portable"
cp "$root/usr/bin/raschet-dp" "$portable/"
chown -R "$user" "$portable"
start "$portable/raschet-dp" KP_Add
[[ $(count "$portable/raschet-dp.ini") == 2 ]] || { echo "the portable copy did not save beside itself" >&2; exit 1; }
[[ ! -e "$home/.config/raschet-dp" ]] || { echo "the portable copy wrote into the user's folder" >&2; exit 1; }
echo "portable copy: settings beside itself"
