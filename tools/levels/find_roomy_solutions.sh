#!/usr/bin/env bash
# Finds a way through every puzzle of a level file that leaves a person as
# much room as it can: for each puzzle it asks the solver for a way that
# still wins with every walk ROOM frames late, from the most room down
# (40, 24, 16, 12, 10 frames), widens it (`solve --room R --roomy`) and
# takes the first whose slack is 10 frames or more (else the one with the
# most slack).  Prints solutions.txt lines "L P SCRIPT";
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
    # The first way with a slack of 10 frames or more is taken; a way that
    # wins that late but loses with a smaller delay (the timing of the rolls
    # has windows) does not count, and less room is tried.
    best= bestslack=-1 bestline=
    for room in 40 24 16 12 10; do
        out=$("$sim" solve "$levels" --level "$l" --puzzle "$p" --seconds "$seconds" --room "$room" --roomy 2>/dev/null)
        script=$(sed -n 's/^solution: //p' <<<"$out")
        [ -n "$script" ] || continue
        slack=$(sed -n 's/^slack: //p' <<<"$out")
        if [ "$slack" -gt "$bestslack" ]; then
            best=$script bestslack=$slack
            bestline="$l $p slack=$slack room=$room $(sed -n 's/^mines: //p' <<<"$out")"
        fi
        [ "$bestslack" -ge 10 ] && break
    done
    if [ -n "$best" ]; then
        echo "$l $p $best"
        echo "$bestline" >&2
    else
        echo "$l $p none" >&2
    fi
done
