#!/usr/bin/env bash
# Settings live in the real defaults store: what a launch writes is on disk after an orderly quit,
# a changed setting survives a restart, and an unreadable store is kept aside while the program
# starts from its fallbacks.
# Usage: test_settings.sh <path-to-tuftle>
source "$(dirname "$0")/lib.sh"

[[ $# -ge 1 ]] || e2e_fail "usage: $0 <path-to-tuftle>"
program=$1
[[ $program == /* ]] || program=$PWD/$program
[[ -x $program && -f $program ]] || e2e_fail "not an executable: $program"

store=""

run_once() {
  e2e_step "start the program (run $((E2E_APP_RUNS + 1))) and quit it with SIGTERM"
  e2e_start_app "$program"
  e2e_expect_while_running 10 "the tray icon in trayer" e2e_tray_icon_present
  e2e_expect_while_running 5 'runtime.cleanExit = false in defaults.plist' e2e_defaults_is runtime.cleanExit false
  e2e_kill_app TERM 5 || e2e_fail "the program did not end within 5 s of SIGTERM"
  [[ $E2E_APP_STATUS == 0 ]] || e2e_fail "exit status $E2E_APP_STATUS after SIGTERM"
}

e2e_setup
store=$HOME/.config/tuftle/defaults.plist

run_once
e2e_step "the first launch wrote the model's launch keys"
e2e_defaults_is runtime.cleanExit true || e2e_fail "runtime.cleanExit is not true after SIGTERM"
e2e_defaults_get keyboardMilestoneV490Migrated >/dev/null || e2e_fail "the launch migration flag was not written"
e2e_defaults_get companionRecord >/dev/null || e2e_fail "the companion record was not written at launch"

e2e_step "a setting changed between runs survives the next run"
e2e_defaults_set petCount 1
e2e_defaults_set activityLevel lively
run_once
e2e_defaults_is petCount 1 || e2e_fail "petCount changed across a restart: $(e2e_defaults_get petCount)"
e2e_defaults_is activityLevel lively || e2e_fail "activityLevel changed across a restart: $(e2e_defaults_get activityLevel)"

e2e_step "an unreadable store is kept aside and the program starts from its fallbacks"
printf 'not a property list' >"$store"
run_once
grep -q "is unreadable" "$E2E_APP_STDERR" || e2e_fail "no line on stderr about the unreadable store"
aside=$(find "$(dirname "$store")" -name 'defaults.plist.corrupt-*' | head -n 1)
[[ -n $aside ]] || e2e_fail "the unreadable store was not kept aside"
[[ $(cat "$aside") == "not a property list" ]] || e2e_fail "the kept copy does not hold the original bytes"
e2e_defaults_is runtime.cleanExit true || e2e_fail "the fresh store was not written"
e2e_defaults_get petCount >/dev/null && e2e_fail "petCount survived in a store that was unreadable"
exit 0
