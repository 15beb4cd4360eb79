# Helpers for the demo's scenarios (sourced by run-scenario). A scenario is a bash file
# that drives the program as a person would, through the X server only: it finds windows
# and buttons by their place and colour on the screen, clicks with xdotool, takes
# screenshots, and waits for what the program and the simulators write to their files.
# Every helper that waits ends the scenario with a message when its time runs out.
#
# Given by run-demo: DISPLAY, DEMO_OUT (screenshot folder), DEMO_PROGRAM_PID, DEMO_XSHOT,
# DEMO_FINISH_FILE, DEMO_WORLD_TOOL; and the world's environment (world.env: HOME,
# OSTREL_USER_DIR, OSTREL_DEMO_WORLD, DEMO_LOGS, DEMO_WORK, DEMO_STEAM_DIR, FAKE_ADB_DIR,
# ...). After wait_for_window: MAIN_WIN and WIN_X WIN_Y WIN_W WIN_H (the main window, or
# the window use_window chose).

demo_note() {
  local line
  line="[$(date +%T)] $*"
  echo "scenario: $line"
  echo "$line" >> "$DEMO_LOGS/scenario.log"
}

fail() {
  demo_note "FAILED: $*"
  exit 1
}

# wait_until SECONDS WHAT COMMAND...: runs COMMAND every 0.2 s until it succeeds.
wait_until() {
  local seconds=$1 what=$2 end
  shift 2
  end=$(($(date +%s) + seconds))
  until "$@" > /dev/null 2>&1; do
    [ "$(date +%s)" -lt "$end" ] || fail "waited ${seconds}s for $what"
    sleep 0.2
  done
}

pause() {
  sleep "$1"
}

# shot NAME: saves the whole screen as DEMO_OUT/NN-NAME.png (NN counts up from 01).
DEMO_SHOT_COUNT=${DEMO_SHOT_COUNT:-0}
shot() {
  local file
  DEMO_SHOT_COUNT=$((DEMO_SHOT_COUNT + 1))
  file=$(printf '%s/%02d-%s.png' "$DEMO_OUT" "$DEMO_SHOT_COUNT" "$1")
  "$DEMO_XSHOT" grab "$file" || fail "could not save the screenshot $file"
  demo_note "screenshot $(basename "$file")"
}

# program_windows: the program's mapped windows, biggest first, one "id x y width height"
# line each (x and y on the screen). Dialogs, the toast and the main window are separate
# windows.
program_windows() {
  # shellcheck disable=SC2034 # WINDOW and SCREEN: getwindowgeometry --shell sets them too
  local id WINDOW X Y WIDTH HEIGHT SCREEN
  for id in $(xdotool search --onlyvisible --pid "$DEMO_PROGRAM_PID" 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$id" 2>/dev/null)" || continue
    echo "$((WIDTH * HEIGHT)) $id $X $Y $WIDTH $HEIGHT"
  done | sort -nr | cut -d' ' -f2-
}

# The biggest window is the main window; it counts as shown once its centre is painted.
main_window_painted() {
  local line
  line=$(program_windows | head -1)
  [ -n "$line" ] || return 1
  read -r MAIN_WIN WIN_X WIN_Y WIN_W WIN_H <<< "$line"
  [ "$WIN_W" -ge 200 ] || return 1
  [ "$("$DEMO_XSHOT" color $((WIN_X + WIN_W / 2)) $((WIN_Y + WIN_H / 2)))" != "#000000" ]
}

# wait_for_window [SECONDS]: waits for the main window and sets MAIN_WIN, WIN_X, WIN_Y,
# WIN_W, WIN_H.
wait_for_window() {
  wait_until "${1:-60}" "the program's window" main_window_painted
  main_window_painted
  demo_note "main window $MAIN_WIN at $WIN_X,$WIN_Y size ${WIN_W}x$WIN_H"
}

# use_window ID X Y W H: click, find_color and click_color work inside this window from now
# on (a line of program_windows or window_sized gives the five values); use_main_window
# goes back to the main window.
use_window() {
  [ $# -eq 5 ] || fail "use_window needs ID X Y W H"
  MAIN_ID_SAVED=${MAIN_ID_SAVED:-$MAIN_WIN $WIN_X $WIN_Y $WIN_W $WIN_H}
  MAIN_WIN=$1 WIN_X=$2 WIN_Y=$3 WIN_W=$4 WIN_H=$5
}

use_main_window() {
  [ -z "${MAIN_ID_SAVED:-}" ] || read -r MAIN_WIN WIN_X WIN_Y WIN_W WIN_H <<< "$MAIN_ID_SAVED"
  MAIN_ID_SAVED=
}

# window_sized W H [SLACK]: the program's window of about that size (within SLACK pixels,
# default 4), as "id x y w h"; dialogs are found this way by the sizes of their pages.
window_sized() {
  program_windows | awk -v w="$1" -v h="$2" -v s="${3:-4}" \
    '($4 - w) <= s && (w - $4) <= s && ($5 - h) <= s && (h - $5) <= s { print; found = 1; exit } END { exit !found }'
}

# wait_window_sized W H [SECONDS]: waits for such a window and uses it (use_window).
wait_window_sized() {
  wait_until "${3:-30}" "a ${1}x$2 window" window_sized "$1" "$2"
  # shellcheck disable=SC2046
  use_window $(window_sized "$1" "$2")
  demo_note "using window $MAIN_WIN at $WIN_X,$WIN_Y size ${WIN_W}x$WIN_H"
}

# type_text TEXT and key KEYS: keyboard input to the window that has the focus.
type_text() {
  xdotool type --delay 40 -- "$1" || fail "typing \"$1\""
}

key() {
  xdotool key -- "$@" || fail "key $*"
}

# click X Y: a left click at X,Y inside the main window (its top left corner is 0,0).
click() {
  xdotool mousemove --sync $((WIN_X + $1)) $((WIN_Y + $2)) click 1 || fail "click at $1,$2"
  demo_note "click at $1,$2"
}

# click_screen X Y: a left click at X,Y on the screen (for dialogs: see program_windows).
click_screen() {
  xdotool mousemove --sync "$1" "$2" click 1 || fail "click at screen $1,$2"
  demo_note "click at screen $1,$2"
}

# find_color COLOR [X Y W H]: the areas of COLOR (#RRGGBB) inside the main window (or the
# part X,Y,W,H of it), biggest first, one "x y width height pixels" line each, in window
# coordinates. Fails when there is none.
find_color() {
  local color=$1 x=0 y=0 w=$WIN_W h=$WIN_H
  [ $# -lt 5 ] || { x=$2; y=$3; w=$4; h=$5; }
  "$DEMO_XSHOT" find "$color" $((WIN_X + x)) $((WIN_Y + y)) "$w" "$h" \
    | awk -v ox="$WIN_X" -v oy="$WIN_Y" '{ print $1 - ox, $2 - oy, $3, $4, $5 }'
}

# click_color COLOR [X Y W H]: clicks the centre of the biggest area of COLOR found as
# find_color finds it.
click_color() {
  local area ax ay aw ah
  area=$(find_color "$@" | head -1)
  [ -n "$area" ] || fail "no $1 on the screen to click"
  read -r ax ay aw ah _ <<< "$area"
  click $((ax + aw / 2)) $((ay + ah / 2))
}

# The program's daily log (the newest one in its per-user folder).
program_log() {
  ls -1t "$OSTREL_USER_DIR"/*.txt 2>/dev/null | head -1
}

log_has() {
  local log
  log=$(program_log)
  [ -n "$log" ] && grep -qF -- "$1" "$log"
}

# wait_log TEXT [SECONDS]: waits until the program's log holds TEXT.
wait_log() {
  wait_until "${2:-30}" "the program's log line \"$1\"" log_has "$1"
}

# wait_file FILE [SECONDS] and wait_text FILE TEXT [SECONDS]: a file appears, a file holds
# TEXT (the simulators' logs: $DEMO_LOGS/fake-steam.log, $DEMO_LOGS/streamer-sim.log,
# $FAKE_ADB_DIR/calls.log, $OSTREL_DEMO_WORLD/cloud/store/requests.log).
wait_file() {
  wait_until "${2:-30}" "$1" test -e "$1"
}

wait_text() {
  wait_until "${3:-30}" "\"$2\" in $1" grep -qF -- "$2" "$1"
}

world_running() {
  "$DEMO_WORLD_TOOL" pids "$OSTREL_DEMO_WORLD" | awk -v n="$1" '$2 == n { found = 1 } END { exit !found }'
}

# wait_running NAME [SECONDS]: a process of the world with that name runs (steam,
# vrserver, vrmonitor, driver_ostrel for the streamer, ...).
wait_running() {
  wait_until "${2:-30}" "a running $1" world_running "$1"
}

wait_gone() {
  wait_until "${2:-30}" "$1 to end" eval "! world_running $1"
}

# finish_demo: the demo ends now instead of at DEMO_SECONDS.
finish_demo() {
  demo_note "finished"
  : > "$DEMO_FINISH_FILE"
}
