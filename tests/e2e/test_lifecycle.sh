#!/usr/bin/env bash
# Start, a second start that opens the panel (also beside callers that say nothing), orderly
# quit, crash recovery, a failed last save, a missing display (which leaves a fresh home as it
# was) and a settings file that cannot be written, with the real program under Xvfb.
# Usage: test_lifecycle.sh <path-to-tuftle>
# shellcheck source-path=SCRIPTDIR
source "$(dirname "$0")/lib.sh"

[[ $# -ge 1 ]] || e2e_fail "usage: $0 <path-to-tuftle>"
program=$1
[[ $program == /* ]] || program=$PWD/$program
[[ -x $program && -f $program ]] || e2e_fail "not an executable: $program"

readonly recovered_line="tuftle: recovered from an unexpected exit"

stderr_has_line() {
  grep -qxF -- "$1" "$E2E_APP_STDERR"
}

expect_no_recovery_message() {
  if grep -qF -- "recovered from an unexpected exit" "$E2E_APP_STDERR"; then
    e2e_fail "run $E2E_APP_RUNS reported a recovery although the previous run quit cleanly"
  fi
}

start_and_wait_until_ready() {
  e2e_step "start the program (run $((E2E_APP_RUNS + 1))) and wait for its tray icon"
  e2e_start_app "$program"
  e2e_expect_while_running 10 "the tray icon in trayer" e2e_tray_icon_present
  e2e_step "wait until runtime.cleanExit is false on disk while it runs"
  e2e_expect_while_running 5 'runtime.cleanExit = false in defaults.plist' \
    e2e_defaults_is runtime.cleanExit false
}

quit_with_sigterm() {
  e2e_step "send SIGTERM to run $E2E_APP_RUNS and expect exit status 0 within 5 s"
  e2e_kill_app TERM 5 || e2e_fail "still running 5 s after SIGTERM"
  [[ $E2E_APP_STATUS == 0 ]] || e2e_fail "exit status $E2E_APP_STATUS after SIGTERM, expected 0"
  e2e_step "expect runtime.cleanExit true after the orderly quit"
  local flag
  flag=$(e2e_defaults_get runtime.cleanExit) || flag="(missing)"
  [[ $flag == true ]] || e2e_fail "runtime.cleanExit is $flag after SIGTERM, expected true"
}

file_state() { { sha256sum "$defaults_file" && stat -c %y "$defaults_file"; } 2>/dev/null; }

# A start's last write holds the date of its daily update check: the check is the last thing a
# start records, and what it records goes out together within a second.
start_written() {
  e2e_defaults_is runtime.cleanExit false && e2e_defaults_get lastAutomaticUpdateCheck
}

# A second start while one runs: it says nothing and ends with status 0, the running program
# opens its panel by the tray icon, and the settings file is untouched. Arguments: what the
# second start's environment changes, as for env(1).
second_start_opens_the_panel() {
  e2e_step "wait until the start's writes are on disk and the settings file stays put for 1.2 s, then start a second instance ($*)"
  local before="" status=0 px py x y w h
  e2e_expect_while_running 10 "the start's last write" start_written
  until [[ $before == "$(file_state)" ]]; do before=$(file_state) && sleep 1.2; done
  timeout 30 env "$@" "$program" >"$E2E_WORK/second.out" 2>&1 || status=$?
  [[ $status == 0 && ! -s $E2E_WORK/second.out ]] ||
    e2e_fail "the second start ended with status $status and said: $(<"$E2E_WORK/second.out")"
  e2e_step "the running program opens its panel below its tray icon"
  e2e_expect_while_running 5 "the panel" e2e_popup_origin
  read -r px py < <(e2e_popup_origin)
  read -r x y w h < <(xwininfo -id "$E2E_TRAY_ICON_WINDOW" |
    awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
         /Width/ { w = $NF } /Height/ { h = $NF } END { print x, y, w, h }')
  ((px <= x + w / 2 && x + w / 2 <= px + 382 && py >= y + h && py <= y + h + 4)) ||
    e2e_fail "the panel at $px,$py is not below the icon at $x,$y (${w}x$h)"
  e2e_screenshot lifecycle-second-start.png
  # A press before the popup holds the pointer would go to the desktop.
  e2e_caught_up || e2e_fail "the program did not answer while it opened the panel"
  xdotool mousemove 200 300 click 1
  e2e_expect_while_running 5 "the panel to close" eval '! e2e_popup_origin'
  [[ $(file_state) == "$before" ]] || e2e_fail "the second start touched the settings file"
}

e2e_setup
defaults_file=$HOME/.config/tuftle/defaults.plist

# A first run in a fresh home, quit in order.
start_and_wait_until_ready
e2e_step "keep a screenshot of the running program"
e2e_screenshot lifecycle-tray.png
expect_no_recovery_message
second_start_opens_the_panel
# From a terminal, su or ssh without the desktop's runtime folder.
mkdir -m 0700 "$E2E_WORK/tmp-second"
second_start_opens_the_panel -u XDG_RUNTIME_DIR TMPDIR="$E2E_WORK/tmp-second"

# Calls of the user's own that connect and say nothing keep no start out. Once its wait is over
# each counts as an older version's start, which asks for the panel; none is kept for good.
start_beside_silent_calls() {
  local status=0
  timeout 30 "$program" "$@" >"$E2E_WORK/beside.out" 2>&1 || status=$?
  [[ $status == 0 && ! -s $E2E_WORK/beside.out ]] ||
    e2e_fail "a start ($*) beside silent calls ended with status $status and said: $(<"$E2E_WORK/beside.out")"
}
e2e_step "hold 50 calls to the running program that say nothing; a start at login and a plain start end with 0"
python3 -c '
import socket, sys
calls = [socket.socket(socket.AF_UNIX) for _ in range(50)]
for call in calls:
    call.connect(sys.argv[1])
open(sys.argv[2], "w").close()
for call in calls:
    call.recv(1)
open(sys.argv[3], "w").close()' "$XDG_RUNTIME_DIR"/tuftle-*.socket "$E2E_WORK/held" "$E2E_WORK/let-go" &
holder=$!
e2e_track "$holder"
e2e_wait_for 5 test -e "$E2E_WORK/held" || e2e_fail "the 50 silent calls were not made"
start_beside_silent_calls --autostart
start_beside_silent_calls
e2e_step "the program lets every silent call go; its panel is open, and closes"
e2e_expect_while_running 10 "every silent call let go" test -e "$E2E_WORK/let-go"
wait "$holder"
e2e__untrack "$holder"
e2e_expect_while_running 5 "the panel" e2e_popup_origin
e2e_caught_up || e2e_fail "the program did not answer while it opened the panel"
xdotool mousemove 200 300 click 1
e2e_expect_while_running 5 "the panel to close" eval '! e2e_popup_origin'

# Questions on the command line are answered without starting anything or touching the
# running program; anything else is refused.
e2e_step "--help, -h and --version answer and end with 0; an unknown argument ends with 2"
bundle_version=$(python3 "$E2E_LIB_DIR/plist_get.py" "$(dirname "$program")/Tuftle_Tuftle.bundle/Info.plist" \
  CFBundleShortVersionString) || e2e_fail "no version in the bundle's Info.plist"
for question in --help -h --version --bogus; do
  status=0
  timeout 30 "$program" "$question" >"$E2E_WORK/answer.out" 2>"$E2E_WORK/answer.err" || status=$?
  case $question in
  --version) [[ $status == 0 && $(<"$E2E_WORK/answer.out") == "tuftle $bundle_version" ]] ;;
  --bogus) [[ $status == 2 && ! -s $E2E_WORK/answer.out && $(grep -c '' "$E2E_WORK/answer.err") == 1 ]] ;;
  *) [[ $status == 0 ]] && grep -q '^Usage: tuftle' "$E2E_WORK/answer.out" ;;
  esac || e2e_fail "$question ended with $status and said: $(cat "$E2E_WORK/answer.out" "$E2E_WORK/answer.err")"
done
! e2e_popup_origin >/dev/null || e2e_fail "a question on the command line opened the running program's panel"

quit_with_sigterm
expect_no_recovery_message

# A run killed as soon as it shows up and has marked itself running, then a run that must
# notice it.
start_and_wait_until_ready
e2e_step "kill -9 run $E2E_APP_RUNS"
e2e_kill_app KILL 5 || e2e_fail "still running 5 s after SIGKILL"

start_and_wait_until_ready
e2e_step "expect the line \"$recovered_line\" on stderr of run $E2E_APP_RUNS"
e2e_expect_while_running 5 "\"$recovered_line\" on stderr" stderr_has_line "$recovered_line"

# The settings folder replaced by a file: the last save fails, and the quit says so.
e2e_step "replace the settings folder by a file and quit: exit status 1 and one line"
mv "$HOME/.config/tuftle" "$HOME/.config/tuftle.kept"
: >"$HOME/.config/tuftle"
e2e_kill_app TERM 5 || e2e_fail "still running 5 s after SIGTERM"
[[ $E2E_APP_STATUS == 1 ]] || e2e_fail "exit status $E2E_APP_STATUS after a failed last save, expected 1"
[[ $(grep -c "could not save" "$E2E_APP_STDERR") == 1 ]] || e2e_fail "expected one line saying the save failed"
rm "$HOME/.config/tuftle"
mv "$HOME/.config/tuftle.kept" "$HOME/.config/tuftle"

# No X server to talk to: a clear message and an ordinary failure, not an abort.
e2e_step "start the program with DISPLAY=:987654 and expect a non-zero exit within 5 s"
DISPLAY=:987654 e2e_start_app "$program"
e2e_wait_app_exit 5 || e2e_fail "still running 5 s after start without a display"
((E2E_APP_STATUS != 0)) || e2e_fail "exit status 0 without a display, expected a failure"
((E2E_APP_STATUS < 128)) ||
  e2e_fail "ended by signal $((E2E_APP_STATUS - 128)) without a display (crash or abort?)"
e2e_step "expect exactly one stderr line containing \"cannot open display\""
stderr_lines=$(grep -c '' "$E2E_APP_STDERR" || true)
[[ $stderr_lines == 1 ]] || e2e_fail "expected one line on stderr without a display, got $stderr_lines"
grep -qF "cannot open display" "$E2E_APP_STDERR" ||
  e2e_fail "stderr does not say \"cannot open display\""
if grep -qiE "aborted|core dumped" "$E2E_APP_STDERR"; then
  e2e_fail "stderr mentions an abort or core dump"
fi

# In a home it never ran in, a start that cannot reach a display leaves nothing behind.
for display in "" :987654; do
  e2e_step "start with DISPLAY=$display in an empty home: it ends and leaves the home empty"
  fresh_home=$E2E_WORK/fresh-home
  mkdir "$fresh_home"
  runtime_files=$(ls -A "$XDG_RUNTIME_DIR")
  HOME=$fresh_home DISPLAY=$display e2e_start_app "$program"
  e2e_wait_app_exit 5 || e2e_fail "still running 5 s after start without a display"
  ((E2E_APP_STATUS != 0)) || e2e_fail "exit status 0 without a display, expected a failure"
  [[ -z $(ls -A "$fresh_home") ]] || e2e_fail "the start left $(cd "$fresh_home" && find . -mindepth 1)"
  [[ $(ls -A "$XDG_RUNTIME_DIR") == "$runtime_files" ]] || e2e_fail "the start left files in $XDG_RUNTIME_DIR"
  rmdir "$fresh_home"
done

# A settings file that cannot be written (a folder in its place): the run says so in a window.
e2e_step "start with a folder where the settings file belongs: a window says nothing is saved"
mv "$defaults_file" "$defaults_file.kept"
mkdir "$defaults_file"
e2e_start_app "$program"
e2e_expect_while_running 10 "the window that says the settings are not saved" \
  e2e_search --onlyvisible --name '^Tuftle cannot save its settings$'
e2e_kill_app TERM 5 || e2e_fail "still running 5 s after SIGTERM"
rmdir "$defaults_file"
mv "$defaults_file.kept" "$defaults_file"

# Another user's lock file (held) and socket (answering as the program does) planted in the
# fallback runtime folder while it stood open: the program starts all the same, and a second
# start reaches it, never the planted socket. Needs root, to be another user.
if [[ $(id -u) == 0 && -x /usr/bin/python3 ]] && setpriv --reuid=65534 --regid=65534 --clear-groups true 2>/dev/null; then
  e2e_step "plant another user's lock and socket in an opened \$TMPDIR/tuftle-0, then start without XDG_RUNTIME_DIR"
  chmod 0711 "$E2E_WORK"
  planted_tmp=$E2E_WORK/tmp-planted
  mkdir -m 1777 "$planted_tmp"
  mkdir -m 0777 "$planted_tmp/tuftle-0"
  name=$(python3 -c '
import os, sys
h = 14695981039346656037
for c in os.fsencode(os.path.realpath(sys.argv[1])):
    h = ((h ^ c) * 1099511628211) & 0xFFFFFFFFFFFFFFFF
print("tuftle-%016x" % h)' "$HOME/.config/tuftle")
  setpriv --reuid=65534 --regid=65534 --clear-groups /usr/bin/python3 -c '
import fcntl, os, socket, sys
base, calls = sys.argv[1], sys.argv[2]
lock = open(base + ".lock", "w")
os.chmod(base + ".lock", 0o666)
fcntl.flock(lock, fcntl.LOCK_EX)
door = socket.socket(socket.AF_UNIX)
door.bind(base + ".socket")
os.chmod(base + ".socket", 0o777)
door.listen(8)
open(calls, "w").close()
while True:
    call, _ = door.accept()
    call.send(b"k")
    call.close()
    with open(calls, "a") as f:
        f.write("a call\n")' "$planted_tmp/tuftle-0/$name" "$planted_tmp/calls" &
  planted_pid=$!
  e2e_track "$planted_pid"
  e2e_wait_for 5 test -e "$planted_tmp/calls" || e2e_fail "the planted listener did not come up"
  saved_runtime=$XDG_RUNTIME_DIR saved_tmp=$TMPDIR
  unset XDG_RUNTIME_DIR
  export TMPDIR=$planted_tmp
  e2e_defaults_set runtime.cleanExit true # the run before could not save: no recovery row
  start_and_wait_until_ready
  second_start_opens_the_panel
  [[ ! -s $planted_tmp/calls ]] || e2e_fail "a start called the planted socket"
  [[ $(stat -c %a "$planted_tmp/tuftle-0") == 700 ]] || e2e_fail "the opened fallback folder was not closed"
  quit_with_sigterm
  export XDG_RUNTIME_DIR=$saved_runtime TMPDIR=$saved_tmp
  kill "$planted_pid"
  wait "$planted_pid" 2>/dev/null || true
  e2e__untrack "$planted_pid"
else
  e2e_step "skipped: another user's planted files need root and setpriv"
fi
