#!/usr/bin/env bash
# Takes a PNG of the program's main window on the demo installation, under a
# virtual X server of its own:
#
#   demo/screenshot.sh OUT.png [KEY...]
#
# KEYs (xdotool key names: F7, Tab, shift+F9 ...) are typed into the program
# before the picture is taken, e.g. F7 to show the first supplier.
#
# Brings the program and the seeder in build/ up to date (BUILD_DIR=... picks
# another build folder), makes the demo once (demo/create-demo.sh),
# starts the private Firebird server when nothing listens on 127.0.0.1:3060
# and stops it again afterwards. Run as root it installs the Debian packages
# it needs.
set -euo pipefail

readonly HERE=$(cd "$(dirname "$0")" && pwd)
readonly ROOT_DIR=$(cd "$HERE/.." && pwd)
build=${BUILD_DIR:-$ROOT_DIR/build}
mkdir -p "$build"
BUILD_DIR=$(cd "$build" && pwd)
readonly BUILD_DIR
readonly PACKAGES=(xvfb xauth x11-utils xdotool imagemagick fonts-ipafont-mincho fonts-ipafont-gothic)
readonly TITLE="仕入先マスター登録"

die() { echo "screenshot: $*" >&2; exit 1; }

[ $# -ge 1 ] || die "usage: $0 OUT.png [KEY...]"
out=$(mkdir -p "$(dirname "$1")" && cd "$(dirname "$1")" && pwd)/$(basename "$1")
shift
keys=("$@")

missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    [ "$(id -u)" -eq 0 ] || die "missing Debian packages: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get -o DPkg::Lock::Timeout=600 update -qq
    apt-get -o DPkg::Lock::Timeout=600 install -y -qq "${missing[@]}" >/dev/null
fi

[ -f "$BUILD_DIR/build.ninja" ] || cmake -S "$ROOT_DIR" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD_DIR" -j "$(nproc)" --target VELDRUN veldrun_demo_seed >/dev/null

server_started=false
xvfb_pid=
program_pid=
# Ends a process this script started: politely, then for sure.
end_process() {
    local pid=$1
    kill "$pid" 2>/dev/null || return 0
    for _ in $(seq 1 30); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}

cleanup() {
    local pid
    for pid in $program_pid $xvfb_pid; do
        end_process "$pid"
    done
    if $server_started; then
        "$ROOT_DIR/scripts/fbserver.sh" stop "$BUILD_DIR/fbserver" >/dev/null || true
    fi
}
trap cleanup EXIT

if ! (exec 3<>/dev/tcp/127.0.0.1/3060) 2>/dev/null; then
    "$ROOT_DIR/scripts/fbserver.sh" start "$BUILD_DIR/fbserver"
    server_started=true
fi
"$HERE/create-demo.sh" "$BUILD_DIR"

# A display number nobody uses, from 99 up.
display=99
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
    display=$((display + 1))
done
Xvfb ":$display" -screen 0 1600x1000x24 -nolisten tcp -br >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 100); do
    [ -e "/tmp/.X11-unix/X$display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || die "Xvfb :$display did not start"
    sleep 0.1
done
export DISPLAY=":$display"
export XDG_RUNTIME_DIR="$BUILD_DIR/xdg-runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

log="$BUILD_DIR/demo/screenshot.log"
(cd "$BUILD_DIR/demo/VELDRUN" && exec env QT_QPA_PLATFORM=xcb "$BUILD_DIR/VELDRUN") >"$log" 2>&1 &
program_pid=$!

# The main window: the largest viewable top-level window of the program,
# preferably the one with the program's title.
find_window() {
    local best='' best_area=0 id w h line
    while read -r line; do
        id=${line%% *}
        read -r w h < <(xwininfo -id "$id" 2>/dev/null | awk '/Map State: IsViewable/ {v=1} /^  Width:/ {w=$2} /^  Height:/ {h=$2} END {if (v) print w, h; else print 0, 0}')
        if [ $((w * h)) -gt "$best_area" ]; then
            best=$id
            best_area=$((w * h))
        fi
    done < <(xwininfo -root -children 2>/dev/null | grep -E '^ +0x' | grep -F -e "\"$TITLE\"" -e '"VELDRUN"' | sed 's/^ *//')
    echo "$best"
}

window=
for _ in $(seq 1 300); do
    kill -0 "$program_pid" 2>/dev/null || die "the program ended before showing its window (see $log)"
    window=$(find_window)
    [ -n "$window" ] && break
    sleep 0.1
done
[ -n "$window" ] || die "no window of the program appeared within 30 s (see $log)"
# Let the first showing finish: database start-up, defaults, focus.
sleep 3
if [ ${#keys[@]} -gt 0 ]; then
    # No window manager: the keyboard follows the pointer, kept low on the
    # window where it lights up no button.
    read -r x y < <(xwininfo -id "$window" | awk '/Absolute upper-left X:/ {x=$4} /Absolute upper-left Y:/ {y=$4} /Height:/ {h=$2} END {print x + 40, y + h - 20}')
    xdotool mousemove "$x" "$y"
    for key in "${keys[@]}"; do
        xdotool key "$key"
        sleep 0.7
    done
    sleep 1
fi
window=$(find_window)
[ -n "$window" ] || die "the program's window went away (see $log)"
import -window "$window" "$out"
echo "screenshot: $out ($(identify -format '%wx%h' "$out"))"
