#!/usr/bin/env bash
# Two monitors on one X screen with a taskbar on each in turn, then a compositor that quits and
# comes back. Usage: test_screens.sh <path-to-tuftle>
# shellcheck source-path=SCRIPTDIR
source "$(dirname "$0")/lib.sh"

program=$(realpath "${1:?usage: $0 <path-to-tuftle>}")
taskbar=$(dirname "$program")/bottom_panel

# start_taskbar <x> <width>: a 40-pixel taskbar along the bottom of that part of the screen, its
# pid in $taskbar_pid; waits until the window manager shows it.
start_taskbar() {
  local shown
  shown=$(grep -c '^0x' "$E2E_WORK/bottom_panel.log" 2>/dev/null) || true
  e2e_run_helper "$taskbar" 40 "#1D2B36" "$1" "$2"
  taskbar_pid=$E2E_STARTED
  e2e_wait_for 10 taskbar_shown $((shown + 1)) || e2e_fail "the taskbar along x $1-$(($1 + $2)) never showed"
}
# taskbar_shown <n>: the nth taskbar started has said which window it is, and that is shown.
taskbar_shown() {
  local id
  id=$(sed -n "$1p" "$E2E_WORK/bottom_panel.log") && [[ $id == 0x* ]] && xwininfo -id "$id" | grep -q IsViewable
}

# shapes_are <yes|no>: whether both pet panels have a shape mask.
shapes_are() {
  local id shaped=()
  for id in $(e2e_pet_window_ids); do
    xwininfo -shape -id "$id" | grep -q "No window shape defined" && shaped+=(no) || shaped+=(yes)
  done
  [[ ${shaped[*]} == "$1 $1" ]]
}

E2E_SCREEN_SIZE=2560x800 e2e_setup
e2e_step "split the screen into two monitors, the left one primary; a taskbar on the left one"
xrandr --setmonitor '*left' 1280/338x800/211+0+0 none
xrandr --setmonitor right 1280/338x800/211+1280+0 none
start_taskbar 0 1280 # along the bottom of the left monitor
e2e_run_helper xcompmgr
compositor=$E2E_STARTED
e2e_start_app "$program"
# The pets' homes are at the primary monitor's bottom centre, 30 of their 52 points out.
e2e_expect_while_running 10 "both pets at the taskbar's edge" e2e_pet_windows_are "$E2E_PET_HOMES"

e2e_step "move the taskbar to the right monitor: the pets go down to the screen's bottom"
e2e_stop_helper "$taskbar_pid"
start_taskbar 1280 1280
e2e_expect_while_running 10 "both pets at the screen's bottom" e2e_pet_windows_are "584,770 648,770"

e2e_step "with the compositor the panels have no mask; it quits and they have one"
e2e_expect_while_running 10 "no shape mask" shapes_are no
e2e_stop_helper "$compositor"
e2e_expect_while_running 10 "shape masks" shapes_are yes
e2e_step "the compositor comes back and the masks go"
e2e_run_helper xcompmgr
e2e_expect_while_running 10 "no shape mask" shapes_are no
e2e_screenshot screens-composited.png
