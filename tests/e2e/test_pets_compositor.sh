#!/usr/bin/env bash
# The pets under a compositing manager that draws shadows (xcompmgr -c) with xfce4-panel as the
# tray, where a pet panel is the program's first window: no panel casts a shadow or shows a box
# around its pet, dragging a pet leaves no trail, and no shadow darkens the desktop along the top
# of the host's panel, behind the pets or where the tray's panel was. Every region looked at is
# compared with the same region before the program started.
E2E_TRAY=xfce4-panel
source "$(dirname "$0")/lib.sh"
e2e_setup
e2e_defaults_set onboardingCompleted true
for tool in xcompmgr xdotool convert compare; do
  command -v $tool >/dev/null 2>&1 || e2e_fail "missing tool: $tool (run scripts/install-deps)"
done

readonly pet_side=$((52 + 2 * E2E_PET_MARGIN)) reach=14 # the shadows xcompmgr -c draws reach 12 pixels out

e2e_step "start xcompmgr -c and take the desktop before the program"
xcompmgr -c >"$E2E_WORK/xcompmgr.log" 2>&1 &
e2e_track $!
e2e_wait_for 10 python3 "$E2E_LIB_DIR/x11_selection_owner.py" _NET_WM_CM_S0 || e2e_fail "xcompmgr did not start"
sleep 0.3
e2e_screenshot pets-compositor-before.png
before=$E2E_ARTIFACTS/pets-compositor-before.png

# percent_changed SHOT X Y W H AREA [MASK...]: how many of AREA pixels in the rectangle differ
# from the desktop before; each MASK ("x0,y0 x1,y1") is left out of both pictures.
percent_changed() {
  local shot=$1 x=$2 y=$3 w=$4 h=$5 area=$6 changed
  shift 6
  local -a draw=()
  for m in "$@"; do draw+=(-draw "rectangle $m"); done
  convert "$before" -fill black "${draw[@]}" -crop "${w}x${h}+$x+$y" +repage "$E2E_WORK/was.png"
  convert "$shot" -fill black "${draw[@]}" -crop "${w}x${h}+$x+$y" +repage "$E2E_WORK/is.png"
  changed=$(compare -metric AE -fuzz "${FUZZ:-12}%" "$E2E_WORK/was.png" "$E2E_WORK/is.png" null: 2>&1 >/dev/null || true)
  echo $((${changed%.*} * 100 / area))
}

window_origins() {
  local id
  for id in $(e2e_pet_window_ids); do
    xwininfo -id "$id" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF } END { print x, y }'
  done
}

# Around each panel, outside its pet (the middle, with room for a breath or a blink) and out to
# where a shadow would reach, the desktop shows as it was.
expect_no_boxes() {
  local shot=$1 x y changed
  local inner=$((pet_side - 2 * (E2E_PET_MARGIN - 10))) outer=$((pet_side + 2 * reach))
  while read -r x y; do
    changed=$(percent_changed "$shot" $((x - reach)) $((y - reach)) $outer $outer $((outer * outer - inner * inner)) \
      "$((x + E2E_PET_MARGIN - 10)),$((y + E2E_PET_MARGIN - 10)) $((x + pet_side - E2E_PET_MARGIN + 9)),$((y + pet_side - E2E_PET_MARGIN + 9))")
    ((changed <= 12)) || e2e_fail "$changed % of the desktop around the panel at $x,$y changed ($shot)"
  done < <(window_origins)
}

e2e_step "start the program: two pets, no box or shadow around either"
e2e_start_app "$1"
two_pets() { [[ $(e2e_pet_window_ids | wc -l) == 2 ]]; }
e2e_expect_while_running 10 "two pets" two_pets
sleep 1.5
e2e_screenshot pets-compositor-start.png
expect_no_boxes "$E2E_ARTIFACTS/pets-compositor-start.png"

# The strip along the top of the host's panel (y 768), the pets' windows included but not the
# pets, is the desktop as it was to within a shadow's faintest shade.
expect_no_band() {
  local shot=$1 x y strip=$((reach + 2)) in=$((E2E_PET_MARGIN - 10))
  local -a masks=()
  while read -r x y; do masks+=("$((x + in)),$((y + in)) $((x + pet_side - in - 1)),$((y + pet_side - in - 1))"); done < <(window_origins)
  # As a count of pixels (an area of 100 makes the percentage one): a shadow's band behind the
  # pets' windows is hundreds of them.
  changed=$(FUZZ=1 percent_changed "$shot" 0 $((768 - strip)) 1280 $strip 100 "${masks[@]}")
  ((changed <= 40)) || e2e_fail "$changed pixels of the strip above the host's panel changed ($shot)"
}
e2e_step "no band along the host's panel"
expect_no_band "$E2E_ARTIFACTS/pets-compositor-start.png"

e2e_step "drag the left pet 300 pixels up: no trail behind it"
read -r hx hy < <(window_origins | sort -n | head -n 1)
xdotool mousemove $((hx + pet_side / 2)) $((hy + pet_side / 2)) mousedown 1
for _ in $(seq 20); do
  xdotool mousemove_relative -- 0 -15
  sleep 0.03
done
xdotool mouseup 1
sleep 0.4
e2e_screenshot pets-compositor-dragged.png
shot=$E2E_ARTIFACTS/pets-compositor-dragged.png
masks=()
while read -r x y; do masks+=("$((x - 2)),$((y - 2)) $((x + pet_side + 1)),$((y + pet_side + 1))"); done < <(window_origins)
# The column the pet went up, from a shadow's reach left of its window to one right of it.
path_h=$((300 + pet_side))
changed=$(percent_changed "$shot" $((hx - reach)) $((hy - 300)) $((pet_side + 2 * reach)) $path_h \
  $(((pet_side + 2 * reach) * path_h)) "${masks[@]}")
((changed <= 3)) || e2e_fail "$changed % of the desktop along the drag changed"
expect_no_boxes "$shot"

e2e_step "the tray's panel opens over the host's panel and closes again: no band where it was"
box=$(import -window root -crop 1280x32+0+768 +repage png:- | convert png:- -trim -format '%w %h %X %Y' info:)
read -r w h x y <<<"${box//+/}"
xdotool mousemove $((x + w / 2)) $((768 + y + h / 2)) click 1
e2e_expect_while_running 5 "the panel" e2e_panel_open
sleep 1
xdotool key Escape
e2e_expect_while_running 5 "the panel to close" eval '! e2e_panel_open'
xdotool mousemove 200 300
sleep 2 # what the compositor leaves behind builds up within this
e2e_screenshot pets-compositor-panel-closed.png
expect_no_band "$E2E_ARTIFACTS/pets-compositor-panel-closed.png"
