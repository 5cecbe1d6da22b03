#!/usr/bin/env bash
# Checks tools/frame_report on logs made here: the first 40 frames left
# out, nearest-rank percentiles, means, a malformed line skipped, and an
# empty log refused.
set -euo pipefail
report=${1:?usage: $0 PATH-TO-frame_report}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

# 40 start-up frames that must not count (slow, costly), then 100 frames
# with intervals 1 to 100 ms; the 3D cost is 1 ms but 9 ms in the last one.
{
    for i in $(seq 1 40); do echo "$i $((i * 500)) 500 9.000 9.000 9.000 9.000"; done
    for i in $(seq 1 100); do
        d3=1.000
        [ "$i" -eq 100 ] && d3=9.000
        echo "$((40 + i)) $((20000 + i * 50)) $i 0.250 0.500 $d3 2.000"
    done
    echo "this line is not a frame"
} >"$dir/frames.log"
"$report" "$dir/frames.log" >"$dir/out.txt"
expected='frames: 100 (the first 40 left out)
fps: 19.8
interval ms: p50 50, p99 99, max 100
cost ms         mean     p99
  move          0.250    0.250
  compose       0.500    0.500
  3d            1.080    1.000
  present       2.000    2.000
(1 lines not understood were skipped)'
if [ "$(cat "$dir/out.txt")" != "$expected" ]; then
    echo "unexpected report:" >&2
    diff <(echo "$expected") "$dir/out.txt" >&2 || true
    exit 1
fi

# Fewer frames than are left out: a clear message and a failure.
head -n 10 "$dir/frames.log" >"$dir/short.log"
if "$report" "$dir/short.log" >"$dir/short.txt" 2>"$dir/short.err"; then
    echo "a log of 10 frames was summed up" >&2
    exit 1
fi
grep -q "no frames after the first 40" "$dir/short.err"
echo "frame_report: ok"
