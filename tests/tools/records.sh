#!/bin/sh
# Records written by quarnix-tool read back as entered; a changed byte is refused with the reader's message.
set -u
tool="$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
# expect_line FILE PATTERN...: FILE has a line matching each extended regular expression.
expect_line() {
  f=$1; shift
  for p; do grep -Eq "$p" "$f" || { fail "no line /$p/ in:"; cat "$f" >&2; }; done
}
# damaged FILE OFFSET KIND MESSAGE: with the byte at OFFSET inverted the file is refused, leaving exactly
# MESSAGE in Event.dat (a longer earlier message must not show through).
damaged() {
  printf 'An earlier event message, much longer than the next one.' >"$dir/Event.dat"
  byte=$(od -An -tu1 -j "$2" -N1 "$1" | tr -d ' ')
  printf "\\$(printf '%03o' $((255 - byte)))" | dd of="$1" bs=1 seek="$2" conv=notrunc 2>/dev/null
  "$tool" "$3" "$1" >/dev/null 2>"$dir/err.txt" && fail "a damaged $3 file was read"
  [ -s "$dir/err.txt" ] || fail "no message for a damaged $3 file"
  printf %s "$4" | cmp -s - "$dir/Event.dat" || fail "Event.dat: '$(cat "$dir/Event.dat")'"
}

scores="$dir/RD.dat"
add() { "$tool" scores "$scores" --add "$@" >/dev/null || fail "scores --add '$1'"; }
add ALICE 120 3
add "BOB THE BUILDER" 300 5
add "" 120 7
[ "$(wc -c <"$scores")" -eq 2648 ] || fail "scores file is not 2648 bytes"
"$tool" scores "$scores" >"$dir/show.txt" || fail "scores (read back)"
# An equal score entered later ranks above the earlier one.
expect_line "$dir/show.txt" '^ +1 +BOB THE BUILDER +300 +5$' '^ +2 +NO NAME +120 +7$' '^ +3 +ALICE +120 +3$' \
  '^ +4 +NO NAME +0 +0$' '^saves: 4$'
# The table printed after the last --add is the one read back from the file.
"$tool" scores "$scores" --add "CAROL" 90 2 >"$dir/add4.txt" || fail "scores --add CAROL"
"$tool" scores "$scores" >"$dir/show2.txt" || fail "scores (second read back)"
cmp -s "$dir/add4.txt" "$dir/show2.txt" || fail "the table after --add differs from the table read back"
expect_line "$dir/show2.txt" '^ +4 +CAROL +90 +2$'
damaged "$scores" 1000 scores "Scores File Reading Error."

controls="$dir/CT.dat"
"$tool" controls "$controls" --set 65,68,87,83,32,81,69 >/dev/null || fail "controls --set"
[ "$(wc -c <"$controls")" -eq 400 ] || fail "controls file is not 400 bytes"
"$tool" controls "$controls" >"$dir/keys.txt" || fail "controls (read back)"
expect_line "$dir/keys.txt" '^1 .* 65 +A$' '^2 .* 68 +D$' '^3 .* 87 +W$' '^4 .* 83 +S$' '^5 .* 32 +Space$' \
  '^6 .* 81 +Q$' '^7 .* 69 +E$'
# A key without a name is refused and the file stays as it was.
cp "$controls" "$dir/controls.before"
"$tool" controls "$controls" --set 65,68,87,83,32,81,112 >/dev/null 2>&1 && fail "F1 was accepted"
cmp -s "$controls" "$dir/controls.before" || fail "a refused --set changed the file"
damaged "$controls" 45 controls "Control File Reading Error."

# Nothing but the three files: no temporary file is left behind.
[ "$(ls -A "$dir" | grep -cv -e '\.txt$' -e '\.before$')" -eq 3 ] || { fail "stray files:"; ls -A "$dir" >&2; }
[ "$failures" -eq 0 ] && echo "records: all checks passed"
exit "$failures"
