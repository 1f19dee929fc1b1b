#!/usr/bin/env bash
# A notice the program shows by itself comes up over the window the user types in and leaves it
# the keyboard: a Return typed then reaches that window and the notice stays open until the user
# turns to it. Once for the no-tray notice of a running program, once for the window of a start
# that cannot go on (a start at login or by the session manager comes while the user types).
E2E_TRAY=none
source "$(dirname "$0")/lib.sh"
program=$(e2e_program_argument "$@")
e2e_setup
e2e_defaults_set onboardingCompleted true # the welcome window would take the activation

typing_window=""
returns_typed=0

window_named() { e2e_search --onlyvisible --name "^$1\$" | head -n 1; }
typing_window_active() {
  [[ $(xprop -root _NET_ACTIVE_WINDOW | awk '{ print $NF }') == "$(printf '0x%x' "$typing_window")" ]]
}
# Whether the window manager stacks window $1 above the typing window.
stacked_above_typing_window() {
  local -a order
  read -r -a order < <(xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //; s/,//g')
  local i notice=-1 typing=-1
  for i in "${!order[@]}"; do
    ((order[i] == $1)) && notice=$i
    ((order[i] == typing_window)) && typing=$i
  done
  ((typing >= 0 && notice > typing))
}
returns_received() {
  (($(awk '/^KeyPress event/ { press = 1 } /^$/ { press = 0 } press && /keysym 0xff0d, Return/ { n++ }
      END { print n + 0 }' "$E2E_WORK/keys") == $1))
}

# Clicks into the typing window and waits until the window manager gives it the focus.
type_in_the_window() {
  xdotool mousemove 300 250 click 1
  e2e_wait_for 5 typing_window_active || e2e_fail "the typing window did not take the focus"
}

# e2e_step has been said; expects the window named $1 over the typing window, which keeps the
# focus and takes the Return typed next, with the window still shown after it.
expect_notice_leaves_the_keyboard() {
  local notice
  notice=$(window_named "$1")
  typing_window_active || e2e_fail "the window \"$1\" took the focus from the window the user types in"
  stacked_above_typing_window "$notice" || e2e_fail "the window \"$1\" came up under the typing window"
  returns_typed=$((returns_typed + 1))
  xdotool key Return
  e2e_wait_for 5 returns_received "$returns_typed" || e2e_fail "the Return typed did not reach the typing window"
  xwininfo -id "$notice" | grep -q IsViewable || e2e_fail "a Return typed elsewhere closed \"$1\""
}

e2e_step "open a window to type in, in front, with the keyboard"
xev -geometry 600x400+40+60 -name typing-window -event keyboard >"$E2E_WORK/keys" 2>/dev/null &
e2e_track $!
e2e_wait_for 10 window_named typing-window || e2e_fail "the typing window did not come up"
typing_window=$(window_named typing-window)
type_in_the_window

e2e_step "start the program on a desktop without a tray: the notice comes over the typing window"
e2e_start_app "$program"
e2e_expect_while_running 15 "the window that says there is no tray" window_named 'Tuftle found no tray on this desktop'
expect_notice_leaves_the_keyboard 'Tuftle found no tray on this desktop'
e2e_screenshot notice-without-focus.png

e2e_step "a click on the notice gives it the keyboard, and a Return there closes it"
read -r nx ny nw nh < <(xwininfo -id "$(window_named 'Tuftle found no tray on this desktop')" |
  awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF } /Width/ { w = $NF }
       /Height/ { h = $NF } END { print x, y, w, h }')
xdotool mousemove $((nx + nw / 2)) $((ny + 10)) click 1
e2e_expect_while_running 5 "the notice to take the focus" eval '! typing_window_active'
xdotool key Return
e2e_expect_while_running 5 "the notice to close" eval '! window_named "Tuftle found no tray on this desktop"'
e2e_kill_app TERM 5 || e2e_fail "still running 5 s after SIGTERM"

e2e_step "another program holds the settings folder's lock; start again while the user types"
# One process that holds the lock itself, so stopping it by its PID lets the lock go.
python3 -c 'import fcntl, os, sys, time
fcntl.flock(os.open(sys.argv[1], os.O_RDONLY), fcntl.LOCK_EX)
print("held", flush=True)
time.sleep(600)' "$HOME/.config/tuftle" >"$E2E_WORK/lock-held" &
e2e_track $!
e2e_wait_for 5 grep -q held "$E2E_WORK/lock-held" || e2e_fail "the lock was not taken"
type_in_the_window
e2e_start_app "$program"
e2e_expect_while_running 15 "the window that says it cannot start" window_named 'Tuftle cannot start'
expect_notice_leaves_the_keyboard 'Tuftle cannot start'
e2e_screenshot start-failure-notice.png
e2e_kill_app TERM 5 || e2e_fail "still running 5 s after SIGTERM"
