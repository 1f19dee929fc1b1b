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
# drop_pet FROM_X FROM_Y TO_X TO_Y: drags the pet whose middle is at FROM to TO.
drop_pet() {
  # In small steps: the pet may trail the pointer by one.
  xdotool mousemove "$1" "$2" mousedown 1
  for step in $(seq 1 40); do
    xdotool mousemove $(($1 + ($3 - $1) * step / 40)) $(($2 + ($4 - $2) * step / 40))
    sleep 0.02
  done
  sleep 0.3 # still before letting go: the pet lands where it is, not thrown on
  xdotool mouseup 1
}
# A pet's body lies over X Y, with room to spare.
pet_at() {
  local id
  for id in $(e2e_pet_window_ids); do
    xwininfo -id "$id" | awk -v x="$1" -v y="$2" -v m=$((E2E_PET_MARGIN + 26)) '/Absolute upper-left X/ { wx = $NF }
      /Absolute upper-left Y/ { wy = $NF } END { dx = wx + m - x; dy = wy + m - y; exit !(dx * dx <= 256 && dy * dy <= 256) }' &&
      return 0
  done
  return 1
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
m=$((E2E_PET_MARGIN + 26))
read -r ax ay bx by < <(for id in $(e2e_pet_window_ids); do
  xwininfo -id "$id" | awk -v m=$m '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF } END { print x + m, y + m }'
done | sort -n | paste -sd' ')
drop_pet "$ax" "$ay" $((settings_x + 10)) "$foot_y"
e2e_expect_while_running 5 "a pet over the settings button" pet_at $((settings_x + 10)) "$foot_y"
drop_pet "$bx" "$by" $((quit_x - 12)) "$foot_y"
e2e_expect_while_running 5 "a pet over quit" pet_at $((quit_x - 12)) "$foot_y"

e2e_step "the panel opens over both pets, and its settings button takes the click"
open_panel
sleep 1.5 # what brought a pet up over the panel came within this
e2e_screenshot pets-under-panel.png
over_pets "$(panel_window)" || e2e_fail "a pet lies over the open panel"
xdotool mousemove "$settings_x" "$foot_y" click 1
e2e_expect_while_running 5 "one settings window" e2e_settings_open
e2e_close_settings

e2e_step "the host's menu opens over the pet by it, and its entry opens the panel"
xdotool mousemove $ICON click 3
e2e_expect_while_running 5 "the host's menu" menu_window
sleep 1.5
over_pets "$(menu_window)" || e2e_fail "a pet lies over the host's menu"
read -r mx my < <(xwininfo -id "$(menu_window)" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
  /Width:/ { w = $NF } /Height:/ { h = $NF } END { print x + int(w / 2), y + int(h / 2) }')
xdotool mousemove "$mx" "$my" click 1
e2e_expect_while_running 5 "the panel" e2e_panel_open

e2e_step "and quit on the footer takes its click"
sleep 1.5
over_pets "$(panel_window)" || e2e_fail "a pet lies over the panel opened from the host's menu"
xdotool mousemove "$quit_x" "$foot_y" click 1
e2e_wait_app_exit 5 || e2e_fail "still running 5 s after a click on quit"
