#!/usr/bin/env bash
# The settings window opened from the tray panel's settings button: one 920 x 640 window, raised
# again (never a second copy) by a second press; the sidebar walks through the pages, and each
# page is kept as a screenshot in both interface languages. Turning the mouse wheel over the
# behaviour page's pickers and sliders scrolls the page and stores nothing.
# Usage: test_settings_window.sh <path-to-tuftle>
source "$(dirname "$0")/lib.sh"
program=$1
e2e_setup

# "X Y" of each viewable window of the program of the given size.
window_origin() {
  local id info
  for id in $(xdotool search --onlyvisible --pid "$E2E_APP_PID" --classname tuftle 2>/dev/null); do
    info=$(xwininfo -id "$id" 2>/dev/null) || continue
    awk -v size="$1" '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
      /Width:/ { w = $NF } /Height:/ { h = $NF } END { if (w "x" h == size) print x, y }' <<<"$info"
  done
}
panel_open() { [[ -n $(window_origin 382x426) ]]; }
settings_open() { [[ $(window_origin 920x640 | wc -l) == 1 ]]; }

open_settings() {
  read -r x y w h < <(xwininfo -id "$E2E_TRAY_ICON_WINDOW" |
    awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
         /Width/ { w = $NF } /Height/ { h = $NF } END { print x, y, w, h }')
  xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 1
  e2e_expect_while_running 5 "the panel" panel_open
  read -r px py < <(window_origin 382x426 | head -n 1)
  xdotool mousemove $((px + 40)) $((py + 426 - 17)) click 1 # the footer's settings button
  e2e_expect_while_running 5 "one settings window" settings_open
}

for language in simplifiedChinese english; do
  e2e_defaults_set onboardingCompleted true
  e2e_defaults_set appLanguageChoice "$language"
  e2e_step "in $language: the panel's settings button opens the settings window"
  e2e_start_app "$program"
  e2e_expect_while_running 10 "the tray icon" e2e_tray_icon_present
  open_settings
  open_settings
  settings_open || e2e_fail "a second press made a second settings window"
  read -r wx wy < <(window_origin 920x640)
  # The page list's rows are 36 high, 6 apart, the first centred 90 below the top.
  for page in home:0 behavior:1 actions:2 menuBar:6 about:8; do
    xdotool mousemove $((wx + 100)) $((wy + 90 + 42 * ${page#*:})) click 1
    sleep 0.4
    e2e_screenshot "settings-window-${page%:*}-${language}.png"
  done
  if [[ $language == english ]]; then
    e2e_step "the wheel over the behaviour page's pickers and sliders changes none of them"
    xdotool mousemove $((wx + 100)) $((wy + 90 + 42)) click 1
    for x in 560 800; do # over the sliders, then over the pickers and segmented rows
      xdotool mousemove $((wx + x)) $((wy + 400))
      for notch in 5 5 5 5 5 5 4 4 4 4 4 4; do xdotool click "$notch"; done
    done
  fi
  e2e_kill_app TERM 5 || e2e_fail "the program did not end within 5 s of SIGTERM"
  for key in activityLevel activityTunings dragStayDuration; do
    ! e2e_defaults_get "$key" >/dev/null || e2e_fail "the wheel changed $key"
  done
done
exit 0
