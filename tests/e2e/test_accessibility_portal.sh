#!/usr/bin/env bash
# Accessibility settings the desktop changes while the program runs: a stand-in settings
# portal on the test's own bus switches high contrast, dark and reduced motion on, and the open
# panel turns opaque, then dark, and the pets stop breathing.
source "$(dirname "$0")/lib.sh"
program=$1
portal=$(dirname "$program")/settings_portal
[[ -x $portal && -f $portal ]] || e2e_fail "not an executable: $portal (build the settings_portal target)"
e2e_setup
e2e_defaults_set onboardingCompleted true # the welcome window would take the activation
e2e_start_session_bus

e2e_step "start a compositor and the stand-in portal: light, no contrast or motion wish"
xcompmgr >"$E2E_WORK/xcompmgr.log" 2>&1 &
e2e_track $!
mkfifo "$E2E_WORK/portal.in"
"$portal" org.freedesktop.appearance contrast 0 org.freedesktop.appearance reduced-motion 0 \
  org.freedesktop.appearance color-scheme 2 \
  <"$E2E_WORK/portal.in" >"$E2E_WORK/portal.out" 2>&1 &
e2e_track $!
exec 9>"$E2E_WORK/portal.in" # held open: the portal reads changes from it
e2e_wait_for 10 grep -q ready "$E2E_WORK/portal.out" || e2e_fail "the stand-in portal did not start"
portal_set() { echo "org.freedesktop.appearance $1 $2" >&9; }

# A checksum of the top of the first pet's fur, above its eyes: the eyes still blink and look
# about with less motion, the body's breathing stops.
pet_picture() {
  local -a ids
  mapfile -t ids < <(e2e_pet_window_ids)
  ((${#ids[@]} > 0)) && import -window "${ids[0]}" -crop 100x20+0+20 rgba:- 2>/dev/null | md5sum | cut -d' ' -f1
}
pet_moves() {
  local a b
  a=$(pet_picture) && sleep 0.2 && b=$(pet_picture) && [[ $a != "$b" ]]
}
# Unchanged across eight looks, about two seconds: breathing changes it within a second.
pet_still() {
  local first next i
  first=$(pet_picture) || return 1
  for i in 1 2 3 4 5 6 7; do
    sleep 0.2
    next=$(pet_picture) && [[ $next == "$first" ]] || return 1
  done
}

e2e_step "start the program: its pets move and its panel opens"
e2e_start_app "$program"
e2e_expect_while_running 10 "the tray icon in trayer" e2e_tray_icon_present
e2e_expect_while_running 10 "a pet that moves" pet_moves
eval "$(xdotool getwindowgeometry --shell "$E2E_TRAY_ICON_WINDOW")"
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 1
e2e_expect_while_running 5 "the panel popup" e2e_popup_origin
read -r px py < <(e2e_popup_origin)
# The panel's ground near its bottom left corner, where no control is drawn.
ground() { import -window root -crop "1x1+$((px + 8))+$((py + 420))" -depth 8 txt:- | awk 'NR == 2 { print $3 }'; }
# The ground as it holds, in GROUND: the panel is drawn once more after it opened.
settled_ground() { GROUND=$(e2e_steady ground); }
e2e_expect_while_running 5 "the panel's ground drawn for good" settled_ground
glass=$GROUND
e2e_screenshot accessibility-glass.png

e2e_step "high contrast switched on: the open panel turns opaque"
portal_set contrast 1
ground_changed() { [[ $(ground) != "$glass" ]]; }
e2e_expect_while_running 5 "a panel ground other than $glass" ground_changed
e2e_expect_while_running 5 "the opaque panel's ground drawn for good" settled_ground
e2e_screenshot accessibility-contrast.png

e2e_step "the desktop turns dark: so does the open panel"
opaque=$GROUND
darker() { local now; now=$(ground) && [[ $now != "$opaque" ]] && [[ $(printf '%d' 0x${now:1:2}) -lt 128 ]]; }
portal_set color-scheme 1
e2e_expect_while_running 5 "a dark panel ground instead of $opaque" darker
e2e_screenshot accessibility-dark.png

e2e_step "reduced motion switched on: the pets stop breathing"
portal_set reduced-motion 1
e2e_expect_while_running 10 "a pet that holds still" pet_still
