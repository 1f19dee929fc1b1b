#!/usr/bin/env bash
# A drink reminder due at start: at the first reminder check the second pet steps out with the
# sign beside it; clicks on the sign reach the window below it; the sign goes after a few seconds.
# shellcheck source-path=SCRIPTDIR
source "$(dirname "$0")/lib.sh"

program=$(realpath "$1")
# "x,y" (top-left) of the card in the program's mapped sign panel (196 x 72 and the margins).
sign_at() {
  local id
  for id in $(xwininfo -root -children | awk '$1 ~ /^0x/ && / 244x120\+/ { print $1 }'); do
    [[ $(xprop -id "$id" _NET_WM_PID) == *"= $E2E_APP_PID" ]] && xwininfo -id "$id" | awk '/IsViewable/ { v = 1 }
      /Absolute upper-left X/ { x = $NF + 24 } /Absolute upper-left Y/ { y = $NF + 24 }
      END { if (v) print x "," y; else exit 1 }' && return 0
  done 2>/dev/null
  return 1
}
sign_gone() { ! sign_at; }

e2e_setup
python3 - "$HOME/.config/tuftle/defaults.plist" <<'PY'
import datetime, os, plistlib, sys
ago = datetime.datetime.utcnow() - datetime.timedelta(hours=3)
os.makedirs(os.path.dirname(sys.argv[1]), exist_ok=True)
with open(sys.argv[1], "wb") as f:
    plistlib.dump(dict(onboardingCompleted=True, windowWalkingEnabled=False, waterRemindersEnabled=True,
                       waterReminderInterval=20, restRemindersEnabled=False, stretchRemindersEnabled=False, lookFarRemindersEnabled=False,
                       lastWaterActionAt=ago, lastGentleReminderAt=ago), f, fmt=plistlib.FMT_XML)
PY
e2e_start_taskbar "$(dirname "$program")/bottom_panel" "#1D2B36"
e2e_step "open a window under where the sign will stand, noting its clicks"
xev -geometry 700x360+290+340 -event button >"$E2E_WORK/clicks" 2>/dev/null &
e2e_track $!

e2e_step "start the program; expect the sign beside a pet at the first reminder check (60 s)"
e2e_start_app "$program"
e2e_expect_while_running 90 "the reminder sign on screen" sign_at
card=$(sign_at) && sleep 0.3 && e2e_screenshot reminder-sign.png
e2e_step "sign at $card; expect a pet 10 below it, centred: at $((${card%,*} + 72)),$((${card#*,} + 82))"
# The pet steps out as the sign comes: a starved program may show the sign a moment before.
pet_beside_sign() { [[ " $(e2e_pet_windows) " == *" $((${card%,*} + 72)),$((${card#*,} + 82)) "* ]]; }
e2e_wait_for 3 pet_beside_sign || e2e_fail "no pet beside the sign; pets at $(e2e_pet_windows)"

e2e_step "click on the sign; expect the click in the window below, then the sign gone within 6 s"
xdotool mousemove "$((${card%,*} + 98))" "$((${card#*,} + 36))" click 1
e2e_wait_for 3 grep -q ButtonPress "$E2E_WORK/clicks" || e2e_fail "the click did not reach the window below the sign"
e2e_expect_while_running 7 "the sign gone" sign_gone
