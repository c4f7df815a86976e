#!/usr/bin/env bash
# The game as a player installs it: installed read-only into a temporary prefix, run with a
# fresh home (records in their own folder, from the shipped defaults, never replaced by them;
# the installed tree never changes); desktop files, man pages and the Debian package checked.
#   check_package.sh BUILD_DIR CONTENTGEN
set -u
build=$(realpath "$1")
contentgen=$(realpath "$2")
for tool in desktop-file-validate appstreamcli groff cpack lintian dpkg-deb; do
  command -v "$tool" >/dev/null || { echo "FAIL: no $tool (scripts/setup-deps.sh installs it)"; exit 1; }
done
T=$(mktemp -d)
trap 'chmod -R u+w "$T"; rm -rf "$T"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
usr=$T/usr
home=$T/home
records=$home/.local/share/quarnix
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
qt() { HOME=$home "$usr/bin/quarnix-tool" "$@"; }
cd / || exit 1

# ---- The install: the defaults it ships are the generator's, not a player's.
cmake --install "$build" --prefix "$usr" >"$T/install.txt" || { cat "$T/install.txt"; exit 1; }
"$contentgen" --records "$T/defaults" || fail "no default records generated"
for f in CT.dat RD.dat; do cmp -s "$T/defaults/$f" "$usr/share/quarnix/$f" || fail "the installed $f is not the generated default"; done
chmod -R a-w "$usr"
tree() { (cd "$usr" && find . -printf '%p %M %l\n' | sort && find . -type f -exec sha256sum {} + | sort); }
before=$(tree)
mkdir "$home"

# ---- The demo from / finds its data and writes nothing.
HOME=$home "$usr/bin/quarnix" --demo --frames 100 >"$T/demo.txt" 2>&1 || fail "the installed demo: $(cat "$T/demo.txt")"
grep -q "^demo: 100 frames" "$T/demo.txt" || fail "the demo did not play: $(cat "$T/demo.txt")"
[ -z "$(ls -A "$home")" ] || fail "the demo wrote into the home folder: $(ls -AR "$home")"

# start_game: the game started through its games/ link finds every file and its records;
# a request to close ends it with status 0.
start_game() {
  HOME=$home "$usr/games/quarnix" >"$T/game.txt" 2>&1 &
  local pid=$! i
  for ((i = 0; i < 100; i++)); do
    [ -f "$records/RD.dat" ] && [ -f "$records/CT.dat" ] && break
    kill -0 "$pid" 2>/dev/null && sleep 0.1 || break
  done
  sleep 0.5
  kill -TERM "$pid" 2>/dev/null
  wait "$pid" || fail "the installed game ended with status $?: $(cat "$T/game.txt")"
  ! grep -q "damaged" "$T/game.txt" || fail "the installed game reported: $(cat "$T/game.txt")"
}
start_game
for f in CT.dat RD.dat; do cmp -s "$T/defaults/$f" "$records/$f" || fail "$f was not copied from the defaults"; done

# ---- The installed tool enters a result in the player's table and names it.
qt scores --add NEW 123 1 >/dev/null || fail "quarnix-tool scores --add"
qt scores >"$T/scores.txt" || fail "quarnix-tool scores"
grep -qx "scores file: $records/RD.dat" "$T/scores.txt" || fail "the table read is not named: $(head -1 "$T/scores.txt")"
grep -Eq "^ +1 +NEW +123 +1$" "$T/scores.txt" || fail "NEW is not first: $(cat "$T/scores.txt")"
qt controls --set 65,68,87,83,32,81,69 >/dev/null || fail "quarnix-tool controls --set"
# The game starting again keeps both, and so does the tool.
start_game
qt scores | grep -q " NEW " || fail "a start of the game replaced the player's table"
qt controls | grep -Eq "^1 .* 65 +A$" || fail "a start of the game replaced the keys"
# Another player, or XDG_DATA_HOME: a table of their own.
XDG_DATA_HOME=$T/xdg qt scores >"$T/other.txt" || fail "scores for another player"
grep -qx "scores file: $T/xdg/quarnix/RD.dat" "$T/other.txt" || fail "XDG_DATA_HOME not followed: $(head -1 "$T/other.txt")"
! grep -q " NEW " "$T/other.txt" || fail "another player sees NEW"
[ "$(tree)" = "$before" ] || fail "the installed tree changed: $(diff <(echo "$before") <(tree))"

# ---- A file missing from an install: named, and the game does not start.
cp -a "$usr" "$T/broken" && chmod -R u+w "$T/broken" && rm "$T/broken/share/quarnix/Wave/Thund.WAV"
if HOME=$home timeout 10 "$T/broken/bin/quarnix" >"$T/broken.txt" 2>&1; then fail "a broken install started"; fi
grep -q "Thund.WAV" "$T/broken.txt" || fail "the missing file was not named: $(cat "$T/broken.txt")"

# ---- The desktop's files and the man pages.
desktop-file-validate "$usr"/share/applications/*.desktop || fail "desktop-file-validate"
appstreamcli validate --no-net "$usr"/share/metainfo/*.metainfo.xml >"$T/appstream.txt" 2>&1 ||
  fail "appstreamcli: $(cat "$T/appstream.txt")"
for page in "$usr"/share/man/man6/*.6.gz; do
  zcat "$page" | groff -ww -man -Tutf8 2>&1 >/dev/null | grep . && fail "groff warns about $page"
done
for size in 16 32 48 64 128 256; do
  icon=$(echo "$usr/share/icons/hicolor/${size}x${size}/apps/"*.png)
  [ "$(od -An -tu1 -j16 -N8 "$icon" | xargs)" = "0 0 $((size >> 8)) $((size & 255)) 0 0 $((size >> 8)) $((size & 255))" ] ||
    fail "$icon is not $size x $size"
done

# ---- The Debian package: no lintian errors, the installed tree's files.
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$T/pkg" >"$T/cpack.txt" 2>&1 || fail "cpack: $(cat "$T/cpack.txt")"
deb=$(echo "$T"/pkg/quarnix_*_*.deb)
[ -f "$deb" ] || fail "no quarnix_<version>_<arch>.deb: $(ls "$T/pkg")"
[ "$(dpkg-deb -f "$deb" Section)" = games ] || fail "not in the games section"
dpkg-deb -f "$deb" Depends | grep -q "fonts-liberation2, fontconfig, .*libsdl2-2.0-0" || fail "Depends: $(dpkg-deb -f "$deb" Depends)"
lintian --fail-on error "$deb" >"$T/lintian.txt" 2>&1 || fail "lintian: $(cat "$T/lintian.txt")"
grep "^[EW]:" "$T/lintian.txt"
diff <(dpkg-deb -c "$deb" | grep -v '^d' | awk '{print $6}' | sed 's|^\./usr/||' | sort) \
  <(cd "$usr" && find . ! -type d | sed 's|^\./||' | sort) || fail "the package's files differ from the install"

[ "$failures" -eq 0 ] && echo "package: all checks passed"
exit "$failures"
