#!/usr/bin/env bash
# Key presses on a real X display are counted exactly, repeats are not, and nothing is counted
# while key counting is off. Counts are read back from the defaults after an orderly quit.
# Usage: test_key_counting.sh <path-to-tuftle>
source "$(dirname "$0")/lib.sh"

[[ $# -ge 1 ]] || e2e_fail "usage: $0 <path-to-tuftle>"
program=$1
[[ $program == /* ]] || program=$PWD/$program
[[ -x $program && -f $program ]] || e2e_fail "not an executable: $program"
command -v xdotool >/dev/null 2>&1 || e2e_fail "missing tool: xdotool (run scripts/install-deps)"

defaults_file() { echo "$HOME/.config/tuftle/defaults.plist"; }

ledger_counts() {
  python3 "$E2E_LIB_DIR/ledger_counts.py" "$(defaults_file)"
}

all_time_count() {
  local counts
  counts=$(ledger_counts) || return 1
  echo "${counts#* }"
}

# True once the stored all-time count is above $1.
count_above() {
  local n
  n=$(all_time_count) || return 1
  ((n > $1))
}

start_and_wait_until_ready() {
  e2e_step "start the program (run $((E2E_APP_RUNS + 1))) and wait for its tray icon"
  e2e_start_app "$program"
  e2e_expect_while_running 10 "the tray icon in trayer" e2e_tray_icon_present
  e2e_expect_while_running 5 'runtime.cleanExit = false in defaults.plist' \
    e2e_defaults_is runtime.cleanExit false
}

# Presses z until a press shows up on disk: then the tap is listening. A z pressed before it
# listened is never counted; one the program took up late (a busy start) may still be stored
# after the count was first seen. So the count first seen may yet grow by the presses before
# the last, which sets `unsettled` to their number.
unsettled=0
wait_until_counting() {
  local before=$1 tries
  for tries in 1 2 3 4; do
    xdotool key z
    unsettled=$((tries - 1))
    e2e_wait_for 4 count_above "$before" && return 0
    e2e_app_running || e2e_fail "the program exited while waiting for key counting to start"
  done
  e2e_fail "no key press was counted within 16 s"
}

# grown_by <before> <after> <presses>: whether the count grew by exactly the presses, give or
# take a z of wait_until_counting that was stored late.
grown_by() {
  local grown=$(($2 - $1))
  ((grown >= $3 && grown <= $3 + unsettled))
}

# True once the stored all-time count has reached $1.
count_reached() {
  local n
  n=$(all_time_count) || return 1
  ((n >= $1))
}

# quit_in_order [signal]: SIGTERM unless told.
quit_in_order() {
  local signal=${1:-TERM}
  e2e_step "send SIG$signal to run $E2E_APP_RUNS and expect exit status 0 within 5 s"
  e2e_kill_app "$signal" 5 || e2e_fail "still running 5 s after SIG$signal"
  [[ $E2E_APP_STATUS == 0 ]] || e2e_fail "exit status $E2E_APP_STATUS after SIG$signal, expected 0"
}

e2e_setup

# Key counting off: typing changes nothing.
e2e_step "store keyCountingEnabled = false and start"
e2e_defaults_set keyCountingEnabled false
start_and_wait_until_ready
e2e_step "type 12 characters and press a key with key counting off"
xdotool type --delay 30 "abcdefghijkl"
xdotool key z
# Nothing to wait for: an orderly quit takes up every press the X server still holds (the rows
# below show it), so a program counting while off would store these.
quit_in_order
counts=$(ledger_counts)
[[ $counts == "0 0" ]] || e2e_fail "counted with key counting off: today/all-time = $counts, expected 0 0"

# Key counting on: exactly one count per press, none for repeats.
e2e_step "store keyCountingEnabled = true and start"
e2e_defaults_set keyCountingEnabled true
start_and_wait_until_ready
e2e_step "press a key until the first press is counted"
wait_until_counting 0
read -r today_before all_before <<<"$(ledger_counts)"

readonly typed="thequickbrownfoxjumpsoverthelazydog"
e2e_step "type ${#typed} lower-case characters"
xdotool type --delay 25 "$typed"
e2e_step "hold a: keydown a three times, then keyup a"
xdotool keydown a
xdotool keydown a
xdotool keydown a
xdotool keyup a
expected=$((${#typed} + 1))
e2e_expect_while_running 10 "$expected more presses stored" count_reached $((all_before + expected))
quit_in_order

read -r today_after all_after <<<"$(ledger_counts)"
e2e_step "expect today's count and the all-time count to grow by $expected"
grown_by "$today_before" "$today_after" "$expected" ||
  e2e_fail "today's count grew by $((today_after - today_before)), expected $expected ($today_before -> $today_after)"
grown_by "$all_before" "$all_after" "$expected" ||
  e2e_fail "the all-time count grew by $((all_after - all_before)), expected $expected ($all_before -> $all_after)"
e2e_step "expect keyCountingEnabled still true after the quit"
e2e_defaults_is keyCountingEnabled true || e2e_fail "keyCountingEnabled is not true after the quit"

# Killed while typing: what reached the disk misses at most the last second of presses.
start_and_wait_until_ready
wait_until_counting "$all_after"
before=$(all_time_count)
e2e_step "type 150 characters, then kill -9 at once"
started=$(e2e__now_us)
xdotool type --delay 20 "$(printf 'abcdefghij%.0s' {1..15})"
per_second=$((150 * 1000000 / ($(e2e__now_us) - started)))
e2e_kill_app KILL 5 || e2e_fail "still running 5 s after SIGKILL"
lost=$((before + 150 - $(all_time_count)))
e2e_step "expect at most a second of presses ($per_second) and 3 more lost; lost $lost"
((lost <= per_second + 3)) || e2e_fail "$lost presses lost to kill -9, more than a second of typing"

# What the killed run left in the journal is in the settings file after the next run.
start_and_wait_until_ready
quit_in_order
e2e_step "expect the journal folded into the settings file: all-time count $((before + 150 - lost))"
[[ ! -s $HOME/.config/tuftle/keystrokes.journal ]] || e2e_fail "the journal is not empty after an orderly quit"
(($(all_time_count) == before + 150 - lost)) || e2e_fail "all-time count $(all_time_count) after the restart"

# Typed right before an orderly quit: every press is stored, those the program had not read yet
# when the signal came too. A command typed at a human pace, then bursts, by each signal.
readonly quit_rows=(
  "TERM 60 pkill tuftle"
  "TERM 1 $(printf 'qwertyuiop%.0s' {1..21})"
  "INT 1 $(printf 'asdfghjkl%.0s' {1..6})"
  "HUP 1 $(printf 'zxcvbnm%.0s' {1..6})"
)
for row in "${quit_rows[@]}"; do
  read -r signal delay text <<<"$row"
  start_and_wait_until_ready
  wait_until_counting "$(all_time_count)"
  before=$(all_time_count)
  e2e_step "type ${#text} characters and Return at $delay ms a key, then SIG$signal at once"
  xdotool type --delay "$delay" "$text"
  xdotool key Return
  quit_in_order "$signal"
  stored=$(all_time_count)
  grown_by "$before" "$stored" $((${#text} + 1)) ||
    e2e_fail "$((before + ${#text} + 1 - stored)) of $((${#text} + 1)) presses typed before SIG$signal not stored"
done

# A quit while the X server is stopped, as at a logout that meets a hung server: the program
# gives up waiting for it, stores the presses that reached it before, and ends in order. Rows:
# seconds the server stays stopped before the SIGTERM; after a few, the program is already held
# inside a request to it when the signal comes.
for stopped_for in 0 4; do
  start_and_wait_until_ready
  wait_until_counting "$(all_time_count)"
  before=$(all_time_count)
  typed_before_stop="stoppedserver"
  e2e_step "type ${#typed_before_stop} characters, stop the X server, SIGTERM ${stopped_for} s later"
  xdotool type --delay 25 "$typed_before_stop"
  xprop -root _NET_SUPPORTING_WM_CHECK >/dev/null # a round trip: the server has sent the presses on
  kill -STOP "$E2E_XVFB_PID"
  sleep "$stopped_for"
  stopped_quit=0
  e2e_kill_app TERM 5 || stopped_quit=$?
  kill -CONT "$E2E_XVFB_PID"
  ((stopped_quit == 0)) || e2e_fail "still running 5 s after SIGTERM with the X server stopped for ${stopped_for} s"
  [[ $E2E_APP_STATUS == 0 ]] ||
    e2e_fail "exit status $E2E_APP_STATUS after SIGTERM with the X server stopped for ${stopped_for} s, expected 0"
  e2e_defaults_is runtime.cleanExit true ||
    e2e_fail "the quit with the X server stopped for ${stopped_for} s is not marked as orderly"
  grown_by "$before" "$(all_time_count)" ${#typed_before_stop} ||
    e2e_fail "all-time count $(all_time_count) after the quit with the X server stopped for ${stopped_for} s, expected $((before + ${#typed_before_stop}))"
done
