#!/usr/bin/env bash
# A monitor unplugged while the program runs: a laptop's panel, primary, with an external monitor
# to its right and a pet at home on each. The pet of the monitor that goes comes to the laptop and
# takes the laptop's scale at once: its window is 100 points of the laptop in device pixels, and
# the pet is drawn whole in it, not cut at the window's edge. First a 1x monitor taken from a 2x
# laptop, then a 2x monitor from a 1x laptop.
# Usage: test_monitor_unplugged.sh <path-to-tuftle>
# shellcheck source-path=SCRIPTDIR
source "$(dirname "$0")/lib.sh"

program=$(e2e_program_argument "$@")

# pets_at_scale <laptop's scale> <count there> [<external scale> <count there>]: that many pet
# windows on each monitor, each 100 points square at its scale, none other; without the external
# monitor, every pet window counts as the laptop's, wherever it stands.
pets_at_scale() {
  local x y w h s on_laptop=0 on_external=0
  while read -r x y w h; do
    if [[ -z ${3:-} ]] || ((x + w / 2 < laptop_w)); then s=$1 on_laptop=$((on_laptop + 1)); else s=${3:-0} on_external=$((on_external + 1)); fi
    ((w == 100 * s && h == 100 * s)) || return 1
  done <<<"$(e2e_pet_boxes)"
  ((on_laptop == $2 && on_external == ${4:-0}))
}

# pets_whole_on_laptop <scale>: both pets at home at the laptop's bottom, at its scale, each
# drawn about 43 points wide in its own 52 (the middle of its window, clear of the other pet),
# with nothing cut at either side or at the top.
pets_whole_on_laptop() {
  local x y w h s=$1 dw dx dy n=0 _
  while read -r x y w h; do
    ((w == 100 * s && h == 100 * s && x + w / 2 < laptop_w && y + h / 2 > laptop_h - 60 * s)) || return 1
    read -r dw _ dx dy < <(e2e_drawn_box $((x + 24 * s)) "$y" $((52 * s)) "$h") || return 1
    ((dw >= 36 * s && dx > 0 && dx + dw < 52 * s && dy > 0)) || return 1
    n=$((n + 1))
  done <<<"$(e2e_pet_boxes)"
  ((n == 2))
}

E2E_SCREEN_SIZE=4800x1800 e2e_setup
e2e_defaults_set onboardingCompleted true
# The first pet's home is on the laptop, the second one's on the external monitor.
python3 - "$HOME/.config/tuftle/defaults.plist" <<'EOF'
import plistlib, sys
with open(sys.argv[1], "rb") as f:
    values = plistlib.load(f)
values.update(homePreferences=["dock", "automatic"])
with open(sys.argv[1], "wb") as f:
    plistlib.dump(values, f, fmt=plistlib.FMT_XML)
EOF

for scales in "2 1" "1 2"; do
  read -r laptop external <<<"$scales"
  if ((laptop == 2)); then laptop_w=2880 laptop_h=1800 external_w=1920 external_h=1080; else
    laptop_w=1920 laptop_h=1080 external_w=2880 external_h=1800
  fi
  e2e_step "a ${laptop}x laptop, ${laptop_w} x ${laptop_h}, primary, and a ${external}x monitor to its right"
  xrandr --delmonitor eDP-1 >/dev/null 2>&1 || true # the last pass's, which holds the screen's output
  xrandr --setmonitor eDP-1 "$laptop_w/300x$laptop_h/190+0+0" screen >/dev/null
  xrandr --setmonitor HDMI-1 "$external_w/500x$external_h/300+$laptop_w+0" none >/dev/null
  export QT_SCREEN_SCALE_FACTORS="eDP-1=$laptop;HDMI-1=$external"
  e2e_start_app "$program"
  e2e_expect_while_running 10 "a pet on each monitor at its scale" pets_at_scale "$laptop" 1 "$external" 1

  e2e_step "the external monitor goes: its pet takes the laptop's scale ($laptop) at once"
  xrandr --delmonitor HDMI-1 >/dev/null
  e2e_expect_while_running 2 "both pet windows at the laptop's scale" pets_at_scale "$laptop" 2
  e2e_step "both pets at home on the laptop, drawn whole"
  e2e_expect_while_running 30 "both pets at home on the laptop, drawn whole" pets_whole_on_laptop "$laptop"
  e2e_screenshot "monitor-unplugged-${laptop}x-laptop.png"
  e2e_kill_app TERM 5 || e2e_fail "the program did not end within 5 s of SIGTERM"
done
exit 0
