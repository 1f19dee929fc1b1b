#!/usr/bin/env bash
# A program stopped at any moment (Ctrl+Z in its terminal, a debugger, kill -STOP) never stops
# another program's display: while another client raises its windows, the program is stopped
# right after it wakes for a raise, again and again, and a third client always gets an answer
# from the X server while it is stopped. A menu that opens while it is stopped, in the middle of
# placing the pets or not, stays over them.
# Usage: test_stopped_program.sh <path-to-tuftle>
# shellcheck source-path=SCRIPTDIR
source "$(dirname "$0")/lib.sh"

program=$(e2e_program_argument "$@")
raiser=$(dirname "$program")/raising_windows
[[ -x $raiser && -f $raiser ]] || e2e_fail "not an executable: $raiser (build the raising_windows target)"

pets_shown() { [[ $(e2e_pet_window_ids | wc -l) == 2 ]]; }

e2e_setup
e2e_defaults_set onboardingCompleted true # only the pets on the screen
e2e_step "start the program and wait for the pets"
e2e_start_app "$program"
e2e_expect_while_running 10 "the pets on the desktop" pets_shown

e2e_step "another client raises its windows; the program is stopped 60 times right after it wakes for one"
# shellcheck disable=SC2046 # one argument a pet window
"$raiser" 10 100 "$E2E_APP_PID" 60 $(e2e_pet_window_ids) >"$E2E_WORK/raiser.log" 2>&1 &
raiser_pid=$!
e2e_track "$raiser_pid"
status=0
wait "$raiser_pid" || status=$?
e2e__untrack "$raiser_pid"
kill -CONT "$E2E_APP_PID" 2>/dev/null || true
((status == 0)) || e2e_fail "$(tail -n 1 "$E2E_WORK/raiser.log") (status $status)"

e2e_step "the program still runs, with both pets shown"
e2e_app_running || e2e_fail "the program ended"
e2e_expect_while_running 5 "the pets on the desktop" pets_shown
