#!/usr/bin/env bash
# A desktop where another program already keeps many windows when the program starts: 100 hidden
# ones (never shown, withdrawn, minimized) and three shown. The pets come up over its shown
# windows and stay over them while it raises them; its popup menu, which it made before the
# hidden windows and maps where it was made, far below the pets, still comes over them.
# Usage: test_crowded_desktop.sh <path-to-tuftle>
# shellcheck source-path=SCRIPTDIR
source "$(dirname "$0")/lib.sh"

program=$(e2e_program_argument "$@")
client=$(dirname "$program")/crowded_client
[[ -x $client && -f $client ]] || e2e_fail "not an executable: $client (build the crowded_client target)"
readonly hidden=100

pets_shown() { [[ $(e2e_pet_window_ids | wc -l) == 2 ]]; }
# above TOP "BOTTOM...": among the root's children, TOP lies above every BOTTOM.
above() {
  xwininfo -root -children | awk -v top="$1" -v bottoms="$2" '
    BEGIN { n = split(bottoms, b); for (i = 1; i <= n; i++) bottom[b[i]] = 1 }
    $1 == top { seen = 1 } $1 in bottom && !seen { under = 1 } END { exit !(seen && !under) }'
}
# How many of the root's children lie between the lowest pet and WINDOW below it.
children_between_pets_and() {
  xwininfo -root -children | awk -v w="$1" -v pets="$(e2e_pet_window_ids)" '
    BEGIN { n = split(pets, p); for (i = 1; i <= n; i++) pet[p[i]] = 1; count = "" }
    $1 !~ /^0x/ { next } $1 == w { print count; exit } $1 in pet { count = 0; next } count != "" { count++ }'
}
frames() {
  local w
  for w in $shown; do xwininfo -id "$w" -tree | awk '/Parent window id:/ { print $4 }'; done
}
pets_over_frames() {
  local pet
  for pet in $(e2e_pet_window_ids); do above "$pet" "$(frames)" || return 1; done
}
popup_over_pets() { above "$popup" "$(e2e_pet_window_ids)"; }
# tell COMMAND ANSWER: the client does as told and answers.
answers() { grep -c "^$1" "$E2E_WORK/client.out" || true; }
answered_again() { (($(answers "$1") > $2)); }
tell() {
  local before
  before=$(answers "$2")
  echo "$1" >"$E2E_WORK/client.in"
  e2e_wait_for 10 answered_again "$2" "$before" ||
    e2e_fail "the client did not answer \"$1\": $(tail -n 1 "$E2E_WORK/client.out")"
}

e2e_setup
e2e_defaults_set onboardingCompleted true # only the pets on the screen

e2e_step "another program shows 3 windows, makes a popup and $hidden hidden windows"
mkfifo "$E2E_WORK/client.in"
"$client" "$hidden" <>"$E2E_WORK/client.in" >"$E2E_WORK/client.out" 2>&1 &
e2e_track $!
e2e_wait_for 20 grep -q '^ready' "$E2E_WORK/client.out" ||
  e2e_fail "the client is not ready: $(tail -n 1 "$E2E_WORK/client.out")"
popup=$(awk '/^popup / { print $2 }' "$E2E_WORK/client.out")
shown=$(sed -n 's/^shown //p' "$E2E_WORK/client.out")

e2e_step "start the program: the pets come up over the client's windows"
e2e_start_app "$program"
e2e_expect_while_running 10 "the pets on the desktop" pets_shown
e2e_expect_while_running 5 "the pets over the client's shown windows" pets_over_frames
between=$(children_between_pets_and "$popup")
# At least the client's windows that were never shown: the minimized ones may lie lower.
((between >= hidden * 8 / 10)) || e2e_fail "only ${between:-no} windows lie between the pets and the client's popup"

e2e_step "the client raises its shown windows: the pets stay over them"
for _ in 1 2 3 4 5 6; do
  tell raise raised
  e2e_expect_while_running 5 "the pets over the client's shown windows after a raise" pets_over_frames
done

e2e_step "the client maps its popup $between windows below the pets: it comes over them"
tell popup popped
e2e_expect_while_running 5 "the popup over the pets" popup_over_pets
e2e_screenshot crowded-desktop-popup.png
e2e_expect_while_running 5 "the pets over the client's shown windows under the popup" pets_over_frames

e2e_step "the popup closes and the client raises a window again: the pets stay over it"
tell close closed
tell raise raised
e2e_expect_while_running 5 "the pets over the client's shown windows after the popup" pets_over_frames
e2e_app_running || e2e_fail "the program ended"
