#!/usr/bin/env bash
# On an xfce4-panel that hides, which reserves no room, a left click on the entry opens the
# panel at the edge of the revealed host's panel, off it, as on a panel that stays: along the
# bottom and the top of a 2880 x 1800 screen, the host and the program at scales 1 and 2, and
# with the host started after the program. The entry of the item's menu, for a right click,
# opens it in the same place.
E2E_TRAY=later
E2E_SCREEN_SIZE=2880x1800
source "$(dirname "$0")/lib.sh"
e2e_setup
e2e_defaults_set onboardingCompleted true # the welcome window would take the activation

readonly screen_w=2880 screen_h=1800
# How far the panel may stand off the host's panel's edge: what rounding at scale 2 leaves.
readonly slack=2

# "X Y W H" of the host's panel while it is out: a shown dock window, thicker than the strip
# it leaves at the edge while hidden, wholly on the screen.
panel_out() {
  local id
  for id in $(xprop -root _NET_CLIENT_LIST | grep -o '0x[0-9a-f]*'); do
    xprop -id "$id" _NET_WM_WINDOW_TYPE | grep -q _NET_WM_WINDOW_TYPE_DOCK || continue
    xwininfo -id "$id" | awk -v sw=$screen_w -v sh=$screen_h '/Absolute upper-left X/ { x = $NF }
      /Absolute upper-left Y/ { y = $NF } /Width:/ { w = $NF } /Height:/ { h = $NF } /IsViewable/ { shown = 1 }
      END { if (shown && h > 8 && x >= 0 && y >= 0 && x + w <= sw && y + h <= sh) print x, y, w, h }'
  done | grep .
}
# The host's panel out at the screen's edge, its box kept in PANEL.
panel_at_edge() {
  local x y w h
  PANEL=$(e2e_steady panel_out) || return 1
  read -r x y w h <<<"$PANEL"
  if [[ $edge == bottom ]]; then ((y + h == screen_h)); else ((y == 0)); fi
}
# "W H X Y" of what the right end of the host's panel, where its notification area is, shows
# on its ground inside its border: the icon (the pets may stand on the rest of the panel).
panel_icon() {
  local x y w h end=$((160 * host)) box bw bh bx by
  read -r x y w h <<<"$PANEL"
  box=$(import -window root -crop ${end}x$((h - 2 * host))+$((x + w - end))+$((y + host)) +repage png:- |
    convert png:- -trim -format '%w %h %X %Y' info:)
  read -r bw bh bx by <<<"${box//+/}"
  ((bw > 0 && bw <= h)) && echo "$bw $bh $((bx + x + w - end)) $((by + y + host))"
}
# The icon drawn alone, whole and for the last time, its box kept in ICON.
icon_drawn() {
  local w h x y
  ICON=$(e2e_steady panel_icon) || return 1
  read -r w h x y <<<"$ICON"
  e2e_squarish "$w" "$h" $((12 * host))
}

# Brings the host's panel out with the pointer at the screen's edge, from away from it.
bring_panel_out() {
  xdotool mousemove $((screen_w / 2)) $((screen_h / 2))
  if [[ $edge == bottom ]]; then xdotool mousemove $((screen_w / 2)) $((screen_h - 1)); else xdotool mousemove $((screen_w / 2)) 0; fi
  e2e_expect_while_running 10 "the host's panel out at the $edge edge" panel_at_edge
}

# The edge, the host's scale and the program's, when the host's panel hides (2 always, 1 when
# a window would cover it), and what starts first, in turn.
for round in "bottom 1 1 2 host" "top 1 1 2 host" "bottom 2 2 2 host" "top 2 2 2 host" "bottom 2 1 2 host" \
  "top 1 1 1 program"; do
  read -r edge host app hides first <<<"$round"
  size="$((382 * app))x$((426 * app))"
  e2e_step "xfce4-panel that hides ($hides) along the $edge at scale $host, the program at $app, $first first"
  position=8 && [[ $edge == bottom ]] || position=6
  sed -e "s/p=8;/p=$position;/" \
    -e "s|<property name=\"size\"|<property name=\"autohide-behavior\" type=\"uint\" value=\"$hides\"/>&|" \
    "$E2E_LIB_DIR/xfce4-panel.xml" >"$E2E_WORK/hiding-panel.xml"
  # The settings store outlives the host and reads its file only when it starts.
  if e2e__bus_has org.xfce.Xfconf; then
    xfconf-query -c xfce4-panel -p /panels/panel-1/position -s "p=$position;x=0;y=0"
    xfconf-query -c xfce4-panel -p /panels/panel-1/autohide-behavior -s "$hides"
  fi
  if [[ $first == program ]]; then
    QT_SCALE_FACTOR=$app e2e_start_app "$1"
    e2e_expect_while_running 10 "the pets" e2e_pet_window_ids
  fi
  E2E_PANEL_CONFIG=$E2E_WORK/hiding-panel.xml GDK_SCALE=$host e2e_start_sni_host
  [[ $first == program ]] || QT_SCALE_FACTOR=$app e2e_start_app "$1"

  e2e_step "the pointer at the $edge edge brings the host's panel out"
  bring_panel_out
  read -r _ panel_y _ panel_h <<<"$PANEL"
  e2e_expect_while_running 15 "the icon drawn in the host's panel, alone" icon_drawn
  read -r w h x y <<<"$ICON"
  cx=$((x + w / 2)) cy=$((y + h / 2))

  e2e_step "a left click on the icon at $cx,$cy opens the panel ($size) at the host's panel's edge, off it"
  xdotool mousemove $cx $cy click 1
  e2e_expect_while_running 5 "the panel popup" e2e_popup_box "$size"
  read -r px py pw ph < <(e2e_popup_box "$size")
  e2e_screenshot "tray-sni-hiding-$edge-$host-$app-$hides.png"
  if [[ $edge == bottom ]]; then gap=$((panel_y - py - ph)); else gap=$((py - panel_y - panel_h)); fi
  ((gap >= 0)) || e2e_fail "the panel at $px,$py ($size) covers $((-gap)) px of the host's panel at $PANEL"
  ((gap <= slack)) || e2e_fail "the panel at $px,$py ($size) stands $gap px off the host's panel at $PANEL"
  ((cx >= px && cx <= px + pw && px + pw <= screen_w)) || e2e_fail "the panel at $px,$py ($size) is not by the icon at $cx,$cy"
  xdotool key Escape
  e2e_expect_while_running 5 "the panel to close" eval '! e2e_popup_box "$size"'

  e2e_step "the entry of the item's menu opens the panel where the left click did"
  bring_panel_out
  xdotool mousemove $cx $cy click 3
  e2e_expect_while_running 5 "the host's menu" e2e_sni_host_menu
  read -r mx my < <(e2e_sni_host_menu)
  xdotool mousemove "$mx" "$my" click 1
  e2e_expect_while_running 5 "the panel popup" e2e_popup_box "$size"
  read -r menu_px menu_py _ < <(e2e_popup_box "$size")
  [[ "$menu_px $menu_py" == "$px $py" ]] || e2e_fail "the menu's entry put the panel at $menu_px,$menu_py, a left click at $px,$py"
  xdotool key Escape
  e2e_expect_while_running 5 "the panel to close" eval '! e2e_popup_box "$size"'

  e2e_kill_app TERM 10 || e2e_fail "the program did not end"
  e2e_stop_sni_host
done
