#!/usr/bin/env bash
# With window walks on at the liveliest level, a pet climbs onto the top edge of a real 800x500
# window of another program; moving the window ends that walk, and a later one finds the window
# at its new place. fullscreen_probe, built beside the program, shows the window and tells
# which window the pets' window list would choose.
# shellcheck source-path=SCRIPTDIR
source "$(dirname "$0")/lib.sh"

program=$(realpath "$1")
probe=$(dirname "$program")/fullscreen_probe
[[ -x $probe ]] || e2e_fail "not an executable: $probe (build the fullscreen_probe target)"

# Sets frame_x, frame_y (top-left) and frame_w, frame_h of the window with its frame.
read_frame() {
  local info extents ax ay w h
  info=$(xwininfo -id "$window") || return 1
  ax=$(awk '/Absolute upper-left X/ { print $NF }' <<<"$info")
  ay=$(awk '/Absolute upper-left Y/ { print $NF }' <<<"$info")
  w=$(awk '/^ *Width:/ { print $NF }' <<<"$info")
  h=$(awk '/^ *Height:/ { print $NF }' <<<"$info")
  extents=$(xprop -id "$window" _NET_FRAME_EXTENTS) || return 1
  [[ $extents =~ =\ ([0-9]+),\ ([0-9]+),\ ([0-9]+),\ ([0-9]+) ]] || return 1
  frame_x=$((ax - BASH_REMATCH[1])) frame_y=$((ay - BASH_REMATCH[3]))
  frame_w=$((w + BASH_REMATCH[1] + BASH_REMATCH[2])) frame_h=$((h + BASH_REMATCH[3] + BASH_REMATCH[4]))
}
# A pet panel whose bottom is within 3 pixels of 12 below the frame's top, over the window.
pet_over_edge() {
  e2e_pet_windows | tr ' ' '\n' | awk -F, -v x="$frame_x" -v w="$frame_w" -v top="$frame_y" \
    '$1 >= x && $1 + 52 <= x + w && ($2 + 52 - top - 12) ^ 2 <= 9 { f = 1 } END { exit !f }'
}
# Standing there, not passing through on the way home.
pet_on_edge() { pet_over_edge && sleep 0.3 && pet_over_edge; }
frame_changed() { read_frame && [[ $frame_x,$frame_y != "$1" ]]; }

e2e_setup
e2e_defaults_set onboardingCompleted true
e2e_defaults_set activityLevel lively
e2e_defaults_set windowWalkingEnabled true
e2e_start_taskbar "$(dirname "$program")/bottom_panel" "#1D2B36"

e2e_step "show an 800x500 window of another program at 240,150"
"$probe" window walk-target 800x500 >"$E2E_WORK/window.log" 2>&1 &
e2e_track $!
e2e_wait_for 10 xdotool search --name walk-target || e2e_fail "the window never appeared"
window=$(xdotool search --name walk-target | head -1)
e2e_wait_for 5 read_frame || e2e_fail "the window has no frame"
xdotool windowmove "$window" 240 150
e2e_wait_for 5 frame_changed "$frame_x,$frame_y" || e2e_fail "the window did not move"

e2e_step "expect the window list to choose that window with the frame xwininfo gives"
expected=$(printf '0x%x %d %d %d %d' "$window" "$frame_x" "$((800 - frame_y - frame_h))" "$frame_w" "$frame_h")
got=$("$probe" front 2>/dev/null) || e2e_fail "the probe failed"
[[ $got == "$expected" ]] || e2e_fail "the walked window would be '$got', not '$expected'"

e2e_step "start the program and expect a pet on the window's top edge within three minutes"
e2e_start_app "$program"
e2e_expect_while_running 180 "a pet on the top edge at y $frame_y" pet_on_edge
e2e_screenshot window-walk.png

e2e_step "move the window 60 pixels down and expect the pet to leave the old edge within 3 s"
old_top=$frame_y
xdotool windowmove "$window" 240 210
e2e_wait_for 5 frame_changed "$frame_x,$frame_y" || e2e_fail "the window did not move"
frame_y=$old_top
e2e_expect_while_running 3 "no pet left on the old edge" eval '! pet_over_edge'

e2e_step "expect a later walk on the moved window's edge"
e2e_wait_for 5 read_frame || e2e_fail "the window has no frame"
e2e_expect_while_running 60 "a pet on the top edge at y $frame_y" pet_on_edge
e2e_screenshot window-walk-moved.png
