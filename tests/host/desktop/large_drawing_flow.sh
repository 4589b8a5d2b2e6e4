#!/usr/bin/env bash
# A user's way through a large drawing in zun-host on a virtual display:
# the sample is open; the user opens a drawing of 2,000 parts through the
# file dialog, sees the progress in the status bar, cancels with Escape and
# finds the sample as it was (same title, same picture); then opens the
# large drawing again and waits for it to the end.
#
#   large_drawing_flow.sh ZUN_HOST ZUN_REPEAT_DRAWING WORK_DIR
#
# Exit 77 (skipped) without Xvfb, xdotool or ImageMagick.
set -uo pipefail
host=$1 repeat=$2 work=$3
for tool in xvfb-run xdotool import convert; do
  command -v "$tool" > /dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
if [ -z "${ZUN_FLOW_ON_DISPLAY:-}" ]; then
  export ZUN_FLOW_ON_DISPLAY=1
  exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$@"
fi

rm -rf "$work" && mkdir -p "$work/settings"
export ZUN_SETTINGS_DIR=$work/settings QT_QPA_PLATFORM=xcb
big=$work/large_2000.json
"$repeat" 2000 "$big" > /dev/null || { echo "FAIL: cannot make the large drawing"; exit 1; }

fail() { echo "FAIL: $*"; kill "$pid" 2> /dev/null; exit 1; }
title() { xdotool getwindowname "$win" 2> /dev/null; }
# The window as a PNG, and its picture (the viewer: right of the tree,
# below the tool bar and tabs, above the status bar) as a PPM. Focus frames
# in the tree pane may move with the file dialog; the picture may not.
shot() {
  import -window "$win" "$work/$1.png" &&
    convert "$work/$1.png" -gravity south -chop 0x40 -gravity northwest -chop 400x90 "$work/$1.ppm"
}
# The status bar alone.
statusbar() { convert "$work/$1.png" -gravity south -crop 0x40+0+0 +repage "$work/$1-status.ppm"; }
wait_title() {
  for _ in $(seq 1 "$2"); do
    case "$(title)" in *"$1"*) return 0 ;; esac
    sleep 0.5
  done
  return 1
}
open_big() {
  xdotool windowfocus --sync "$win" key --clearmodifiers ctrl+o
  sleep 1.5
  xdotool type --delay 5 "$big"
  xdotool key Return
}

"$host" --lang en --size 1100x700 > "$work/host.log" 2>&1 &
pid=$!
win=$(timeout 30 xdotool search --sync --onlyvisible --name " – zun-host" | head -1)
[ -n "$win" ] || fail "no zun-host window"
wait_title "sample_drawing.json" 20 || fail "the sample did not open: $(title)"
sleep 1
shot before && statusbar before

# Open the large drawing: the progress shows in the status bar.
open_big
sleep 1.5
shot during && statusbar during
cmp -s "$work/before-status.ppm" "$work/during-status.ppm" && fail "no progress in the status bar"
case "$(title)" in *"large_2000"*) fail "opened at once, no chance to see progress or cancel" ;; esac

# Cancel with the button at the right end of the status bar: the sample
# stays, title and picture as before.
eval "$(xdotool getwindowgeometry --shell "$win")"
xdotool mousemove --window "$win" $((WIDTH - 50)) $((HEIGHT - 13)) click 1
sleep 1.5
[[ "$(title)" == *"sample_drawing.json"* ]] || fail "the title changed after cancel: $(title)"
shot after && statusbar after
cmp -s "$work/during-status.ppm" "$work/after-status.ppm" && fail "the progress is still there after cancel"
sleep 1.5
shot later
cmp -s "$work/after.ppm" "$work/later.ppm" || fail "the picture changed after cancel (see $work/after.png, later.png)"
cmp -s "$work/before.ppm" "$work/after.ppm" || fail "the window differs after cancel (see $work/before.png, after.png)"

# Again, to the end.
open_big
wait_title "large_2000.json" 100 || fail "the large drawing did not open: $(title)"
shot done
kill "$pid"
echo "PASS: progress seen, cancel kept the sample, the large drawing opened"
