#!/usr/bin/env bash
# A left click on the entry in xfce4-panel opens the panel by the icon on a 2880 x 1800 screen
# whatever the panel's scale (GDK_SCALE) and the program's (QT_SCALE_FACTOR): the panel then
# reports the click in units of its own, which the program must not take for its own.
E2E_TRAY=later
E2E_SCREEN_SIZE=2880x1800
source "$(dirname "$0")/lib.sh"
e2e_setup
e2e_defaults_set onboardingCompleted true # the welcome window would take the activation

readonly screen_w=2880 screen_h=1800

# "W H X Y" of what the host's panel (its bottom STRIP pixels) shows on its ground: the icon.
panel_icon() {
  local strip=$1 box w h x y
  box=$(import -window root -crop ${screen_w}x$strip+0+$((screen_h - strip)) +repage png:- |
    convert png:- -trim -format '%w %h %X %Y' info:)
  read -r w h x y <<<"${box//+/}"
  ((w > 0 && w <= strip)) && echo "$w $h $x $((y + screen_h - strip))"
}
# The icon drawn alone, whole and for the last time, its box kept in ICON.
icon_drawn() {
  local w h x y
  ICON=$(e2e_steady panel_icon "$1") || return 1
  read -r w h x y <<<"$ICON"
  e2e_squarish "$w" "$h" $(($1 / 4))
}

# The scales of the panel and of the program, in turn.
for scales in "2 2" "2 1" "1 2"; do
  read -r host app <<<"$scales"
  size="$((382 * app))x$((426 * app))"
  e2e_step "xfce4-panel at scale $host, the program at $app"
  xdotool mousemove 100 100 # no tooltip of the last round over the panel
  GDK_SCALE=$host e2e_start_sni_host
  QT_SCALE_FACTOR=$app e2e_start_app "$1"
  e2e_expect_while_running 15 "the icon drawn in the panel, alone" icon_drawn $((32 * host))
  read -r w h x y <<<"$ICON"
  cx=$((x + w / 2)) cy=$((y + h / 2))

  e2e_step "a left click on the icon at $cx,$cy opens the panel ($size) by it"
  xdotool mousemove $cx $cy click 1
  e2e_expect_while_running 5 "the panel popup" e2e_popup_box "$size"
  read -r px py pw ph < <(e2e_popup_box "$size")
  e2e_screenshot "tray-sni-scaled-$host-$app.png"
  ((px >= 0 && px + pw <= screen_w && py >= 0)) || e2e_fail "the panel at $px,$py leaves the screen"
  gap=$((y - py - ph))
  ((cx >= px && cx <= px + pw && gap >= 0 && gap <= 40 * app)) ||
    e2e_fail "the panel at $px,$py ($size) is not by the icon at $cx,$cy"
  xdotool key Escape
  e2e_expect_while_running 5 "the panel to close" eval '! e2e_popup_box "$size"'

  e2e_kill_app TERM 10 || e2e_fail "the program did not end"
  e2e_stop_sni_host
done
