#!/usr/bin/env bash
# A tray that starts after the program said there is none (a panel slow at login): the icon
# docks in it, the window saying there is no tray closes by itself, and the program no longer
# counts the notice as given.
# Usage: test_tray_after_notice.sh <path-to-tuftle>
E2E_TRAY=none
source "$(dirname "$0")/lib.sh"
program=$(e2e_program_argument "$@")
e2e_setup
e2e_defaults_set onboardingCompleted true

notice_shown() { e2e_search --onlyvisible --name '^Tuftle found no tray on this desktop$' >/dev/null; }
notice_gone() { ! notice_shown; }
notice_forgotten() { ! e2e_defaults_get noTrayNoticeShown >/dev/null; }

e2e_step "start the program on a desktop without a tray"
e2e_start_app "$program"
e2e_expect_while_running 15 "the window that says there is no tray" notice_shown
e2e_expect_while_running 3 "the notice marked as shown" e2e_defaults_is noTrayNoticeShown true

e2e_step "a tray starts: the icon docks and the notice closes by itself"
e2e__start_tray
e2e_expect_while_running 10 "the tray icon" e2e_tray_icon_present
e2e_expect_while_running 5 "the notice closed" notice_gone
e2e_expect_while_running 5 "the notice no longer marked as shown" notice_forgotten
e2e_screenshot tray-after-notice.png

e2e_kill_app TERM 5 || e2e_fail "the program did not end within 5 s of SIGTERM"
exit 0
