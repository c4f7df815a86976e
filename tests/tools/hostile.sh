#!/usr/bin/env bash
# hostile.sh tools|demo PROGRAM GAME_DIR: the tools (or the demo) on devices, fifos, folders, links, endless
# and cut-off inputs, damaged records: refused with a message, or done without losing a byte.
set -u
mode=$1
tool=$(realpath "$2")
game=$(realpath "$3")
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir" || exit 1
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
finish() { [ "$failures" -eq 0 ] && echo "hostile $mode: all checks passed"; exit "$failures"; }
# refused WHAT PATTERN COMMAND...: COMMAND ends within 5 s with a non-zero status, saying PATTERN.
refused() {
  local what=$1 pattern=$2
  shift 2
  timeout 5 "$@" >out.txt 2>&1
  case $? in
    124) fail "$what: still running after 5 s" ;;
    0) fail "$what: exit status 0" ;;
    *) grep -q -- "$pattern" out.txt || { fail "$what: no '$pattern' in:"; cat out.txt >&2; } ;;
  esac
}
# put32 FILE ELEMENT VALUE: stores VALUE as the 32-bit little-endian element (1-based).
put32() {
  local v=$(($3 & 0xFFFFFFFF)) bytes="" k
  for k in 0 8 16 24; do bytes+=$(printf '\\%03o' $(((v >> k) & 255))); done
  printf "$bytes" | dd of="$1" bs=1 seek=$((4 * ($2 - 1))) conv=notrunc 2>/dev/null
}
get32() { od -An -td4 -j $((4 * ($2 - 1))) -N4 "$1" | tr -d ' '; }

if [ "$mode" = demo ]; then
  mkdir shots
  mkfifo shots/frame-000002.png
  refused "demo screenshots onto a fifo" "frame-000002.png" "$tool" --demo --frames 4 --every 2 --screenshots shots
  [ -p shots/frame-000002.png ] || fail "the demo replaced the fifo"
  finish
fi
mesh=$game/Data/M1.CAR

# ---- Readers: nothing but a regular file, never more than the format can be.
truncate -s 1G huge
refused "xinfo of a device" "is a character device" "$tool" xinfo /dev/zero
refused "xconvert of a device" "is a character device" "$tool" xconvert /dev/zero x.car --format text
refused "xinfo of a 1 GB file" "1073741824 bytes, more than" "$tool" xinfo huge
refused "rb unpack of a 1 GB file" "1073741824 bytes, more than" "$tool" rb unpack huge 512 huge.png
head -c 100000 "$game/Data/ME.RB" >half.RB
refused "rb unpack of a cut-off sheet" "bytes of pixels, not the" "$tool" rb unpack half.RB 1024 half.png
[ ! -e huge.png ] && [ ! -e half.png ] || fail "a refused unpack left a picture"
# ---- Writers: only regular files are replaced; links are written through.
mkfifo fifo && mkdir folder real
refused "xconvert onto a fifo" "is a fifo" "$tool" xconvert "$mesh" fifo --format text
refused "rb unpack onto a fifo" "is a fifo" "$tool" rb unpack "$game/Data/ME.RB" 1024 fifo
refused "xconvert onto a folder" "is a folder" "$tool" xconvert "$mesh" folder --format binary
[ -p fifo ] && [ -d folder ] || fail "a fifo or folder was replaced"
ln -s real/mesh.x link.x
"$tool" xconvert "$mesh" link.x --format binary >/dev/null || fail "xconvert through a link"
[ -L link.x ] || fail "the link was replaced by a file"
"$tool" xinfo real/mesh.x >/dev/null || fail "the link's target holds no mesh"
# ---- Records: a table that cannot be read is kept aside before a new one is written.
for i in $(seq 1 19); do "$tool" scores RD.DAT --add "PLAYER$i" $((100 + i)) 2 >/dev/null; done
old=$(get32 RD.DAT 40)
put32 RD.DAT 40 999999 # codes no character; the sum is made to match
put32 RD.DAT 662 $(($(get32 RD.DAT 662) - old + 999999))
cp RD.DAT damaged.copy
stale=".RD.DAT.tmp$(sh -c 'echo $$' & wait)-0"  # left by a process that has certainly ended
echo "left by a killed save" >"$stale"
"$tool" scores RD.DAT --add NEW 5 1 >/dev/null 2>err.txt || fail "scores --add after a failed read"
cmp -s RD.DAT.damaged damaged.copy || fail "the unreadable table was not kept as RD.DAT.damaged"
grep -q "RD.DAT.damaged" err.txt || fail "no message on stderr about RD.DAT.damaged"
grep -q "RD.DAT.damaged" Event.dat || fail "no message in Event.dat about RD.DAT.damaged"
"$tool" scores RD.DAT | grep -q " NEW " || fail "the new table does not read back"
[ ! -e "$stale" ] || fail "a stale temporary file was left"
finish
