#!/usr/bin/env bash
# Pets dropped over where the tray's panel and the tray host's menu open stay under them: with
# one pet on the panel footer's settings button and one on quit (and the host's menu), neither
# is drawn over them and both buttons take their clicks.
E2E_TRAY=xfce4-panel
source "$(dirname "$0")/lib.sh"
e2e_setup
e2e_defaults_set onboardingCompleted true # the welcome window would take the activation

# "X Y" of the middle of the icon in xfce4-panel (the bottom 32 pixels), drawn alone on its ground.
icon_middle() {
  local box w h x y
  box=$(import -window root -crop 1280x32+0+768 +repage png:- | convert png:- -trim -format '%w %h %X %Y' info:)
  read -r w h x y <<<"${box//+/}"
  ((w > 0 && w <= 32)) && echo "$((x + w / 2)) $((y + 768 + h / 2))"
}
# The window ID lies over every pet window on the screen (xwininfo lists the topmost first).
over_pets() {
  xwininfo -root -children | awk -v id="$1" -v size=" $((52 + 2 * E2E_PET_MARGIN))x" '
    $1 == id { seen = 1 } $1 ~ /^0x/ && index($0, size) && !seen { pet_above = 1 } END { exit !(seen && !pet_above) }'
}
panel_window() { xwininfo -root -children | awk '/ 382x426\+/ { print $1 }' | head -n 1; }
menu_window() {
  local id
  for id in $(xwininfo -root -children | awk '/"Wrapper-2.0"\)/ { print $1 }'); do
    xprop -id "$id" _NET_WM_WINDOW_TYPE | grep -q _MENU && xwininfo -id "$id" | grep -q IsViewable && echo "$id" && return 0
  done
  return 1
}
open_panel() {
  xdotool mousemove $ICON click 1
  e2e_expect_while_running 5 "the panel" e2e_panel_open
}
pets_shown() { [[ $(e2e_pet_window_ids | wc -l) == 2 ]]; }
panel_origin() { e2e_window_origin 382x426 | head -n 1 | grep .; }
# The middle of the pet in window ID: "X Y".
pet_middle() {
  xwininfo -id "$1" | awk -v m=$((E2E_PET_MARGIN + 26)) '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
    END { print x + m, y + m }'
}
# The pet in window ID lies over X Y, with room to spare.
pet_of_window_at() {
  local x y
  read -r x y < <(pet_middle "$1")
  (((x - $2) * (x - $2) <= 256 && (y - $3) * (y - $3) <= 256))
}
# A pet's body lies over X Y.
pet_at() {
  local id
  for id in $(e2e_pet_window_ids); do pet_of_window_at "$id" "$1" "$2" && return 0; done
  return 1
}
# drag_steps FROM_X FROM_Y TO_X TO_Y FIRST LAST: the pointer through steps FIRST..LAST of 40 from
# FROM to TO; in small steps, as the pet may trail the pointer by one.
drag_steps() {
  for step in $(seq "$5" "$6"); do
    xdotool mousemove $(($1 + ($3 - $1) * step / 40)) $(($2 + ($4 - $2) * step / 40))
    sleep 0.02
  done
}
# drop_pet ID TO_X TO_Y: drags the pet in window ID to TO. Its place is read just before the
# press, and half way it must have come along, else the press missed a pet that moved on its own
# and the drag starts again.
drop_pet() {
  local id=$1 x y try
  for try in 1 2 3; do
    read -r x y < <(pet_middle "$id")
    xdotool mousemove "$x" "$y" mousedown 1
    drag_steps "$x" "$y" "$2" "$3" 1 20
    if e2e_wait_for 3 pet_of_window_at "$id" $((x + ($2 - x) / 2)) $((y + ($3 - y) / 2)); then
      drag_steps "$x" "$y" "$2" "$3" 21 40
      # Still before letting go, so the pet lands where it is and is not thrown on: each of
      # these moves comes a tenth of a second after the last (an xdotool call returns once the
      # server has its move), and the speed the pet feels dies down with them.
      for step in 1 0 1 0; do
        sleep 0.1
        xdotool mousemove $(($2 + step)) "$3"
      done
      xdotool mouseup 1
      return 0
    fi
    xdotool mouseup 1
  done
  e2e_fail "the drag did not take the pet in $id"
}
# expect_throughout SECONDS WHAT COMMAND...: the command holds at every look for that long; fails
# at the first look it does not (what comes late, such as a pet raised a moment after).
expect_throughout() {
  local deadline what=$2
  deadline=$(($(e2e__now_us) + $(e2e__timeout_us "$1")))
  shift 2
  while (($(e2e__now_us) < deadline)); do
    "$@" >/dev/null 2>&1 || e2e_fail "$what"
    sleep 0.1
  done
}

e2e_step "start the program and wait for its icon and the pets"
e2e_start_app "$1"
e2e_expect_while_running 10 "the icon in the panel" icon_middle
sleep 0.5 # the host draws it once more at its final size
ICON=$(icon_middle)
e2e_expect_while_running 10 "the pets on the desktop" pets_shown
e2e_step "open the panel once to learn where it opens"
open_panel
read -r px py < <(panel_origin)
xdotool key Escape
e2e_expect_while_running 5 "the panel to close" eval '! e2e_panel_open'

readonly foot_y=$((py + 426 - 17)) settings_x=$((px + 40)) quit_x=$((px + 348))
e2e_step "drop one pet on the footer's settings button and one on quit"
read -r left right < <(for id in $(e2e_pet_window_ids); do echo "$(pet_middle "$id" | cut -d' ' -f1) $id"; done |
  sort -n | cut -d' ' -f2 | paste -sd' ')
drop_pet "$left" $((settings_x + 10)) "$foot_y"
e2e_expect_while_running 5 "a pet over the settings button" pet_at $((settings_x + 10)) "$foot_y"
drop_pet "$right" $((quit_x - 12)) "$foot_y"
e2e_expect_while_running 5 "a pet over quit" pet_at $((quit_x - 12)) "$foot_y"

e2e_step "the panel opens over both pets, and its settings button takes the click"
open_panel
e2e_screenshot pets-under-panel.png
expect_throughout 1.5 "a pet lies over the open panel" over_pets "$(panel_window)"
xdotool mousemove "$settings_x" "$foot_y" click 1
e2e_expect_while_running 5 "one settings window" e2e_settings_open
e2e_close_settings

e2e_step "the host's menu opens over the pet by it, and its entry opens the panel"
xdotool mousemove $ICON click 3
e2e_expect_while_running 5 "the host's menu" menu_window
expect_throughout 1.5 "a pet lies over the host's menu" over_pets "$(menu_window)"
read -r mx my < <(xwininfo -id "$(menu_window)" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
  /Width:/ { w = $NF } /Height:/ { h = $NF } END { print x + int(w / 2), y + int(h / 2) }')
xdotool mousemove "$mx" "$my" click 1
e2e_expect_while_running 5 "the panel" e2e_panel_open

e2e_step "and quit on the footer takes its click"
expect_throughout 1.5 "a pet lies over the panel opened from the host's menu" over_pets "$(panel_window)"
xdotool mousemove "$quit_x" "$foot_y" click 1
e2e_wait_app_exit 5 || e2e_fail "still running 5 s after a click on quit"
