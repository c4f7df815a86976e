#!/bin/bash
# xtool_roundtrip.sh TOOL SAMPLES WORK: quarnix-tool's X-file commands end to end.
set -u
tool=$1 samples=$2 work=$3
rm -rf "$work" && mkdir -p "$work"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
for sample in "$samples"/*.x; do
  name=$(basename "$sample" .x) i="$work/$(basename "$sample" .x).info"
  "$tool" xinfo "$sample" >"$i" 2>"$work/$name.err" || { fail "xinfo $name: $(cat "$work/$name.err")"; continue; }
  grep -q '^vertices: [1-9]' "$i" && grep -q '^bounds: min ' "$i" || fail "xinfo $name shows no vertices or bounds"
  "$tool" xinfo "$sample" --dump >"$work/$name.dump" || fail "xinfo --dump $name"
  # A chain through every format: each step must keep the mesh and write its own header.
  previous=$sample step=0
  for format in text:txt binary:bin compressed:bzip text:txt compressed:bzip binary:bin; do
    step=$((step + 1)) out="$work/$name.$step.${format%:*}.x" tag=${format#*:}
    "$tool" xconvert "$previous" "$out" --format "${format%:*}" >/dev/null || { fail "xconvert $name to $format"; break; }
    "$tool" xinfo "$out" --dump >"$work/converted.dump" || { fail "xinfo of $name as $format"; break; }
    cmp -s "$work/$name.dump" "$work/converted.dump" || { fail "$name changed when written as $format"; break; }
    "$tool" xinfo "$out" | grep -q "^format: .*(\"$(printf '%-4s' "$tag")\")" || fail "$name as $format: wrong header"
    previous=$out
  done
done
# Damaged files: exit status 1 and exactly one line on stderr naming the file.
expect_refused() {
  "$tool" xinfo "$2" >/dev/null 2>"$work/refused.err"
  local status=$?
  [ "$status" -eq 1 ] || fail "$1: exit status $status, expected 1"
  [ "$(wc -l <"$work/refused.err")" -eq 1 ] || fail "$1: error is not one line: $(cat "$work/refused.err")"
  grep -q "xinfo: .*$(basename "$2")" "$work/refused.err" || fail "$1: error does not name the file"
}
for name in test_cube_binary test_cube_compressed test; do
  head -c $(($(stat -c %s "$samples/$name.x") / 2)) "$samples/$name.x" >"$work/$name.truncated.x"
  expect_refused "truncated $name" "$work/$name.truncated.x"
done
expect_refused "missing file" "$work/does-not-exist.x"
[ "$failures" -eq 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "all X-file tool checks passed"
