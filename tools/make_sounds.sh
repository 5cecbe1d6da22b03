#!/usr/bin/env bash
# Regenerates the game's sounds and music in data/:
#   - the effects, synthesised by make_effects (16-bit mono PCM, 22050 Hz);
#   - the music varno.mid, composed by make_music;
#   - the spoken lines in English (_eng) and Esperanto (_esp), spoken by
#     espeak-ng and stored compressed by sox: English as IMA ADPCM,
#     Esperanto as Microsoft ADPCM, so both conversions are used by the game.
# Needs espeak-ng and sox (asset generation only; the game never uses them).
#   tools/make_sounds.sh [build-folder]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}

for tool in espeak-ng sox; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "make_sounds: $tool is needed (apt-get install espeak-ng sox)" >&2
    exit 1
  fi
done

if [ ! -f "$build/build.ninja" ] && [ ! -f "$build/Makefile" ]; then
  cmake -S "$root" -B "$build" -G Ninja >/dev/null
fi
cmake --build "$build" --target make_effects make_music >/dev/null

# Everything is made in a folder beside the data and renamed into place, so
# an interrupted run never leaves a half-written file in data/.
mkdir -p "$root/data"
work=$(mktemp -d "$root/data/.make_sounds.XXXXXX")
trap 'rm -rf "$work"' EXIT

"$build/bin/make_effects" "$work"
"$build/bin/make_music" "$work/varno.mid"

# speak <name> <language suffix> <voice> <text>
speak() {
  local name=$1 lang=$2 voice=$3 text=$4 encoding
  case "$lang" in
    eng) encoding=ima-adpcm ;;
    esp) encoding=ms-adpcm ;;
  esac
  espeak-ng -v "$voice" -s 150 -p 45 -w "$work/spoken.wav" "$text"
  # Normalised, with a short pause at the end; no dither and a fixed seed,
  # so that every run makes the same bytes.
  sox -R -D "$work/spoken.wav" -r 22050 -c 1 -e "$encoding" "$work/${name}_${lang}.wav" norm -1 pad 0 0.1
  rm -f "$work/spoken.wav"
  echo "${name}_${lang}.wav: $text"
}

speak gameover eng en-gb "Game over."
speak gameover esp eo "Ludo finiĝis."
speak hitbad eng en-gb "Watch out! Never destroy a red cube."
speak hitbad esp eo "Atentu! Neniam detruu ruĝan kubon."
speak fell eng en-gb "A cube fell off the edge!"
speak fell esp eo "Kubo falis de la rando!"
speak wonlevel1 eng en-gb "Puzzle solved."
speak wonlevel1 esp eo "Enigmo solvita."
speak wonlevel2 eng en-gb "Well done!"
speak wonlevel2 esp eo "Bone farite!"
speak wonlevel3 eng en-gb "Excellent! Perfectly done."
speak wonlevel3 esp eo "Bonege! Perfekte farite."

for f in "$work"/*; do
  mv -f "$f" "$root/data/$(basename "$f")"
done
du -ch "$root"/data/*.wav "$root"/data/*.mid | tail -1
