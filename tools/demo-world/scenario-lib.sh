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
# the window use_window chose), DEMO_MAIN_ID and DEMO_MAIN_W (the main window's id and
# width). Places and sizes are given in the pages' design pixels and scaled with px.

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
# WIN_W, WIN_H, and DEMO_MAIN_W (its width, which gives the scale of everything: px).
wait_for_window() {
  wait_until "${1:-60}" "the program's window" main_window_painted
  main_window_painted
  DEMO_MAIN_W=$WIN_W
  DEMO_MAIN_ID=$MAIN_WIN
  demo_note "main window $MAIN_WIN at $WIN_X,$WIN_Y size ${WIN_W}x$WIN_H"
}

# px N: a length of the pages' design (the main window is laid out at 1360 x 875, its
# dialogs at their own design sizes) in screen pixels: the program scales its pages and
# dialogs alike to fit the screen, so the main window's width gives the factor.
px() {
  echo $((($1 * ${DEMO_MAIN_W:?wait_for_window first} + 680) / 1360))
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

# dialog_sized W [H]: the program's window (other than the main window) whose size is the
# design size W x H scaled (a dialog as high as its content: W alone, and at least 100 high),
# as "id x y w h".
dialog_sized() {
  local w h slack
  w=$(px "$1")
  h=$([ -n "${2:-}" ] && px "$2" || echo 0)
  slack=$((4 + w / 50))
  program_windows | awk -v main="$DEMO_MAIN_ID" -v w="$w" -v h="$h" -v s="$slack" -v least="$(px 100)" '
    $1 != main && ($4 - w) <= s && (w - $4) <= s &&
    ((h > 0 && ($5 - h) <= s && (h - $5) <= s) || (h == 0 && $5 >= least)) { print; found = 1; exit }
    END { exit !found }'
}

# wait_dialog NAME W [H] [SECONDS]: waits for the dialog of that design size and uses it
# (use_window); NAME says which dialog in the log and in a failure.
wait_dialog() {
  local name=$1 w=$2 h=${3:-} seconds=${4:-30}
  use_main_window
  # The window found is the one used (a second look could miss a dialog that is just
  # being laid out again).
  wait_until "$seconds" "the $name dialog" dialog_found "$w" "$h"
  # shellcheck disable=SC2086
  use_window $DEMO_DIALOG
  demo_note "the $name dialog is window $MAIN_WIN at $WIN_X,$WIN_Y size ${WIN_W}x$WIN_H"
}

dialog_found() {
  DEMO_DIALOG=$(dialog_sized "$@") && [ -n "$DEMO_DIALOG" ]
}

# wait_dialog_gone NAME W [H] [SECONDS]: waits until that dialog has closed, then works in
# the main window again.
wait_dialog_gone() {
  local name=$1 w=$2 h=${3:-} seconds=${4:-30}
  use_main_window
  wait_until "$seconds" "the $name dialog to close" eval "! dialog_sized $w $h"
  demo_note "the $name dialog has closed"
}

# areas_sized COLOR W H [X Y W H]: the areas of COLOR whose size is the design size W x H
# scaled (within a few pixels), top to bottom and left to right, as find_color prints them.
areas_sized() {
  local color=$1 w h slack
  w=$(px "$2")
  h=$(px "$3")
  slack=$((3 + w / 50))
  shift 3
  find_color "$color" "$@" | awk -v w="$w" -v h="$h" -v s="$slack" \
    '($3 - w) <= s && (w - $3) <= s && ($4 - h) <= s && (h - $4) <= s' | sort -n -k2,2 -k1,1
}

# area_shown COLOR W H INDEX [X Y W H]: areas_sized finds at least INDEX such areas.
area_shown() {
  local color=$1 w=$2 h=$3 index=$4
  shift 4
  [ -n "$(areas_sized "$color" "$w" "$h" "$@" | sed -n "${index}p")" ]
}

# click_area COLOR W H [INDEX] [X Y W H]: clicks the centre of the INDEXth (from 1, the
# default) area that areas_sized finds, the button of that colour and size, waiting up to
# 20 s for it to be painted.
click_area() {
  local color=$1 w=$2 h=$3 index=${4:-1} area ax ay aw ah
  shift 3
  [ $# -eq 0 ] || shift
  wait_until 20 "a ${w}x$h button of colour $color (number $index)" area_shown "$color" "$w" "$h" "$index" "$@"
  area=$(areas_sized "$color" "$w" "$h" "$@" | sed -n "${index}p")
  [ -n "$area" ] || fail "no ${w}x$h button of colour $color (number $index) on the screen"
  read -r ax ay aw ah _ <<< "$area"
  click $((ax + aw / 2)) $((ay + ah / 2))
}

# wait_area NAME COLOR W H [SECONDS] [X Y W H]: waits until such an area shows.
wait_area() {
  local name=$1 color=$2 w=$3 h=$4 seconds=${5:-30}
  shift 4
  [ $# -eq 0 ] || shift
  wait_until "$seconds" "$name on the screen" area_shown "$color" "$w" "$h" 1 "$@"
}

# type_text TEXT and key KEYS: keyboard input to the window that has the focus.
type_text() {
  xdotool type --delay 40 -- "$1" || fail "typing \"$1\""
}

key() {
  xdotool key -- "$@" || fail "key $*"
}

# covered X Y: another window of the program (a toast: it stays on top for a few seconds)
# lies over the screen point X,Y, above the window in use and the main window.
covered() {
  program_windows | awk -v x="$1" -v y="$2" -v a="$MAIN_WIN" -v b="${DEMO_MAIN_ID:-}" \
    '$1 != a && $1 != b && x >= $2 && x < $2 + $4 && y >= $3 && y < $3 + $5 { found = 1 } END { exit !found }'
}

# click X Y: a left click at X,Y inside the main window (its top left corner is 0,0), once
# no toast lies over that point (a person waits for it to go).
click() {
  local x=$((WIN_X + $1)) y=$((WIN_Y + $2))
  wait_until 30 "the toast over $1,$2 to go" eval "! covered $x $y"
  xdotool mousemove --sync "$x" "$y" click 1 || fail "click at $1,$2"
  demo_note "click at $1,$2"
}

# click_screen X Y: a left click at X,Y on the screen (for dialogs: see program_windows).
click_screen() {
  xdotool mousemove --sync "$1" "$2" click 1 || fail "click at screen $1,$2"
  demo_note "click at screen $1,$2"
}

# find_color COLOR [X Y W H]: the areas of COLOR (#RRGGBB) inside the main window (or the
# part X,Y,W,H of it), biggest first, one "x y width height pixels" line each, in window
# coordinates. Fails when there is none. A pixel matches when each of its channels is within
# COLOR_TOLERANCE (default 8) of the colour's; a colour close to the one around it needs less.
find_color() {
  local color=$1 x=0 y=0 w=$WIN_W h=$WIN_H
  [ $# -lt 5 ] || { x=$2; y=$3; w=$4; h=$5; }
  "$DEMO_XSHOT" find "$color" $((WIN_X + x)) $((WIN_Y + y)) "$w" "$h" --tolerance "${COLOR_TOLERANCE:-8}" \
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
