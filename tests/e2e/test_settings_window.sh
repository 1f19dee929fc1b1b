#!/usr/bin/env bash
# The settings window opened from the tray panel's settings button: one 920 x 640 window, raised
# again (never a second copy) by a second press; the sidebar walks through the pages, and each
# page is kept as a screenshot in both interface languages. Turning the mouse wheel over the
# behaviour page's pickers and sliders scrolls the page and stores nothing.
# Usage: test_settings_window.sh <path-to-tuftle>
source "$(dirname "$0")/lib.sh"
program=$1
e2e_setup

for language in simplifiedChinese english; do
  e2e_defaults_set onboardingCompleted true
  e2e_defaults_set appLanguageChoice "$language"
  e2e_step "in $language: the panel's settings button opens the settings window"
  e2e_start_app "$program"
  e2e_expect_while_running 10 "the tray icon" e2e_tray_icon_present
  e2e_open_settings
  e2e_open_settings
  e2e_settings_open || e2e_fail "a second press made a second settings window"
  for page in home:0 behavior:1 actions:2 menuBar:6 about:8; do
    e2e_show_settings_page "${page#*:}"
    sleep 0.4
    e2e_screenshot "settings-window-${page%:*}-${language}.png"
  done
  if [[ $language == english ]]; then
    e2e_step "the wheel over the behaviour page's pickers and sliders changes none of them"
    e2e_show_settings_page 1
    read -r wx wy < <(e2e_window_origin 920x640)
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
