#!/usr/bin/env bash
# The settings window opened from the tray panel's settings button: one 920 x 640 window, raised
# again (never a second copy) by a second press; the sidebar walks through the pages, and each
# page is kept as a screenshot in both interface languages. Turning the mouse wheel over the
# behaviour page's pickers and sliders, and over the home page's texts, scrolls the page and
# stores nothing. The window tells the window manager that it cannot be resized or maximized.
# Usage: test_settings_window.sh <path-to-tuftle>
source "$(dirname "$0")/lib.sh"
program=$1
e2e_setup

# page_shot FILE: the settings window's page column, right of the sidebar.
page_shot() {
  local wx wy
  read -r wx wy < <(e2e_window_origin 920x640)
  import -window root -crop "680x600+$((wx + 224))+$((wy + 20))" +repage "$E2E_WORK/$1"
}

# The page column's pixels, as a checksum.
page_pixels() {
  page_shot now.png && convert "$E2E_WORK/now.png" rgba:- | md5sum
}
# True once the page column differs from before.png in more than 2000 pixels; the count in CHANGED.
page_moved() {
  page_shot after.png
  CHANGED=$(compare -metric AE "$E2E_WORK/before.png" "$E2E_WORK/after.png" null: 2>&1 || true)
  ((${CHANGED%% *} > 2000))
}

# turn_wheel X Y BUTTON: five notches (button 4 up, 5 down) at X Y in the window, over a page at
# rest; fails unless the page moved under the pointer.
turn_wheel() {
  local wx wy
  read -r wx wy < <(e2e_window_origin 920x640)
  xdotool mousemove $((wx + $1)) $((wy + $2))
  e2e_expect_while_running 5 "the page at rest under the pointer" e2e_steady page_pixels
  page_shot before.png
  for _ in 1 2 3 4 5; do xdotool click "$3"; done
  e2e_wait_for 5 page_moved || e2e_fail "the wheel at $1,$2 moved the page by $CHANGED pixels"
}

# settings_window_hints: fails unless the window's size hints fix it at 920 x 640 and the window
# manager offers neither resizing nor maximizing.
settings_window_hints() {
  local id hints actions
  for id in $(e2e_search --onlyvisible --pid "$E2E_APP_PID" --classname tuftle); do
    xwininfo -id "$id" | grep -q 'Width: 920' || continue
    hints=$(xprop -id "$id" WM_NORMAL_HINTS)
    actions=$(xprop -id "$id" _NET_WM_ALLOWED_ACTIONS)
    grep -q 'minimum size: 920 by 640' <<<"$hints" && grep -q 'maximum size: 920 by 640' <<<"$hints" ||
      e2e_fail "the settings window's size hints are not fixed: $hints"
    ! grep -Eq 'MAXIMIZE|RESIZE' <<<"$actions" || e2e_fail "the window manager offers to resize it: $actions"
    return 0
  done
  e2e_fail "no settings window to look at"
}

for language in simplifiedChinese english; do
  e2e_defaults_set onboardingCompleted true
  e2e_defaults_set appLanguageChoice "$language"
  e2e_step "in $language: the panel's settings button opens the settings window"
  e2e_start_app "$program"
  e2e_expect_while_running 10 "the tray icon" e2e_tray_icon_present
  e2e_open_settings
  e2e_open_settings
  e2e_settings_open || e2e_fail "a second press made a second settings window"
  if [[ $language == english ]]; then
    e2e_step "the settings window has one size, which the window manager knows"
    settings_window_hints
  fi
  for page in home:0 behavior:1 actions:2 menuBar:6 about:8; do
    e2e_show_settings_page "${page#*:}"
    sleep 0.4
    e2e_screenshot "settings-window-${page%:*}-${language}.png"
  done
  if [[ $language == english ]]; then
    e2e_step "the wheel over the home page's title and margin scrolls it"
    e2e_show_settings_page 0
    turn_wheel 400 100 5
    e2e_screenshot settings-window-home-scrolled-english.png
    turn_wheel 226 300 4
    e2e_step "the wheel over the behaviour page's pickers and sliders scrolls it and changes none of them"
    e2e_show_settings_page 1
    turn_wheel 800 400 5 # over the pickers and segmented rows
    turn_wheel 560 400 4 # over the sliders
    e2e_expect_while_running 5 "the page at rest after the last notch" e2e_steady page_pixels
  fi
  e2e_kill_app TERM 5 || e2e_fail "the program did not end within 5 s of SIGTERM"
  for key in activityLevel activityTunings dragStayDuration; do
    ! e2e_defaults_get "$key" >/dev/null || e2e_fail "the wheel changed $key"
  done
done
exit 0
