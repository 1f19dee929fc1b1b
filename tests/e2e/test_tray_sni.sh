#!/usr/bin/env bash
# The tray entry as a StatusNotifierItem in xfce4-panel: the face shows, and clicks open and
# close the panel.
E2E_TRAY=xfce4-panel
source "$(dirname "$0")/lib.sh"
e2e_setup
e2e_defaults_set onboardingCompleted true # the welcome window would take the activation

# The bounding box "W H X Y" of what the panel (the bottom 32 pixels) shows on its ground.
panel_content() {
  local box=$(import -window root -crop 1280x32+0+768 +repage png:- | convert png:- -trim -format '%w %h %X %Y' info:)
  read -r w h x y <<<"${box//+/}"
  ((w > 0 && w < 200)) && echo "$w $h $x $((y + 768))"
}

e2e_step "start the program and wait for its item in the panel"
e2e_start_app "$1"
e2e_expect_while_running 10 "the icon drawn in the panel" panel_content
sleep 0.5 # the host draws it once more at its final size
e2e_expect_while_running 5 "the icon drawn in the panel" panel_content
read -r w h x y < <(panel_content)
e2e_check_tray_clicks $((x + w / 2)) $((y + h / 2)) tray-sni
