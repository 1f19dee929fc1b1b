#!/usr/bin/env bash
# The pets on a real X display with openbox and a 40-pixel taskbar along the bottom: two pets at
# the taskbar's edge either side of the centre, with the part behind the edge left undrawn;
# hidden when the defaults say so; out of the way of a full-screen window.
# Usage: test_pets.sh <path-to-tuftle>
# shellcheck source-path=SCRIPTDIR
source "$(dirname "$0")/lib.sh"

[[ $# -ge 1 ]] || e2e_fail "usage: $0 <path-to-tuftle>"
program=$1
[[ $program == /* ]] || program=$PWD/$program
[[ -x $program && -f $program ]] || e2e_fail "not an executable: $program"
build_dir=$(dirname "$program")
taskbar=$build_dir/bottom_panel
probe=$build_dir/fullscreen_probe
for helper in "$taskbar" "$probe"; do
  [[ -x $helper && -f $helper ]] || e2e_fail "not an executable: $helper (build the test helpers)"
done
command -v wmctrl >/dev/null 2>&1 || e2e_fail "missing tool: wmctrl (run scripts/install-deps)"

# The screen is 1280 x 800 and the taskbar 40 high: its edge is at y = 760 from the top. A pet's
# home is 30 of its 52 points above that edge. The first pet sits 30 points left of the centre;
# Xvfb's screen is no laptop panel, so it counts as an external display, whose home for the
# second pet is 34 points right of the centre.
readonly taskbar_colour=1D2B36
readonly edge_y=760
readonly expected_pets="584,730 648,730"
# Each pet panel window has a transparent margin this wide around the pet's 52 points.
readonly pet_margin=24
readonly pet_window=$((52 + 2 * pet_margin))
window_title="tuftle-pets-fullscreen-$$"

# Prints "x,y" of the pet in every mapped pet panel window of the program, sorted.
pet_windows() {
  local id geometry props info
  xwininfo -root -children 2>/dev/null |
    awk -v size=" ${pet_window}x${pet_window}+" '$1 ~ /^0x/ && index($0, size) { print $1 }' |
    while read -r id; do
      props=$(xprop -id "$id" _NET_WM_PID 2>/dev/null) || continue
      [[ $props == *"= $E2E_APP_PID" ]] || continue
      info=$(xwininfo -id "$id" 2>/dev/null) || continue
      [[ $info == *"Map State: IsViewable"* ]] || continue
      geometry=$(awk -v m="$pet_margin" '/Absolute upper-left X/ { x = $NF + m } /Absolute upper-left Y/ { y = $NF + m } END { print x "," y }' <<<"$info")
      echo "$geometry"
    done | sort | paste -sd' '
}

pets_at_home() {
  [[ $(pet_windows) == "$expected_pets" ]]
}

no_pets_shown() {
  [[ -z $(pet_windows) ]]
}

workarea_leaves_out_the_taskbar() {
  local area
  area=$(xprop -root _NET_WORKAREA 2>/dev/null) || return 1
  [[ $area =~ =\ ([0-9]+),\ ([0-9]+),\ ([0-9]+),\ ([0-9]+) ]] || return 1
  ((BASH_REMATCH[2] + BASH_REMATCH[4] == edge_y))
}

# Sets a Boolean in the stored defaults, keeping the rest.
set_default_bool() {
  python3 - "$HOME/.config/tuftle/defaults.plist" "$1" "$2" <<'EOF'
import os, plistlib, sys
path, key, value = sys.argv[1], sys.argv[2], sys.argv[3] == "true"
values = {}
if os.path.exists(path):
    with open(path, "rb") as f:
        values = plistlib.load(f)
values[key] = value
os.makedirs(os.path.dirname(path), exist_ok=True)
with open(path, "wb") as f:
    plistlib.dump(values, f, fmt=plistlib.FMT_XML)
EOF
}

# "<number of colours> <first colour>" of a region of the screenshot.
region_colours() {
  convert "$1" -crop "$2" +repage -format '%k %[hex:p{0,0}]' info:
}

start_and_wait_until_ready() {
  e2e_step "start the program (run $((E2E_APP_RUNS + 1))) and wait for its tray icon"
  e2e_start_app "$program"
  e2e_expect_while_running 10 "the tray icon in trayer" e2e_tray_icon_present
}

quit_in_order() {
  e2e_step "quit run $E2E_APP_RUNS with SIGTERM"
  e2e_kill_app TERM 5 || e2e_fail "still running 5 s after SIGTERM"
  [[ $E2E_APP_STATUS == 0 ]] || e2e_fail "exit status $E2E_APP_STATUS after SIGTERM, expected 0"
}

window_listed() {
  wmctrl -l | grep -qF -- "$window_title"
}

e2e_setup

e2e_step "start a 40-pixel taskbar with a strut along the bottom"
"$taskbar" 40 "#$taskbar_colour" >"$E2E_WORK/taskbar.log" 2>&1 &
e2e_track $!
e2e_wait_for 10 workarea_leaves_out_the_taskbar || e2e_fail "the work area never left out the taskbar"

start_and_wait_until_ready
e2e_step "expect both pets at their homes: $expected_pets"
e2e_expect_while_running 10 "two pets at $expected_pets" pets_at_home
sleep 1.5 # the emergence from home plays out
e2e_screenshot pets-desktop.png
shot=$E2E_ARTIFACTS/pets-desktop.png

e2e_step "expect each pet drawn above the taskbar's edge and nothing of it below"
for x in 584 648; do
  read -r colours first <<<"$(region_colours "$shot" "52x22+$x+$edge_y")"
  [[ $colours == 1 && ${first:0:6} == "$taskbar_colour" ]] ||
    e2e_fail "the pet at x=$x shows below the taskbar's edge ($colours colours, first $first)"
  read -r colours first <<<"$(region_colours "$shot" "52x30+$x+730")"
  ((colours > 8)) || e2e_fail "no pet drawn above the taskbar at x=$x ($colours colours)"
done

e2e_step "make a window full screen and expect the pets gone within 2 s"
"$probe" window "$window_title" >"$E2E_WORK/probe.log" 2>&1 &
e2e_track $!
e2e_expect_while_running 10 "the window in openbox's client list" window_listed
wmctrl -a "$window_title"
wmctrl -r "$window_title" -b add,fullscreen
e2e_expect_while_running 2 "no pet shown over the full-screen window" no_pets_shown
e2e_step "take the window out of full screen and expect the pets back at home"
wmctrl -r "$window_title" -b remove,fullscreen
e2e_expect_while_running 4 "the pets back at $expected_pets" pets_at_home
quit_in_order

e2e_step "store petsVisible = false and start again"
set_default_bool petsVisible false
start_and_wait_until_ready
sleep 2
e2e_step "expect no pet on the screen"
no_pets_shown || e2e_fail "pets shown although petsVisible is false: $(pet_windows)"
e2e_defaults_is petsVisible false || e2e_fail "petsVisible is no longer false"
quit_in_order
