#!/usr/bin/env bash
# The desktop's kdeglobals, read at start for its animation setting, as no program can read it:
# a FIFO no one writes to, a link to an endless device. The program starts all the same, shows
# its tray icon and ends at SIGTERM, so the next start finds no instance left running.
# Usage: test_desktop_files.sh <path-to-tuftle>
# shellcheck source-path=SCRIPTDIR
source "$(dirname "$0")/lib.sh"
program=$(e2e_program_argument "$@")

e2e_setup
e2e_defaults_set onboardingCompleted true
e2e_defaults_set automaticUpdateChecks false
kdeglobals=$HOME/.config/kdeglobals

for kind in FIFO "link to /dev/zero"; do
  rm -f "$kdeglobals"
  case $kind in
    FIFO) mkfifo "$kdeglobals" ;;
    *) ln -s /dev/zero "$kdeglobals" ;;
  esac
  e2e_step "kdeglobals is a $kind: the program starts and shows its tray icon"
  e2e_start_app "$program"
  e2e_expect_while_running 10 "the tray icon" e2e_tray_icon_present
  e2e_step "it ends at SIGTERM, its clean-exit mark set"
  e2e_kill_app TERM 5 || e2e_fail "still running 5 s after SIGTERM"
  [[ $E2E_APP_STATUS == 0 ]] || e2e_fail "ended with status $E2E_APP_STATUS"
  e2e_defaults_is runtime.cleanExit true || e2e_fail "no clean-exit mark after SIGTERM"
done
[[ -p $kdeglobals || -L $kdeglobals ]] || e2e_fail "kdeglobals was changed"
