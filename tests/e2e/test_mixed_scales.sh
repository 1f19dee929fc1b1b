#!/usr/bin/env bash
# Two monitors at different scales on one X screen: a laptop's own 2880 x 1800 panel at scale 2 on
# the left and an external 1440 x 900 monitor at scale 1 on the right, the tray at the top left.
# A pet on either monitor, also one dragged across, is as many device pixels as that monitor's
# scale makes it and drawn at that scale, and a pet walking home to the other monitor never
# leaves the monitors; the welcome and settings windows take the scale of the monitor they are
# opened on or moved to, and a window larger than a monitor's work area is cut down to it and can
# be resized there. In English and Chinese; then the notice of a desktop without a tray, moved
# from one monitor to the other. Last, at these scales and with both monitors at scale 2, a
# StatusNotifierItem host's click on the 1x monitor, the one away from the X screen's origin, opens
# the panel by the click there, beside a panel that hides along that monitor's top when it is
# out, and a pet at home there walks onto another program's window there.
# Usage: test_mixed_scales.sh <path-to-tuftle>
# shellcheck source-path=SCRIPTDIR
source "$(dirname "$0")/lib.sh"

program=$(e2e_program_argument "$@")
taskbar=$(dirname "$program")/bottom_panel
readonly SMALL_X=2880 # where the 1x monitor begins


# The scale of the monitor holding X Y.
scale_at() { (($1 < SMALL_X)) && echo 2 || echo 1; }

# pets_fit <count on the 2x monitor> <count on the 1x one>: each pet window is 100 points of its
# monitor in device pixels, and so is its drawing (a pet is about 43 points wide).
pets_fit() {
  local x y w h s big=0 small=0 drawn _
  while read -r x y w h; do
    s=$(scale_at $((x + w / 2)) $((y + h / 2)))
    ((w == 100 * s && h == 100 * s)) || return 1
    read -r drawn _ < <(e2e_drawn_box "$x" "$y" "$w" "$h") || return 1
    ((drawn >= 36 * s && drawn <= 60 * s)) || return 1
    if ((s == 2)); then big=$((big + 1)); else small=$((small + 1)); fi
  done <<<"$(e2e_pet_boxes)"
  ((big == $1 && small == $2))
}

# Whether every pet window's centre lies on a monitor, or below the bottom of one in its home's dip
# (a pet at home goes down there as it arrives: its centre up to 27 points below the edge, near the
# monitor's middle).
pets_on_monitors() {
  local x y w h cx cy
  while read -r x y w h; do
    cx=$((x + (w - 1) / 2)) cy=$((y + (h - 1) / 2)) # the pixel left of and above the middle, as Qt takes it
    ((cx >= 0 && cy >= 0)) || return 1
    ((cx < SMALL_X && cy < 1800 || cx < SMALL_X + 1440 && cy < 900)) && continue
    ((cx < SMALL_X && cy < 1800 + 28 * 2 && (cx - SMALL_X / 2) ** 2 <= 120 ** 2)) && continue
    ((cx >= SMALL_X && cy < 900 + 28 && (cx - SMALL_X - 720) ** 2 <= 60 ** 2)) && continue
    return 1
  done <<<"$(e2e_pet_boxes)"
}

# Whether a pet sits at the bottom of each monitor.
pets_home() {
  local x y w h big=0 small=0
  while read -r x y w h; do
    ((x + w / 2 < SMALL_X && y + h / 2 > 1700 && w == 200)) && big=$((big + 1))
    ((x + w / 2 >= SMALL_X && y + h / 2 > 800 && w == 100)) && small=$((small + 1))
  done <<<"$(e2e_pet_boxes)"
  ((big == 1 && small == 1))
}

# Prints "X Y W H" of each pet window on the monitor at scale $1.
pets_on_monitor() {
  local x y w h
  while read -r x y w h; do
    (($(scale_at $((x + w / 2)) 0) == $1)) && echo "$x $y $w $h"
  done <<<"$(e2e_pet_boxes)"
  return 0
}

# pets_fewer_on <scale> <count>: fewer than that many pet windows on the monitor at that scale.
pets_fewer_on() { (($(pets_on_monitor "$1" | grep -c .) < $2)); }

# drag_pet_to <X> <Y> <from 1 or 2>: presses on a pet on the monitor of that scale, where it is
# drawn, and drops it at X Y; again while the pet has not left that monitor (it moved from under
# the pointer before the press).
drag_pet_to() {
  local x y w h s=$3 px py i dw dh dx dy count
  count=$(pets_on_monitor "$s" | grep -c .) || e2e_fail "no pet on the monitor at scale $s"
  for _ in 1 2 3; do
    read -r x y w h < <(pets_on_monitor "$s") || e2e_fail "no pet on the monitor at scale $s"
    # The middle of what its own 52 points show: dipping at home, squashed or wobbling, a pet is
    # not drawn at one place of its window.
    read -r dw dh dx dy < <(e2e_drawn_box $((x + 24 * s)) "$y" $((52 * s)) "$h") || continue
    px=$((x + 24 * s + dx + dw / 2)) py=$((y + dy + dh / 2))
    xdotool mousemove "$px" "$py" mousedown 1
    for i in 1 2 3 4 5 6 7 8 9 10; do
      xdotool mousemove $((px + ($1 - px) * i / 10)) $((py + ($2 - py) * i / 10)) sleep 0.05
    done
    xdotool mouseup 1
    e2e_wait_for 2 pets_fewer_on "$s" "$count" && return 0
  done
  e2e_fail "no pet on the monitor at scale $s followed a drag to $1,$2: $(e2e_pet_boxes | paste -sd' ')"
}

# The id of the program's window titled $1 (English or Chinese), when one is shown.
window_named() {
  e2e_search --all --onlyvisible --pid "$E2E_APP_PID" --name "^($1)\$" | head -1
}

# window_fits <id> <W> <H> <work area X Y W H>: the window is W x H device pixels, its size hints
# say so, and it lies, frame included, in that work area.
window_fits() {
  local x y w h left right top bottom hints
  read -r x y w h < <(e2e_window_box "$1") || return 1
  ((w == $2 && h == $3)) || return 1
  hints=$(xprop -id "$1" WM_NORMAL_HINTS)
  grep -q "maximum size: $2 by $3" <<<"$hints" && grep -q "minimum size: $2 by $3" <<<"$hints" || return 1
  IFS=', ' read -r left right top bottom < <(xprop -id "$1" _NET_FRAME_EXTENTS | sed 's/.*= //')
  ((x - left >= $4 && x + w + right <= $4 + $6 && y - top >= $5 && y + h + bottom <= $5 + $7))
}

# window_capped <id> <content W> <content H> <work area X Y W H>: the window is less high than its
# content, lies in the work area, frame included, and may be resized up to the content's size.
window_capped() {
  local x y w h left right top bottom hints
  read -r x y w h < <(e2e_window_box "$1") || return 1
  ((h < $3)) || return 1
  IFS=', ' read -r left right top bottom < <(xprop -id "$1" _NET_FRAME_EXTENTS | sed 's/.*= //')
  ((x - left >= $4 && x + w + right <= $4 + $6 && y - top >= $5 && y + h + bottom <= $5 + $7)) || return 1
  hints=$(xprop -id "$1" WM_NORMAL_HINTS)
  grep -q "minimum size: $w by $h" <<<"$hints" || return 1
  [[ $hints =~ maximum\ size:\ ([0-9]+)\ by\ ([0-9]+) ]] && ((BASH_REMATCH[1] >= $2 && BASH_REMATCH[2] >= $3))
}

# Opens the settings window from the tray panel, drawn at scale 2 on the left monitor.
open_settings() {
  local x y w h
  e2e_expect_while_running 10 "the tray icon" e2e_tray_icon_present
  read -r x y w h < <(e2e_window_box "$E2E_TRAY_ICON_WINDOW")
  xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 1
  e2e_expect_while_running 5 "the panel at scale 2" eval '[[ -n $(e2e_window_origin 764x852) ]]'
  read -r x y < <(e2e_window_origin 764x852)
  xdotool mousemove $((x + 80)) $((y + 852 - 34)) click 1 # the footer's settings button
}

E2E_TRAY=none E2E_SCREEN_SIZE=4320x1800 e2e_setup
e2e_step "split the screen: a built-in 2880 x 1800 at scale 2, primary, and an external 1440 x 900 at scale 1"
xrandr --setmonitor eDP-1 2880/600x1800/375+0+0 screen >/dev/null
xrandr --setmonitor HDMI-1 1440/300x900/190+2880+0 none >/dev/null
export QT_SCREEN_SCALE_FACTORS="eDP-1=2;HDMI-1=1"
trayer --edge top --align left --widthtype request --height 24 --transparent false >"$E2E_WORK/trayer.log" 2>&1 &
tray=$!
e2e_track $tray
e2e_wait_for 15 e2e__tray_owned || e2e_fail "trayer did not take _NET_SYSTEM_TRAY_S0"

for language in english simplifiedChinese; do
  # The first pet's home is on the primary monitor, the second one's on the external one; a
  # dropped pet goes home after 15 s.
  python3 - "$HOME/.config/tuftle/defaults.plist" "$language" <<'EOF'
import os, plistlib, sys
path, language = sys.argv[1:]
values = {}
if os.path.exists(path):
    with open(path, "rb") as f:
        values = plistlib.load(f)
values.update(homePreferences=["dock", "automatic"], appLanguageChoice=language, dragStayDuration="short")
os.makedirs(os.path.dirname(path), exist_ok=True)
with open(path, "wb") as f:
    plistlib.dump(values, f, fmt=plistlib.FMT_XML)
EOF
  e2e_step "in $language: a pet at home on each monitor, each at its monitor's scale"
  e2e_start_app "$program"
  e2e_expect_while_running 10 "a pet on each monitor" pets_fit 1 1
  e2e_screenshot "mixed-scales-pets-$language.png"

  e2e_step "the pet on the 2x monitor dragged onto the 1x one is drawn at scale 1"
  drag_pet_to 3400 400 2
  e2e_expect_while_running 5 "both pets on the 1x monitor" pets_fit 0 2
  e2e_step "a pet on the 1x monitor dragged onto the 2x one is drawn at scale 2"
  drag_pet_to 1200 300 1
  e2e_expect_while_running 5 "a pet on each monitor" pets_fit 1 1
  e2e_screenshot "mixed-scales-dragged-pets-$language.png"

  if [[ $language == english ]]; then
    e2e_step "the welcome window opens on the 2x monitor at scale 2 and takes scale 1 on the 1x one"
    e2e_expect_while_running 10 "the welcome window" eval '[[ -n $(window_named "Welcome to Tuftle") ]]'
    welcome=$(window_named "Welcome to Tuftle")

    e2e_expect_while_running 5 "the welcome window at scale 2" window_fits "$welcome" 1080 840 0 0 2880 1800
    xdotool windowmove "$welcome" 3000 100
    e2e_expect_while_running 5 "the welcome window at scale 1" window_fits "$welcome" 540 420 "$SMALL_X" 0 1440 900
    e2e_close_windows 540
  fi

  e2e_step "the settings window opens on the 2x monitor at scale 2"
  open_settings
  e2e_expect_while_running 10 "the settings window" eval '[[ -n $(window_named "Settings|设置") ]]'
  settings=$(window_named "Settings|设置")
  e2e_expect_while_running 5 "the settings window at scale 2" window_fits "$settings" 1840 1280 0 0 2880 1800
  e2e_screenshot "mixed-scales-settings-2x-$language.png"
  e2e_step "moved onto the 1x monitor it is 920 x 640 there and fits it"
  xdotool windowmove "$settings" 3000 100
  e2e_expect_while_running 5 "the settings window at scale 1" window_fits "$settings" 920 640 "$SMALL_X" 0 1440 900
  e2e_screenshot "mixed-scales-settings-1x-$language.png"

  if [[ $language == english ]]; then
    e2e_step "back on the 2x monitor it has its whole size again"
    xdotool windowmove "$settings" 200 100
    e2e_expect_while_running 5 "the settings window at scale 2" window_fits "$settings" 1840 1280 0 0 2880 1800
    e2e_step "a panel leaves 400 pixels of the 1x monitor: the window moved there is cut down to them and resizable"
    e2e_run_helper "$taskbar" --top 500 "#1D2B36" "$SMALL_X" 1440
    panel=$E2E_STARTED
    e2e_expect_while_running 5 "the panel's strut" eval '[[ $(xprop -root _NET_WORKAREA) == *"= 0, 500, 4320, 1300,"* ]]'
    xdotool windowmove "$settings" 3000 520 # the title bar just below the panel
    e2e_expect_while_running 5 "the settings window cut down" window_capped "$settings" 920 640 "$SMALL_X" 500 1440 400
    e2e_screenshot mixed-scales-settings-cut-down-english.png
    e2e_stop_helper "$panel"
    e2e_step "the dropped pets walk home, each to the other monitor, and never leave the monitors"
    deadline=$(($(e2e__now_us) + $(e2e__timeout_us 30)))
    until pets_home; do
      pets_on_monitors || e2e_fail "a pet left the monitors: $(e2e_pet_boxes | paste -sd' ')"
      (($(e2e__now_us) < deadline)) || e2e_fail "the pets did not come home within 30 s"
    done
  fi
  e2e_kill_app TERM 5 || e2e_fail "the program did not end within 5 s of SIGTERM"
done

e2e_step "with no tray, the notice that says so opens on the 2x monitor and keeps its size in points on the 1x one"
e2e_stop_helper "$tray"
e2e_defaults_set appLanguageChoice english
e2e_defaults_set onboardingCompleted true # the notice waits for the welcome
e2e_start_app "$program"
e2e_expect_while_running 15 "the no-tray notice" eval '[[ -n $(window_named "Tuftle found no tray on this desktop") ]]'
notice=$(window_named "Tuftle found no tray on this desktop")
read -r x y w h < <(e2e_window_box "$notice")
((x + w / 2 < SMALL_X)) || e2e_fail "the notice opened at $x,$y, not on the 2x monitor"
xdotool windowmove "$notice" 3000 100
e2e_expect_while_running 5 "the notice at scale 1" window_fits "$notice" $((w / 2)) $((h / 2)) "$SMALL_X" 0 1440 900
e2e_screenshot mixed-scales-notice-1x-english.png
e2e_kill_app TERM 5 || e2e_fail "the program did not end within 5 s of SIGTERM"

# The item's click as a host drawn at scale 1 makes it, at X pixel X Y.
click_item() {
  dbus-send --session --type=method_call --dest="org.kde.StatusNotifierItem-$E2E_APP_PID-1" /StatusNotifierItem \
    org.kde.StatusNotifierItem.Activate "int32:$1" "int32:$2"
}
# panel_by <scale> <X> <Y> [<top>]: the panel, at that scale, lies on the 1x monitor across X, its
# bottom just above Y; or, given a top, just below that.
panel_by() {
  local px py pw ph
  read -r px py pw ph < <(e2e_popup_box "$((382 * $1))x$((426 * $1))") || return 1
  ((px >= SMALL_X && px + pw <= SMALL_X + 1440 && $2 >= px && $2 <= px + pw)) || return 1
  if [[ -n ${4:-} ]]; then ((py >= $4 && py <= $4 + 2)); else ((py + ph <= $3 && py + ph >= $3 - 40 * $1)); fi
}
read_frame() { e2e_read_frame "$window"; }
# A pet on the window's top edge: its 52 points over the window, their bottom 12 below the edge.
pet_on_window() {
  local x y w h s
  while read -r x y w h; do
    s=$((w / 100))
    ((x + 24 * s >= frame_x && x + 76 * s <= frame_x + frame_w && (y + 76 * s - frame_y - 12 * s) ** 2 <= 9 * s * s)) &&
      return 0
  done <<<"$(e2e_pet_boxes)"
  return 1
}

e2e_step "a host's stand-in on the session bus; one pet, at home on the 1x monitor, walking on windows"
e2e_start_session_bus
e2e_run_helper "$(dirname "$program")/sni_watcher" --host
e2e_wait_for 10 grep -q ready "$E2E_WORK/sni_watcher.log" || e2e_fail "the stand-in host did not start"
python3 - "$HOME/.config/tuftle/defaults.plist" <<'EOF'
import plistlib, sys
with open(sys.argv[1], "rb") as f:
    values = plistlib.load(f)
values.update(petCount=1, homePreferences=["automatic"], windowWalkingEnabled=True, activityLevel="lively")
with open(sys.argv[1], "wb") as f:
    plistlib.dump(values, f, fmt=plistlib.FMT_XML)
EOF
e2e_run_helper xev -geometry 700x380+3250+470 -name walk-target
e2e_wait_for 10 e2e_search --name walk-target || e2e_fail "no window named walk-target showed"
window=$(e2e_search --name walk-target | head -1)
e2e_wait_for 5 read_frame || e2e_fail "the window to walk on has no frame"

for scales in "laptop 2, external 1" "both 2"; do
  s=1
  [[ $scales == "both 2" ]] && unset QT_SCREEN_SCALE_FACTORS && export QT_SCALE_FACTOR=2 && s=2
  e2e_step "scales $scales: a host's click at the 1x monitor's bottom right, the pointer elsewhere, opens the panel by it"
  xdotool windowactivate "$window" mousemove 1000 1000
  e2e_start_app "$program"
  e2e_expect_while_running 10 "the item on the bus" e2e__bus_has "org.kde.StatusNotifierItem-$E2E_APP_PID-1"
  click_item 4280 890
  e2e_expect_while_running 5 "the panel by the click" panel_by $s 4280 890
  e2e_screenshot "mixed-scales-sni-click-$s.png"
  xdotool key Escape
  e2e_expect_while_running 5 "the panel to close" eval '! e2e_popup_box "$((382 * s))x$((426 * s))"'

  e2e_step "scales $scales: with a panel that hides out along the 1x monitor's top, a click on it opens the panel below it"
  e2e_run_helper "$taskbar" --top --hiding 40 "#1D2B36" "$SMALL_X" 1440
  panel=$E2E_STARTED
  e2e_wait_for 5 eval 'xwininfo -name tuftle-e2e-top-panel | grep -q IsViewable' || e2e_fail "the hiding panel never showed"
  xdotool mousemove 4280 20
  click_item 4280 20
  e2e_expect_while_running 5 "the panel below the hiding one" panel_by $s 4280 20 40
  e2e_screenshot "mixed-scales-sni-hiding-$s.png"
  xdotool key Escape
  e2e_expect_while_running 5 "the panel to close" eval '! e2e_popup_box "$((382 * s))x$((426 * s))"'
  e2e_stop_helper "$panel"

  e2e_step "scales $scales: the pet walks onto the window at $frame_x,$frame_y ($frame_w wide) on the 1x monitor"
  e2e_expect_while_running 30 "the pet on the window's top edge" eval 'pet_on_window && sleep 0.3 && pet_on_window'
  e2e_screenshot "mixed-scales-walk-$s.png"
  e2e_kill_app TERM 5 || e2e_fail "the program did not end within 5 s of SIGTERM"
done
exit 0
