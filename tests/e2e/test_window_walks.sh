#!/usr/bin/env bash
# Window walks on, liveliest level: a pet climbs onto a real window's top edge (as xwininfo gives
# it); moving the window ends that walk, and a later one finds the window's new place. A window
# that names no process (xev sets no _NET_WM_PID) in front is walked on like any other.
# shellcheck source-path=SCRIPTDIR
source "$(dirname "$0")/lib.sh"

program=$(realpath "$1")
read_frame() { e2e_read_frame "$window"; }
pet_over_edge() { # a pet panel over the window, its bottom within 3 px of 12 below the edge at y $1
  e2e_pet_windows | tr ' ' '\n' | awk -F, -v x="$frame_x" -v w="$frame_w" -v top="$1" \
    '$1 >= x && $1 + 52 <= x + w && ($2 + 52 - top - 12) ^ 2 <= 9 { f = 1 } END { exit !f }'
}
pet_on_edge() { pet_over_edge "$frame_y" && sleep 0.3 && pet_over_edge "$frame_y"; } # not just passing on the way home
frame_left() { read_frame && [[ $frame_x,$frame_y != "$1" ]]; }
move_window() {
  xdotool windowmove "$window" 240 "$1"
  e2e_wait_for 5 frame_left "$frame_x,$frame_y" || e2e_fail "the window did not move"
}

e2e_setup
for setting in "onboardingCompleted true" "activityLevel lively" "windowWalkingEnabled true"; do
  e2e_defaults_set "${setting% *}" "${setting#* }"
done
e2e_start_taskbar "$(dirname "$program")/bottom_panel" "#1D2B36"
e2e_step "show an 800x500 window of another program, then start the program and expect a pet on the window's top edge within three minutes"
"$(dirname "$program")/fullscreen_probe" window walk-target 800x500 >"$E2E_WORK/window.log" 2>&1 &
e2e_track $!
e2e_wait_for 10 e2e_search --name walk-target || e2e_fail "no window named walk-target showed"
window=$(e2e_search --name walk-target | head -1)
e2e_wait_for 5 read_frame || e2e_fail "the window has no frame"
move_window 150

e2e_start_app "$program"
e2e_expect_while_running 180 "a pet on the top edge at y $frame_y" pet_on_edge
e2e_screenshot window-walk.png
e2e_step "move the window 60 pixels down; expect the pet off the old edge within 3 s, then a walk on the new one"
old_top=$frame_y
move_window 210
e2e_expect_while_running 3 "no pet left on the old edge" eval "! pet_over_edge $old_top"
e2e_expect_while_running 60 "a pet on the top edge at y $frame_y" pet_on_edge
e2e_step "show a window that names no process in front, across that window; expect a pet on its top edge"
xev -geometry 700x300+300+360 -name pidless-target >/dev/null 2>&1 &
e2e_track $!
e2e_wait_for 10 e2e_search --name pidless-target || e2e_fail "no window named pidless-target showed"
window=$(e2e_search --name pidless-target | head -1)
e2e_wait_for 5 read_frame || e2e_fail "the window has no frame"
xprop -id "$window" _NET_WM_PID | grep -q '= [0-9]' && e2e_fail "the window names its process"
e2e_expect_while_running 60 "a pet on the top edge at y $frame_y" pet_on_edge
e2e_screenshot window-walk-no-pid.png
