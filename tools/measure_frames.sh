#!/usr/bin/env bash
# Measures the game's frame cost the way a player runs it: the program from
# the build tree, a fresh settings folder (the default 800x600 mode in full
# screen), under Xvfb at 1024x768 with Mesa's software GL driver.
#
#   tools/measure_frames.sh menu OUTDIR [SECONDS]   the main menu (default 20 s)
#   tools/measure_frames.sh play OUTDIR [SECONDS]   the tutorial (default 30 s)
#
# OUTDIR receives frames.log (VARNO_FRAME_LOG), time.txt (/usr/bin/time) and
# report.txt (tools/frame_report). VARNO_PROGRAM names another build of the
# program (default build/bin/varno). "play" presses Return at the main menu
# (Start Game!) and then walks the figure about with the arrow keys and
# plants and detonates mines; it needs xdotool. SECONDS counts from the start
# of the program. The machine's load is written beside the figures: the
# processor share is only comparable between runs on a quiet machine.
set -euo pipefail
cd "$(dirname "$0")/.."

scene=${1:-}
out=${2:-}
case "$scene" in
menu) seconds=${3:-20} ;;
play) seconds=${3:-30} ;;
*)
    echo "usage: $0 menu|play OUTDIR [SECONDS]" >&2
    exit 2
    ;;
esac
[ -n "$out" ] || { echo "usage: $0 menu|play OUTDIR [SECONDS]" >&2; exit 2; }
program=${VARNO_PROGRAM:-build/bin/varno}
[ -x "$program" ] || { echo "$program is missing: run scripts/setup.sh build" >&2; exit 1; }
if [ "$scene" = play ] && ! command -v xdotool >/dev/null; then
    echo "measuring play needs xdotool (apt-get install xdotool)" >&2
    exit 1
fi

mkdir -p "$out"
out=$(cd "$out" && pwd)
rm -f "$out/frames.log" "$out/time.txt"
config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT

cat >"$config/run.sh" <<'EOF'
#!/usr/bin/env bash
# Runs inside the X server: starts the game, drives it, stops it on time.
set -u
scene=$1 seconds=$2 out=$3 config=$4
export XDG_CONFIG_HOME=$config LIBGL_ALWAYS_SOFTWARE=1 VARNO_FRAME_LOG=$out/frames.log
uptime >"$out/load.txt"
/usr/bin/time -f "%e s wall, %U s user, %S s sys, %P processor, %M KB" -o "$out/time.txt" "$VARNO_PROGRAM" &
timer=$!
start=$EPOCHREALTIME
# Seconds since the start, and a sleep until a moment counted from it.
elapsed() { awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.3f", b - a }'; }
before() { awk -v e="$(elapsed)" -v t="$1" 'BEGIN { exit !(e < t) }'; }
wait_until() {
    local left
    left=$(awk -v e="$(elapsed)" -v t="$1" 'BEGIN { printf "%.3f", t - e }')
    if before "$1"; then sleep "$left"; fi
}
if [ "$scene" = play ]; then
    # The caption fades out within 3 s; the menu then takes Return.
    wait_until 6
    xdotool key Return
    wait_until 9
    keys=(Left Up Right space Down Right Up space Left Down)
    i=0
    while before $((seconds - 1)); do
        k=${keys[$((i % ${#keys[@]}))]}
        xdotool keydown "$k"; sleep 0.4; xdotool keyup "$k"; sleep 0.3
        i=$((i + 1))
    done
fi
wait_until "$seconds"
uptime >>"$out/load.txt"
# The child of /usr/bin/time is the game; ending it lets time report.
pkill -TERM -P "$timer" || true
wait "$timer" || true
EOF
chmod +x "$config/run.sh"
VARNO_PROGRAM=$program xvfb-run -a -s "-screen 0 1024x768x24" "$config/run.sh" "$scene" "$seconds" "$out" "$config"
{
    echo "scene: $scene, $seconds s"
    echo "load (before, after):"
    sed 's/^/  /' "$out/load.txt"
    echo "process: $(grep -v '^Command' "$out/time.txt" | tail -1)"
    tools/frame_report "$out/frames.log" || true
} | tee "$out/report.txt"
