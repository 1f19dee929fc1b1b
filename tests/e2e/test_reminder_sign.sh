#!/usr/bin/env bash
# A drink reminder due at start: at the first reminder check the second pet steps out with the
# sign beside it; clicks on the sign reach the window below it; the sign goes after a few seconds.
# shellcheck source-path=SCRIPTDIR
source "$(dirname "$0")/lib.sh"

program=$(realpath "$1")
sign_size="$((196 + 2 * E2E_PET_MARGIN))x$((72 + 2 * E2E_PET_MARGIN))"
# "x,y" (top-left) of the card of the program's mapped sign panel, if one is shown.
sign_at() {
  local id
  for id in $(xwininfo -root -children 2>/dev/null | awk -v s=" $sign_size+" '$1 ~ /^0x/ && index($0, s) { print $1 }'); do
    [[ $(xprop -id "$id" _NET_WM_PID 2>/dev/null) == *"= $E2E_APP_PID" ]] || continue
    xwininfo -id "$id" 2>/dev/null | awk -v m="$E2E_PET_MARGIN" '/Map State: IsViewable/ { v = 1 }
      /Absolute upper-left X/ { x = $NF + m } /Absolute upper-left Y/ { y = $NF + m }
      END { if (v) print x "," y; else exit 1 }' && return 0
  done
  return 1
}
sign_shown() { sign_at >/dev/null; }
sign_gone() { ! sign_shown; }

e2e_setup
e2e_defaults_set onboardingCompleted true
python3 - "$HOME/.config/tuftle/defaults.plist" <<'PY'
import datetime, plistlib, sys
path = sys.argv[1]
with open(path, "rb") as f:
    values = plistlib.load(f)
long_ago = datetime.datetime.now(datetime.timezone.utc).replace(tzinfo=None) - datetime.timedelta(hours=3)
values.update(waterRemindersEnabled=True, waterReminderInterval=20, restRemindersEnabled=False,
              stretchRemindersEnabled=False, lookFarRemindersEnabled=False,
              lastWaterActionAt=long_ago, lastGentleReminderAt=long_ago)
with open(path, "wb") as f:
    plistlib.dump(values, f, fmt=plistlib.FMT_XML)
PY
e2e_start_taskbar "$(dirname "$program")/bottom_panel" "#1D2B36"

e2e_step "open a window under where the sign will stand, noting its clicks"
clicks=$E2E_WORK/clicks.txt
xev -geometry 700x360+290+340 -event button >"$clicks" 2>/dev/null &
e2e_track $!

e2e_step "start the program; expect the sign beside a pet at the first reminder check (60 s)"
e2e_start_app "$program"
e2e_expect_while_running 80 "the reminder sign on screen" sign_shown
sleep 0.3 # the pet's gesture under way
e2e_screenshot reminder-sign.png
card=$(sign_at) || e2e_fail "the sign went before it could be looked at"
pet=$(e2e_pet_windows | tr ' ' '\n' | awk -F, -v c="$card" 'BEGIN { split(c, k, ",") }
  { d = ($1 - k[1] - 72) ^ 2 + ($2 - k[2] - 82) ^ 2; if (!n++ || d < best) { best = d; p = $0 } } END { print p }')
e2e_step "sign at $card, nearest pet at $pet: expect the pet 10 below the card, centred"
dx=$((${pet%,*} - ${card%,*} - 72)) dy=$((${pet#*,} - ${card#*,} - 82))
((dx * dx <= 1 && dy * dy <= 1)) || e2e_fail "the pet is not beside the sign"

e2e_step "click on the sign; expect the click in the window below"
xdotool mousemove "$((${card%,*} + 98))" "$((${card#*,} + 36))" click 1
clicked() { grep -q ButtonPress "$clicks"; }
e2e_wait_for 3 clicked || e2e_fail "the click did not reach the window below the sign"

e2e_step "expect the sign to go within 6 s"
e2e_expect_while_running 7 "the sign gone" sign_gone
