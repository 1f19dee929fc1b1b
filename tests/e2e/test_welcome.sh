#!/usr/bin/env bash
# A new user is greeted by the welcome window at the first start; going through its pages with
# Return records that, and the next start shows it no more.
# Usage: test_welcome.sh <path-to-tuftle>
source "$(dirname "$0")/lib.sh"

# The program's visible window titled as the welcome window at 540 x 420 (Qt keeps a small
# unmapped leader window of the same name).
welcome_window() {
  local id WIDTH HEIGHT
  for id in $(e2e_search --onlyvisible --pid "$E2E_APP_PID" --name 'Welcome to Tuftle|欢迎来到栗丸'); do
    eval "$(xdotool getwindowgeometry --shell "$id" 2>/dev/null)"
    if [[ $WIDTH == 540 && $HEIGHT == 420 ]]; then
      echo "$id"
      return 0
    fi
  done
  return 1
}
welcome_shown() { welcome_window >/dev/null; }
welcome_gone() { ! welcome_shown; }

e2e_setup

e2e_step "first start: the welcome window comes up"
e2e_start_app "$1"
e2e_expect_while_running 10 "the welcome window at 540 x 420" welcome_shown
window=$(welcome_window)
sleep 0.3 # its first paint
e2e_screenshot welcome-first-start.png

e2e_step "Return goes through the three pages and ends the welcome"
for page in 1 2 3; do
  xdotool windowactivate --sync "$window" key Return
  sleep 0.2
  ((page == 3)) || e2e_screenshot "welcome-page-$((page + 1)).png"
done
e2e_expect_while_running 5 "the welcome window closed" welcome_gone
e2e_expect_while_running 5 "onboardingCompleted = true" e2e_defaults_is onboardingCompleted true
e2e_kill_app TERM 5 || e2e_fail "the program did not end within 5 s of SIGTERM"

e2e_step "second start: no welcome window"
e2e_start_app "$1"
e2e_expect_while_running 10 "the tray icon in trayer" e2e_tray_icon_present
sleep 1.5 # three times the delay before the welcome window would come up
welcome_gone || e2e_fail "the welcome window came up again"
e2e_app_running || e2e_fail "the program ended on its own"
exit 0
