#!/usr/bin/env bash
# Prints the difficulty curve of a level file, level by level, from the
# solver's figures and the file itself, and checks the shape the shipped
# file promises.
#
#   curve_report.sh SIM LEVELFILE [--seconds S] [--solutions FILE] [--save FILE] [--from FILE]
#
# For every puzzle it runs `SIM solve --fewest-mines` at Normal (S seconds of
# search each, default 10) and keeps one line per puzzle:
#   L P solved|unsolvable|unknown used=U mines=M fewest=F proven|found slack=S [shipped=T]
# With --solutions (the solutions.txt of the level file) it also measures the
# slack of each stored solution the same way the solver measures its own:
# the frames (up to 60) by which every walk of the script can start later,
# each delay up to it still winning the puzzle (shipped=T).  The solver's slack is that
# of the first solution its search meets, which plants as near and as early
# as it can; the stored solution shows the room a player has on a planned
# way through.
# --save writes those lines to FILE; --from reads them from FILE instead of
# solving again (the file's cubes, sizes and speeds are always read anew).
#
# The table, per level: puzzles; speed (lowest-highest); mean field width;
# mean cubes (all kinds) and mean destructible cubes; puzzles with 12 or
# more cubes; puzzles whose formation spans at least three quarters of the
# field's width and two rows or more ("wide"); the deepest and the widest
# formation; mean mines given; mean fewest mines the solver found, with how
# many of those are proven (by the solver's search, or because they reach
# the least the rules allow: one mine a destructible cube without a Green
# cube, one with one); puzzles whose mines are the proven fewest or one more
# ("tight"); mean and lowest slack in frames (40 a second) of the
# solver's solutions and, with --solutions, of the stored ones; puzzles
# solved.  The rule on room for a person holds when the solver's solution or
# the stored one leaves 10 frames.  Then the rules of the curve, each PASS or
# FAIL; the exit status is 1 when a rule fails.
set -u
sim=${1:?usage: curve_report.sh SIM LEVELFILE [--seconds S] [--save FILE] [--from FILE]}
levels=${2:?usage: curve_report.sh SIM LEVELFILE [--seconds S] [--save FILE] [--from FILE]}
shift 2
seconds=10 save= from= solutions=
while [ $# -gt 0 ]; do
    case "$1" in
        --seconds) seconds=$2; shift 2 ;;
        --save) save=$2; shift 2 ;;
        --from) from=$2; shift 2 ;;
        --solutions) solutions=$2; shift 2 ;;
        *) echo "curve_report.sh: unknown option $1" >&2; exit 2 ;;
    esac
done

"$sim" check "$levels" >/dev/null 2>&1 || { echo "FAIL: $levels does not read"; exit 2; }

# One line per puzzle from the file as the game reads it:
#   L P width length speed mines all destructible green blue red black span depth
#   level-speed
shape=$("$sim" format "$levels" 2>/dev/null | tr -d '\r' | awk '
    function flush() {
        if (!inpuzzle) return
        span = (right >= 0) ? right - left + 1 : 0
        depth = (last >= 0) ? last - first + 1 : 0
        print level, puzzle, width, flen, speed, mines, all, destr, green, blue, red, black, span, depth, ls
        inpuzzle = 0
    }
    /^Level \{/ { level++; puzzle = 0; lw = 0; ll = 0; ls = 0; next }
    /^   Width = / { lw = $3 } /^   Length = / { ll = $3 } /^   Speed = / { ls = $3 }
    /^   Puzzle \{/ {
        puzzle++; inpuzzle = 1; width = lw; flen = ll; speed = 0; mines = 0; row = -1; incubes = 0
        all = destr = green = blue = red = black = 0; left = 99; right = -1; first = -1; last = -1; next
    }
    /^      Width = / { width = $3 } /^      Length = / { flen = $3 }
    /^      Speed = / { speed = $3 } /^      Mines = / { mines = $3 }
    /^      Cubes \{/ { incubes = 1; next }
    /^      \}/ { incubes = 0; next }
    /^   \}/ { flush(); next }
    incubes {
        row++
        for (i = 1; i <= NF; i++) {
            c = tolower($i)
            if (c == "-") continue
            all++
            if (c == "n" || c == "b" || c == "v" || c == "!") destr++
            if (c == "b") green++; if (c == "v" || c == "!") blue++
            if (c == "f") red++; if (c == "#") black++
            if (i - 1 < left) left = i - 1; if (i - 1 > right) right = i - 1
            if (first < 0) first = row; last = row
        }
    }')
[ -n "$shape" ] || { echo "FAIL: no puzzles in $levels"; exit 2; }

# The slack of the stored solution of puzzle L P, up to 60 frames, measured
# as the solver measures its own (`SIM slack`): the first delay that loses,
# less one; - without a stored solution that wins.
shipped_slack() {
    local l=$1 p=$2 script slack
    script=$(awk -v l="$l" -v p="$p" '$1 == l && $2 == p { $1 = ""; $2 = ""; print; exit }' "$solutions")
    [ -n "$script" ] && slack=$("$sim" slack "$levels" --level "$l" --puzzle "$p" --difficulty 1 --script "$script" 2>/dev/null |
        sed -n 's/^slack: \([0-9]*\)$/\1/p')
    echo "${slack:--}"
}

# The solver's figures, one line per puzzle.
if [ -n "$from" ]; then
    figures=$(grep -E '^[0-9]+ [0-9]+ ' "$from")
else
    figures=$(while read -r l p _; do
        out=$("$sim" solve "$levels" --level "$l" --puzzle "$p" --difficulty 1 --seconds "$seconds" --fewest-mines 2>/dev/null)
        result=$(sed -n 's/^result: \([a-z]*\).*/\1/p' <<<"$out")
        used=$(sed -n 's/^mines: used \([0-9]*\) of.*/\1/p' <<<"$out")
        slack=$(sed -n 's/^slack: \([0-9]*\).*/\1/p' <<<"$out")
        proven=$(grep -q '^fewest mines: proven' <<<"$out" && echo proven || echo found)
        mines=$(awk -v l="$l" -v p="$p" '$1 == l && $2 == p { print $6 }' <<<"$shape")
        shipped=
        [ -n "$solutions" ] && shipped=" shipped=$(shipped_slack "$l" "$p")"
        echo "$l $p ${result:-unknown} used=${used:--} mines=$mines fewest=${used:--} $proven slack=${slack:--}$shipped"
    done <<<"$shape")
fi
# The stored solutions' slack, where the figures do not carry it yet.
if [ -n "$solutions" ]; then
    figures=$(while read -r line; do
        case "$line" in
            *' shipped='*) echo "$line" ;;
            *) read -r l p _ <<<"$line"; echo "$line shipped=$(shipped_slack "$l" "$p")" ;;
        esac
    done <<<"$figures")
fi
[ -n "$save" ] && printf '%s\n' "$figures" >"$save"

awk -v shapefile=<(printf '%s\n' "$shape") -v saved="${from:+1}" '
    BEGIN {
        while ((getline line < shapefile) > 0) {
            split(line, f, " ")
            k = f[1] " " f[2]; n++; key[n] = k
            W[k] = f[3]; S[k] = f[5]; M[k] = f[6]; A[k] = f[7]; D[k] = f[8]; span[k] = f[13]; depth[k] = f[14]
            # The fewest mines the rules allow: without a Green cube every
            # detonation of the one mine the figure plants takes one cube at
            # most; with one, a single mine may do.
            B[k] = f[9] > 0 ? 1 : f[8]
            LS[f[1]] = f[15]
            if (f[1] > levels) levels = f[1]
        }
    }
    {
        k = $1 " " $2; R[k] = $3; F[k] = -1; SL[k] = -1; SH[k] = -1
        for (i = 4; i <= NF; i++) {
            if ($i ~ /^fewest=/) { v = substr($i, 8); if (v != "-") F[k] = v + 0 }
            if ($i ~ /^slack=/) { v = substr($i, 7); if (v != "-") SL[k] = v + 0 }
            if ($i ~ /^shipped=/) { v = substr($i, 9); haveSH = 1; if (v != "-") SH[k] = v + 0 }
            if ($i == "proven") P[k] = 1
            if ($i ~ /^mines=/) FM[k] = substr($i, 7)
        }
    }
    END {
        printf "%-5s %3s %5s %9s %5s %11s %3s %4s %4s %6s %5s %11s %5s %10s %10s %6s\n",
               "level", "puz", "speed", "(puzzles)", "width", "cubes/destr", "12+", "wide", "deep", "widest",
               "mines", "fewest(prv)", "tight", "solver", "stored", "solved"
        printf "%-5s %3s %5s %9s %5s %11s %3s %4s %4s %6s %5s %11s %5s %10s %10s %6s\n",
               "", "", "", "", "", "", "", "", "", "", "", "", "", "slack(min)", "slack(min)", ""
        fails = 0; allsolved = 1; roomy = 1
        for (l = 1; l <= levels; l++) {
            c = 0; smin = 999; smax = -999; w = a = d = big = wide = dp = wd = m = fw = fn = pr = tight = 0
            sl = sn = 0; slmin = 9999; sh = shn = 0; shmin = 9999; solved = 0; spare[l] = 1
            for (i = 1; i <= n; i++) {
                k = key[i]; split(k, lp, " "); if (lp[1] != l) continue
                c++
                if (S[k] < smin) smin = S[k]; if (S[k] > smax) smax = S[k]
                w += W[k]; a += A[k]; d += D[k]; m += M[k]
                if (A[k] >= 12) big++
                if (span[k] * 4 >= W[k] * 3 && depth[k] >= 2) wide++
                if (depth[k] > dp) dp = depth[k]; if (span[k] > wd) wd = span[k]
                if (R[k] == "solved") solved++; else allsolved = 0
                if (F[k] >= 0) { fw += F[k]; fn++ }
                if (!(F[k] >= 0 && M[k] > F[k])) spare[l] = 0
                if ((P[k] || F[k] == B[k]) && F[k] >= 0) { pr++; if (M[k] <= F[k] + 1) tight++ }
                if (SL[k] >= 0) { sl += SL[k]; sn++; if (SL[k] < slmin) slmin = SL[k] } else slmin = -1
                if (SH[k] >= 0) { sh += SH[k]; shn++; if (SH[k] < shmin) shmin = SH[k] } else shmin = -1
                if (SL[k] < 10 && SH[k] < 10) { roomy = 0; low = low " " l "." lp[2] }
            }
            if (c == 0) continue
            cnt[l] = c; mc[l] = a / c; md[l] = d / c; bigc[l] = big; widec[l] = wide
            deep[l] = dp; widest[l] = wd; tightc[l] = tight
            msl[l] = sn ? sl / sn : -1; msh[l] = shn ? sh / shn : -1
            printf "%-5d %3d %5d %9s %5.1f %5.1f/%-5.1f %3d %4d %4d %6d %5.1f %5.1f(%3d) %5d %5.1f(%3d) %5.1f(%3d) %3d/%-3d\n",
                   l, c, LS[l], smin ".." smax, w / c, a / c, d / c, big, wide, dp, wd, m / c,
                   fn ? fw / fn : -1, pr, tight, msl[l], slmin, msh[l], shmin, solved, c
        }
        print ""
        rule("every puzzle is solved at Normal", allsolved)
        rule("every puzzle leaves a slack of at least 10 frames" (roomy ? "" : " (not:" low ")"), roomy)
        ok = 1; for (l = 1; l <= 2 && l <= levels; l++) ok = ok && LS[l] < 0 && md[l] <= 4 && spare[l]
        rule("levels 1 and 2 teach: slow, four cubes to destroy or fewer on average, a mine to spare in every puzzle", ok)
        ok = 1; for (l = 4; l <= levels; l++) ok = ok && widec[l] * 2 > cnt[l]
        rule("from level 4: most formations span three quarters of the width and two rows or more", ok)
        ok = levels >= 8; for (l = 8; l <= levels; l++) ok = ok && bigc[l] * 2 > cnt[l] && deep[l] == 6 && widest[l] == 10
        rule("from level 8: most puzzles hold 12 cubes or more, and each level has a formation 6 rows deep and one 10 wide", ok)
        ok = 1; for (l = 5; l <= levels; l++) ok = ok && tightc[l] * 2 >= cnt[l]
        rule("from level 5: at least half the puzzles give the proven fewest mines or one more", ok)
        ok = LS[levels] >= 60; for (l = 2; l <= levels; l++) ok = ok && LS[l] >= LS[l - 1]
        rule("the levels\x27 speeds rise level by level to 60 or more in the last level", ok)
        # The solver\x27s own slack is that of the first way its search meets
        # (planted as near as it can); the curve is read from the stored
        # ways, which are planned for a person, when they are given.
        if (!haveSH) {
            ok = 1; for (l = 2; l <= levels; l++) ok = ok && msl[l] >= 0 && msl[l] <= msl[l - 1]
            rule("the mean slack of the solver\x27s solutions falls level by level", ok)
        }
        if (haveSH) {
            ok = 1; for (l = 2; l <= levels; l++) ok = ok && msh[l] >= 0 && msh[l] <= msh[l - 1]
            rule("the mean slack of the stored solutions falls level by level", ok)
        }
        # Saved figures are only as good as their match with the file: a
        # puzzle without a line, or with other mines than the file gives,
        # has changed since they were saved.
        if (saved) {
            stale = ""
            for (i = 1; i <= n; i++) {
                k = key[i]
                if (!(k in R) || FM[k] != M[k]) { split(k, lp, " "); stale = stale " " lp[1] "." lp[2] }
            }
            rule("the saved figures cover every puzzle of the file, with its mines" (stale == "" ? "" : " (not:" stale ")"), stale == "")
        }
        exit fails > 0
    }
    function rule(text, ok) { printf "%s  %s\n", ok ? "PASS" : "FAIL", text; if (!ok) fails++ }
' <<<"$figures"
