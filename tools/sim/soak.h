// varno-sim soak: long random play through the real rules, checking that
// nothing a puzzle makes outlives it.
#pragma once

// varno-sim soak --puzzles N [--seed S]: plays N generated puzzles with
// random scripts, chance drawn from S (default 1); prints a line per puzzle
// and per game and a summary. Exit 0 when nothing was left over, 1 when
// something was, 2 for bad arguments.
int SoakCommand(int argc, char** argv);
