#!/bin/bash
# assets_tool.sh TOOL CONTENTGEN GAMEDIR WORK: quarnix-tool's content commands on the game and an authoring set.
set -u
tool=$1 contentgen=$2 game=$3 work=$4
rm -rf "$work" && mkdir -p "$work"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# rb: every packed sheet (BG.RB with --raw) to PNG and back gives the very same file.
for entry in OA:512 OB:512 ME:1024 SA:512 SB:512 CS:512 BG:256:--raw; do
  IFS=: read -r name width raw <<<"$entry"
  "$tool" rb unpack "$game/Data/$name.RB" "$width" "$work/$name.png" $raw >"$work/rb.out" 2>&1 ||
    { fail "rb unpack $name: $(cat "$work/rb.out")"; continue; }
  grep -q "^$work/$name.png: $width x" "$work/rb.out" || fail "rb unpack $name said: $(cat "$work/rb.out")"
  "$tool" rb pack "$work/$name.png" "$work/$name.RB" $raw >/dev/null || { fail "rb pack $name"; continue; }
  cmp -s "$game/Data/$name.RB" "$work/$name.RB" || fail "$name.RB changed on its way through PNG"
done
grep -q ': 256 x 5120' <("$tool" rb unpack "$game/Data/BG.RB" 256 "$work/bg2.png" --raw) ||
  fail "BG.RB is not 20 pictures of 256 x 256"
# A sheet unpacked at a smaller size does not fit: refused, no picture.
"$tool" rb unpack "$game/Data/SA.RB" 256 "$work/small.png" >"$work/small.out" 2>&1 && fail "SA.RB unpacked at 256"
grep -q 'more than 196608 bytes' "$work/small.out" || fail "no reason given: $(cat "$work/small.out")"
[ ! -e "$work/small.png" ] || fail "a picture was written for a refused file"

# export-mesh-source in a copy of the game folder, from inside it and with --dir.
mkdir -p "$work/game" && cp -r "$game/Data" "$work/game/"
(cd "$work/game" && "$tool" export-mesh-source >/dev/null) || fail "export-mesh-source in the game folder"
"$tool" export-mesh-source --dir "$work/game" >/dev/null || fail "export-mesh-source --dir"
text="$work/game/ObjMeshProgramText.txt"
[ "$(wc -l <"$text")" -eq $((1 + 2 * 587 + 17)) ] || fail "mesh source has $(wc -l <"$text") lines"
"$tool" export-mesh-source --dir "$work/nowhere" >/dev/null 2>&1 && fail "export-mesh-source without mesh files"

# save-car-files: the authoring set becomes the mesh files the game loads, with the same vertices.
"$contentgen" "$work/authoring" --authoring "$work/authoring/Data" >/dev/null || fail "contentgen authoring set"
stems="M1 M2 M3 C01 C02 C03 C04 C05 C06 C07 C08 C09 C10 C11 C12 S1 S2 S3"
for stem in $stems; do rm -f "$work/authoring/Data/$stem.CAR"; done
"$tool" save-car-files --dir "$work/authoring" >/dev/null || fail "save-car-files"
for stem in $stems; do
  saved="$work/authoring/Data/$stem.car"
  [ -f "$saved" ] || { fail "save-car-files wrote no $stem.car"; continue; }
  "$tool" xinfo "$saved" | grep -q 'binary' || fail "$stem.car is not a binary X file"
  cmp -s <("$tool" xinfo "$game/Data/$stem.CAR" --dump | grep '^  v') <("$tool" xinfo "$saved" --dump | grep '^  v') ||
    fail "$stem.car does not hold the authoring mesh's vertices"
done
# The saved files serve the resource route.
"$tool" export-mesh-source --dir "$work/authoring" >/dev/null || fail "export-mesh-source from saved files"
rm -f "$work/authoring/Data/Red.CAR"
"$tool" save-car-files --dir "$work/authoring" >/dev/null 2>&1 && fail "save-car-files without Red.CAR"

[ "$failures" -eq 0 ] && echo "all content tool checks passed"
exit $((failures > 0))
