#!/usr/bin/env bash
# The curve report read from saved figures: the table's numbers for a small
# level file and the rules it passes and fails.
#   curve_report_test.sh SIM
set -u
here=$(cd "$(dirname "$0")" && pwd)
out=$("$here/../../tools/levels/curve_report.sh" "$1" "$here/curve/levels.lev" --from "$here/curve/figures.txt")
status=$?
echo "$out"
failures=0
expect() { grep -qF -- "$1" <<<"$out" || { echo "MISSING: $1"; failures=$((failures + 1)); }; }
# Level 1: two puzzles at -50 on width 5, 1.5 cubes, none wide (the second
# spans 3 of 5 columns), 2.5 mines given, 1.5 fewest (2 proven: one by the
# search, one by reaching a mine a cube without a Green cube; both tight), solver slack 19 (lowest 8), stored 26 (lowest 12), both solved.
expect "1       2   -50  -50..-50   5.0   1.5/1.5     0    0    2      3   2.5   1.5(  2)     2  19.0(  8)  26.0( 12)   2/2"
# Level 2: speeds 60 to 70 on width 10, 7 cubes (12 and 2; 10 and 2
# destructible), one of 12 or more, one wide, 6 deep, 10 wide; one fewest
# (one mine with a Green cube: proven; tight); the unknown puzzle has no solver slack.
expect "2       2    60    60..70  10.0   7.0/6.0     1    1    6     10   2.5   1.0(  1)     1  12.0( -1)  10.0(  5)   1/2"
expect "FAIL  every puzzle is solved at Normal"
expect "FAIL  every puzzle leaves a slack of at least 10 frames (not: 2.2)"
expect "FAIL  levels 1 and 2 teach"
expect "FAIL  from level 8"
expect "PASS  the levels' speeds rise level by level to 60 or more in the last level"
expect "PASS  the mean slack of the stored solutions falls level by level"
expect "PASS  the saved figures cover every puzzle of the file, with its mines"
# The solver's own slack comes from the first way its search meets: with
# stored ways given the curve is read from those.
grep -q "solver's solutions falls" <<<"$out" && { echo "the solver's slack was judged"; failures=$((failures + 1)); }
[ "$status" -eq 1 ] || { echo "exit status $status, not 1 with a rule failing"; failures=$((failures + 1)); }
[ "$failures" -eq 0 ] || exit 1
# Figures saved before the file changed are named: a puzzle without a line
# and one whose mines differ.
stale=$(mktemp)
trap 'rm -f "$stale"' EXIT
grep -v '^1 2 ' "$here/curve/figures.txt" | sed 's/^2 1 \(.*\) mines=2 /2 1 \1 mines=4 /' >"$stale"
out=$("$here/../../tools/levels/curve_report.sh" "$1" "$here/curve/levels.lev" --from "$stale")
grep -qF "FAIL  the saved figures cover every puzzle of the file, with its mines (not: 1.2 2.1)" <<<"$out" ||
    { echo "stale figures not named:"; echo "$out" | tail -3; exit 1; }
