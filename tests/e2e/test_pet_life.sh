#!/usr/bin/env bash
# The pets' own life, at the liveliest level with the most frequent scenes: within three minutes a
# pet leaves home and comes back, and once nobody has touched the desktop for longer than the calm
# pet's sleep threshold (210 s of the X server's idle time, which no input ever resets here), that
# pet sleeps at home. About four minutes. Usage: test_pet_life.sh <path-to-tuftle>
# shellcheck source-path=SCRIPTDIR
source "$(dirname "$0")/lib.sh"

program=$1
[[ $program == /* ]] || program=$PWD/$program
taskbar=$(dirname "$program")/bottom_panel
read -r home0 home1 <<<"$E2E_PET_HOMES"

pets_at_home() { [[ $(e2e_pet_windows) == "$E2E_PET_HOMES" ]]; }

# "<pet> <pixels>" of the pet farthest from its home.
farthest_from_home() {
  e2e_pet_windows | tr ' ' '\n' | awk -F, -v h="${home0/,/ } ${home1/,/ }" '
    BEGIN { split(h, p, " ") }
    NF == 2 { for (i = 0; i < 2; i++) d[i] = sqrt(($1 - p[2 * i + 1]) ^ 2 + ($2 - p[2 * i + 2]) ^ 2)
      i = d[1] < d[0]; if (d[i] > far) { far = d[i]; pet = i } }
    END { printf "%d %d\n", pet, far }'
}

# Rows of pet 1's part above the taskbar holding light eye pixels: 8 open, 3 drowsy, 1 or 0 asleep.
eye_rows() {
  convert "$1" -crop "52x30+${home1/,/+}" +repage -fx 'r>0.5?1:0' -scale '1x30!' -fx 'r>0?1:0' \
    -format '%[fx:round(h*mean.r)]' info:
}

e2e_setup
server_started=$(e2e__now_us)
e2e_defaults_set onboardingCompleted true
e2e_defaults_set automaticUpdateChecks false
e2e_defaults_set activityLevel lively
python3 - "$HOME/.config/tuftle/defaults.plist" <<'EOF'
import json, plistlib, sys
with open(sys.argv[1], "rb") as f:
    values = plistlib.load(f)
neutral = {"sceneFrequency": 1.0, "interactionFrequency": 1.0, "travelDistance": 1.0}
values["activityTunings"] = json.dumps([neutral, neutral, dict(neutral, sceneFrequency=1.6)]).encode()
with open(sys.argv[1], "wb") as f:
    plistlib.dump(values, f, fmt=plistlib.FMT_XML)
EOF
e2e_start_taskbar "$taskbar" "#1D2B36"
e2e_step "start the program and expect both pets at home: $E2E_PET_HOMES"
e2e_start_app "$program"
e2e_expect_while_running 10 "two pets at $E2E_PET_HOMES" pets_at_home
started=$(e2e__now_us)

e2e_step "within three minutes, expect a pet 40 pixels from home (beyond a peek or scoot) and back"
away_pet=""
while [[ -z $away_pet || " $(e2e_pet_windows) " != *" $([[ $away_pet == 0 ]] && echo "$home0" || echo "$home1") "* ]]; do
  e2e_app_running || e2e_fail "the program exited while the pets were living"
  read -r pet far <<<"$(farthest_from_home)"
  if [[ -z $away_pet ]] && ((far >= 40)); then
    away_pet=$pet
    e2e_screenshot pet-life-away.png
  fi
  (($(e2e__now_us) - started < 180000000)) || e2e_fail "no pet went out and back (now $(e2e_pet_windows))"
  sleep 0.2
done

e2e_step "after 210 s without input, expect the calm pet at home with its eyes shut for 6 s on end"
while (($(e2e__now_us) - server_started < 210000000)); do sleep 1; done
# A sleeping scene shuts the eyes for 4 s; the sleeping pose until the pet's next turn, 8 s on.
closed_since=""
deadline=$(($(e2e__now_us) + $(e2e__timeout_us 90)))
while [[ -z $closed_since ]] || (($(e2e__now_us) - closed_since < 6000000)); do
  e2e_app_running || e2e_fail "the program exited while waiting for the sleeping pose"
  e2e_screenshot pet-life-check.png >/dev/null
  rows=$(eye_rows "$E2E_ARTIFACTS/pet-life-check.png")
  if [[ " $(e2e_pet_windows) " == *" $home1 "* ]] && ((rows <= 1)); then
    closed_since=${closed_since:-$(e2e__now_us)}
  else
    closed_since=""
  fi
  (($(e2e__now_us) < deadline)) || e2e_fail "the calm pet never slept at home (eye rows: $rows)"
  sleep 0.5
done
mv "$E2E_ARTIFACTS/pet-life-check.png" "$E2E_ARTIFACTS/pet-life-asleep.png"
