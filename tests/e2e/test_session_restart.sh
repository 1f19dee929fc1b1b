#!/usr/bin/env bash
# Under an XSMP session manager, as on a desktop that restores the last session at login: each
# save tells the manager to start the program again with the session while "launch at login" is
# off, and never while the autostart entry starts it anyway (a second start would only find the
# first one running); a save in the middle of the session leaves the program running, and the
# manager's word at logout ends it in order. The command the program registered starts it again
# as a plain start does. A login that restores an older session and runs the autostart entry too,
# in either order, runs one program with its pets and opens no panel; the entry an older version
# wrote is brought to that on the first start; a plain start still opens the panel. A start at
# login that finds the program stopped says so in its log, not in a window.
source "$(dirname "$0")/lib.sh"
program=$(e2e_program_argument "$@")
manager=$(dirname "$program")/session_manager
[[ -x $manager && -f $manager ]] || e2e_fail "not an executable: $manager (build the session_manager target)"
e2e_setup
e2e_defaults_set onboardingCompleted true # the welcome window is not what this is about

readonly restart_if_running=0 restart_never=3
autostart_entry=$HOME/.config/autostart/tuftle.desktop

pets_shown() { [[ -n $(e2e_pet_window_ids) ]]; }
saves() { grep -c '^saved ' "$E2E_WORK/manager.out" || true; }
last_save() { grep '^saved ' "$E2E_WORK/manager.out" | tail -n 1; }
# checkpoint <hint>: the manager saves the session; the program answers with <hint> and its
# restart command, and goes on running.
checkpoint() {
  local before hint command
  before=$(saves)
  echo save >"$E2E_WORK/manager.in"
  e2e_expect_while_running 10 "the program to finish saving" eval '(($(saves) > before))'
  read -r _ hint command < <(last_save)
  ((hint == $1)) || e2e_fail "the restart hint is $hint, expected $1"
  [[ $command =~ ^$program\ -session\ [^\ ]+$ ]] || e2e_fail "the restart command is \"$command\""
  e2e_app_running || e2e_fail "the program ended after a save in the middle of the session"
}

e2e_step "start a session manager"
mkfifo "$E2E_WORK/manager.in"
"$manager" <>"$E2E_WORK/manager.in" >"$E2E_WORK/manager.out" 2>"$E2E_WORK/manager.log" &
e2e_track $!
e2e_wait_for 10 grep -q '^SESSION_MANAGER=' "$E2E_WORK/manager.out" || e2e_fail "the session manager gave no address"
SESSION_MANAGER=$(sed -n 's/^SESSION_MANAGER=//p' "$E2E_WORK/manager.out")
export SESSION_MANAGER

e2e_step "start the program: it joins the session and says it comes back with it"
e2e_start_app "$program"
e2e_expect_while_running 10 "the pets" pets_shown
e2e_expect_while_running 10 "the program's first save" eval '(($(saves) == 1))'
checkpoint $restart_if_running

e2e_step "with the autostart entry in place, the session does not start it again"
mkdir -p "$(dirname "$autostart_entry")"
printf '[Desktop Entry]\nType=Application\nName=Tuftle\nExec=%s\n' "$program" >"$autostart_entry"
checkpoint $restart_never
rm "$autostart_entry"
checkpoint $restart_if_running
read -r _ _ command < <(last_save)
session_id=${command##* }
session_id=${session_id%%_*}

e2e_step "the session ends: the program quits in order"
echo die >"$E2E_WORK/manager.in"
e2e_wait_app_exit 10 || e2e_fail "still running 10 s after the session manager told it to die"
[[ $E2E_APP_STATUS == 0 ]] || e2e_fail "exit status $E2E_APP_STATUS after the session ended, expected 0"
e2e_defaults_is runtime.cleanExit true || e2e_fail "runtime.cleanExit is not true after the session ended"

# Every pet window on the screen, of any program: a second copy would add its own.
all_pet_windows() {
  xwininfo -root -children | awk -v size=" $((52 + 2 * E2E_PET_MARGIN))x" 'index($0, size) { print $1 }' |
    while read -r id; do if xwininfo -id "$id" 2>/dev/null | grep -q IsViewable; then echo "$id"; fi; done | sort
}
# start_unasked <command...>: a start the user did not ask for, while the program runs: it ends
# at once with status 0 and says nothing, and the program goes on alone, with its pets and no
# panel, once it has taken a save after that start's call.
start_unasked() {
  local status=0
  timeout 10 "$@" >"$E2E_WORK/unasked.out" 2>&1 || status=$?
  [[ $status == 0 && ! -s $E2E_WORK/unasked.out ]] ||
    e2e_fail "\"$*\" ended with status $status and said: $(<"$E2E_WORK/unasked.out")"
  checkpoint $restart_never
  ! e2e_panel_open || e2e_fail "\"$*\" opened the running program's panel"
  pets_shown || e2e_fail "the program's pets are gone"
  [[ $(all_pet_windows) == "$(e2e_pet_window_ids | sort)" ]] || e2e_fail "pets of another program are shown"
}

e2e_step "login restores the session with the registered command ($command); the entry is an older version's"
printf '[Desktop Entry]\nType=Application\nName=Tuftle\nExec="%s"\n' "$program" >"$autostart_entry"
read -r -a words <<<"$command"
e2e_start_app "${words[@]}"
e2e_expect_while_running 10 "the pets" pets_shown
e2e_expect_while_running 10 "the tray icon in trayer" e2e_tray_icon_present
e2e_expect_while_running 10 "the program back in its session" grep -q " $session_id\$" "$E2E_WORK/manager.out"
e2e_expect_while_running 10 "the autostart entry's start marked" \
  grep -qx "Exec=\"$program\" --autostart" "$autostart_entry"
# The entry's words, as the desktop splits them: ours need no more than quotes.
mapfile -t autostart < <(sed -n 's/^Exec=//p' "$autostart_entry" | xargs printf '%s\n')

e2e_step "then the autostart entry's start (${autostart[*]}): the one program goes on, no panel"
start_unasked "${autostart[@]}"
e2e_kill_app TERM 5 || e2e_fail "still running 5 s after SIGTERM"
[[ $E2E_APP_STATUS == 0 ]] || e2e_fail "exit status $E2E_APP_STATUS after SIGTERM, expected 0"

e2e_step "the other way round: the autostart entry's start first, then the session's"
# shellcheck disable=SC2034 # read by the eval below
before=$(saves)
e2e_start_app "${autostart[@]}"
e2e_expect_while_running 10 "the pets" pets_shown
e2e_expect_while_running 10 "the tray icon in trayer" e2e_tray_icon_present
e2e_expect_while_running 10 "the program's first save, new to the session" eval '(($(saves) > before))'
start_unasked "${words[@]}"

e2e_step "while the program is stopped, the autostart entry's start says why on its standard error, and shows no window"
kill -STOP "$E2E_APP_PID"
status=0
timeout 20 "${autostart[@]}" >"$E2E_WORK/stopped.out" 2>&1 || status=$?
kill -CONT "$E2E_APP_PID"
[[ $status == 1 ]] && grep -q "it did not answer within 5 s" "$E2E_WORK/stopped.out" ||
  e2e_fail "the start ended with status $status and said: $(<"$E2E_WORK/stopped.out")"

e2e_step "a plain start, as from a terminal or the launcher, opens the panel"
timeout 10 "$program" >"$E2E_WORK/plain.out" 2>&1 || e2e_fail "the plain start failed: $(<"$E2E_WORK/plain.out")"
e2e_expect_while_running 5 "the panel" e2e_panel_open
e2e_kill_app TERM 5 || e2e_fail "still running 5 s after SIGTERM"
[[ $E2E_APP_STATUS == 0 ]] || e2e_fail "exit status $E2E_APP_STATUS after SIGTERM, expected 0"
