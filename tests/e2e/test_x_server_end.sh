#!/usr/bin/env bash
# The X server ends under the program, as it does at logout on many desktops, while the tray
# panel is open and keys were just typed: the program leaves at once without a crash, with the
# presses and the clean-exit mark in the settings file. Three rounds, each on a new server, the
# server ended by SIGTERM (an orderly shutdown) or SIGKILL: the order in which the end tears
# things down varies from run to run.
# Usage: test_x_server_end.sh <path-to-tuftle>
# shellcheck source-path=SCRIPTDIR
source "$(dirname "$0")/lib.sh"

program=$(e2e_program_argument "$@")
command -v xdotool >/dev/null 2>&1 || e2e_fail "missing tool: xdotool (run scripts/install-deps)"

readonly typed=thequickbrownfoxjumpsoverthelazydog

# The all-time count the program has taken in: the last record of its key-count journal.
journal_total() {
  awk 'END { print $3 + 0 }' "$HOME/.config/tuftle/keystrokes.journal" 2>/dev/null
}
journal_reached() { (($(journal_total) >= $1)); }

# The all-time count in the settings file itself.
stored_total() {
  e2e_defaults_get keystrokeLedger | base64 -d | grep -o '"allTimeCount":[0-9]*' | cut -d: -f2
}

e2e_setup
e2e_defaults_set onboardingCompleted true
e2e_defaults_set automaticUpdateChecks false
e2e_defaults_set keyCountingEnabled true
expected=0
for round in 1 2 3; do
  if ((round > 1)); then
    e2e_step "round $round: a new X server, openbox and trayer"
    e2e_restart_desktop
  fi
  e2e_step "round $round: start, open the tray panel and type ${#typed} keys"
  e2e_start_app "$program"
  e2e_expect_while_running 10 "the tray icon in trayer" e2e_tray_icon_present
  e2e_expect_while_running 5 'runtime.cleanExit = false in defaults.plist' \
    e2e_defaults_is runtime.cleanExit false
  e2e_open_panel
  xdotool type --delay 20 "$typed"
  expected=$((expected + ${#typed}))
  e2e_expect_while_running 10 "$expected presses taken in" journal_reached "$expected"

  signal=$( ((round % 2)) && echo TERM || echo KILL)
  e2e_step "round $round: end the X server by SIG$signal; expect the program to end by itself, not by a signal"
  kill -"$signal" "$E2E_XVFB_PID"
  e2e_wait_app_exit 5 || e2e_fail "still running 5 s after the X server ended"
  ((E2E_APP_STATUS < 128)) || e2e_fail "ended by signal $((E2E_APP_STATUS - 128)) after the X server ended"
  e2e_defaults_is runtime.cleanExit true || e2e_fail "no clean-exit mark in the settings file"
  [[ $(stored_total) == "$expected" ]] ||
    e2e_fail "the settings file holds $(stored_total) presses, expected $expected"
done
