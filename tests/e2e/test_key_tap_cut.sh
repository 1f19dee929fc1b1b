#!/usr/bin/env bash
# Presses the X server sent before a quit cut the program's X connections are counted: the
# program may be held inside a request to a stopped server while they wait unread in the key
# tap's connection. Through key_tap_probe, built beside the program, which reads nothing until
# the cut.
# Usage: test_key_tap_cut.sh <path-to-tuftle>
# shellcheck source-path=SCRIPTDIR
E2E_TRAY=none
source "$(dirname "$0")/lib.sh"

program=$(e2e_program_argument "$@")
probe=$(dirname "$program")/key_tap_probe
[[ -x $probe && -f $probe ]] || e2e_fail "not an executable: $probe (build the key_tap_probe target)"
command -v xdotool >/dev/null 2>&1 || e2e_fail "missing tool: xdotool (run scripts/install-deps)"

e2e_setup

e2e_step "start a key tap that reads nothing until the cut"
e2e_start_app "$probe"
e2e_expect_while_running 10 "the tap listening" grep -q '^listening$' "$E2E_APP_STDOUT"

readonly typed=keytap
e2e_step "type ${#typed} keys; the server has sent them once it answers a request made after"
xdotool type --delay 20 "$typed"
xprop -root _NET_SUPPORTING_WM_CHECK >/dev/null

e2e_step "cut the connections, read the tap out and expect ${#typed} presses"
kill -USR1 "$E2E_APP_PID"
e2e_wait_app_exit 15 || e2e_fail "the probe did not end within 15 s of the cut"
[[ $E2E_APP_STATUS == 0 ]] || e2e_fail "the probe ended with status $E2E_APP_STATUS"
counted=$(sed -n 's/^\([0-9]*\) presses$/\1/p' "$E2E_APP_STDOUT")
[[ $counted == "${#typed}" ]] || e2e_fail "counted ${counted:-nothing} of ${#typed} presses after the cut"
exit 0
