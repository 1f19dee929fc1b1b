#!/usr/bin/env bash
# A settings window minimized by its title bar's button comes back whenever the program shows it:
# Settings in the tray panel, and in the panel a second start opens, restore it (no longer
# iconic, no longer hidden), raise it and give it the focus, also while it shows the achievement
# wall.
# Usage: test_minimized_windows.sh <path-to-tuftle>
source "$(dirname "$0")/lib.sh"
program=$(e2e_program_argument "$@")
e2e_setup
e2e_defaults_set onboardingCompleted true # the welcome window would take the activation

# Prints the id of the program's viewable settings window.
settings_window_id() {
  local id
  for id in $(e2e_search --onlyvisible --pid "$E2E_APP_PID" --classname tuftle); do
    xwininfo -id "$id" | grep -q 'Width: 920$' && echo "$id" && return 0
  done
  return 1
}

minimized() {
  xprop -id "$1" WM_STATE | grep -q 'window state: Iconic' &&
    xprop -id "$1" _NET_WM_STATE | grep -q _NET_WM_STATE_HIDDEN &&
    ! xwininfo -id "$1" | grep -q IsViewable
}

# Shown again in the normal state, and the window with the focus.
restored() {
  xprop -id "$1" WM_STATE | grep -q 'window state: Normal' &&
    ! xprop -id "$1" _NET_WM_STATE | grep -q _NET_WM_STATE_HIDDEN &&
    xwininfo -id "$1" | grep -q IsViewable &&
    [[ $(xprop -root _NET_ACTIVE_WINDOW | awk '{ print $NF }') == "$(printf '0x%x' "$1")" ]]
}

# minimize_then_open ID COMMAND...: minimizes the window, then opens the tray panel by COMMAND
# with the window still minimized. The program tries twice more to bring the window forward
# after it showed it; a try that comes late restores it again, and then it all starts over.
minimize_then_open() {
  local id=$1 tries
  shift
  for tries in 1 2 3 4 5; do
    xdotool windowminimize "$id"
    e2e_wait_for 2 minimized "$id" || continue
    "$@"
    e2e_expect_while_running 5 "the panel" e2e_panel_open
    minimized "$id" && return 0
    xdotool key Escape
    e2e_expect_while_running 5 "the panel to close" eval '! e2e_panel_open'
  done
  e2e_fail "the settings window did not stay minimized"
}

# A second start, which opens the tray panel of the running program.
start_again() {
  timeout 10 "$program" >"$E2E_WORK/again.out" 2>&1 || e2e_fail "the second start said: $(<"$E2E_WORK/again.out")"
}

# Clicks the settings button in the footer of the open tray panel.
settings_in_the_panel() {
  local px py
  read -r px py < <(e2e_window_origin 382x426 | head -n 1)
  xdotool mousemove $((px + 40)) $((py + 426 - 17)) click 1
}

e2e_step "start the program and open the settings window from the tray panel"
e2e_start_app "$program"
e2e_expect_while_running 10 "the tray icon" e2e_tray_icon_present
e2e_open_settings
id=$(settings_window_id)

e2e_step "minimize it, then Settings in the tray panel brings it back"
minimize_then_open "$id" e2e_open_panel
settings_in_the_panel
e2e_expect_while_running 5 "the same settings window restored and focused" restored "$id"

e2e_step "on the achievement wall: minimize it, then Settings in the panel of a second start"
e2e_show_settings_page 5
minimize_then_open "$id" start_again
settings_in_the_panel
e2e_expect_while_running 5 "the same settings window restored and focused" restored "$id"
sleep 0.3 # the first paint
e2e_screenshot minimized-wall-restored.png
e2e_settings_open || e2e_fail "more than one settings window"

e2e_kill_app TERM 5 || e2e_fail "the program did not end within 5 s of SIGTERM"
exit 0
