#!/usr/bin/env bash
# A module that is not the one the program was built with is refused before any of it runs: cut
# short (a copy in progress), of another build, or no file at all (a FIFO). The settings window's place is taken by a
# small window that says why, and the program runs on and ends cleanly. A module's file written
# over in place (cp does that) while the settings window is open changes nothing that runs: the
# window goes on working, and the next open says what the file is now.
# Usage: test_module_refused.sh <path-to-tuftle>
# shellcheck source-path=SCRIPTDIR
source "$(dirname "$0")/lib.sh"
program=$(e2e_program_argument "$@")

message_open() { [[ -n $(e2e_window_origin 480x160) ]]; }

# copy_program <folder>: the program and its modules in a folder of their own, to be spoiled.
copy_program() {
  mkdir "$1"
  cp "$program" "$(dirname "$program")"/tuftle-*.so "$1"/
  ln -s "$(dirname "$program")"/Tuftle_Tuftle.bundle "$1"/
}

start() {
  e2e_start_app "$1"
  e2e_expect_while_running 10 "the tray icon" e2e_tray_icon_present
}

# The panel's settings button, whatever window it brings.
click_settings_button() {
  local px py
  e2e_open_panel
  read -r px py < <(e2e_window_origin 382x426 | head -n 1)
  xdotool mousemove $((px + 40)) $((py + 426 - 17)) click 1
}

expect_refused() {
  e2e_expect_while_running 5 "a window saying the settings could not be loaded" message_open
  e2e_screenshot "module-refused-$E2E_APP_RUNS.png"
  grep -qF "tuftle: the settings window could not be loaded: $1" "$E2E_APP_STDERR" ||
    e2e_fail "no line says that $1"
}

close_message() {
  e2e_close_windows 480
  e2e_expect_while_running 5 "the window saying why to close" eval '! message_open'
}

# page_shot FILE: the settings window's page column, right of the sidebar.
page_shot() {
  local wx wy
  read -r wx wy < <(e2e_window_origin 920x640)
  import -window root -crop "680x600+$((wx + 224))+$((wy + 20))" +repage "$E2E_WORK/$1"
}

# pixels_apart A B: how many pixels of the shots A and B differ; all of them when either is
# missing or unreadable.
pixels_apart() {
  local changed
  changed=$(compare -metric AE "$E2E_WORK/$1" "$E2E_WORK/$2" null: 2>&1 | tail -n 1) || true
  changed=${changed%% *}
  [[ $changed =~ ^[0-9]+$ ]] || changed=$((680 * 600))
  echo "$changed"
}

# page_drawn SHOT [UNLIKE]: true once two shots of the page column in a row are the same (the
# window has finished drawing) and, when given, more than 2000 pixels unlike the shot UNLIKE.
# The last shot is kept as SHOT.
page_drawn() {
  local same=$((680 * 600))
  page_shot "next-$1" && [[ -s $E2E_WORK/next-$1 ]] || return 1
  [[ -f $E2E_WORK/$1 ]] && same=$(pixels_apart "$1" "next-$1")
  mv "$E2E_WORK/next-$1" "$E2E_WORK/$1"
  ((same < 100)) && { [[ -z ${2:-} ]] || (($(pixels_apart "$2" "$1") > 2000)); }
}

# Shows the behaviour page, then the home page; fails unless the window drew each.
show_pages_in_turn() {
  rm -f "$E2E_WORK/home.png" "$E2E_WORK/behavior.png"
  e2e_expect_while_running 5 "the home page drawn" page_drawn home.png
  e2e_show_settings_page 1
  e2e_expect_while_running 5 "the behaviour page drawn over the home page" page_drawn behavior.png home.png
  e2e_show_settings_page 0
  e2e_expect_while_running 5 "the home page drawn over the behaviour page" page_drawn home.png behavior.png
}

# The program goes on (its panel opens again) and ends as it should, its clean-exit mark set.
expect_runs_on_and_ends_cleanly() {
  e2e_open_panel
  e2e_kill_app TERM 5 || e2e_fail "still running 5 s after SIGTERM"
  [[ $E2E_APP_STATUS == 0 ]] || e2e_fail "ended with status $E2E_APP_STATUS"
  e2e_defaults_is runtime.cleanExit true || e2e_fail "no clean-exit mark after SIGTERM"
}

e2e_setup
e2e_defaults_set onboardingCompleted true
e2e_defaults_set automaticUpdateChecks false

e2e_step "a windows' module cut short"
copy_program "$E2E_WORK/cut"
truncate -s 200000 "$E2E_WORK/cut/tuftle-windows.so"
start "$E2E_WORK/cut/tuftle"
click_settings_button
expect_refused "$E2E_WORK/cut/tuftle-windows.so is cut short or damaged (200000 bytes)"
expect_runs_on_and_ends_cleanly

e2e_step "the windows' module replaced by a FIFO"
copy_program "$E2E_WORK/fifo"
rm "$E2E_WORK/fifo/tuftle-windows.so"
mkfifo "$E2E_WORK/fifo/tuftle-windows.so"
start "$E2E_WORK/fifo/tuftle"
click_settings_button
expect_refused "$E2E_WORK/fifo/tuftle-windows.so is not a regular file"
close_message
expect_runs_on_and_ends_cleanly

e2e_step "the windows' module written over in place while the settings window is open"
copy_program "$E2E_WORK/over"
module=$E2E_WORK/over/tuftle-windows.so
cp "$module" "$E2E_WORK/this-build.so"
head -c $(($(stat -c %s "$module") / 2)) "$module" >"$E2E_WORK/half.so"
start "$E2E_WORK/over/tuftle"
e2e_open_settings
for file in this-build.so over/tuftle-http.so half.so; do
  cp "$E2E_WORK/$file" "$module"
  # The window's own code runs at once (its event filter), and again as it changes page.
  show_pages_in_turn
  e2e_settings_open || e2e_fail "the settings window closed after $file was written over its module"
done
e2e_close_settings
click_settings_button
expect_refused "$module is cut short or damaged ($(stat -c %s "$module") bytes)"
close_message
cp "$E2E_WORK/this-build.so" "$module"
e2e_open_settings
e2e_close_settings
expect_runs_on_and_ends_cleanly
