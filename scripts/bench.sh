#!/usr/bin/env bash
# Prints the performance figures, headless, from a built tree (default: build;
# another folder, e.g. an older checkout's build, to compare side by side):
#   peak memory    the idle menu (bench_menu) and a whole run of demo games
#   the menu       frames shown a second and the share of one core it takes
#   play frames    the frame-time spread over GAMES demo games at 1024 x 768
#   heaviest frame the synthetic full-well frame (bench_render)
# The figures are measured, never judged: the script fails only when a
# program does. A busy machine slows everything; compare runs taken together.
#   scripts/bench.sh [BUILD_DIR]     GAMES=5 PIECES=20
set -euo pipefail
build=$(realpath "${1:-$(dirname "$0")/../build}")
games=${GAMES:-5}
pieces=${PIECES:-20}
# The game draws its frames straight into its window, so they are measured in
# a window that shows them: under X, on a 1024 x 768 Xvfb when there is no display (the
# offscreen driver's window is never shown, and the rasteriser skips work).
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
export SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null

echo "== heaviest frame (ms: wall, calling thread's CPU, all threads' CPU)"
"$build/bin/bench_render" --benchmark_filter='BM_PlayScreen/parts:15/width:1024|CodeOnly' 2>/dev/null |
  grep -E '^BM_' || true

echo "== idle menu at 1024 x 768 with its music"
"$build/bin/bench_menu" 2>/dev/null | grep -E '^BM_' || true

echo "== $games demo games at 1024 x 768 with sound (the bot quits each after $pieces pieces)"
# ru_maxrss of the game process is its VmHWM: the peak from start to the end.
(cd "$build/game" &&
  /usr/bin/time -f "peak memory %M KiB" ./quarnix --demo --games "$games" --pieces "$pieces" --stats 2>&1 |
  grep -E '^(demo|first frame|frame times|peak memory)')

# The CPU side of a frame, what a GPU would leave of it: Mesa's no-op driver
# takes every GL call, checks and keeps its state, and draws nothing (on a
# driver other than Mesa's the variable does nothing: the figures are then real).
echo "== the CPU side alone (GALLIUM_NOOP=1): heaviest frame (ms), then the same demo games"
GALLIUM_NOOP=1 "$build/bin/bench_render" --benchmark_filter='BM_PlayScreen/parts:15/width:1024' 2>/dev/null |
  grep -E '^BM_' | grep -oE '^BM_[^ ]* +[0-9.]+ ms|caller_cpu_ms=[0-9.]+' | tr '\n' ' ' || true
echo
(cd "$build/game" && GALLIUM_NOOP=1 ./quarnix --demo --games "$games" --pieces "$pieces" --stats 2>&1 |
  grep -E '^(demo|frame times)')
