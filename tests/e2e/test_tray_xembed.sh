#!/usr/bin/env bash
# The tray entry on an XEmbed tray (trayer): the face shows, and clicks open and close the panel;
# a Control+click does nothing even when the program gets to it after Control was let go.
source "$(dirname "$0")/lib.sh"
e2e_setup
e2e_defaults_set onboardingCompleted true # the welcome window would take the activation

e2e_step "start the program and wait for its icon in trayer"
e2e_start_app "$1"
e2e_expect_while_running 10 "the tray icon in trayer" e2e_tray_icon_present
eval "$(xdotool getwindowgeometry --shell "$E2E_TRAY_ICON_WINDOW")"
e2e_check_tray_clicks $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) tray-xembed

# A quick user's second click comes within the double-click time of the first, and Qt reports
# it as a double click, not a press.
e2e_step "Escape closes the panel, and a click on the icon at once opens it again"
sleep 0.5 # past the moment in which a tray click counts as the one that closed the panel
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 1
e2e_expect_while_running 5 "the panel popup" e2e_popup_origin
xdotool key Escape
e2e_expect_while_running 5 "Escape to close the panel" e2e__popup_closed
xdotool click 1
e2e_expect_while_running 5 "the click after Escape to open the panel" e2e_popup_origin

e2e_step "a Control+click the program handles only after Control was let go does nothing"
xdotool key Escape
e2e_expect_while_running 5 "Escape to close the panel" e2e__popup_closed
kill -STOP "$E2E_APP_PID"
xdotool keydown ctrl click 1 keyup ctrl
kill -CONT "$E2E_APP_PID"
e2e_panel_stays_closed "a Control+click opened the panel once the program got to it"
