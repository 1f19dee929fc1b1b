#!/usr/bin/env bash
# The top edge as the pets' home on a real X display with openbox, a 40-pixel taskbar along the
# bottom and a 30-pixel panel along the top (beside the tray): "Top edge" on the home page brings
# both pets up to hang below the top panel, nothing of them drawn over it; "Automatic" brings
# them back to the taskbar. With the top stored as their home and Qt's scale factor 2, they start
# there, hanging below the top panel in the same way.
# Usage: test_top_home.sh <path-to-tuftle>
# shellcheck source-path=SCRIPTDIR
source "$(dirname "$0")/lib.sh"

program=$(e2e_program_argument "$@")
panel=$(dirname "$program")/bottom_panel
[[ -x $panel && -f $panel ]] || e2e_fail "not an executable: $panel (build the test helpers)"

# The top panel leaves the tray at the top right uncovered. The work area's top is at y = 30: the
# pets hang 34 of their 52 points below it, 32 points either side of the screen's centre.
readonly top_colour=4A3B2C
readonly top_homes="582,12 646,12"

workarea_is() {
  [[ $(xprop -root _NET_WORKAREA 2>/dev/null) == *"= $1,"* ]]
}

# pets_at <scale> <"x,y x,y">: the pets' corners in pixels, in pet panel windows of that scale.
pets_at() {
  local size=$(((52 + 2 * E2E_PET_MARGIN) * $1)) id found=()
  for id in $(xwininfo -root -children | awk -v s=" ${size}x${size}+" '$1 ~ /^0x/ && index($0, s) { print $1 }'); do
    xprop -id "$id" _NET_WM_PID | grep -q "= $E2E_APP_PID\$" || continue
    found+=("$(xwininfo -id "$id" | awk -v m=$((E2E_PET_MARGIN * $1)) \
      '/Absolute upper-left X/ { x = $NF + m } /Absolute upper-left Y/ { y = $NF + m } END { print x "," y }')")
  done
  [[ $(printf '%s\n' "${found[@]}" | sort | paste -sd' ') == "$2" ]]
}

# hanging <name.png> <side> <x...>: a screenshot NAME in which, at each x, the pet's square of
# that side below the top panel holds a drawing and the panel above it shows nothing but its own
# colour; what is amiss in NOT_HANGING otherwise.
hanging() {
  local shot=$E2E_ARTIFACTS/$1 side=$2 x colours first
  shift 2
  e2e_screenshot "${shot##*/}"
  for x in "$@"; do
    read -r colours first <<<"$(convert "$shot" -crop "$side""x30+$x+0" +repage -format '%k %[hex:p{0,0}]' info:)"
    [[ $colours == 1 && ${first:0:6} == "$top_colour" ]] || {
      NOT_HANGING="the pet at x=$x shows over the top panel ($colours colours, first $first)"
      return 1
    }
    colours=$(convert "$shot" -crop "$side""x$side+$x+30" +repage -format '%k' info:)
    ((colours > 8)) || {
      NOT_HANGING="no pet drawn below the top panel at x=$x ($colours colours)"
      return 1
    }
  done
}
# expect_hanging <name.png> <side> <x...>: hanging, once the pets have come down out of their
# homes, which they do after their windows are in place.
expect_hanging() {
  e2e_wait_for 10 hanging "$@" || e2e_fail "$NOT_HANGING"
}

# picker_rows X: the middle (window y) of each home picker row whose segment at window x X is the
# selected one, found by the selected segment's tint down that column of the window.
picker_rows() {
  local shot=$E2E_WORK/pickers.png
  import -window root "$shot"
  convert "$shot" -crop "1x640+$((wx + $1))+$wy" +repage -depth 8 txt:- | awk '
    BEGIN { start = -1 }
    NR > 1 && $3 == "#BFD3DF" {
      split($1, p, /[,:]/)
      # a label crossing the column leaves short gaps inside one segment
      if (start >= 0 && p[2] > last + 12) { print int((start + last) / 2); start = -1 }
      if (start < 0) start = p[2]
      last = p[2]
    }
    END { if (start >= 0) print int((start + last) / 2) }'
}

# choose <Auto|Top edge>: that segment of both pets' home pickers, with the page scrolled to them.
choose() {
  local wx wy column selected rows y
  read -r wx wy < <(e2e_window_origin 920x640)
  column=$([[ $1 == Auto ]] && echo 670 || echo 744)
  selected=$([[ $1 == Auto ]] && echo 744 || echo 670)
  xdotool mousemove $((wx + 500)) $((wy + 400))
  for _ in $(seq 30); do xdotool click 5; done # to the page's end,
  xdotool click 4 click 4                       # then back up to the home card
  two_pickers() { rows=$(e2e_steady picker_rows "$selected") && [[ $(wc -w <<<"$rows") == 2 ]]; }
  e2e_wait_for 5 two_pickers ||
    e2e_fail "found no two home pickers with the other choice selected (rows: ${rows//$'\n'/ })"
  for y in $rows; do xdotool mousemove $((wx + column)) $((wy + y)) click 1 sleep 0.2; done
}

e2e_setup
e2e_defaults_set onboardingCompleted true
e2e_defaults_set appLanguageChoice english
e2e_start_taskbar "$panel" "#1D2B36"
e2e_step "start a 30-pixel panel along the top, left of the tray"
"$panel" --top 30 "#$top_colour" 0 1000 >"$E2E_WORK/top-panel.log" 2>&1 &
e2e_track $!
e2e_wait_for 10 workarea_is "0, 30, 1280, 730" || e2e_fail "the work area never left out the top panel"

e2e_step "start the program and expect the pets by the taskbar"
e2e_start_app "$program"
e2e_expect_while_running 10 "the tray icon" e2e_tray_icon_present
e2e_expect_while_running 10 "two pets at $E2E_PET_HOMES" e2e_pet_windows_are "$E2E_PET_HOMES"

e2e_step "choose \"Top edge\" for both pets: they hang below the top panel"
e2e_open_settings
choose "Top edge"
e2e_expect_while_running 5 "two pets at $top_homes" e2e_pet_windows_are "$top_homes"
expect_hanging top-home.png 52 582 646

e2e_step "choose \"Automatic\" for both: back by the taskbar"
choose Auto
e2e_expect_while_running 5 "two pets at $E2E_PET_HOMES" e2e_pet_windows_are "$E2E_PET_HOMES"
e2e_kill_app TERM 5 || e2e_fail "still running 5 s after SIGTERM"

e2e_step "with the top stored and scale factor 2, the pets start hanging below the top panel"
python3 - "$HOME/.config/tuftle/defaults.plist" <<'EOF'
import plistlib, sys
with open(sys.argv[1], "rb") as f:
    values = plistlib.load(f)
values["homePreferences"] = ["notch", "notch"]
with open(sys.argv[1], "wb") as f:
    plistlib.dump(values, f, fmt=plistlib.FMT_XML)
EOF
QT_SCALE_FACTOR=2 e2e_start_app "$program"
# In points the screen is 640 x 400 and the top panel 15 high: a pet's corner 3 points above the
# screen's top, 58 points left and 6 right of its centre.
e2e_expect_while_running 10 "two pets at 524,-6 652,-6" pets_at 2 "524,-6 652,-6"
expect_hanging top-home-scale2.png 104 524 652
e2e_kill_app TERM 5 || e2e_fail "still running 5 s after SIGTERM"
