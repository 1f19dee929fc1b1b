#!/usr/bin/env bash
# Lively pets roam out and back within 3 minutes; after 210 s of X idle time the calm pet sleeps.
# shellcheck source-path=SCRIPTDIR
source "$(dirname "$0")/lib.sh"

program=$(realpath "$1")
home1=${E2E_PET_HOMES#* }
pets_at_home() { [[ $(e2e_pet_windows) == "$E2E_PET_HOMES" ]]; }
# A roam climbs 45 pixels above the approach point (y 706), where scenes stop; peeks stay lower.
a_pet_roams() { e2e_pet_windows | tr ' ' '\n' | awk -F, '$2 < 680 { f = 1 } END { exit !f }'; }
# Rows of pet 1's part above the taskbar with light eye pixels: 8 open, 3 drowsy, at most 1 asleep.
eyes_shut() {
  e2e_screenshot pet-life-asleep.png &&
    (($(convert "$E2E_ARTIFACTS/pet-life-asleep.png" -crop "52x30+${home1/,/+}" +repage -fx 'r>0.5?1:0' \
      -scale '1x30!' -fx 'r>0?1:0' -format '%[fx:round(h*mean.r)]' info:) <= 1)) &&
    [[ " $(e2e_pet_windows) " == *" $home1 "* ]]
}

e2e_setup
server_started=$(e2e__now_us)
e2e_defaults_set onboardingCompleted true
e2e_defaults_set activityLevel lively
e2e_start_taskbar "$(dirname "$program")/bottom_panel" "#1D2B36"
e2e_step "start the program and expect both pets at home: $E2E_PET_HOMES"
e2e_start_app "$program"
e2e_expect_while_running 10 "two pets at $E2E_PET_HOMES" pets_at_home
e2e_step "expect a pet to roam away within three minutes and come back"
e2e_expect_while_running 180 "a pet roaming" a_pet_roams
sleep 0.8 # into the roam: its first frames may still show the home edge's cut
e2e_screenshot pet-life-away.png
e2e_expect_while_running 30 "both pets back home" pets_at_home

e2e_step "after 210 s without input, expect the calm pet at home with its eyes shut for 6 s on end"
while (($(e2e__now_us) - server_started < 210000000)); do sleep 1; done
shut_for_6s() { eyes_shut && sleep 3 && eyes_shut && sleep 3 && eyes_shut; }
e2e_expect_while_running 90 "the calm pet asleep for 6 s on end" shut_for_6s
