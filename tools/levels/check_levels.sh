#!/usr/bin/env bash
# Checks the shipped level file with the headless simulator and plays the
# solution of every puzzle at Normal difficulty; each must be won.
#   check_levels.sh SIM LEVELFILE SOLUTIONS
# Every puzzle of the file needs exactly one solution line, and every line
# must name a puzzle of the file.
set -u
sim=$1 levels=$2 solutions=$3
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

check=$("$sim" check "$levels" 2>&1) || { echo "$check"; echo "FAIL: $levels does not read"; exit 1; }
echo "$check"

# Puzzles per level, from the file as the game reads it back.
mapfile -t per_level < <("$sim" format "$levels" 2>/dev/null | tr -d '\r' | awk '
    /^Level \{/ { if (n) print count; n++; count = 0 }
    /^   Puzzle \{/ { count++ }
    END { if (n) print count }')
[ "${#per_level[@]}" -gt 0 ] || { echo "FAIL: no levels in $levels"; exit 1; }

declare -A seen
lines=0
while IFS= read -r line || [ -n "$line" ]; do
    case "$line" in '' | '#'*) continue ;; esac
    read -r level puzzle script <<<"$line"
    lines=$((lines + 1))
    if ! [[ "$level" =~ ^[0-9]+$ && "$puzzle" =~ ^[0-9]+$ ]] || [ -z "$script" ]; then
        fail "malformed line: $line"; continue
    fi
    if [ "$level" -lt 1 ] || [ "$level" -gt "${#per_level[@]}" ] ||
       [ "$puzzle" -lt 1 ] || [ "$puzzle" -gt "${per_level[level - 1]}" ]; then
        fail "level $level puzzle $puzzle is not in $levels"; continue
    fi
    if [ -n "${seen[$level.$puzzle]:-}" ]; then
        fail "level $level puzzle $puzzle has two solutions"; continue
    fi
    seen[$level.$puzzle]=1
    out=$("$sim" play "$levels" --level "$level" --puzzle "$puzzle" --difficulty 1 --script "$script" 2>&1)
    result=$(grep '^result:' <<<"$out")
    echo "$level.$puzzle $result"
    case "$result" in
        'result: won '*) ;;
        *) fail "level $level puzzle $puzzle was not won"; grep -v '^result:' <<<"$out" | tail -n 15 ;;
    esac
done <"$solutions"

for ((l = 1; l <= ${#per_level[@]}; l++)); do
    for ((p = 1; p <= per_level[l - 1]; p++)); do
        [ -n "${seen[$l.$p]:-}" ] || fail "level $l puzzle $p has no solution"
    done
done
echo "$lines solutions, $failures failures"
[ "$failures" -eq 0 ]
