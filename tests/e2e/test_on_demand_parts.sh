#!/usr/bin/env bash
# What only a window or a download needs is loaded when first used: with no window open the
# program maps neither the windows' module, Qt Charts, Qt OpenGL nor Qt Network; the settings
# window is built by its module beside the program, and so is its keyboard page, chart and all.
# Without the windows' module the settings window says so and the program runs on.
# Usage: test_on_demand_parts.sh <path-to-tuftle>
# shellcheck source-path=SCRIPTDIR
source "$(dirname "$0")/lib.sh"
program=$(e2e_program_argument "$@")

# mapped NAME: a library mapped from a file of that name, or a module from its copy in memory
# ("/memfd:NAME").
mapped() { grep -q -- "[/:]$1" "/proc/$E2E_APP_PID/maps"; }

e2e_setup
e2e_defaults_set onboardingCompleted true
e2e_defaults_set automaticUpdateChecks false
e2e_step "start and wait for the tray icon"
e2e_start_app "$program"
e2e_expect_while_running 10 "the tray icon" e2e_tray_icon_present
for library in libQt6Charts libQt6OpenGL libQt6Network tuftle-windows tuftle-keyboard-page tuftle-http; do
  e2e_step "expect $library not mapped with no window open"
  ! mapped "$library" || e2e_fail "$library is mapped with no window open"
done

e2e_step "open the settings window and its keyboard page"
e2e_open_settings
mapped tuftle-windows.so || e2e_fail "the settings window is open without its module"
e2e_show_settings_page 3
e2e_expect_while_running 5 "the keyboard page's module and Qt Charts mapped" \
  eval 'mapped tuftle-keyboard-page.so && mapped libQt6Charts'
e2e_screenshot settings-window-keyboard.png
! grep -F "could not be loaded" "$E2E_APP_STDERR" || e2e_fail "the keyboard page's module did not load"

e2e_step "start a copy of the program without the windows' module and open the settings"
e2e_kill_app TERM 5 || e2e_fail "still running 5 s after SIGTERM"
copy=$E2E_WORK/without-windows
mkdir "$copy"
cp "$program" "$(dirname "$program")"/tuftle-keyboard-page.so "$(dirname "$program")"/tuftle-http.so "$copy"/
ln -s "$(dirname "$program")"/Tuftle_Tuftle.bundle "$copy"/
e2e_start_app "$copy/tuftle"
e2e_expect_while_running 10 "the tray icon" e2e_tray_icon_present
e2e_open_panel
read -r px py < <(e2e_window_origin 382x426 | head -n 1)
xdotool mousemove $((px + 40)) $((py + 426 - 17)) click 1 # the footer's settings button
message_open() { [[ -n $(e2e_window_origin 480x160) ]]; }
e2e_expect_while_running 5 "a window saying the settings could not be loaded" message_open
e2e_screenshot settings-window-missing-module.png
grep -qF "tuftle: the settings window could not be loaded: " "$E2E_APP_STDERR" ||
  e2e_fail "no line says why the settings window is missing"
