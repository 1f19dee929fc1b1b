#!/usr/bin/env bash
# Two monitors side by side on one X screen (RandR monitors) with a taskbar on each in turn: the
# pets on the primary monitor sit at its taskbar's edge while the taskbar is there, and at the
# screen's bottom once it moves to the other monitor, without a restart. Then the compositor
# quits and comes back: the pet panels switch to the shape mask and back to alpha at once.
# Usage: test_screens.sh <path-to-tuftle>
# shellcheck source-path=SCRIPTDIR
source "$(dirname "$0")/lib.sh"

[[ $# -ge 1 ]] || e2e_fail "usage: $0 <path-to-tuftle>"
program=$1
[[ $program == /* ]] || program=$PWD/$program
[[ -x $program && -f $program ]] || e2e_fail "not an executable: $program"
taskbar=$(dirname "$program")/bottom_panel
[[ -x $taskbar && -f $taskbar ]] || e2e_fail "not an executable: $taskbar (build the test helpers)"
for tool in xrandr xcompmgr; do
  command -v "$tool" >/dev/null 2>&1 || e2e_fail "missing tool: $tool (run scripts/install-deps)"
done

# The left monitor is the primary one: the pets live at its bottom centre (x = 640), 30 of their
# 52 points above the taskbar's edge (760 with a 40-pixel taskbar there, else the screen's 800).
readonly at_taskbar="584,730 648,730"
readonly at_screen_bottom="584,770 648,770"
taskbar_pid=""

pets_at() {
  [[ $(e2e_pet_windows) == "$1" ]]
}

workarea_height_is() {
  local area
  area=$(xprop -root _NET_WORKAREA 2>/dev/null) || return 1
  [[ $area =~ =\ ([0-9]+),\ ([0-9]+),\ ([0-9]+),\ ([0-9]+) ]] || return 1
  ((BASH_REMATCH[2] + BASH_REMATCH[4] == $1))
}

# start_taskbar <x>: a 40-pixel taskbar along the bottom of the monitor starting at x.
start_taskbar() {
  "$taskbar" 40 "#1D2B36" "$1" 1280 >"$E2E_WORK/taskbar-$1.log" 2>&1 &
  taskbar_pid=$!
  e2e_track "$taskbar_pid"
}

stop_taskbar() {
  kill "$taskbar_pid"
  wait "$taskbar_pid" 2>/dev/null || true
  e2e__untrack "$taskbar_pid"
}

# "masked" when both pet panels have a shape mask, "whole" when neither has one.
pet_shapes() {
  local id masked=0 whole=0
  for id in $(e2e_pet_window_ids); do
    if xwininfo -shape -id "$id" 2>/dev/null | grep -q "No window shape defined"; then
      whole=$((whole + 1))
    else
      masked=$((masked + 1))
    fi
  done
  if ((masked == 2 && whole == 0)); then echo masked; elif ((whole == 2 && masked == 0)); then echo whole; else echo "mixed"; fi
}

shapes_are() {
  [[ $(pet_shapes) == "$1" ]]
}

compositor_owned() {
  python3 "$E2E_LIB_DIR/x11_selection_owner.py" _NET_WM_CM_S0 >/dev/null
}

E2E_SCREEN_SIZE=2560x800 e2e_setup
e2e_step "split the screen into two monitors, the left one primary"
xrandr --setmonitor '*left' 1280/338x800/211+0+0 none
xrandr --setmonitor right 1280/338x800/211+1280+0 none

e2e_step "start a taskbar on the left monitor"
start_taskbar 0
e2e_wait_for 10 workarea_height_is 760 || e2e_fail "the work area never left out the taskbar"
e2e_step "start the program (with a compositor) and expect the pets at the taskbar's edge: $at_taskbar"
xcompmgr >"$E2E_WORK/xcompmgr.log" 2>&1 &
compositor=$!
e2e_track "$compositor"
e2e_wait_for 10 compositor_owned || e2e_fail "xcompmgr did not take _NET_WM_CM_S0"
e2e_start_app "$program"
e2e_expect_while_running 10 "both pets at $at_taskbar" pets_at "$at_taskbar"

e2e_step "move the taskbar to the right monitor and expect the pets at the screen's bottom: $at_screen_bottom"
stop_taskbar
start_taskbar 1280
e2e_expect_while_running 10 "both pets at $at_screen_bottom" pets_at "$at_screen_bottom"

e2e_step "expect the panels whole (alpha) while the compositor runs"
e2e_expect_while_running 5 "no shape mask" shapes_are whole
e2e_step "stop the compositor and expect shape masks within 2 s (not at the next 5 s poll)"
kill "$compositor"
wait "$compositor" 2>/dev/null || true
e2e__untrack "$compositor"
e2e_expect_while_running 2 "shape masks" shapes_are masked
e2e_step "start the compositor again and expect the masks gone within 2 s"
xcompmgr >"$E2E_WORK/xcompmgr-2.log" 2>&1 &
compositor=$!
e2e_track "$compositor"
e2e_expect_while_running 2 "no shape mask" shapes_are whole
e2e_screenshot screens-composited.png

e2e_kill_app TERM 5 || e2e_fail "still running 5 s after SIGTERM"
[[ $E2E_APP_STATUS == 0 ]] || e2e_fail "exit status $E2E_APP_STATUS after SIGTERM, expected 0"
