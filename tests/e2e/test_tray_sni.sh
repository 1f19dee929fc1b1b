#!/usr/bin/env bash
# The tray entry as a StatusNotifierItem in xfce4-panel, a panel started after the program: the
# entry moves to it, the face shows, clicks open and close the panel, and the right click,
# which this host answers with the item's own menu, reaches the program through that menu.
# When the panel quits for good the entry goes back to an XEmbed tray (trayer), and moves to
# the panel again when it returns.
E2E_TRAY=later
source "$(dirname "$0")/lib.sh"
e2e_setup
e2e_defaults_set onboardingCompleted true # the welcome window would take the activation

# The bounding box "W H X Y" of what the panel (the bottom 32 pixels) shows on its ground.
panel_content() {
  local box=$(import -window root -crop 1280x32+0+768 +repage png:- | convert png:- -trim -format '%w %h %X %Y' info:)
  read -r w h x y <<<"${box//+/}"
  ((w > 0 && w < 200)) && echo "$w $h $x $((y + 768))"
}
# One icon only, its box kept in ICON: the XEmbed icon the program showed before is gone, and
# the host has drawn it whole and for the last time (what it draws there first may be a sliver).
one_icon() {
  local box w h x y
  box=$(e2e_steady panel_content) || return 1
  read -r w h x y <<<"$box"
  ((w <= 32)) && e2e_squarish "$w" "$h" 8 && ICON=$box
}
# The watcher lists an item whose connection belongs to the program.
item_registered() {
  local item pid
  for item in $(dbus-send --session --print-reply=literal --dest=org.kde.StatusNotifierWatcher \
    /StatusNotifierWatcher org.freedesktop.DBus.Properties.Get string:org.kde.StatusNotifierWatcher \
    string:RegisteredStatusNotifierItems | grep -o '[^ ]*StatusNotifierItem[^ ]*'); do
    pid=$(dbus-send --session --print-reply=literal --dest=org.freedesktop.DBus / \
      org.freedesktop.DBus.GetConnectionUnixProcessID "string:${item%%/*}" | awk '{ print $2 }')
    [[ $pid == "$E2E_APP_PID" ]] && return 0
  done
  return 1
}

e2e_step "start the program while no tray host runs"
e2e_start_app "$1"
e2e_expect_while_running 10 "the pets" e2e_pet_window_ids
e2e_step "start xfce4-panel: the program's entry moves to it"
e2e_start_sni_host
e2e_expect_while_running 10 "the item registered with the watcher" item_registered
e2e_expect_while_running 10 "the icon drawn in the panel, alone" one_icon
read -r w h x y <<<"$ICON"
cx=$((x + w / 2)) cy=$((y + h / 2))

e2e_step "a right click shows the item's menu"
xdotool mousemove $cx $cy click 3
e2e_expect_while_running 5 "the host's menu" e2e_sni_host_menu
e2e_screenshot tray-sni-menu.png
e2e_step "its entry opens the panel by the icon"
read -r mx my < <(e2e_sni_host_menu)
xdotool mousemove "$mx" "$my" click 1
e2e_expect_while_running 5 "the panel popup" e2e_popup_origin
read -r menu_px menu_py < <(e2e_popup_origin)
e2e_step "a right click on the icon then only closes the panel"
xdotool mousemove $cx $cy click 3
e2e_expect_while_running 5 "the panel to close" e2e__popup_closed
sleep 0.5 # a menu the host shows for that click would be up by now
! e2e_sni_host_menu >/dev/null || e2e_fail "the right click that closed the panel also showed the host's menu"

e2e_check_tray_clicks $cx $cy tray-sni
e2e_step "the panel the menu opened sat where a left click puts it"
sleep 0.5 # past the moment in which a tray click counts as the one that closed the panel
xdotool mousemove $cx $cy click 1
e2e_expect_while_running 5 "the panel popup" e2e_popup_origin
read -r px py < <(e2e_popup_origin)
[[ "$menu_px $menu_py" == "$px $py" ]] || e2e_fail "the menu's entry put the panel at $menu_px,$menu_py, a left click at $px,$py"
xdotool key Escape
e2e_expect_while_running 5 "the panel to close" e2e__popup_closed

e2e_step "a program that answers the host's menu late still opens the panel by the icon"
# The host shows its menu without waiting for the program; held still, the program reads the
# pointer only once it is on the menu's entry.
kill -STOP "$E2E_APP_PID"
xdotool mousemove $cx $cy click 3
e2e_expect_while_running 5 "the host's menu while the program is held" e2e_sni_host_menu
read -r mx my < <(e2e_sni_host_menu)
xdotool mousemove "$mx" "$my"
kill -CONT "$E2E_APP_PID"
sleep 0.5 # the program takes in the host's call
xdotool click 1
e2e_expect_while_running 5 "the panel popup" e2e_popup_origin
read -r late_px late_py < <(e2e_popup_origin)
[[ "$late_px $late_py" == "$px $py" ]] || e2e_fail "a late answer put the panel at $late_px,$late_py, a left click at $px,$py"
xdotool key Escape
e2e_expect_while_running 5 "the panel to close" e2e__popup_closed

e2e_step "a host that sends ContextMenu opens the panel too, here while its menu holds the pointer"
xdotool mousemove $cx $cy click 3
e2e_expect_while_running 5 "the host's menu" e2e_sni_host_menu
dbus-send --session --type=method_call --dest="org.kde.StatusNotifierItem-$E2E_APP_PID-1" /StatusNotifierItem \
  org.kde.StatusNotifierItem.ContextMenu int32:$cx int32:$cy
e2e_expect_while_running 5 "the panel popup" e2e_popup_origin
xdotool key Escape # to the host's menu, which has the keyboard
e2e_expect_while_running 5 "the host's menu to close" eval '! e2e_sni_host_menu'
e2e_popup_origin >/dev/null || e2e_fail "the panel closed with the host's menu"
e2e_step "a right click on the icon then only closes the panel"
sleep 0.3 # as a person would, not within the same instant
xdotool mousemove $cx $cy click 3
e2e_expect_while_running 5 "the panel to close" e2e__popup_closed
sleep 0.5 # a menu the host shows for that click would be up by now
! e2e_sni_host_menu >/dev/null || e2e_fail "the right click that closed the panel also showed the host's menu"

e2e_step "xfce4-panel quits for good and trayer starts: the entry goes back to XEmbed"
e2e_stop_sni_host
e2e__start_tray
trayer_pid=${E2E_PIDS[-1]}
e2e_expect_while_running 15 "the tray icon in trayer" e2e_tray_icon_present
e2e_step "a click on it opens the panel"
e2e_expect_while_running 5 "the icon where trayer's layout leaves it" e2e_tray_icon_settled
e2e_open_panel
e2e_screenshot tray-sni-back-to-xembed.png
xdotool key Escape
e2e_expect_while_running 5 "the panel to close" e2e__popup_closed

e2e_step "trayer quits and xfce4-panel starts again: the entry moves back to it"
kill -TERM "$trayer_pid" && wait "$trayer_pid" 2>/dev/null || true
e2e__untrack "$trayer_pid"
e2e_start_sni_host
e2e_expect_while_running 10 "the item registered with the watcher" item_registered
e2e_expect_while_running 10 "the icon drawn in the panel, alone" one_icon
