#!/usr/bin/env bash
# A pet panel window on a real X display with openbox, through panel_probe built beside the
# program: its moves reach the server but not Qt, it comes back where it is placed after being
# put away, a resize after moves lands where a fresh panel would, its small moves shift the drawing
# inside the window while large ones move the window, nothing of it shows beyond its clip at any
# moment of a move, and it rises over a new window but stays under our dialog in front
# with the window manager and, once that has crashed, without one. The pointer is read where the
# server has it. The tray's panel stays open
# when Qt learns only after it opened that one of the program's windows lost the focus, and when
# it hands on only after it opened a press made before on one of them.
# Usage: test_panel_window.sh <path-to-tuftle>
# shellcheck source-path=SCRIPTDIR
source "$(dirname "$0")/lib.sh"

program=$(e2e_program_argument "$@")
probe=$(dirname "$program")/panel_probe
[[ -x $probe && -f $probe ]] || e2e_fail "not an executable: $probe (build the panel_probe target)"

# Ends the openbox this test started, without a word to it.
kill_openbox() {
  local pid
  for pid in "${E2E_PIDS[@]}"; do
    [[ $(cat "/proc/$pid/comm" 2>/dev/null) == openbox ]] || continue
    kill -KILL "$pid" && { wait "$pid" 2>/dev/null || true; } && e2e__untrack "$pid"
    return 0
  done
  return 1
}

probe_asks_for_the_end() {
  grep -q '^waiting for the window manager to end' "$E2E_APP_STDOUT"
}

E2E_TRAY=none e2e_setup
e2e_step "at scale factor 2: move, put away, resize, hop and clip a panel"
QT_SCALE_FACTOR=2 e2e_start_app "$probe" moves put-away resize hops edge
e2e_wait_app_exit 60 || e2e_fail "the probe did not end"
cat "$E2E_APP_STDOUT"
[[ $E2E_APP_STATUS == 0 ]] || e2e_fail "the probe ended with $E2E_APP_STATUS at scale 2 (its cases above)"
e2e_step "move, put away, resize, hop, clip and cover a panel, cover it by our dialog, read the pointer, open the tray's panel twice; then end openbox and cover it again"
e2e_start_app "$probe"
e2e_expect_while_running 60 "the probe at its last case" probe_asks_for_the_end
kill_openbox || e2e_fail "no openbox of ours to end"
e2e_wait_app_exit 30 || e2e_fail "the probe did not end"
cat "$E2E_APP_STDOUT"
[[ $E2E_APP_STATUS == 0 && $(grep -c '^ok ' "$E2E_APP_STDOUT") == 11 ]] ||
  e2e_fail "the probe ended with $E2E_APP_STATUS (its cases above)"
