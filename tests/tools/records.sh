#!/bin/sh
# A scores file written by "quarnix-tool scores --add" reads back as entered;
# one changed byte is reported, exits non-zero and leaves exactly the reader's
# message in Event.dat. The same for the controls file.
set -u
tool="$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# expect_line FILE PATTERN: FILE has a line matching the extended regular expression.
expect_line() {
  grep -Eq "$2" "$1" || { fail "no line /$2/ in:"; cat "$1" >&2; }
}

# flip FILE OFFSET: changes the one byte at OFFSET (inverts its bits).
flip() {
  byte=$(od -An -tu1 -j "$2" -N1 "$1" | tr -d ' ')
  printf "\\$(printf '%03o' $((255 - byte)))" | dd of="$1" bs=1 seek="$2" conv=notrunc 2>/dev/null
}

# ---- scores ----
scores="$dir/RD.dat"
"$tool" scores "$scores" --add "ALICE" 120 3 > "$dir/add1.txt" || fail "scores --add ALICE"
"$tool" scores "$scores" --add "BOB THE BUILDER" 300 5 > "$dir/add2.txt" || fail "scores --add BOB"
"$tool" scores "$scores" --add "" 120 7 > /dev/null || fail "scores --add (blank name)"
[ "$(wc -c < "$scores")" -eq 2648 ] || fail "scores file is not 2648 bytes"

"$tool" scores "$scores" > "$dir/show.txt" || fail "scores (read back)"
expect_line "$dir/show.txt" '^ +1 +BOB THE BUILDER +300 +5$'
# An equal score entered later ranks above the earlier one.
expect_line "$dir/show.txt" '^ +2 +NO NAME +120 +7$'
expect_line "$dir/show.txt" '^ +3 +ALICE +120 +3$'
expect_line "$dir/show.txt" '^ +4 +NO NAME +0 +0$'
expect_line "$dir/show.txt" '^saves: 4$'
# The table printed after the last --add is the one read back from the file.
"$tool" scores "$scores" --add "CAROL" 90 2 > "$dir/add4.txt" || fail "scores --add CAROL"
"$tool" scores "$scores" > "$dir/show2.txt" || fail "scores (second read back)"
cmp -s "$dir/add4.txt" "$dir/show2.txt" || fail "the table after --add differs from the table read back"
expect_line "$dir/show2.txt" '^ +4 +CAROL +90 +2$'

# A longer, earlier message must not show through.
printf 'An earlier event message, much longer than the next one.' > "$dir/Event.dat"
cp "$scores" "$dir/scores.before"
flip "$scores" 1000
if "$tool" scores "$scores" > /dev/null 2> "$dir/err.txt"; then fail "a damaged scores file was read"; fi
[ -s "$dir/err.txt" ] || fail "no message for a damaged scores file"
[ "$(cat "$dir/Event.dat")" = "Scores File Reading Error." ] || fail "Event.dat: '$(cat "$dir/Event.dat")'"
[ "$(wc -c < "$dir/Event.dat")" -eq 26 ] || fail "Event.dat has extra bytes"
cmp -s "$scores" "$dir/scores.before" && fail "the byte was not changed"

# ---- controls ----
controls="$dir/CT.dat"
"$tool" controls "$controls" --set 65,68,87,83,32,81,69 > /dev/null || fail "controls --set"
[ "$(wc -c < "$controls")" -eq 400 ] || fail "controls file is not 400 bytes"
"$tool" controls "$controls" > "$dir/keys.txt" || fail "controls (read back)"
for line in '1 .* 65 +A' '2 .* 68 +D' '3 .* 87 +W' '4 .* 83 +S' '5 .* 32 +Space' '6 .* 81 +Q' '7 .* 69 +E'; do
  expect_line "$dir/keys.txt" "^$line\$"
done
# A key without a name is refused and the file stays as it was.
cp "$controls" "$dir/controls.before"
if "$tool" controls "$controls" --set 65,68,87,83,32,81,112 > /dev/null 2>&1; then fail "F1 was accepted"; fi
cmp -s "$controls" "$dir/controls.before" || fail "a refused --set changed the file"

printf 'An earlier event message, much longer than the next one.' > "$dir/Event.dat"
flip "$controls" 45
if "$tool" controls "$controls" > /dev/null 2> "$dir/err.txt"; then fail "a damaged controls file was read"; fi
[ -s "$dir/err.txt" ] || fail "no message for a damaged controls file"
[ "$(cat "$dir/Event.dat")" = "Control File Reading Error." ] || fail "Event.dat: '$(cat "$dir/Event.dat")'"
[ "$(wc -c < "$dir/Event.dat")" -eq 27 ] || fail "Event.dat has extra bytes"

# Nothing but the three files: no temporary file is left behind.
[ "$(ls -A "$dir" | grep -cv -e '\.txt$' -e '\.before$')" -eq 3 ] || { fail "stray files:"; ls -A "$dir" >&2; }

[ "$failures" -eq 0 ] && echo "records: all checks passed"
exit "$failures"
