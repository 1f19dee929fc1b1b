#!/usr/bin/env bash
# A StatusNotifierWatcher runs but no host shows its items (a panel's tray gone, its watcher
# kept): the program takes the item's registration for no tray and says so in its window.
E2E_TRAY=later
source "$(dirname "$0")/lib.sh"
program=$(e2e_program_argument "$@")
watcher=$(dirname "$program")/sni_watcher
[[ -x $watcher && -f $watcher ]] || e2e_fail "not an executable: $watcher (build the sni_watcher target)"
e2e_setup
e2e_defaults_set onboardingCompleted true # the welcome window would take the activation

e2e_step "start a watcher without a host, then the program"
"$watcher" >"$E2E_WORK/watcher.out" 2>&1 &
e2e_track $!
e2e_wait_for 10 grep -q ready "$E2E_WORK/watcher.out" || e2e_fail "the stand-in watcher did not start"
e2e_start_app "$program"
e2e_expect_while_running 10 "the pets" e2e_pet_window_ids
items() {
  dbus-send --session --print-reply=literal --dest=org.kde.StatusNotifierWatcher /StatusNotifierWatcher \
    org.freedesktop.DBus.Properties.Get string:org.kde.StatusNotifierWatcher string:RegisteredStatusNotifierItems
}
e2e_expect_while_running 5 "the item registered with the watcher" eval 'items | grep -q StatusNotifierItem'
e2e_expect_while_running 15 "the window that says there is no tray" \
  e2e_search --onlyvisible --name '^Tuftle found no tray on this desktop$'
