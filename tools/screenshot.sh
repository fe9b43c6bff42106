#!/bin/bash
# Makes the README's picture of the window after a run with converted and failed rows.
#
#   tools/screenshot.sh [build folder] [output PNG]     (defaults: build, docs/screenshot.png)
#
# Builds nothing: it runs the program and the stand-in converter of an existing build (see the
# README) under its own Xvfb display, with the stand-in first on PATH, and drives it as a
# person would: "Add Directory" on a folder of four pictures and two text files named like
# pictures (those two rows fail), "Process", Return on the result box, then the window is
# grabbed. Needs Xvfb, xdotool and ImageMagick (apt-get install xvfb xdotool imagemagick).
# SCREENSHOT_DISPLAY=:N picks the display; otherwise the first free one from :99 is used.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$repo/build}")
out=$(realpath -m "${2:-$repo/docs/screenshot.png}")
program=$build/src/corvane
converter_dir=$build/tests/fake_imf_copy

fail() {
    echo "screenshot.sh: $*" >&2
    exit 1
}
for tool in Xvfb xdotool import convert; do
    command -v "$tool" >/dev/null || fail "$tool is missing (apt-get install xvfb xdotool imagemagick)"
done
[ -x "$program" ] || fail "no program at $program: build first"
[ -x "$converter_dir/imf_copy" ] || fail "no stand-in converter in $converter_dir: build first"

display=${SCREENSHOT_DISPLAY:-}
if [ -z "$display" ]; then
    for n in $(seq 99 199); do
        if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
            display=:$n
            break
        fi
    done
    [ -n "$display" ] || fail "no free X display between :99 and :199"
fi

work=$(mktemp -d)
xvfb=
app=
cleanup() {
    if [ -n "$app" ]; then kill "$app" 2>/dev/null || true; fi
    if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

# Pictures the stand-in reads, and two text files it cannot.
pictures=$work/harbour_scene/textures # what the table shows of it
mkdir -p "$pictures" "$work/home" "$work/runtime"
chmod 700 "$work/runtime"
convert -size 64x64 plasma:fractal "$pictures/brick_wall_diffuse.jpg"
convert -size 64x64 gradient:'#6b4a2b'-'#c8a27a' "$pictures/oak_bark_normal.png"
convert -size 64x64 pattern:checkerboard "$pictures/marble_floor.tif"
convert -size 64x64 gradient:'#7a2e12'-'#d9823b' "$pictures/rust_panel_spec.bmp"
echo "notes on the brick set" >"$pictures/readme_notes.png"
echo "render log, not a picture" >"$pictures/broken_render.jpg"

# -noreset: without it the server resets whenever its last client leaves, and refuses
# connections while it does.
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
xvfb=$!
export DISPLAY=$display
started=
for _ in $(seq 200); do
    if xdotool getdisplaygeometry >/dev/null 2>&1; then
        started=yes
        break
    fi
    sleep 0.1
done
[ -n "$started" ] || fail "Xvfb did not start on $display: $(cat "$work/xvfb.log")"

# The visible window whose title matches, waiting up to $2 tenths of a second.
find_window() {
    for _ in $(seq "$2"); do
        xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -n 1 && return 0
        sleep 0.1
    done
    return 1
}

env HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_CACHE_HOME="$work/home/.cache" \
    XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb PATH="$converter_dir:$PATH" \
    "$program" >"$work/corvane.log" 2>&1 &
app=$!
main=$(find_window '^Corvane v' 100) || fail "the main window did not appear"
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$main")" # WIDTH, HEIGHT

# "Add Directory" is the right half of the row under the banner.
xdotool mousemove --window "$main" $((WIDTH * 3 / 4)) 102 click 1
chooser=$(find_window '^Select Directory of Images$' 50) ||
    fail "Add Directory did not open its chooser: has the layout changed? (click positions)"
xdotool windowfocus --sync "$chooser"
xdotool type --delay 10 "$pictures"
# The first Return may only close the completion list under the field.
for _ in 1 2 3; do
    xdotool key Return
    sleep 0.7
    xdotool search --onlyvisible --name '^Select Directory of Images$' >/dev/null 2>&1 || break
done
! xdotool search --onlyvisible --name '^Select Directory of Images$' >/dev/null 2>&1 ||
    fail "the chooser did not take $pictures"
sleep 0.5

# "Process" fills the bottom row, left of "Create Script".
xdotool mousemove --window "$main" $((WIDTH * 2 / 5)) $((HEIGHT - 23)) click 1
# The result box is titled "Corvane" and stays until answered; a progress window of the same
# title would be gone by then, so take the one that is still there a second later.
box=
for _ in $(seq 600); do
    candidate=$(xdotool search --onlyvisible --name '^Corvane$' 2>/dev/null | tail -n 1) || true
    if [ -n "$candidate" ]; then
        sleep 1
        if xdotool search --onlyvisible --name '^Corvane$' 2>/dev/null | grep -qx "$candidate"; then
            box=$candidate
            break
        fi
    fi
    sleep 0.1
done
[ -n "$box" ] || fail "no result box within a minute of pressing Process"
xdotool windowfocus --sync "$box"
xdotool key Return
for _ in $(seq 50); do
    xdotool search --onlyvisible --name '^Corvane$' 2>/dev/null | grep -qx "$box" || break
    sleep 0.1
done
sleep 0.5

mkdir -p "$(dirname "$out")"
import -window "$main" "$out"
echo "wrote $out"
