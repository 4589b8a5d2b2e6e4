#!/usr/bin/env bash
# A user's way through zun-host's Part menu, with real input on a virtual
# display: create an outline plate with typed sizes, change its material,
# write its label in German and English, save after each step and read the
# saved drawing; undo each step, redo them, quit, and start zun-host again
# on the saved file to find the new part in its tree.
#
# usage: flow_part_commands.sh ZUN_HOST SAMPLE_DRAWING [SHOT_DIR]
# With SHOT_DIR (and ImageMagick's import) the screen is saved there at the
# end of each flow. Exits 77 (skipped) without Xvfb or xdotool.
set -u

HOST=$1
SAMPLE=$2
SHOTS=${3:-}

for tool in Xvfb xdotool; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed"
    exit 77
  fi
done

WORK=$(mktemp -d)
XVFB_PID=
HOST_PID=
cleanup() {
  [ -n "$HOST_PID" ] && kill "$HOST_PID" 2>/dev/null
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*"
  echo "--- zun-host output:"
  cat "$WORK/host.log" 2>/dev/null
  exit 1
}

# Settings and dialog positions of this run only.
export ZUN_SETTINGS_DIR=$WORK/settings
export XDG_RUNTIME_DIR=$WORK/runtime
mkdir -p "$ZUN_SETTINGS_DIR" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
# A sanitized build checks for leaks at exit; the D-Bus library that Qt
# opens without a session bus keeps a buffer of its own, which is not ours.
echo "leak:libdbus-1.so" >"$WORK/lsan.supp"
export LSAN_OPTIONS="suppressions=$WORK/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
unset QT_QPA_PLATFORM

# The X server tells the display it chose on descriptor 3.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$WORK/display" 2>"$WORK/xvfb.log" &
XVFB_PID=$!
for _ in $(seq 100); do
  [ -s "$WORK/display" ] && break
  sleep 0.1
done
[ -s "$WORK/display" ] || fail "Xvfb did not start: $(cat "$WORK/xvfb.log")"
export DISPLAY=:$(head -n1 "$WORK/display")

DRAWING=$WORK/d.json
cp "$SAMPLE" "$DRAWING"

# The visible window of that exact name, waiting up to 30 s for it.
wait_window() {
  local id
  for _ in $(seq 300); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1)
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.1
  done
  fail "no window '$1' appeared"
}

wait_gone() {
  for _ in $(seq 300); do
    xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  fail "window '$1' stayed open"
}

MAIN=
focus_main() {
  xdotool windowfocus --sync "$MAIN" 2>/dev/null
}

# Opens the Part menu and picks a command by its underlined letter. A menu
# has no name to wait for: the short pause lets it open before the letter.
part_command() {
  focus_main
  xdotool key alt+p
  sleep 0.4
  xdotool key "$1"
}

# Clicks a point of a window (coordinates inside it).
click_in() {
  xdotool mousemove --window "$1" "$2" "$3" click 1
}

# Replaces the text of the field at that point of a dialog.
type_into() {
  click_in "$1" "$2" "$3"
  xdotool key ctrl+a
  xdotool type --delay 20 "$4"
}

# Ctrl+S, then waits until the file on disk has changed.
save() {
  cp "$DRAWING" "$WORK/before-save"
  focus_main
  xdotool key ctrl+s
  for _ in $(seq 200); do
    cmp -s "$DRAWING" "$WORK/before-save" || return 0
    sleep 0.1
  done
  fail "ctrl+s did not write $DRAWING"
}

has() { grep -qF -- "$1" "$DRAWING" || fail "$2: the saved drawing lacks $1"; }
lacks() { ! grep -qF -- "$1" "$DRAWING" || fail "$2: the saved drawing still holds $1"; }
count_outline() { grep -cF '"type": "OUTLINE"' "$DRAWING"; }

shot() {
  if [ -n "$SHOTS" ] && command -v import >/dev/null; then
    mkdir -p "$SHOTS"
    sleep 0.5  # the last paint
    import -window root "$SHOTS/$1.png"
  fi
}

start_host() {
  "$HOST" --lang en --size 1280x800 "$DRAWING" >>"$WORK/host.log" 2>&1 &
  HOST_PID=$!
  MAIN=$(wait_window 'd\.json – zun-host')
}

start_host

# 1. A new outline plate: the rectangle, 250 by 120, typed into its fields.
part_command n
DLG=$(wait_window Outline)
xdotool windowfocus --sync "$DLG" 2>/dev/null
type_into "$DLG" 310 308 250
type_into "$DLG" 310 336 120
xdotool key Tab
shot part-outline-dialog
click_in "$DLG" 477 396
wait_gone Outline
save
[ "$(count_outline)" = 1 ] || fail "new part: no outline part in the saved drawing"
has 'Rectangle b=250 h=120' "new part"
has '"MAT": "S235"' "new part"
has '250.0' "new part"
has '120.0' "new part"
shot part-new-outline

# 2. Its material: the galvanized steel below the structural steel.
part_command m
DLG=$(wait_window 'Material selection')
xdotool windowfocus --sync "$DLG" 2>/dev/null
xdotool key Right Down
shot part-material-dialog
xdotool key Return
wait_gone 'Material selection'
save
has '"MAT": "S235-GALV"' "material"
shot part-material

# 3. Its label in German and English, each row edited in place.
part_command l
DLG=$(wait_window Label)
xdotool windowfocus --sync "$DLG" 2>/dev/null
edit_row() {
  click_in "$DLG" 160 "$1"
  sleep 0.7  # a second click, not a double click, starts the edit
  xdotool click 1
  sleep 0.3
  xdotool key ctrl+a
  xdotool type --delay 20 "$2"
  xdotool key Return
}
edit_row 21 'Deckplatte'
edit_row 39 'Cover plate'
shot part-label-dialog
click_in "$DLG" 421 276
wait_gone Label
save
has '\\de:Deckplatte\\en:Cover plate' "label"
shot part-label

# 4. Undo each step, newest first, then redo them all.
focus_main
xdotool key ctrl+z
save
lacks 'Deckplatte' "undo of the label"
has '"MAT": "S235-GALV"' "undo of the label"
xdotool key ctrl+z
save
lacks 'S235-GALV' "undo of the material"
has '"MAT": "S235"' "undo of the material"
xdotool key ctrl+z
save
[ "$(count_outline)" = 0 ] || fail "undo of the new part: the outline part is still saved"
xdotool key ctrl+y ctrl+y ctrl+y
save
[ "$(count_outline)" = 1 ] || fail "redo: the outline part is missing"
has '"MAT": "S235-GALV"' "redo"
has '\\de:Deckplatte\\en:Cover plate' "redo"

# 5. Quit (nothing unsaved: no question) and start again on the saved file.
focus_main
xdotool key ctrl+q
for _ in $(seq 200); do
  kill -0 "$HOST_PID" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$HOST_PID" 2>/dev/null && fail "zun-host did not quit"
# Its exit status: a sanitized build fails it for a leak or a memory error.
wait "$HOST_PID" || fail "zun-host ended with status $?"
HOST_PID=
cp "$DRAWING" "$WORK/saved"
# The new part is in the tree of the restarted host, German label and all.
"$HOST" --lang de --size 1280x800 --select 'Rectangle b=250 h=120' --screenshot "$WORK/restart.png" "$DRAWING" \
  >>"$WORK/host.log" 2>&1 || fail "the restarted zun-host has no node 'Rectangle b=250 h=120'"
cmp -s "$DRAWING" "$WORK/saved" || fail "starting again changed the drawing"
[ -n "$SHOTS" ] && cp "$WORK/restart.png" "$SHOTS/part-restart.png"
echo "PASS: new outline part, material and label saved, undone, redone and read again"
exit 0
