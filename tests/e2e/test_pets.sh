#!/usr/bin/env bash
# The pets on a real X display with openbox and a 40-pixel taskbar along the bottom: two pets at
# the taskbar's edge either side of the centre, with the part behind the edge left undrawn;
# hidden when the defaults say so; out of the way of a full-screen window. The real mouse drags
# one 300 pixels up: it stays where it was dropped and walks home after the short stay;
# meanwhile, with key counting on, the hundredth key brings the other out with the count sign.
# No compositor runs, so a pet's outline is its window's shape: while the pets hop, walk and dock,
# no screenshot of the taskbar may show anything of a pet below the taskbar's edge.
# Usage: test_pets.sh <path-to-tuftle>
# shellcheck source-path=SCRIPTDIR
source "$(dirname "$0")/lib.sh"

[[ $# -ge 1 ]] || e2e_fail "usage: $0 <path-to-tuftle>"
program=$1
[[ $program == /* ]] || program=$PWD/$program
[[ -x $program && -f $program ]] || e2e_fail "not an executable: $program"
build_dir=$(dirname "$program")
taskbar=$build_dir/bottom_panel
probe=$build_dir/fullscreen_probe
for helper in "$taskbar" "$probe"; do
  [[ -x $helper && -f $helper ]] || e2e_fail "not an executable: $helper (build the test helpers)"
done
for tool in wmctrl xdotool; do
  command -v $tool >/dev/null 2>&1 || e2e_fail "missing tool: $tool (run scripts/install-deps)"
done

# The screen is 1280 x 800 and the taskbar 40 high: its edge is at y = 760 from the top (lib.sh says
# where the homes are).
readonly taskbar_colour=1D2B36
readonly edge_y=760
readonly expected_pets="$E2E_PET_HOMES"
read -r home0 home1 <<<"$E2E_PET_HOMES"
readonly sign_spot=584,706 # the first pet just in front of its home, whole above the taskbar
window_title="tuftle-pets-fullscreen-$$"

no_pets_shown() {
  [[ -z $(e2e_pet_windows) ]]
}

# "<number of colours> <first colour>" of a region of the screenshot.
region_colours() {
  convert "$1" -crop "$2" +repage -format '%k %[hex:p{0,0}]' info:
}

start_and_wait_until_ready() {
  e2e_step "start the program (run $((E2E_APP_RUNS + 1))) and wait for its tray icon"
  e2e_start_app "$program"
  e2e_expect_while_running 10 "the tray icon in trayer" e2e_tray_icon_present
}

quit_in_order() {
  e2e_step "quit run $E2E_APP_RUNS with SIGTERM"
  e2e_kill_app TERM 5 || e2e_fail "still running 5 s after SIGTERM"
  [[ $E2E_APP_STATUS == 0 ]] || e2e_fail "exit status $E2E_APP_STATUS after SIGTERM, expected 0"
}

window_listed() {
  wmctrl -l | grep -qF -- "$window_title"
}

# pet_near <x,y> <tolerance>: some pet window's corner lies within the tolerance of x,y.
pet_near() {
  e2e_pet_windows | tr ' ' '\n' | awk -F, -v x="${1%,*}" -v y="${1#*,}" -v t="$2" \
    '{ dx = $1 - x; dy = $2 - y } dx * dx <= t * t && dy * dy <= t * t { found = 1 } END { exit !found }'
}

# The first screen row the first pet draws on, counted from 30 rows above its home: a hop moves
# the drawing, not necessarily the window.
first_pet_top() {
  local box
  box=$(import -window root -crop "52x60+${home0%,*}+$((${home0#*,} - 30))" +repage png:- 2>/dev/null |
    convert - -fuzz 10% -format '%@' info: 2>/dev/null)
  echo "${box##*+}"
}

# The root's child that holds a window (its window manager frame, or itself), in decimal.
top_level_of() {
  local id=$(($1)) root parent
  root=$(($(xwininfo -root | awk '/Window id:/ { print $4 }')))
  while parent=$(($(xwininfo -id "$id" -tree | awk '/Parent window id:/ { print $4 }'))); ((parent != root)); do
    id=$parent
  done
  echo "$id"
}

# The root's children in decimal, bottom of the stack first.
stacking_order() {
  local id
  for id in $(xwininfo -root -children | awk '$1 ~ /^0x/ { print $1 }'); do echo $((id)); done | tac
}

# Every pet panel lies above the window titled $window_title in the stacking order.
pets_above_window() {
  local client order frame_at pet
  client=$(wmctrl -l | awk -v t="$window_title" '$NF == t { print $1 }')
  [[ -n $client ]] || return 1
  order=$(stacking_order)
  frame_at=$(grep -nx -e "$(top_level_of "$client")" <<<"$order" | cut -d: -f1)
  [[ -n $frame_at ]] || return 1
  for pet in $(e2e_pet_window_ids); do
    (($(grep -nx -e "$((pet))" <<<"$order" | cut -d: -f1) > frame_at)) || return 1
  done
}

# Screenshots of the taskbar band, one after another, until watch_taskbar_stop.
watch_taskbar() {
  local n=0
  while [[ ! -e $E2E_WORK/taskbar-watch.stop ]]; do
    import -window root -crop "1280x$((800 - edge_y))+0+$edge_y" +repage "$E2E_WORK/taskbar-$((n++)).png" 2>/dev/null
    sleep 0.1
  done
}

# Stops the watch and fails when a screenshot shows more than the taskbar's colour.
watch_taskbar_stop() {
  touch "$E2E_WORK/taskbar-watch.stop"
  wait "$1"
  local shots=("$E2E_WORK"/taskbar-*.png) colours first shot bad=0
  ((${#shots[@]} > 10)) || e2e_fail "only ${#shots[@]} screenshots of the taskbar"
  while read -r colours first shot; do
    [[ $colours == 1 && ${first:0:6} == "$taskbar_colour" ]] && continue
    bad=$((bad + 1))
    cp "$shot" "$E2E_ARTIFACTS/"
  done < <(convert "${shots[@]}" -format '%k %[hex:p{0,0}] %d/%f\n' info:)
  ((bad == 0)) || e2e_fail "$bad of ${#shots[@]} screenshots show a pet over the taskbar (copied to $E2E_ARTIFACTS)"
}

e2e_setup
e2e_defaults_set keyCountingEnabled true
e2e_defaults_set dragStayDuration short
e2e_start_taskbar "$taskbar" "#$taskbar_colour"

start_and_wait_until_ready
e2e_step "expect both pets at their homes: $expected_pets"
e2e_expect_while_running 10 "two pets at $expected_pets" e2e_pet_windows_are "$expected_pets"

e2e_step "expect each pet drawn above the taskbar's edge and nothing of it below"
shot=$E2E_ARTIFACTS/pets-desktop.png
# Both pets out of their homes in the screenshot, the emergence that follows their coming up
# played out (the first pet's top row no longer rising); nothing of either may show below the
# edge in it.
pets_emerged() {
  local first # x and colours stay for the message below
  e2e_steady first_pet_top >/dev/null || return 1
  e2e_screenshot pets-desktop.png
  for x in 584 648; do
    read -r colours first <<<"$(region_colours "$shot" "52x30+$x+730")"
    ((colours > 8)) || return 1
  done
}
e2e_wait_for 10 pets_emerged || e2e_fail "no pet drawn above the taskbar at x=$x ($colours colours)"
for x in 584 648; do
  read -r colours first <<<"$(region_colours "$shot" "52x22+$x+$edge_y")"
  [[ $colours == 1 && ${first:0:6} == "$taskbar_colour" ]] ||
    e2e_fail "the pet at x=$x shows below the taskbar's edge ($colours colours, first $first)"
done

e2e_step "make a window full screen and expect the pets gone within 2 s"
"$probe" window "$window_title" >"$E2E_WORK/probe.log" 2>&1 &
e2e_track $!
e2e_expect_while_running 10 "the window in openbox's client list" window_listed
e2e_expect_while_running 2 "the pets raised above the new window" pets_above_window
wmctrl -a "$window_title"
wmctrl -r "$window_title" -b add,fullscreen
e2e_expect_while_running 2 "no pet shown over the full-screen window" no_pets_shown
e2e_step "take the window out of full screen and expect the pets back at home"
wmctrl -r "$window_title" -b remove,fullscreen
e2e_expect_while_running 4 "the pets back at $expected_pets" e2e_pet_windows_are "$expected_pets"

e2e_step "watch the taskbar while the pets hop, walk and dock"
mkdir -p "$E2E_ARTIFACTS"
watch_taskbar &
watcher=$!
e2e_track $watcher

e2e_step "press on the second pet, drag it 300 pixels up and let go"
xdotool mousemove 674 745 mousedown 1
for ((y = 725; y >= 445; y -= 20)); do xdotool mousemove 674 "$y" sleep 0.02; done
xdotool mouseup 1
dropped=$(e2e__now_us)

e2e_step "press keys until the first pet hops, then type 100 characters"
resting_top=$(first_pet_top)
while (($(first_pet_top) > resting_top - 4)); do
  (($(e2e__now_us) - dropped < 5000000)) || e2e_fail "no pet reacted to a key within 5 s"
  xdotool key z sleep 0.2
done
xdotool type --delay 20 "$(printf 'k%.0s' {1..100})"
e2e_expect_while_running 3 "the first pet out at $sign_spot" pet_near "$sign_spot" 0
# The count sign raised on the first pet: its cream card in the screenshot.
sign_raised() {
  e2e_screenshot pet-count-sign.png
  pixels=$(convert "$E2E_ARTIFACTS/pet-count-sign.png" -crop "52x52+${sign_spot/,/+}" +repage -fuzz 6% \
    -fill '#FF00FF' -opaque '#FCEDBF' -fill black +opaque '#FF00FF' -format '%[fx:round(w*h*mean.r)]' info:)
  ((pixels > 100))
}
e2e_expect_while_running 5 "the count sign on the first pet" sign_raised

e2e_step "expect the dropped pet to stay put for the short stay, then walk home"
while (($(e2e__now_us) - dropped < 13000000)); do sleep 0.2; done
pet_near 648,430 60 || e2e_fail "the dropped pet left before its stay was over: $(e2e_pet_windows)"
e2e_expect_while_running 12 "the second pet back at $home1" pet_near "$home1" 0
e2e_step "expect no screenshot to show a pet below the taskbar's edge"
watch_taskbar_stop $watcher
quit_in_order

e2e_step "store petsVisible = false and start again"
e2e_defaults_set petsVisible false
start_and_wait_until_ready
sleep 2
e2e_step "expect no pet on the screen"
no_pets_shown || e2e_fail "pets shown although petsVisible is false: $(e2e_pet_windows)"
e2e_defaults_is petsVisible false || e2e_fail "petsVisible is no longer false"
quit_in_order
