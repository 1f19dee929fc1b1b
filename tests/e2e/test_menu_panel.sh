#!/usr/bin/env bash
# The tray's panel under trayer: a click on the icon opens it over the desktop with the pets;
# "send home" answers with the feedback line (the panel grows by it and shrinks again), the
# header switch hides the pets, the keyboard alone shows them again and picks the pet count, and
# quit ends the program in order with the clean-exit mark set.
# The buttons are found by their places in the panel's fixed layout.
source "$(dirname "$0")/lib.sh"
e2e_setup
e2e_defaults_set onboardingCompleted true # the welcome window would take the activation

# "X Y W H" of the program's open panel: 382 wide, as high as its sections.
panel_geometry() {
  local id info
  for id in $(xwininfo -root -children 2>/dev/null | awk '/ 382x[0-9]+\+/ { print $1 }'); do
    info=$(xwininfo -id "$id" 2>/dev/null) || continue
    [[ $info == *IsViewable* ]] || continue
    awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
         /Width:/ { w = $NF } /Height:/ { h = $NF } END { print x, y, w, h }' <<<"$info"
    return 0
  done
  return 1
}
panel_height_is() { [[ $(panel_geometry | awk '{ print $4 }') == "$1" ]]; }
pets_shown() { [[ -n $(e2e_pet_windows) ]]; }
no_pets_shown() { [[ -z $(e2e_pet_windows) ]]; }

e2e_step "start the program and wait for its icon and the pets"
e2e_start_app "$1"
e2e_expect_while_running 10 "the tray icon in trayer" e2e_tray_icon_present
e2e_expect_while_running 10 "the pets on the desktop" pets_shown
read -r x y w h < <(xwininfo -id "$E2E_TRAY_ICON_WINDOW" |
  awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
       /Width/ { w = $NF } /Height/ { h = $NF } END { print x, y, w, h }')

e2e_step "a click on the icon opens the panel at its resting height"
xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 1
e2e_expect_while_running 5 "the panel, 426 high" panel_height_is 426
read -r px py _ _ < <(panel_geometry)
sleep 0.3 # the first paint
e2e_screenshot menu-panel-open.png

e2e_step "send home: the feedback line comes, then goes after its time"
xdotool mousemove $((px + 100)) $((py + 273)) click 1
e2e_expect_while_running 3 "the panel grown by the feedback line" panel_height_is 456
sleep 0.3
e2e_screenshot menu-panel-feedback.png
e2e_expect_while_running 5 "the feedback line gone" panel_height_is 426

e2e_step "the header switch hides the pets"
xdotool mousemove $((px + 348)) $((py + 42)) click 1
e2e_expect_while_running 5 "no pet windows" no_pets_shown
e2e_expect_while_running 3 "petsVisible = false on disk" e2e_defaults_is petsVisible false

e2e_step "the keyboard reaches the panel: Tab and Space show the pets, Tab, Home and Return pick one"
xdotool key Tab space
e2e_expect_while_running 3 "petsVisible = true on disk" e2e_defaults_is petsVisible true
xdotool key Tab Home
sleep 0.3
e2e_screenshot menu-panel-keyboard.png
xdotool key Return
e2e_expect_while_running 3 "petCount = 1 on disk" e2e_defaults_is petCount 1

e2e_step "quit ends the program through the orderly path"
xdotool mousemove $((px + 348)) $((py + 426 - 17)) click 1
e2e_wait_app_exit 5 || e2e_fail "still running 5 s after quit"
[[ $E2E_APP_STATUS == 0 ]] || e2e_fail "exit status $E2E_APP_STATUS after quit, expected 0"
e2e_defaults_is runtime.cleanExit true || e2e_fail "runtime.cleanExit is not true after quit"
