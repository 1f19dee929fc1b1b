# shellcheck shell=bash
# Shared helpers for the end-to-end tests: the real program on a private Xvfb with openbox and a
# trayer tray, under a temporary HOME and TMPDIR. Source this file, call e2e_setup, then drive
# the program.
#
# Every process started here is a direct child of the test shell and is stopped by its PID in
# e2e_teardown (the EXIT trap); nothing is ever killed by name, since other programs share the
# machine. Quiet on success; on failure the steps, the program's output and the helpers' logs
# are printed.
#
# Environment:
#   TUFTLE_E2E_ARTIFACTS      where screenshots go (default ./e2e-artifacts)
#   TUFTLE_E2E_TIMEOUT_SCALE  multiplies every timeout, e.g. 3 under valgrind (default 1)
#   TUFTLE_E2E_KEEP=1         keep the work directory after the test

set -Eeuo pipefail

E2E_LIB_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
E2E_TEST_NAME=$(basename "$0" .sh)
E2E_WORK=""
E2E_ARTIFACTS=""
E2E_PIDS=()                 # tracked processes, in start order
E2E_STEPS=()
E2E_APP_PID=""
E2E_APP_STATUS=""
E2E_APP_RUNS=0
E2E_APP_STDOUT=""
E2E_APP_STDERR=""
E2E_APP_DIR=""              # where the program and the helpers built beside it are
E2E_TRAY_CLASS='("panel" "trayer")'
E2E_XVFB_PID=""
E2E_TRAY=${E2E_TRAY:-trayer}  # or xfce4-panel: a StatusNotifierItem host on a private bus;
                              # or later: only the bus, the test calls e2e_start_sni_host;
                              # or none: a desktop with no tray at all
E2E_PANEL_GROUP=""          # the process group of xfce4-panel and its plugin process
E2E_FAILURE_SCREENSHOT=""

# ---------------------------------------------------------------------------------------------
# Looking for windows

# e2e_search <xdotool search arguments...>: xdotool search, asked again when a window destroyed
# while it walked the tree (a tooltip, a popup closing) made it fail; status 1 when it finds none.
e2e_search() {
  local out
  for _ in 1 2 3 4 5; do
    out=$(xdotool search "$@" 2>&1) || true
    [[ $out == *'X Error'* ]] || break
    sleep 0.05
  done
  out=$(grep -x '[0-9][0-9]*' <<<"$out") && printf '%s\n' "$out"
}

# e2e_window_box <id>: prints "X Y W H" of the window while it is mapped.
e2e_window_box() {
  xwininfo -id "$1" 2>/dev/null | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
    /Width:/ { w = $NF } /Height:/ { h = $NF } /Map State/ { m = $NF } END { if (m == "IsViewable") print x, y, w, h }'
}

# e2e_drawn_box X Y W H: prints "W H X Y" of what is drawn in that box of the screen, the place
# relative to the box; status 1 when nothing is.
e2e_drawn_box() {
  local box
  box=$(import -window root -crop "$3x$4+$1+$2" +repage png:- | convert png:- -fuzz 20% -trim -format '%w %h %X %Y' info:)
  box=${box//+/}
  [[ $box =~ ^[0-9]+\ [0-9]+\ -?[0-9]+\ -?[0-9]+$ && ${box%% *} -gt 1 ]] && echo "$box"
}

# Prints "X Y W H" of each mapped pet panel window of the program: 100 points square at scale 1
# or 2.
e2e_pet_boxes() {
  local id
  for id in $(xwininfo -root -children 2>/dev/null |
    awk '$1 ~ /^0x/ && (index($0, " 100x100+") || index($0, " 200x200+")) { print $1 }'); do
    [[ $(xprop -id "$id" _NET_WM_PID 2>/dev/null) == *"= $E2E_APP_PID" ]] && e2e_window_box "$id"
  done
}

# ---------------------------------------------------------------------------------------------
# Reporting

# Records what the test is doing; printed only when it fails.
e2e_step() {
  E2E_STEPS+=("$*")
}

e2e_fail() {
  printf '%s: FAIL: %s\n' "$E2E_TEST_NAME" "$*" >&2
  exit 1
}

e2e__on_error() {
  printf '%s: FAIL: line %s: command failed (status %s): %s\n' \
    "$E2E_TEST_NAME" "$1" "$2" "$3" >&2
}
trap 'e2e__on_error "$LINENO" "$?" "$BASH_COMMAND"' ERR

e2e__print_file() {
  local title=$1 file=$2 lines=${3:-60}
  [[ -e $file ]] || return 0
  printf -- '--- %s (%s)\n' "$title" "$file" >&2
  if [[ -s $file ]]; then
    tail -n "$lines" "$file" >&2
  else
    printf '(empty)\n' >&2
  fi
}

# What the screen held when the test failed, in words: the screenshot stays on the machine that
# ran the test, this goes out with its log.
e2e__note_screen_state() {
  [[ -n ${DISPLAY:-} ]] && e2e__alive "${E2E_XVFB_PID:-}" || return 0
  local id info
  xdotool getmouselocation
  xprop -root _NET_ACTIVE_WINDOW
  [[ -n ${E2E_APP_PID:-} ]] || return 0
  echo "the program's viewable windows:"
  for id in $(e2e_search --onlyvisible --pid "$E2E_APP_PID" .); do
    xwininfo -id "$id" 2>/dev/null | awk -v id="$id" '/Absolute upper-left X/ { x = $NF }
      /Absolute upper-left Y/ { y = $NF } /Width:/ { w = $NF } /Height:/ { h = $NF }
      END { printf "  %#x %sx%s+%s+%s\n", id, w, h, x, y }'
  done
  echo "the root's viewable children, topmost first:"
  xwininfo -root -children 2>/dev/null | awk '$1 ~ /^0x/' | while read -r id _; do
    info=$(xwininfo -id "$id" 2>/dev/null) && [[ $info == *IsViewable* ]] &&
      awk -v id="$id" '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
        /Width:/ { w = $NF } /Height:/ { h = $NF } END { printf "  %s %sx%s+%s+%s\n", id, w, h, x, y }' <<<"$info"
  done | head -n 20
}

e2e__report_failure() {
  local status=$1 i run
  {
    if ((status > 128)); then
      printf '%s: interrupted by signal %s\n' "$E2E_TEST_NAME" "$((status - 128))"
    fi
    printf '=== %s failed; steps:\n' "$E2E_TEST_NAME"
    for i in "${!E2E_STEPS[@]}"; do
      if ((i == ${#E2E_STEPS[@]} - 1)); then
        printf '  %2d. %s   <-- failed here\n' "$((i + 1))" "${E2E_STEPS[$i]}"
      else
        printf '  %2d. %s\n' "$((i + 1))" "${E2E_STEPS[$i]}"
      fi
    done
  } >&2
  [[ -n $E2E_WORK ]] || return 0
  for ((run = 1; run <= E2E_APP_RUNS; run++)); do
    e2e__print_file "program run $run stderr" "$E2E_WORK/app-$run.stderr" 200
    e2e__print_file "program run $run stdout" "$E2E_WORK/app-$run.stdout" 40
  done
  e2e__print_file "defaults.plist" "$HOME/.config/tuftle/defaults.plist" 80
  e2e__print_file "Xvfb log" "$E2E_WORK/xvfb.log" 20
  e2e__print_file "openbox log" "$E2E_WORK/openbox.log" 20
  e2e__print_file "trayer log" "$E2E_WORK/trayer.log" 20
  e2e__print_file "panel log" "$E2E_WORK/panel.log" 20
  local log
  for log in "$E2E_WORK"/*.log; do # the other helpers'
    case ${log##*/} in
      xvfb.log | openbox.log | trayer.log | panel.log) ;;
      *) e2e__print_file "${log##*/}" "$log" 20 ;;
    esac
  done
  e2e__print_file "screen at failure" "$E2E_WORK/screen-state.txt" 40
  if [[ -n $E2E_FAILURE_SCREENSHOT ]]; then
    printf -- '--- screenshot at failure: %s\n' "$E2E_FAILURE_SCREENSHOT" >&2
  fi
  return 0
}

# ---------------------------------------------------------------------------------------------
# Processes

e2e__alive() {
  [[ -n ${1:-} ]] && kill -0 "$1" 2>/dev/null
}

# True while PID is still our child (not yet reaped): guards against signalling a reused PID.
e2e__is_our_child() {
  local stat rest fields
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
  rest=${stat##*) }            # the command name may hold spaces and parentheses
  read -r -a fields <<<"$rest" # state ppid ...
  [[ ${fields[1]:-} == "$$" ]]
}

e2e_track() {
  E2E_PIDS+=("$1")
}

e2e__untrack() {
  local pid=$1 kept=() p
  for p in "${E2E_PIDS[@]}"; do
    [[ $p == "$pid" ]] || kept+=("$p")
  done
  E2E_PIDS=("${kept[@]}")
}

# e2e_run_helper <command...>: starts a helper program in the background, its output in the
# work folder and its pid in $E2E_STARTED; e2e_stop_helper <pid> ends one before the test does.
e2e_run_helper() {
  "$@" >>"$E2E_WORK/${1##*/}.log" 2>&1 &
  E2E_STARTED=$!
  e2e_track "$E2E_STARTED"
}
e2e_stop_helper() {
  kill "$1" && { wait "$1" 2>/dev/null || true; } && e2e__untrack "$1"
}

e2e__stop_all() {
  local pid i deadline
  local -a alive=()
  # The panel starts its plugin process again when that ends first: both go at once.
  if [[ -n $E2E_PANEL_GROUP ]]; then
    kill -TERM -- "-$E2E_PANEL_GROUP" 2>/dev/null || true
    e2e_wait_for 3 eval '! kill -0 -- "-$E2E_PANEL_GROUP"' || kill -KILL -- "-$E2E_PANEL_GROUP" 2>/dev/null || true
  fi
  for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do # newest first: the program before its X server
    pid=${E2E_PIDS[$i]}
    if e2e__is_our_child "$pid"; then
      kill -CONT "$pid" 2>/dev/null || true # a test may have stopped it
      kill -TERM "$pid" 2>/dev/null || true
      alive+=("$pid")
    fi
  done
  deadline=$(($(e2e__now_us) + 3000000))
  for pid in "${alive[@]}"; do
    while e2e__alive "$pid" && (($(e2e__now_us) < deadline)); do
      sleep 0.05
    done
    if e2e__is_our_child "$pid" && e2e__alive "$pid"; then
      kill -KILL "$pid" 2>/dev/null || true
    fi
    wait "$pid" 2>/dev/null || true
  done
  E2E_PIDS=()
}

e2e_teardown() {
  local status=$?
  trap - EXIT ERR
  trap '' PIPE # a reader that went away (| head) must not stop the clean-up half-way
  set +eE
  if ((status != 0)) && [[ -n ${DISPLAY:-} ]] && e2e__alive "${E2E_XVFB_PID:-}" &&
    e2e_screenshot "$E2E_TEST_NAME-failure.png" >/dev/null 2>&1; then
    E2E_FAILURE_SCREENSHOT=$E2E_ARTIFACTS/$E2E_TEST_NAME-failure.png
  fi
  ((status == 0)) || [[ -z $E2E_WORK ]] || e2e__note_screen_state >"$E2E_WORK/screen-state.txt" 2>&1
  e2e__stop_all 2>/dev/null
  ((status == 0)) || e2e__report_failure "$status"
  if [[ -n $E2E_WORK && -d $E2E_WORK ]]; then
    if [[ ${TUFTLE_E2E_KEEP:-0} == 1 ]]; then
      printf '%s: work directory kept: %s\n' "$E2E_TEST_NAME" "$E2E_WORK" >&2
    else
      rm -rf "$E2E_WORK"
    fi
  fi
  exit "$status"
}

# ---------------------------------------------------------------------------------------------
# Waiting

e2e__now_us() {
  local t=$EPOCHREALTIME
  echo $((10#${t/[.,]/}))
}

# "2.5" -> 2500 (milliseconds); accepts integers and up to three decimals.
e2e__to_ms() {
  local value=$1 whole frac
  [[ $value =~ ^([0-9]+)(\.([0-9]{1,3}))?$ ]] || {
    printf 'e2e: not a duration: %s\n' "$value" >&2
    return 1
  }
  whole=${BASH_REMATCH[1]}
  frac=${BASH_REMATCH[3]:-0}
  frac=${frac}00
  echo $((10#$whole * 1000 + 10#${frac:0:3}))
}

# Seconds after TUFTLE_E2E_TIMEOUT_SCALE, as microseconds.
e2e__timeout_us() {
  local ms scale
  ms=$(e2e__to_ms "$1")
  scale=$(e2e__to_ms "${TUFTLE_E2E_TIMEOUT_SCALE:-1}")
  echo $((ms * scale))
}

# e2e_wait_for <timeout-seconds> <command...>: polls until the command succeeds (its output is
# discarded); status 1 on timeout.
e2e_wait_for() {
  local deadline
  deadline=$(($(e2e__now_us) + $(e2e__timeout_us "$1")))
  shift
  while true; do
    if "$@" >/dev/null 2>&1; then
      return 0
    fi
    (($(e2e__now_us) < deadline)) || return 1
    sleep 0.1
  done
}

# e2e_expect_while_running <timeout> <what> <command...>: like e2e_wait_for, but fails the test
# at once when the program exits meanwhile, and names <what> when it times out.
e2e_expect_while_running() {
  local timeout=$1 what=$2 deadline
  shift 2
  deadline=$(($(e2e__now_us) + $(e2e__timeout_us "$timeout")))
  while true; do
    if "$@" >/dev/null 2>&1; then
      return 0
    fi
    if ! e2e__alive "$E2E_APP_PID"; then
      e2e_wait_app_exit 1 || true
      e2e_fail "the program exited (status $E2E_APP_STATUS) while waiting for: $what"
    fi
    (($(e2e__now_us) < deadline)) ||
      e2e_fail "timed out after ${timeout}s (x${TUFTLE_E2E_TIMEOUT_SCALE:-1}) waiting for: $what"
    sleep 0.1
  done
}

# ---------------------------------------------------------------------------------------------
# The desktop

e2e__require_tools() {
  local tool missing=() tray_tools=(trayer)
  [[ $E2E_TRAY != none ]] || tray_tools=()
  [[ $E2E_TRAY == trayer || $E2E_TRAY == none ]] || tray_tools=(xfce4-panel dbus-daemon dbus-send)
  for tool in Xvfb xauth xdpyinfo openbox xsetroot xprop xwininfo import python3 od "${tray_tools[@]}"; do
    command -v "$tool" >/dev/null 2>&1 || missing+=("$tool")
  done
  ((${#missing[@]} == 0)) || e2e_fail "missing tools: ${missing[*]} (run scripts/install-deps)"
}

# True once Xvfb has written its display number, or has died trying.
e2e__xvfb_settled() {
  grep -q '^[0-9][0-9]*$' "$1" || ! e2e__alive "$E2E_XVFB_PID"
}

e2e__start_xvfb() {
  local cookie display_file=$E2E_WORK/display number=""
  cookie=$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')
  export XAUTHORITY=$E2E_WORK/Xauthority
  : >"$XAUTHORITY"
  # The server loads every cookie of its -auth file whatever the display; clients need the
  # entry for the display Xvfb picks, added below.
  xauth -q -f "$XAUTHORITY" add :0 . "$cookie"
  Xvfb -displayfd 3 -auth "$XAUTHORITY" -nolisten tcp -noreset -screen 0 "${E2E_SCREEN_SIZE:-1280x800}x24" \
    3>"$display_file" >"$E2E_WORK/xvfb.log" 2>&1 &
  E2E_XVFB_PID=$!
  e2e_track "$E2E_XVFB_PID"
  e2e_wait_for 15 e2e__xvfb_settled "$display_file" || true
  read -r number <"$display_file" || true
  [[ $number =~ ^[0-9]+$ ]] || e2e_fail "Xvfb did not report a display number"
  export DISPLAY=:$number
  xauth -q -f "$XAUTHORITY" add "$DISPLAY" . "$cookie"
  e2e_wait_for 15 xdpyinfo || e2e_fail "display $DISPLAY does not answer"
}

e2e__wm_running() {
  local out
  out=$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null) || return 1
  [[ $out == *"window id"* ]]
}

e2e__start_openbox() {
  openbox --sm-disable >"$E2E_WORK/openbox.log" 2>&1 &
  e2e_track $!
  e2e_wait_for 15 e2e__wm_running || e2e_fail "openbox did not start"
}

e2e__tray_owned() {
  python3 "$E2E_LIB_DIR/x11_selection_owner.py" _NET_SYSTEM_TRAY_S0
}

e2e__start_tray() {
  trayer --edge top --align right --widthtype request --height 24 --transparent false \
    >"$E2E_WORK/trayer.log" 2>&1 &
  e2e_track $!
  e2e_wait_for 15 e2e__tray_owned || e2e_fail "trayer did not take _NET_SYSTEM_TRAY_S0"
}

e2e__bus_has() {
  dbus-send --session --print-reply=literal --dest=org.freedesktop.DBus / \
    org.freedesktop.DBus.NameHasOwner "string:$1" 2>/dev/null | grep -q true
}

# A socket's path as a D-Bus address writes it: every byte but a few plain ones as %XX (the
# work folder may lie in a TMPDIR with spaces).
e2e__bus_path() {
  local LC_ALL=C path=$1 written="" c i
  for ((i = 0; i < ${#path}; i++)); do
    c=${path:i:1}
    [[ $c == [-0-9A-Za-z_/.] ]] || printf -v c '%%%02X' "'$c"
    written+=$c
  done
  printf '%s' "$written"
}

# A session bus of our own that activates nothing: the program and the helpers of the test
# meet there, never on the user's bus.
e2e_start_session_bus() {
  local bus
  bus=$(e2e__bus_path "$E2E_WORK/bus")
  [[ $DBUS_SESSION_BUS_ADDRESS == "unix:path=$bus" ]] && return 0
  sed "s|@BUS@|$bus|" "$E2E_LIB_DIR/session-bus.conf" >"$E2E_WORK/bus.conf"
  env HOME="$E2E_WORK/panel-home" dbus-daemon --config-file="$E2E_WORK/bus.conf" --nofork --nopidfile \
    >"$E2E_WORK/dbus.log" 2>&1 &
  e2e_track $!
  export DBUS_SESSION_BUS_ADDRESS=unix:path=$bus
  e2e_wait_for 15 e2e__bus_has org.freedesktop.DBus || e2e_fail "the session bus did not start"
}

# xfce4-panel with its notification-area plugin at the bottom of the screen, on the session bus
# of the test, with its own home and configuration (E2E_PANEL_CONFIG names another one).
e2e_start_sni_host() {
  local h=$E2E_WORK/panel-home xfconfd
  local -a henv=(HOME="$h" XDG_CONFIG_HOME="$h/.config" XDG_CACHE_HOME="$h/.cache"
    XDG_DATA_HOME="$h/.local/share" NO_AT_BRIDGE=1 SESSION_MANAGER=)
  mkdir -p "$h/.config/xfce4/xfconf/xfce-perchannel-xml" "$h/.cache" "$h/.local/share"
  cp "${E2E_PANEL_CONFIG:-$E2E_LIB_DIR/xfce4-panel.xml}" "$h/.config/xfce4/xfconf/xfce-perchannel-xml/xfce4-panel.xml"
  e2e_start_session_bus
  xfconfd=$(compgen -G '/usr/lib/*/xfce4/xfconf/xfconfd' | head -1)
  env "${henv[@]}" "$xfconfd" >"$E2E_WORK/xfconfd.log" 2>&1 &
  e2e_track $!
  e2e_wait_for 15 e2e__bus_has org.xfce.Xfconf || e2e_fail "xfconfd did not start"
  # A group of its own, led by the panel, also holds the plugin process the panel starts.
  env "${henv[@]}" setsid xfce4-panel --sm-client-disable >"$E2E_WORK/panel.log" 2>&1 &
  E2E_PANEL_GROUP=$!
  e2e_track $!
  e2e_wait_for 20 e2e__bus_has org.kde.StatusNotifierWatcher || e2e_fail "xfce4-panel offers no StatusNotifierWatcher"
}

# Prints "X Y" of the centre of a menu xfce4-panel shows (a viewable window of its plugin process).
e2e_sni_host_menu() {
  xwininfo -root -children | awk '/"Wrapper-2.0"\)/ { split($(NF-1), g, /[x+]/); if (g[1] >= 50) print $1, g[1], g[2] }' |
    while read -r id w h; do
      xprop -id "$id" _NET_WM_WINDOW_TYPE | grep -q _MENU || continue # not its tooltip
      xwininfo -id "$id" | awk -v w="$w" -v h="$h" '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
        /IsViewable/ { ok = 1 } END { if (ok) print x + int(w / 2), y + int(h / 2) }'
    done | grep .
}

# Stops xfce4-panel and its plugin process (the watcher's owner) together; xfconfd stays.
e2e_stop_sni_host() {
  kill -TERM -- "-$E2E_PANEL_GROUP"
  e2e_wait_for 5 eval '! kill -0 -- "-$E2E_PANEL_GROUP"' || e2e_fail "xfce4-panel did not stop"
  wait "$E2E_PANEL_GROUP" 2>/dev/null || true
  e2e__untrack "$E2E_PANEL_GROUP"
  E2E_PANEL_GROUP=""
}

# Creates the temporary home and the private desktop; installs the EXIT trap.
e2e_setup() {
  E2E_WORK=$("$E2E_LIB_DIR/../new_own_folder.sh" tuftle-e2e)
  trap e2e_teardown EXIT
  trap 'exit 129' HUP
  trap 'exit 130' INT
  trap 'exit 143' TERM
  trap 'exit 141' PIPE
  local artifacts=${TUFTLE_E2E_ARTIFACTS:-./e2e-artifacts}
  [[ $artifacts == /* ]] || artifacts=$PWD/$artifacts
  E2E_ARTIFACTS=$artifacts

  e2e_step "set up a temporary home in $E2E_WORK"
  e2e__to_ms "${TUFTLE_E2E_TIMEOUT_SCALE:-1}" >/dev/null ||
    e2e_fail "TUFTLE_E2E_TIMEOUT_SCALE must be a number such as 2 or 1.5"
  e2e__require_tools
  export HOME=$E2E_WORK/home
  mkdir -p "$HOME"
  unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME XDG_STATE_HOME
  export XDG_RUNTIME_DIR=$E2E_WORK/runtime TMPDIR=$E2E_WORK/tmp
  mkdir -m 0700 "$XDG_RUNTIME_DIR" "$TMPDIR"
  # No session bus: the tray icon goes through XEmbed to trayer, and nothing auto-launches a
  # dbus-daemon we would not know to stop.
  DBUS_SESSION_BUS_ADDRESS=unix:path=$(e2e__bus_path "$E2E_WORK/no-session-bus")
  export DBUS_SESSION_BUS_ADDRESS
  export NO_AT_BRIDGE=1
  export LANG=C.UTF-8
  unset LC_ALL LANGUAGE WAYLAND_DISPLAY QT_QPA_PLATFORM DISPLAY

  e2e_step "start Xvfb, openbox and $E2E_TRAY"
  e2e__start_xvfb
  e2e__start_openbox
  xsetroot -solid '#3a6073'
  case $E2E_TRAY in
    trayer) e2e__start_tray ;;
    xfce4-panel) e2e_start_sni_host ;;
    later) e2e_start_session_bus ;; # the test starts its tray host itself
    none) ;;
  esac
}

# ---------------------------------------------------------------------------------------------
# The program

# Prints the test's program argument as an absolute path; fails the test without one.
e2e_program_argument() {
  [[ $# -ge 1 ]] || e2e_fail "usage: $0 <path-to-tuftle>"
  local program=$1
  [[ $program == /* ]] || program=$PWD/$program
  [[ -x $program && -f $program ]] || e2e_fail "not an executable: $program"
  echo "$program"
}

# e2e_start_app <binary> [args...]: starts it in the work directory with its output in
# app-<run>.stdout/.stderr; sets E2E_APP_PID, E2E_APP_STDOUT, E2E_APP_STDERR.
e2e_start_app() {
  local binary=$1
  shift
  [[ $binary == /* || $binary != */* ]] || binary=$PWD/$binary
  E2E_APP_RUNS=$((E2E_APP_RUNS + 1))
  E2E_APP_STDOUT=$E2E_WORK/app-$E2E_APP_RUNS.stdout
  E2E_APP_STDERR=$E2E_WORK/app-$E2E_APP_RUNS.stderr
  E2E_APP_DIR=$(dirname "$binary")
  E2E_APP_STATUS=""
  (cd "$E2E_WORK" && exec "$binary" "$@") >"$E2E_APP_STDOUT" 2>"$E2E_APP_STDERR" &
  E2E_APP_PID=$!
  e2e_track "$E2E_APP_PID"
}

# e2e_caught_up: the program has handled the input sent to it so far, and done what that asked
# of the X server: one of its windows answered two pings in a row (window_ping, built beside
# the program).
e2e_caught_up() {
  local window us
  us=$(e2e__timeout_us 10)
  for _ in 1 2 3; do
    window=$(e2e_search --onlyvisible --pid "$E2E_APP_PID" --classname tuftle | head -n 1)
    [[ -n $window ]] || return 1
    "$E2E_APP_DIR/window_ping" "$window" "$((us / 1000000)).$(printf '%06d' $((us % 1000000)))" && return 0
    # A window that closed meanwhile (a popup, a tooltip) answers nothing: another one is asked.
    xwininfo -id "$window" >/dev/null 2>&1 && return 1
  done
  return 1
}

e2e_app_running() {
  e2e__alive "$E2E_APP_PID"
}

e2e__app_ended() {
  ! e2e__alive "$E2E_APP_PID"
}

# e2e_wait_app_exit <timeout>: waits for the program to end and sets E2E_APP_STATUS (128+N when
# a signal N ended it); status 1 if it is still running. Bash's "Killed" job notice goes nowhere:
# the status says it all.
e2e_wait_app_exit() {
  local status=0
  {
    e2e_wait_for "$1" e2e__app_ended || return 1
    wait "$E2E_APP_PID" || status=$?
  } 2>/dev/null
  E2E_APP_STATUS=$status
  e2e__untrack "$E2E_APP_PID"
}

# e2e_kill_app <signal> <timeout>: signals the program and waits for it to end (see above).
e2e_kill_app() {
  {
    kill -"$1" "$E2E_APP_PID" || true # it may have ended already: the status tells
    e2e_wait_app_exit "$2"
  } 2>/dev/null
}

# Prints the value under <key> in the program's defaults (see plist_get.py); status 1 when the
# file or the key is missing.
e2e_defaults_get() {
  python3 "$E2E_LIB_DIR/plist_get.py" "$HOME/.config/tuftle/defaults.plist" "$1"
}

# e2e_defaults_is <key> <value>
e2e_defaults_is() {
  local value
  value=$(e2e_defaults_get "$1") || return 1
  [[ $value == "$2" ]]
}

# e2e_steady <command...>: prints what the command printed when it succeeds twice in a row, a
# poll apart, with the same output: something drawn or laid out in steps has reached its last.
e2e_steady() {
  local first
  first=$("$@") || return 1
  sleep 0.1
  [[ $("$@") == "$first" ]] && echo "$first"
}

# e2e_squarish <width> <height> <least>: a box no smaller than <least> on either side whose
# sides differ by at most a tenth: an icon drawn whole, not a strip of one.
e2e_squarish() {
  (($1 >= $3 && $2 >= $3 && 10 * ($1 - $2) <= $1 && 10 * ($2 - $1) <= $2))
}

# e2e_screenshot <name.png>: the whole screen, kept in $TUFTLE_E2E_ARTIFACTS for people to see.
e2e_screenshot() {
  local name=$1
  [[ $name == *.png ]] || name=$name.png
  mkdir -p "$E2E_ARTIFACTS"
  import -window root "$E2E_ARTIFACTS/$name"
}

# True when trayer holds a viewable icon window of the program (by _NET_WM_PID; by WM_CLASS for
# a window that has no PID), named in E2E_TRAY_ICON_WINDOW.
e2e_tray_icon_present() {
  local pid=${1:-$E2E_APP_PID} tree panel window props info
  local -a panels windows
  [[ -n $pid ]] || return 1
  tree=$(xwininfo -root -tree 2>/dev/null) || return 1
  mapfile -t panels < <(
    awk -v class="$E2E_TRAY_CLASS" 'index($0, class) && $1 ~ /^0x/ { print $1 }' <<<"$tree"
  )
  for panel in "${panels[@]}"; do
    tree=$(xwininfo -id "$panel" -tree 2>/dev/null) || continue
    mapfile -t windows < <(awk '$1 ~ /^0x[0-9a-fA-F]+$/ { print $1 }' <<<"$tree")
    for window in "${windows[@]}"; do
      props=$(xprop -id "$window" _NET_WM_PID WM_CLASS 2>/dev/null) || continue
      if [[ $props =~ _NET_WM_PID\(CARDINAL\)\ =\ ([0-9]+) ]]; then
        [[ ${BASH_REMATCH[1]} == "$pid" ]] || continue
      elif [[ ${props,,} != *'wm_class(string) = '*tuftle* ]]; then
        continue
      fi
      info=$(xwininfo -id "$window" 2>/dev/null) || continue
      [[ $info == *"Map State: IsViewable"* ]] && E2E_TRAY_ICON_WINDOW=$window && return 0
    done
  done
  return 1
}

# e2e_tray_icon_settled: e2e_tray_icon_present, with the icon in the same place in two looks in a
# row (trayer may move a new icon once after its first layout).
e2e_tray_icon_settled() {
  e2e_tray_icon_present && e2e_steady e2e__tray_icon_place >/dev/null
}
e2e__tray_icon_place() {
  xwininfo -id "$E2E_TRAY_ICON_WINDOW" | awk '/Absolute upper-left|Width|Height/ { print $NF }'
}

# e2e_defaults_set <key> <value>: "true" and "false" are stored as Booleans, digits as an integer,
# anything else as a string; the rest of the defaults is kept.
e2e_defaults_set() {
  python3 - "$HOME/.config/tuftle/defaults.plist" "$1" "$2" <<'EOF'
import os, plistlib, sys
path, key, value = sys.argv[1:]
values = {}
if os.path.exists(path):
    with open(path, "rb") as f:
        values = plistlib.load(f)
values[key] = {"true": True, "false": False}.get(value, int(value) if value.isdigit() else value)
os.makedirs(os.path.dirname(path), exist_ok=True)
with open(path, "wb") as f:
    plistlib.dump(values, f, fmt=plistlib.FMT_XML)
EOF
}

# ---------------------------------------------------------------------------------------------
# The pets

# Above a 40-pixel taskbar on the 1280 x 800 screen a pet's home is 30 of its 52 points above the
# taskbar's edge (y = 760). The first pet sits 30 points left of the centre; Xvfb's screen is no
# laptop panel, so it counts as an external display, whose home for the second pet is 34 points
# right of the centre.
readonly E2E_PET_HOMES="584,730 648,730"

e2e__workarea_leaves_out() {
  local area
  area=$(xprop -root _NET_WORKAREA 2>/dev/null) || return 1
  [[ $area =~ =\ ([0-9]+),\ ([0-9]+),\ ([0-9]+),\ ([0-9]+) ]] || return 1
  ((BASH_REMATCH[2] + BASH_REMATCH[4] == 800 - $1))
}

# e2e_start_taskbar <bottom_panel helper> <colour>: a 40-pixel taskbar with a strut along the bottom.
e2e_start_taskbar() {
  e2e_step "start a 40-pixel taskbar with a strut along the bottom"
  "$1" 40 "$2" >"$E2E_WORK/taskbar.log" 2>&1 &
  e2e_track $!
  e2e_wait_for 10 e2e__workarea_leaves_out 40 || e2e_fail "the work area never left out the taskbar"
}

# A pet panel window reaches this far beyond its pet's 52 points on every side.
readonly E2E_PET_MARGIN=24

# Prints the id of every mapped pet panel window of the program; fails when there is none.
e2e_pet_window_ids() {
  local id props found=1 size=$((52 + 2 * E2E_PET_MARGIN))
  for id in $(xwininfo -root -children 2>/dev/null |
    awk -v size=" ${size}x${size}+" '$1 ~ /^0x/ && index($0, size) { print $1 }'); do
    props=$(xprop -id "$id" _NET_WM_PID 2>/dev/null) || continue
    [[ $props == *"= $E2E_APP_PID" ]] || continue
    xwininfo -id "$id" 2>/dev/null | grep -q "Map State: IsViewable" && echo "$id" && found=0
  done
  return $found
}

# Prints "x,y" (top-left) of the pet in every mapped pet panel window of the program, sorted.
e2e_pet_windows() {
  local id
  for id in $(e2e_pet_window_ids); do
    xwininfo -id "$id" 2>/dev/null | awk -v m="$E2E_PET_MARGIN" \
      '/Absolute upper-left X/ { x = $NF + m } /Absolute upper-left Y/ { y = $NF + m } END { print x "," y }'
  done | sort | paste -sd' '
}

e2e_pet_windows_are() {
  [[ $(e2e_pet_windows) == "$1" ]]
}

# e2e_read_frame <window>: sets frame_x, frame_y (top-left) and frame_w of another program's
# window with the window manager's frame around it; status 1 while it has no frame.
e2e_read_frame() {
  local e
  e=$(xprop -id "$1" _NET_FRAME_EXTENTS) && [[ $e =~ =\ ([0-9]+),\ ([0-9]+),\ ([0-9]+),\ ([0-9]+) ]] || return 1
  read -r frame_x frame_y frame_w < <(xwininfo -id "$1" | awk -v l="${BASH_REMATCH[1]}" -v r="${BASH_REMATCH[2]}" \
    -v t="${BASH_REMATCH[3]}" '/te upper-left X/ { x = $NF } /te upper-left Y/ { y = $NF }
    /Width:/ { w = $NF } END { print x - l, y - t, w + l + r }')
}

# ---------------------------------------------------------------------------------------------
# The tray entry and its panel

# e2e_popup_box [WxH]: prints "X Y W H" of the program's open panel popup, a viewable window of
# that size straight on the root window (382x426 unless told).
e2e_popup_box() {
  local id info
  for id in $(xwininfo -root -children 2>/dev/null | awk -v s=" ${1:-382x426}+" 'index($0, s) { print $1 }'); do
    info=$(xwininfo -id "$id" 2>/dev/null) || continue
    [[ $info == *IsViewable* ]] || continue
    awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF } /Width:/ { w = $NF }
      /Height:/ { h = $NF } END { print x, y, w, h }' <<<"$info"
    return 0
  done
  return 1
}

# Prints "X Y" of the program's open panel popup.
e2e_popup_origin() {
  local box
  box=$(e2e_popup_box) || return 1
  echo "${box% * *}"
}

e2e__popup_closed() { ! e2e_popup_origin; }

# e2e_panel_stays_closed <failure>: fails the test when the clicks made so far open the panel.
# On an XEmbed tray they reach the program itself, which is asked whether it has caught up. A
# StatusNotifierItem host passes them on over D-Bus, which nothing orders with the test's own
# requests: there the panel is looked for all along for two seconds, after which a busy program
# may still open it (the test then passes by mistake, never fails).
e2e_panel_stays_closed() {
  if [[ $E2E_TRAY == trayer ]]; then
    e2e_caught_up || e2e_fail "the program did not answer while it was asked: $1"
    e2e__popup_closed >/dev/null || e2e_fail "$1"
  else
    ! e2e_wait_for 2 e2e_popup_origin || e2e_fail "$1"
  fi
}

# e2e_check_tray_clicks X Y NAME: with the icon at X,Y, a left click opens the panel next to
# it inside the screen (kept as NAME.png), a click elsewhere closes it, a Control+click does
# nothing, and a second click on the icon closes the panel again.
e2e_check_tray_clicks() {
  local x=$1 y=$2 name=$3 px py gap
  e2e_step "a left click on the icon at $x,$y opens the panel next to it"
  xdotool mousemove "$x" "$y" click 1
  e2e_expect_while_running 5 "the panel popup" e2e_popup_origin
  read -r px py < <(e2e_popup_origin)
  ((px >= 0 && py >= 0 && px + 382 <= 1280 && py + 426 <= 800)) || e2e_fail "the panel at $px,$py leaves the screen"
  gap=$((py > y ? py - y : y - py - 426))
  ((gap >= 0 && gap <= 40 && x >= px && x <= px + 382)) || e2e_fail "the panel at $px,$py is not next to the icon"
  e2e_screenshot "$name.png"
  e2e_step "a click elsewhere closes it"
  # A press before the popup holds the pointer would go to the desktop.
  e2e_caught_up || e2e_fail "the program did not answer while it opened the panel"
  xdotool mousemove 200 300 click 1
  e2e_expect_while_running 5 "the panel to close" e2e__popup_closed
  e2e_step "a Control+click on the icon does nothing"
  sleep 0.5 # past the moment in which a tray click counts as the one that closed the panel
  # Held while the program may look: a tray host that calls the program over D-Bus tells it no
  # modifiers, so it reads the keyboard as it gets to the call.
  xdotool mousemove "$x" "$y" keydown ctrl click 1
  e2e_panel_stays_closed "a Control+click opened the panel"
  xdotool keyup ctrl
  e2e_step "a second click on the icon closes the panel it opened, for good"
  xdotool click 1 && e2e_expect_while_running 5 "the panel popup" e2e_popup_origin
  # A press before the popup holds the pointer would go to the tray.
  e2e_caught_up || e2e_fail "the program did not answer while it opened the panel"
  xdotool click 1
  e2e_expect_while_running 5 "the second click to close the panel" e2e__popup_closed
  e2e_panel_stays_closed "the second click closed the panel and opened it again"
}

# A new private X server with openbox and the tray, after the last one ended (the program's own
# end is the test's to wait for).
e2e_restart_desktop() {
  wait "$E2E_XVFB_PID" 2>/dev/null || true
  e2e__untrack "$E2E_XVFB_PID"
  e2e__start_xvfb
  e2e__start_openbox
  xsetroot -solid '#3a6073'
  if [[ $E2E_TRAY == trayer ]]; then e2e__start_tray; else e2e_start_sni_host; fi
}

# e2e_window_origin WxH: "X Y" of each viewable window of the program of that size.
e2e_window_origin() {
  local id info
  for id in $(e2e_search --onlyvisible --pid "$E2E_APP_PID" --classname tuftle); do
    info=$(xwininfo -id "$id" 2>/dev/null) || continue
    awk -v size="$1" '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
      /Width:/ { w = $NF } /Height:/ { h = $NF } END { if (w "x" h == size) print x, y }' <<<"$info"
  done
}
e2e_panel_open() { [[ -n $(e2e_window_origin 382x426) ]]; }
e2e_settings_open() { [[ $(e2e_window_origin 920x640 | wc -l) == 1 ]]; }

# Opens the tray panel by a click on the icon found by e2e_tray_icon_present.
e2e_open_panel() {
  local x y w h
  read -r x y w h < <(xwininfo -id "$E2E_TRAY_ICON_WINDOW" |
    awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
         /Width/ { w = $NF } /Height/ { h = $NF } END { print x, y, w, h }')
  xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 1
  e2e_expect_while_running 5 "the panel" e2e_panel_open
}

# Opens the tray panel, then the settings window by the panel's footer button.
e2e_open_settings() {
  local px py
  e2e_open_panel
  read -r px py < <(e2e_window_origin 382x426 | head -n 1)
  xdotool mousemove $((px + 40)) $((py + 426 - 17)) click 1 # the footer's settings button
  e2e_expect_while_running 5 "one settings window" e2e_settings_open
}

# e2e_close_windows WIDTH: closes the program's viewable windows WIDTH wide by the window
# manager, as their title bar's button does.
e2e_close_windows() {
  local id
  for id in $(e2e_search --onlyvisible --pid "$E2E_APP_PID" --classname tuftle); do
    xwininfo -id "$id" | grep -q "Width: $1\$" && wmctrl -ic "$(printf '0x%x' "$id")"
  done
  return 0
}

# Closes the settings window by its window manager.
e2e_close_settings() {
  e2e_close_windows 920
  e2e_expect_while_running 5 "the settings window to close" eval '! e2e_settings_open'
}

# e2e_show_settings_page ROW: clicks the ROWth entry (from 0) of the settings window's page
# list, whose rows are 36 high, 6 apart, the first centred 90 below the top.
e2e_show_settings_page() {
  local wx wy
  read -r wx wy < <(e2e_window_origin 920x640)
  xdotool mousemove $((wx + 100)) $((wy + 90 + 42 * $1)) click 1
}
