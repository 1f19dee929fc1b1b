#!/usr/bin/env bash
# The full-screen check on a real X display with openbox: a window that wmctrl makes full screen
# is seen as covering the screen, the same window as an ordinary one is not. The check is asked
# through fullscreen_probe, built beside the program.
# Usage: test_fullscreen.sh <path-to-tuftle>
# shellcheck source-path=SCRIPTDIR
source "$(dirname "$0")/lib.sh"

[[ $# -ge 1 ]] || e2e_fail "usage: $0 <path-to-tuftle>"
program=$1
[[ $program == /* ]] || program=$PWD/$program
probe=$(dirname "$program")/fullscreen_probe
[[ -x $probe && -f $probe ]] || e2e_fail "not an executable: $probe (build the fullscreen_probe target)"
command -v wmctrl >/dev/null 2>&1 || e2e_fail "missing tool: wmctrl (run scripts/install-deps)"

window_title="tuftle-fullscreen-probe-$$"

# Prints the check's answer. Its diagnostics (screens, front pid, the window list) join the
# window program's stderr, which the harness prints when the test fails.
ask() {
  local scale
  scale=$(e2e__to_ms "${TUFTLE_E2E_TIMEOUT_SCALE:-1}")
  timeout "$((10 * scale / 1000 + 1))" "$probe" ask 2>>"$E2E_APP_STDERR"
}

answer_is() {
  [[ $(ask) == "$1" ]]
}

window_listed() {
  wmctrl -l | grep -qF -- "$window_title"
}

window_is_active() {
  local active listed
  active=$(xprop -root _NET_ACTIVE_WINDOW) || return 1
  listed=$(wmctrl -l | awk -v t="$window_title" 'index($0, t) { print $1; exit }')
  [[ -n $listed && $active == *"$(printf '0x%x' "$((listed))")"* ]]
}

e2e_setup

e2e_step "open an ordinary window titled $window_title and make it the active one"
e2e_start_app "$probe" window "$window_title"
e2e_expect_while_running 10 "the window in openbox's client list" window_listed
wmctrl -a "$window_title"
e2e_expect_while_running 5 "the window to become active" window_is_active

e2e_step "expect an ordinary window not to count as full screen"
got=$(ask) || e2e_fail "the probe failed"
[[ $got == "not fullscreen" ]] || e2e_fail "an ordinary 640x400 window was taken for full screen ($got)"

e2e_step "make the window full screen with wmctrl and expect it to be detected"
wmctrl -r "$window_title" -b add,fullscreen
e2e_expect_while_running 5 "the check to answer fullscreen" answer_is fullscreen
e2e_screenshot fullscreen-window.png

e2e_step "take the window out of full screen and expect the check to follow"
wmctrl -r "$window_title" -b remove,fullscreen
e2e_expect_while_running 5 "the check to answer not fullscreen" answer_is "not fullscreen"

