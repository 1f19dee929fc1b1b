#!/usr/bin/env bash
# The tray face reads on the tray it sits in, whatever the desktop's scheme (none is set here):
# on a black and on a white trayer (XEmbed), then in a light and a dark xfce4-panel
# (StatusNotifierItem), a good share of the pixels in the face's box stand clearly apart from
# the tray's own colour.
E2E_TRAY=later
source "$(dirname "$0")/lib.sh"
e2e_setup
e2e_defaults_set onboardingCompleted true
for tool in convert xdotool xfconf-query; do
  command -v $tool >/dev/null 2>&1 || e2e_fail "missing tool: $tool (run scripts/install-deps)"
done

TRAYER_PID=""
start_trayer() {
  trayer --edge top --align right --widthtype request --height 24 --transparent true --alpha 0 --tint "$1" \
    >"$E2E_WORK/trayer-$1.log" 2>&1 &
  TRAYER_PID=$!
  e2e_track $TRAYER_PID
  e2e_wait_for 15 e2e__tray_owned || e2e_fail "trayer did not take _NET_SYSTEM_TRAY_S0"
}
stop_trayer() {
  kill -TERM "$TRAYER_PID" 2>/dev/null || true
  wait "$TRAYER_PID" 2>/dev/null || true
  e2e__untrack "$TRAYER_PID"
  e2e_wait_for 5 eval '! e2e__tray_owned' || e2e_fail "trayer kept _NET_SYSTEM_TRAY_S0"
}

# face_share SHOT BOX COLOUR: the percentage of the pixels of BOX (WxH+X+Y) in SHOT that stand
# more than a quarter of the full range apart from COLOUR.
face_share() {
  convert "$1" -crop "$2" +repage \( +clone -fill "$3" -colorize 100 \) -compose difference -composite \
    -colorspace gray -threshold 25% -format '%[fx:int(mean*100)]' info:
}

face_reads() {
  import -window root "$E2E_WORK/face.png"
  FACE_SHARE=$(face_share "$E2E_WORK/face.png" "$1" "$2")
  ((FACE_SHARE >= 20))
}
# expect_face_reads NAME BOX TRAYCOLOUR: the face reads on the tray, at the latest once the icon
# had time to look at the tray it is in.
expect_face_reads() {
  e2e_wait_for 5 face_reads "$2" "$3" || true
  e2e_screenshot "$1.png"
  ((FACE_SHARE >= 20)) || e2e_fail "$1: only $FACE_SHARE % of the face's box $2 stands apart from the tray's $3"
}

icon_box() {
  eval "$(xdotool getwindowgeometry --shell "$E2E_TRAY_ICON_WINDOW")"
  echo "${WIDTH}x${HEIGHT}+$X+$Y"
}
e2e_step "a black trayer: the face reads on it"
start_trayer 0x000000
e2e_start_app "$1"
e2e_expect_while_running 10 "the tray icon in trayer" e2e_tray_icon_present
expect_face_reads tray-face-dark "$(icon_box)" '#000000'

e2e_step "a white trayer in its place: the face turns to read on it"
stop_trayer
start_trayer 0xffffff
e2e_expect_while_running 10 "the tray icon in the new trayer" e2e_tray_icon_present
expect_face_reads tray-face-light "$(icon_box)" '#ffffff'
stop_trayer

e2e_step "xfce4-panel: the item's face reads on its panel"
e2e_start_sni_host
# Prints the panel's ground (the bottom 32 pixels, below its top edge's line) and the box of the
# one thing drawn on it.
panel_ground_and_icon() {
  local ground w h x y
  ground=$(import -window root -crop 1x1+4+790 +repage -format '#%[hex:p{0,0}]' info:)
  read -r w h x y < <(import -window root -crop 1280x28+0+772 +repage png:- |
    convert png:- -bordercolor "$ground" -border 1 -fuzz 10% -trim -format '%w %h %X %Y' info: | tr -d +)
  ((w < 60)) && e2e_squarish "$w" "$h" 4 && echo "$ground ${w}x$h+$((x - 1))+$((y - 1 + 772))"
}
# The ground in GROUND and the icon's box in PANEL_ICON, once the host has drawn it for the last
# time at its final size.
panel_icon() {
  read -r GROUND PANEL_ICON < <(e2e_steady panel_ground_and_icon)
}
e2e_expect_while_running 10 "the face in the panel at its final size" panel_icon
expect_face_reads tray-face-xfce "$PANEL_ICON" "$GROUND"

e2e_step "the same panel turned dark: the face still reads on it"
xfconf-query -c xfce4-panel -p /panels/panel-1/background-rgba -n -t double -t double -t double -t double \
  -s 0.12 -s 0.12 -s 0.13 -s 1
xfconf-query -c xfce4-panel -p /panels/panel-1/background-style -n -t uint -s 1
panel_dark() { panel_icon && [[ $GROUND == '#1'* ]]; }
e2e_expect_while_running 10 "the dark panel with the face on it" panel_dark
expect_face_reads tray-face-xfce-dark "$PANEL_ICON" "$GROUND"
