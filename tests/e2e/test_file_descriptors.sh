#!/usr/bin/env bash
# File descriptor limits: a start under a limit too low to run ends at once with one line that
# says so, shows no pets and makes no folder; a low limit that may be raised runs and counts
# every press; a limit lowered below what it holds open still lets it quit in order and save.
# Usage: test_file_descriptors.sh <path-to-tuftle>
source "$(dirname "$0")/lib.sh"
program=$(e2e_program_argument "$@")
command -v prlimit >/dev/null 2>&1 || e2e_fail "missing tool: prlimit (util-linux)"
e2e_setup

all_time_count() {
  local counts
  counts=$(python3 "$E2E_LIB_DIR/ledger_counts.py" "$HOME/.config/tuftle/defaults.plist") || return 1
  echo "${counts#* }"
}
count_is() { [[ $(all_time_count) == "$1" ]]; }
both_pets_shown() { [[ $(e2e_pet_window_ids | grep -c .) == 2 ]]; }

# Presses z until one is counted: then the tap listens. Leaves the count in `counted`.
wait_until_counting() {
  local tries
  for tries in 1 2 3 4; do
    xdotool key z
    e2e_wait_for 4 eval '(($(all_time_count) > 0))' && break
    e2e_app_running || e2e_fail "the program exited while waiting for key counting to start"
    ((tries < 4)) || e2e_fail "no key press was counted within 16 s"
  done
  counted=$(all_time_count)
}

# type_and_expect_counted <keys>: types them and waits until every one is stored.
type_and_expect_counted() {
  local before=$counted
  xdotool type --delay 30 "$1"
  counted=$((before + ${#1}))
  e2e_expect_while_running 10 "$counted presses stored" count_is "$counted"
}

for limit in 20 24 28; do
  e2e_step "start under a limit of $limit that cannot be raised: one line, a failure, no pets, no folder"
  e2e_start_app prlimit --nofile="$limit:$limit" "$program"
  e2e_wait_app_exit 5 || e2e_fail "still running 5 s after a start under a limit of $limit"
  ((E2E_APP_STATUS != 0 && E2E_APP_STATUS < 128)) ||
    e2e_fail "exit status $E2E_APP_STATUS under a limit of $limit, expected an ordinary failure"
  [[ $(grep -c '' "$E2E_APP_STDERR") == 1 ]] && grep -q "too few file descriptors.*limit of $limit" "$E2E_APP_STDERR" ||
    e2e_fail "expected one line about the descriptor limit, got: $(<"$E2E_APP_STDERR")"
  ! xwininfo -root -tree | grep -qi tuftle || e2e_fail "a window showed under a limit of $limit"
  [[ ! -e $HOME/.config/tuftle ]] || e2e_fail "a start under a limit of $limit made the settings folder"
done

e2e_defaults_set onboardingCompleted true # the welcome window would take the keys
e2e_defaults_set keyCountingEnabled true

e2e_step "start under a soft limit of 24 the hard limit of 1024 lets it raise: pets, and every press counted"
e2e_start_app prlimit --nofile=24:1024 "$program"
e2e_expect_while_running 10 "the pets" both_pets_shown
e2e_expect_while_running 10 "the tray icon" e2e_tray_icon_present
grep -q "Max open files *1024 *1024" "/proc/$E2E_APP_PID/limits" ||
  e2e_fail "the soft limit was not raised: $(grep 'open files' "/proc/$E2E_APP_PID/limits")"
wait_until_counting
type_and_expect_counted "abcdefghij"

# Below what it holds open, nothing new can be opened: not the file the last save writes, nor
# a wake-up of a thread. What the quit needs was held back for it.
e2e_step "lower its limit to 12, below what it holds open, and quit: it saves and ends in order"
prlimit --pid "$E2E_APP_PID" --nofile=12:12
e2e_kill_app TERM 5 || e2e_fail "still running 5 s after SIGTERM"
[[ $E2E_APP_STATUS == 0 ]] || e2e_fail "exit status $E2E_APP_STATUS after a quit under a lowered limit, expected 0"
e2e_defaults_is runtime.cleanExit true || e2e_fail "the quit under a lowered limit was not recorded as orderly"
count_is "$counted" || e2e_fail "$(all_time_count) presses stored, $counted typed"
! grep -qE "could not save|Too many open files|GLib-ERROR" "$E2E_APP_STDERR" || e2e_fail "the quit said: $(<"$E2E_APP_STDERR")"
exit 0
