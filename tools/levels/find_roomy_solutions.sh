#!/usr/bin/env bash
# Finds a way through every puzzle of a level file that leaves a person as
# much room as it can: for each puzzle it asks the solver for a way that
# still wins with every walk ROOM frames late, from the most room down
# (40, 24, 16, 12, 10 frames), takes the first found and widens it
# (`solve --room R --roomy`).  Prints solutions.txt lines "L P SCRIPT";
# "L P slack=F room=R" (or "L P none") goes to standard error.
#
#   find_roomy_solutions.sh SIM LEVELFILE [--seconds S] [--only "L P" ...] > SOLUTIONS
set -u
sim=${1:?usage: find_roomy_solutions.sh SIM LEVELFILE [--seconds S]}
levels=${2:?usage: find_roomy_solutions.sh SIM LEVELFILE [--seconds S]}
shift 2
seconds=5 only=()
while [ $# -gt 0 ]; do
    case "$1" in
        --seconds) seconds=$2; shift 2 ;;
        --only) only+=("$2"); shift 2 ;;
        *) echo "find_roomy_solutions.sh: unknown option $1" >&2; exit 2 ;;
    esac
done
"$sim" format "$levels" | awk '/^Level \{/ { l++; p = 0 } /^   Puzzle \{/ { print l, ++p }' |
while read -r l p; do
    if [ ${#only[@]} -gt 0 ]; then
        wanted=
        for o in "${only[@]}"; do [ "$o" = "$l $p" ] && wanted=1; done
        [ -n "$wanted" ] || continue
    fi
    found=
    for room in 40 24 16 12 10; do
        out=$("$sim" solve "$levels" --level "$l" --puzzle "$p" --seconds "$seconds" --room "$room" --roomy 2>/dev/null)
        script=$(sed -n 's/^solution: //p' <<<"$out")
        if [ -n "$script" ]; then
            echo "$l $p $script"
            echo "$l $p slack=$(sed -n 's/^slack: //p' <<<"$out") room=$room $(sed -n 's/^mines: //p' <<<"$out")" >&2
            found=1
            break
        fi
    done
    [ -n "$found" ] || echo "$l $p none" >&2
done
