#!/usr/bin/env bash
# Rewrites the stored ways through a level file so that they leave a person
# more room: every line of SOLUTIONS goes through `SIM solve --roomy
# --script`, which moves plants further ahead of their cubes while the way
# still wins with no more mines, and the wider way (or the old one, when
# nothing wider was found) is printed with its slack.
#
#   widen_solutions.sh SIM LEVELFILE SOLUTIONS [--seconds S] > NEW
#
# Comment lines are copied as they are.  The slack of each way goes to
# standard error: "L P slack=F".
set -u
sim=${1:?usage: widen_solutions.sh SIM LEVELFILE SOLUTIONS [--seconds S]}
levels=${2:?usage: widen_solutions.sh SIM LEVELFILE SOLUTIONS [--seconds S]}
solutions=${3:?usage: widen_solutions.sh SIM LEVELFILE SOLUTIONS [--seconds S]}
seconds=30
[ "${4:-}" = "--seconds" ] && seconds=${5:?--seconds needs a value}
while IFS= read -r line; do
    case "$line" in
        '#'* | '') printf '%s\n' "$line"; continue ;;
    esac
    read -r l p script <<<"$line"
    out=$("$sim" solve "$levels" --level "$l" --puzzle "$p" --seconds "$seconds" --roomy --script "$script" 2>/dev/null)
    wide=$(sed -n 's/^solution: //p' <<<"$out")
    slack=$(sed -n 's/^slack: //p' <<<"$out")
    if [ -n "$wide" ]; then
        printf '%s %s %s\n' "$l" "$p" "$wide"
    else
        printf '%s\n' "$line"
    fi
    echo "$l $p slack=${slack:--}" >&2
done <"$solutions"
