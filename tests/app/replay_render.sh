#!/bin/bash
# A demo recorded at 1024 x 768 with sound plays back to the same game at 640 x 480, with sound off,
# on the virtual clock and in real time at four times the speed, and verifies headless; a changed byte is refused.
set -u
game=$1 tool=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
"$game" --demo --seed 3 --pieces 3 --mode 0 --record "$tmp/r.qrp" >"$tmp/demo.txt" || fail "demo: $(cat "$tmp/demo.txt")"
score=$(sed -n 's/^recorded game 1: score \([0-9]*\), bonus .*/\1/p' "$tmp/demo.txt")
[ -n "$score" ] || fail "no recorded game: $(cat "$tmp/demo.txt")"
"$tool" replay verify "$tmp/r.qrp" | grep -q "^score $score, " || fail "verify does not give score $score"
"$game" --replay "$tmp/r.qrp" --mode 2 --screenshots "$tmp/shots" --every 100 >"$tmp/640.txt" || fail "640x480: $(cat "$tmp/640.txt")"
grep -q "matches its recording" "$tmp/640.txt" || fail "640x480: $(cat "$tmp/640.txt")"
ls "$tmp/shots"/frame-000100.png >/dev/null || fail "no screenshots at 640x480"
SDL_AUDIODRIVER=no-such-driver "$game" --replay "$tmp/r.qrp" --mode 1 2>/dev/null | grep -q "matches its recording" ||
  fail "without sound"
"$game" --replay "$tmp/r.qrp" --realtime --speed 4 | grep -q "matches its recording" || fail "in real time"
# One byte changed in the middle: refused, the file named.
cp "$tmp/r.qrp" "$tmp/bad.qrp"
printf '\x55' | dd of="$tmp/bad.qrp" bs=1 seek=$(($(stat -c %s "$tmp/r.qrp") / 2)) conv=notrunc status=none
if "$tool" replay verify "$tmp/bad.qrp" 2>"$tmp/err.txt"; then fail "a changed byte verified"; fi
grep -q "bad.qrp" "$tmp/err.txt" || fail "the error does not name the file: $(cat "$tmp/err.txt")"
echo "replays: score $score, the same at 1024x768, 640x480, without sound and at 4x in real time"
