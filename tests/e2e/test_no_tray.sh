#!/usr/bin/env bash
# A desktop with no tray at all: after a few seconds the program says so in a window, and
# starting it again opens its panel in the corner where a tray would be, beside that window;
# Settings there opens the settings window, and Quit ends the first program in order, with every
# key press it counted saved. All of it again without XDG_RUNTIME_DIR, as under startx on a
# system without logind.
E2E_TRAY=none
source "$(dirname "$0")/lib.sh"
program=$(e2e_program_argument "$@")
e2e_setup
e2e_defaults_set onboardingCompleted true # the welcome window would take the activation
e2e_defaults_set keyCountingEnabled true

notice_shown() { e2e_search --onlyvisible --name '^Tuftle found no tray on this desktop$'; }
all_time_count() {
  local counts
  counts=$(python3 "$E2E_LIB_DIR/ledger_counts.py" "$HOME/.config/tuftle/defaults.plist") || return 1
  echo "${counts#* }"
}

e2e_step "start the program on a desktop without a tray and wait for the pets"
e2e_start_app "$program"
e2e_expect_while_running 10 "the pets" e2e_pet_window_ids
e2e_expect_while_running 15 "the window that says there is no tray" notice_shown
e2e_expect_while_running 3 "the notice marked as shown" e2e_defaults_is noTrayNoticeShown true

e2e_step "type 12 keys while it runs"
xdotool type --delay 30 "abcdefghijkl"

# Starts the program again, which ends at once with status 0 and says nothing, and expects the
# first program's panel in the top right corner of the screen.
start_again_opens_the_panel() {
  local status=0
  e2e_step "start it again: the start ends at once, the first program opens its panel in the corner"
  timeout 10 "$program" >"$E2E_WORK/again.out" 2>&1 || status=$?
  [[ $status == 0 && ! -s $E2E_WORK/again.out ]] ||
    e2e_fail "the start ended with status $status and said: $(<"$E2E_WORK/again.out")"
  e2e_expect_while_running 5 "the panel" e2e_popup_origin
  read -r px py < <(e2e_popup_origin)
  ((px == 1280 - 382 && py <= 1)) || e2e_fail "the panel opened at $px,$py, not in the top right corner"
}

start_again_opens_the_panel
sleep 0.3 # the first paint
e2e_screenshot no-tray-panel.png
e2e_step "Settings in the panel opens the settings window"
xdotool mousemove $((px + 40)) $((py + 426 - 17)) click 1
e2e_expect_while_running 5 "one settings window" e2e_settings_open
start_again_opens_the_panel

e2e_step "Quit in the panel ends the first program in order"
xdotool mousemove $((px + 348)) $((py + 426 - 17)) click 1
e2e_wait_app_exit 5 || e2e_fail "still running 5 s after Quit"
[[ $E2E_APP_STATUS == 0 ]] || e2e_fail "exit status $E2E_APP_STATUS after Quit, expected 0"
e2e_defaults_is runtime.cleanExit true || e2e_fail "runtime.cleanExit is not true after Quit"
count=$(all_time_count)
((count == 12)) || e2e_fail "$count key presses stored, 12 typed"

e2e_step "again without XDG_RUNTIME_DIR: the notice, a second start that opens the panel, Quit"
unset XDG_RUNTIME_DIR
e2e_defaults_set noTrayNoticeShown false
e2e_start_app "$program"
e2e_expect_while_running 10 "the pets" e2e_pet_window_ids
e2e_expect_while_running 15 "the window that says there is no tray" notice_shown
start_again_opens_the_panel
xdotool mousemove $((px + 348)) $((py + 426 - 17)) click 1
e2e_wait_app_exit 5 || e2e_fail "still running 5 s after Quit"
[[ $E2E_APP_STATUS == 0 ]] || e2e_fail "exit status $E2E_APP_STATUS after Quit, expected 0"
# The toolkit makes a runtime-<user> folder of its own where it finds no XDG_RUNTIME_DIR, unless
# the program lends it the one it uses.
if leftover=$(cd "$TMPDIR" && ls -d runtime-* 2>/dev/null); then
  e2e_fail "the start left $leftover in \$TMPDIR"
fi
