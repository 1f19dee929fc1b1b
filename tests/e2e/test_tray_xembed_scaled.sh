#!/usr/bin/env bash
# The tray entry on an XEmbed tray (trayer) on a monitor of another scale than the one at the X
# screen's origin: a 1440 x 900 monitor at scale 1 at the origin beside a 2880 x 1800 one at
# scale 2, the tray along the top of the second. The icon asks the tray for its side at the
# scale of the monitor its tray is on and draws the face at that scale; it follows when the
# monitors change places under the tray.
# Usage: test_tray_xembed_scaled.sh <path-to-tuftle>
# shellcheck source-path=SCRIPTDIR
source "$(dirname "$0")/lib.sh"

program=$(e2e_program_argument "$@")

# lay_out <scale of the monitor at the origin>: the other one, at the other scale, on its right.
# The second layout's monitors have names of their own: the toolkit can miss a monitor taken
# away and put back at once under its old name, and keep it where it was.
lay_out() {
  if (($1 == 1)); then
    xrandr --setmonitor SMALL 1440/300x900/190+0+0 screen >/dev/null
    xrandr --setmonitor BIG 2880/600x1800/375+1440+0 none >/dev/null
  else
    xrandr --delmonitor SMALL >/dev/null
    xrandr --delmonitor BIG >/dev/null
    xrandr --setmonitor BIG2 2880/600x1800/375+0+0 screen >/dev/null
    xrandr --setmonitor SMALL2 1440/300x900/190+2880+0 none >/dev/null
  fi
}

# icon_is <scale>: the icon in the tray is the standard 22 points wide at that scale, and so is
# the face drawn in it (about 20 points).
icon_is() {
  local drawn
  e2e_tray_icon_settled || return 1
  eval "$(xdotool getwindowgeometry --shell "$E2E_TRAY_ICON_WINDOW")"
  ((WIDTH == 22 * $1)) || return 1
  import -window root -crop "${WIDTH}x${HEIGHT}+$X+$Y" +repage "$E2E_WORK/icon.png" || return 1
  drawn=$(convert "$E2E_WORK/icon.png" -fuzz 20% -trim -format '%w' info:) || return 1
  ((drawn >= 16 * $1 && drawn <= 22 * $1))
}

E2E_TRAY=none E2E_SCREEN_SIZE=4320x1800 e2e_setup
lay_out 1
export QT_SCREEN_SCALE_FACTORS="SMALL=1;BIG=2;SMALL2=1;BIG2=2"
trayer --edge top --align right --widthtype request --height 48 --transparent false --monitor 1 \
  >"$E2E_WORK/trayer.log" 2>&1 &
e2e_track $!
e2e_wait_for 15 e2e__tray_owned || e2e_fail "trayer did not take _NET_SYSTEM_TRAY_S0"
e2e_defaults_set onboardingCompleted true

e2e_step "the icon in a tray on the 2x monitor, away from the origin"
e2e_start_app "$program"
e2e_expect_while_running 15 "the icon 44 pixels wide, with a face of about 40" icon_is 2
e2e_screenshot tray-xembed-scaled.png

e2e_step "the monitors change places: the tray is now on the 1x monitor"
lay_out 2
e2e_expect_while_running 15 "the icon 22 pixels wide, with a face of about 20" icon_is 1
