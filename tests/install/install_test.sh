#!/usr/bin/env bash
# Installs the build into a temporary prefix, moves the tree elsewhere and
# runs it from there with no build tree around: the version, a check of the
# installed level file, and a short headless start that writes a frame log.
# Also: what is installed (and what is not), DESTDIR, and the desktop files'
# validators where they are installed.
#   install_test.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$work/staged" >/dev/null
# The tree runs from wherever it is moved.
mv "$work/staged" "$work/moved"
tree=$work/moved
cd "$work"
unset LD_LIBRARY_PATH

# Exactly the two programs, the two libraries and the data folder.
[ "$(ls "$tree/bin")" = "$(printf 'varno\nvarno-sim')" ] || fail "bin/ holds: $(ls "$tree/bin" | tr '\n' ' ')"
[ "$(ls "$tree/lib/varno")" = "$(printf 'libplatform.so\nlibzephane.so')" ] || fail "lib/varno/ holds: $(ls "$tree/lib/varno" | tr '\n' ' ')"
[ -f "$tree/share/varno/VARNO.LEV" ] && [ -f "$tree/share/varno/varno.mid" ] || fail "the data folder is incomplete"
[ ! -e "$tree/share/varno/solutions.txt" ] || fail "the level check's solutions are installed"
app=$(ls "$tree/share/applications")
id=${app%.desktop}
[ -f "$tree/share/metainfo/$id.metainfo.xml" ] || fail "no AppStream data for $id"
for size in 16 32 48 64 128 256; do
  icon=$tree/share/icons/hicolor/${size}x${size}/apps/$id.png
  [ -f "$icon" ] || fail "no ${size}px icon"
  # The PNG header's width and height.
  dims=$(od -An -tu1 -j16 -N8 "$icon" | awk '{print $3*256+$4 "x" $7*256+$8}')
  [ "$dims" = "${size}x${size}" ] || fail "the ${size}px icon is $dims"
done
for page in varno.6.gz varno-sim.6.gz; do
  gzip -t "$tree/share/man/man6/$page" || fail "manual page $page"
done

# Everything the programs load comes from the moved tree or the system.
for f in "$tree/bin/varno" "$tree/bin/varno-sim"; do
  libs=$(ldd "$f")
  if grep -E "not found|$build" <<<"$libs" >&2; then fail "$(basename "$f") does not find its libraries in the tree"; fi
  grep -qF "$tree/bin/../lib/varno/libzephane.so" <<<"$libs" || fail "$(basename "$f") takes zephane from elsewhere"
done

[ "$("$tree/bin/varno" --version 2>/dev/null)" = "varno $version" ] || fail "varno --version"
help=$("$tree/bin/varno" --help 2>/dev/null)
grep -qF "$tree/bin/../share/varno/" <<<"$help" || fail "varno --help does not name the installed data folder"
check=$("$tree/bin/varno-sim" check "$tree/share/varno/VARNO.LEV")
[[ $check == "ok: "* ]] || fail "varno-sim check: $check"

# A short headless start: the game finds its data folder and draws frames.
# It runs until ten frames are logged (however slow the machine), then it is
# stopped; it must not end by itself before.
mkdir -p "$work/config" "$work/data"
SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data \
  VARNO_FRAME_LOG=$work/frames.log "$tree/bin/varno" >"$work/game.out" 2>&1 &
game=$!
frames=0
for _ in $(seq 600); do
  frames=$(wc -l <"$work/frames.log" 2>/dev/null || echo 0)
  [ "$frames" -ge 10 ] && break
  kill -0 "$game" 2>/dev/null || break
  sleep 0.5
done
if ! kill "$game" 2>/dev/null; then
  cat "$work/game.out" >&2
  fail "the game ended by itself after $frames frames"
fi
wait "$game" || true
[ "$frames" -ge 10 ] || { cat "$work/game.out" >&2; fail "only $frames frames drawn"; }

# DESTDIR puts the same tree below it.
DESTDIR=$work/dest cmake --install "$build" --prefix /usr >/dev/null
[ -x "$work/dest/usr/bin/varno" ] && [ -f "$work/dest/usr/share/varno/VARNO.LEV" ] || fail "DESTDIR"

if command -v desktop-file-validate >/dev/null; then
  out=$(desktop-file-validate "$tree/share/applications/$app" 2>&1) && [ -z "$out" ] || fail "desktop-file-validate: $out"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net --pedantic "$tree/share/metainfo/$id.metainfo.xml" >/dev/null ||
    fail "appstreamcli validate: $(appstreamcli validate --no-net "$tree/share/metainfo/$id.metainfo.xml" 2>&1)"
fi
echo "installed tree ok: $frames frames, $check"
