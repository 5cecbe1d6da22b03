#!/usr/bin/env bash
# Regenerates the game's sounds and music in data/:
#   - the effects, synthesised by make_effects (16-bit mono PCM, 22050 Hz);
#   - the music varno.mid, composed by make_music;
#   - the spoken lines in English (_eng) and Esperanto (_esp), spoken by
#     espeak-ng and stored compressed by sox: English as IMA ADPCM,
#     Esperanto as Microsoft ADPCM, so both conversions are used by the game;
#   - the twelve tutorial narrations in both languages, tutorial_N_eng.wav
#     and tutorial_N_esp.wav: narrations 1 to 11 read the two text lines that
#     the tutorial shows with them, taken from the string tables, and 12 is
#     the closing line of the last tutorial puzzle. They are long, so they are
#     kept at 11025 Hz, compressed the same way as the other spoken lines.
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

# The text of a string id in a string table (UTF-8, one "id<TAB>text" a line).
text_of() {
  awk -F'\t' -v id="$2" '$1 == id { print $2; exit }' "$root/resources/strings/$1.txt"
}

# narrate <number> <language suffix> <voice> <text>
narrate() {
  local number=$1 lang=$2 voice=$3 text=$4 encoding
  case "$lang" in
    eng) encoding=ima-adpcm ;;
    esp) encoding=ms-adpcm ;;
  esac
  espeak-ng -v "$voice" -s 145 -p 45 -w "$work/spoken.wav" "$text"
  sox -R -D "$work/spoken.wav" -r 11025 -c 1 -e "$encoding" "$work/tutorial_${number}_${lang}.wav" norm -1 pad 0 0.2
  rm -f "$work/spoken.wav"
  echo "tutorial_${number}_${lang}.wav: $text"
}

# Narration n (1 to 11) goes with the text pair 75 + 2n, 76 + 2n, in the
# order the tutorial's scripts show them.
for n in $(seq 1 11); do
  upper=$((75 + 2 * n))
  lower=$((upper + 1))
  narrate "$n" eng en-gb "$(text_of 1033 $upper) $(text_of 1033 $lower)"
  narrate "$n" esp eo "$(text_of 0 $upper) $(text_of 0 $lower)"
done
# The last puzzle's final detonation ends the tutorial; the real game follows.
narrate 12 eng en-gb "That is all you need to know. Now it is your turn. Good luck!"
narrate 12 esp eo "Jen ĉio, kion vi bezonas scii. Nun estas via vico. Bonŝancon!"

for f in "$work"/*; do
  mv -f "$f" "$root/data/$(basename "$f")"
done
du -ch "$root"/data/*.wav "$root"/data/*.mid | tail -1
