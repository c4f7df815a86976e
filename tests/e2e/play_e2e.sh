#!/usr/bin/env bash
# The real game under Xvfb (1024 x 768, no window manager), driven by xdotool, in a copy of
# the game folder:  xvfb-run -a -s "-screen 0 1024x768x24" play_e2e.sh GAME_DIR QUARNIX_TOOL SHOTS_DIR
# Screenshots of every screen go to SHOTS_DIR; measured timings are printed at the end.
set -uo pipefail
game_src=$(realpath "$1")
tool=$(realpath "$2")
mkdir -p "$3"
shots=$(realpath "$3")
work=$(mktemp -d "${TMPDIR:-/tmp}/quarnix-e2e.XXXXXX")
pid=""
trap '[ -n "$pid" ] && kill -9 "$pid" 2>/dev/null; rm -rf "$work"' EXIT
export SDL_AUDIODRIVER=dummy

fail() {
  echo "FAIL: $*"
  for f in "$work"/*.txt; do [ -f "$f" ] && { echo "--- $f"; cat "$f"; }; done
  exit 1
}
now() { date +%s.%N; }
since() { echo "$(now) - $1" | bc; }
# Held long enough for the game's polls (every 20 ms) to see it down.
tap() { for k; do xdotool keydown "$k"; sleep 0.1; xdotool keyup "$k"; sleep 0.1; done; }
grab() { xwd -root -silent | xwdtopnm 2>/dev/null; }
shot() { grab | pnmtopng >"$shots/$1.png"; }
tap_shot() { tap "$1"; shot "$2"; }
snap() { sleep "$1"; shot "$2"; }
focus() { xdotool windowfocus --sync "$(xdotool search --name '^Quarnix$' | head -1)"; }
# Pixels of the region (left top width height) in the logo's orange: the intro's title.
orange_pixels() {
  grab | pnmcut -left "$1" -top "$2" -width "$3" -height "$4" | pnmdepth 255 | python3 -c '
import re, sys
d = sys.stdin.buffer.read()
px = d[re.match(rb"P6\s+\d+\s+\d+\s+\d+\s", d).end():]
print(sum(1 for i in range(0, len(px) - 2, 3) if px[i] > 200 and 90 < px[i + 1] < 210 and px[i + 2] < 100))'
}
# The screen colour at one point, as "r g b".
pixel() { grab | pnmcut -left "$1" -top "$2" -width 1 -height 1 | pnmdepth 255 | pnmtoplainpnm | tail -1 | xargs; }
cpu_percent() {  # of one core, over $2 seconds
  local a=$(awk '{print $14 + $15}' "/proc/$1/stat")
  sleep "$2"
  echo "scale=1; ($(awk '{print $14 + $15}' "/proc/$1/stat") - $a) * 100 / ($2 * $(getconf CLK_TCK))" | bc
}
# The HUD's corners (the NEXT and HEIGHT labels, the ends of the bottom strip) where the
# 1024 x 768 picture, scaled to fit WIDTH x HEIGHT and centred, puts them; bars are black.
hud_corners() {
  local points x y r g b
  points=$(awk -v w="$1" -v h="$2" 'BEGIN {
    s = w / 1024 < h / 768 ? w / 1024 : h / 768; ox = (w - 1024 * s) / 2; oy = (h - 768 * s) / 2
    split("36 16 P 980 16 P 5 760 S 1018 760 S", p, " ")
    for (i = 1; i < 12; i += 3) printf "%d %d %s\n", ox + p[i] * s, oy + p[i + 1] * s, p[i + 2]
    if (oy >= 2) printf "%d %d B\n%d %d B\n", w / 2, oy / 2, w / 2, h - 1 - oy / 2 }')
  while read -r x y kind; do
    read -r r g b <<<"$(pixel "$x" "$y")"
    case $kind in
      P) [ "$b" -gt 90 ] && [ "$b" -gt $((r + 50)) ] ;;             # a blue label
      S) [ "$b" -gt 30 ] && [ "$b" -lt 80 ] && [ "$r" -lt 30 ] ;;  # the dark blue strip
      B) [ $((r + g + b)) -lt 30 ] ;;                               # a black bar
    esac || { echo "at $x,$y ($kind): $r $g $b"; return 1; }
  done <<<"$points"
}
# start LOG ARGS...: the game from the current folder, its output in $work/LOG.txt.
start() {
  local log=$1
  shift
  ./quarnix "$@" >"$work/$log.txt" 2>&1 &
  pid=$!
}
launch() { start "$@"; sleep 2; focus; } # and in front once its window shows
# wait_exit SECONDS: the game's exit status, or a failure if it still runs.
wait_exit() {
  local i
  for ((i = 0; i < $1 * 10; i++)); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$pid" 2>/dev/null && fail "the game did not end"
  wait "$pid"
  local status=$?
  pid=""
  return $status
}
copy_game() { cp -r "$game_src" "$work/$1" && rm -f "$work/$1/quarnix-tool" && cd "$work/$1"; }

# --- A missing data file: the damaged-files message, and the game ends with an error.
copy_game broken
find Wave -iname 'thund.wav' -delete
start broken
snap 2.5 00-damaged-files
xdotool mousemove 510 294 click 1  # the message box's OK, in the middle of the screen
wait_exit 10 && fail "a missing file still started the game"
grep -q "Some files may be damaged! Please re-install this game." "$work/broken.txt" || fail "no damaged-files message"
grep -qi "THUND.WAV" "$work/broken.txt" || fail "the missing file was not named"

# --- A screen image cut to nothing, found once Play is pressed: named, the damaged-files box;
# SIGTERM while the box is up ends the program, box and all, within a second, with a failure.
copy_game cut
: >Data/ME.RB
launch cut
tap Return
for ((i = 0; i < 100; i++)); do grep -q "Some files may be damaged" "$work/cut.txt" && break; sleep 0.1; done
snap 1 00-damaged-image # the box maps
kill -TERM "$pid"
wait_exit 1 && fail "a cut-off ME.RB ended with status 0"
grep -q "ME.RB" "$work/cut.txt" || fail "the cut-off file was not named"
[ -z "$(xdotool search --name '^Quarnix$')" ] || fail "a message box outlived the game"

# --- The whole run.
copy_game game || fail "no game folder"
t0=$(now)
start out
# The dialog is drawn once its green button shows in the middle of the screen.
button=""
for ((i = 0; i < 200; i++)); do
  read -r r g b <<<"$(pixel 642 466)"
  [ "${g:-0}" -gt 140 ] && [ "${r:-255}" -lt 90 ] && { button=yes; break; }
  kill -0 "$pid" 2>/dev/null || fail "the game ended before its dialog"
  sleep 0.05
done
[ -n "$button" ] || fail "no start dialog"
dialog_time=$(since "$t0")
win=$(xdotool search --name '^Quarnix$' | head -1)
[ -n "$win" ] || fail "no window named Quarnix"
xdotool windowfocus --sync "$win"
shot 01-dialog
# The list by mouse (800 x 600) and by keys (back up to 1024 x 768), then Play by mouse.
xdotool mousemove --window "$win" 100 252 click 1
snap 0.2 02-dialog-800
tap Down Up Up
snap 0.1 03-dialog-1024
xdotool mousemove --window "$win" 370 262 click 1
t_play=$(now)
intro_time=""
for ((i = 0; i < 200; i++)); do
  [ "$(orange_pixels 0 400 1024 100)" -gt 500 ] && { intro_time=$(since "$t_play"); break; }
  sleep 0.02
done
[ -n "$intro_time" ] || fail "no intro"
shot 04-intro-halves
snap 1.5 05-intro-title
snap 6 10-menu-start
menu_cpu=$(cpu_percent "$pid" 5)
tap Down Right Left Left # Right at the top stays 9
shot 11-menu-effects-7
tap Down Left # music volume down
shot 12-menu-music-8
tap_shot Down 13-menu-controls
tap Return
tap j l i k t b c # left, right, up, down, then turn before drop, then the camera
shot 14-menu-controls-redefined
tap_shot Down 15-menu-help-1
tap_shot Right 16-menu-help-2
tap_shot Right 17-menu-help-3
tap_shot Down 18-menu-scores
tap_shot Down 19-menu-exit
tap_shot Down 20-menu-start-again # wraps to the first item

# --- Games, until a result enters the table (a game quit at 0 points does not).
entered=""
# Drops spread over the well so that lines form and it does not fill up.
moves=("" "j" "l" "i" "k" "j j" "l l" "i i" "k k" "j i" "l k" "j k" "l i")
for game in 1 2 3 4; do
  tap Return
  sleep 2.5
  if [ "$game" -eq 1 ]; then # on a busy machine the first game may take longer to show
    for ((i = 0; i < 40; i++)); do hud_corners 1024 768 >/dev/null && break || sleep 0.25; done
    hud_corners 1024 768 || fail "full screen does not show the whole play screen"
  fi
  shot "3${game}-game-start"
  tap j l i k t c
  shot "3${game}-game-moved"
  for ((d = 0; d < 18; d++)); do
    tap ${moves[$((d % ${#moves[@]}))]} b
    sleep 0.25
  done
  shot "3${game}-game-played"
  tap Escape
  snap 0.3 "3${game}-game-quit-prompt"
  tap y
  sleep 1.2
  tap t e s t e r
  snap 0.3 "3${game}-game-over-name"
  tap Return
  snap 1.5 "3${game}-back-in-menu"
  "$tool" scores RD.DAT | grep -q "TESTER" && { entered=yes; break; }
done
[ -n "$entered" ] || fail "no game entered the table in four tries"
# --- The game behind the row: its replay is kept beside RD.dat and verifies to the row's score.
row_score=$("$tool" scores RD.DAT | sed -n 's/^ *[0-9]*  TESTER  *\([0-9]*\) .*/\1/p' | head -1)
kept=""
for replay in Replays/*.qrp; do
  [ -f "$replay" ] || fail "no replay kept beside RD.dat"
  verified=$("$tool" replay verify "$replay") || fail "the kept replay $replay does not verify: $verified"
  read -r s b <<<"$(sed -n 's/^score \([0-9]*\), bonus \([0-9]*\),.*/\1 \2/p' <<<"$verified")"
  [ "$((s + b))" = "$row_score" ] && kept="$replay"
done
[ -n "$kept" ] || fail "no kept replay gives the table's score $row_score"
echo "kept replay $kept verifies to the table's score $row_score"
# --- The table with the result, then the exit: up from the first item is the last.
tap Up Up
shot 40-menu-scores-entered
tap_shot Down 41-menu-exit
tap Return
wait_exit 15 || fail "the game ended with status $?"

# --- Other ways out run the same shutdown: Escape in the dialog, and a request to close
# (SIGTERM, as the window's close button) in the menu, reached in a window.
launch escape
tap Escape
wait_exit 10 || fail "Escape in the dialog ended with status $?"
launch close --windowed
tap Return
sleep 9
kill -TERM "$pid"
wait_exit 10 || fail "a close request in the menu ended with status $?"

# --- Full screen on a screen of another shape: the whole picture, with bars.
SDL_AUDIODRIVER=dummy xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  '"$(declare -f grab pixel hud_corners)"'
  "$1" --demo --realtime --frames 2000 >/dev/null 2>&1 &
  for ((i = 0; i < 40; i++)); do sleep 0.5; hud_corners 1280 1024 && break; done
  status=$?
  grab | pnmtopng >"$2"
  kill $!
  exit $status' letterbox "$work/game/quarnix" "$shots/50-letterbox-1280x1024.png" >"$work/letterbox.txt" 2>&1 ||
  fail "full screen at 1280 x 1024 does not show the whole picture"

"$tool" scores RD.DAT >"$work/scores.txt" || fail "RD.dat does not read back"
grep -q "TESTER" "$work/scores.txt" || fail "the name is not in RD.dat"
"$tool" controls CT.DAT >"$work/controls.txt" || fail "CT.dat does not read back"
i=0
for key in J L I K B T C; do grep -Eq "^$((++i)) .* $key\$" "$work/controls.txt" || fail "binding $i is not $key"; done
head -4 "$work/scores.txt"
echo "launch to dialog: ${dialog_time} s; Play to first intro frame: ${intro_time} s; menu idle CPU: ${menu_cpu}% of one core"
echo "PASS"
