// The puzzle solver: searches for a script (the notation of game/script.h)
// that wins a puzzle, by playing candidate scripts through the real rules on
// the stepped clock, and proves a puzzle unsolvable when every case of its
// model fails.
//
// The search walks depth first over "moves", each a few script elements, in
// rounds that allow more and more straying from the first choices; every
// candidate is played from the start of the puzzle with the
// real rule code, so what the rules make of it is never guessed. Moves:
// - a shot: walk to a square ahead of a destructible cube in its column,
//   plant, step aside (one or two squares left, right or further along),
//   let the cubes ahead of it roll over the mine, wait for it on the mined
//   square and detonate; at once or one or two roll periods late;
// - while a Green cube's mine-field lies on the field: detonate it now, or
//   once a destructible cube has rolled onto one of its squares, or clear it.
// A node is cut off when the rules end the puzzle, when the mines left
// cannot destroy the cubes left (no Green cube), or when a cube can no
// longer be reached before it falls (no Green or Blue cube left).
//
// The rules use the global record g: every play saves g, plays in it and
// puts it back, so the solver can run between the editor's frames. Work is
// counted in simulated frames, so the same options always give the same
// answer, whatever the machine's speed.
#pragma once

#include "game/puzzle.h"
#include "game/script.h"
#include "platform/base/types.h"

#include <memory>
#include <string>
#include <vector>

enum : LONG {
    srSolved = 0,
    srUnsolvable = 1,  // every case of the model fails
    srUnknown = 2,     // the work allowed ran out first
};

// Simulated frames that count as one second of work (about what one core
// of the reference machine plays).
constexpr long long kSolverFramesPerSecond = 250000;

struct SOLVEOPTIONS {
    LONG lLevel = 1, lPuzzle = 1;  // the numbers the puzzle is played under
    // Null: the puzzle of the level list, started as a game starts there
    // (through the level introduction). Else this puzzle, started as the
    // editor's Test Puzzle starts it.
    const PUZZLE* pTest = nullptr;
    DWORD dwDifficulty = 1;
    unsigned uSeed = 1;
    long long llBudgetFrames = 30 * kSolverFramesPerSecond;
    bool fFewestMines = false;  // go on after the first solution for fewer mines
    // Room for a person: the search plays every candidate with each walk
    // started this many frames late, so that only ways which still win that
    // late are found (the way is reported without the delays).
    LONG lRoom = 0;
};

struct SOLVERESULT {
    LONG lResult = srUnknown;
    std::string script;       // the solution, verified; empty without one
    LONG lMinesUsed = 0;      // detonations that used a mine
    LONG lMines = 0;          // the puzzle's mines
    LONG lScore = 0;          // after the win, bonus included
    LONG lSlack = 0;          // frames every walk may start later and still win
    bool fFewestProven = false;  // with fFewestMines: no solution uses fewer
    long long llFrames = 0;   // the work done, in simulated frames
    long lTried = 0;          // candidate scripts played
};

// Seconds of work as printed: simulated frames over the nominal rate.
double SolverSeconds(long long llFrames);

// One play of a script through the rules, from the puzzle's start.
enum : LONG {
    roRunning = 0,  // the script ended with the puzzle still being played
    roWon = 1,
    roFailed = 2,   // the sweep began
    roDead = 3,     // crushed, or a Red cube destroyed
    roGaveUp = 4,   // far too long
};
struct PLAYOUTCOME {
    LONG lOutcome = roRunning;
    long lFrames = 0;       // frames played
    long lScriptEnd = -1;   // the frame in which the script ended, -1 if never
    LONG lScore = 0, lMinesRemaining = 0;
};
// Plays the script as varno-sim play does: stops at the first outcome, or
// (unless fToOutcome) once the script has ended while playing.
PLAYOUTCOME PlayScript(const SOLVEOPTIONS& options, const std::vector<SCRIPTELEMENT>& script, bool fToOutcome);

class PUZZLESOLVER {
public:
    PUZZLESOLVER();
    ~PUZZLESOLVER();
    void Start(const SOLVEOPTIONS& options);
    // Works on until about llFrames more simulated frames were played (whole
    // plays only); true once the answer is there.
    bool Step(long long llFrames);
    bool Done() const;
    const SOLVERESULT& Result() const;

private:
    struct STATE;
    std::unique_ptr<STATE> m;
};

// The whole search at once.
SOLVERESULT SolvePuzzle(const SOLVEOPTIONS& options);

// A way through that leaves a person more room: each plant (with the step
// aside after it) moved further ahead of its cube, on another side, or
// started without a wait before it, whenever the change still wins, uses no
// more mines and adds slack. Works on the verified solution of a solved
// result (script, mines, score and slack updated), for up to llBudgetFrames
// more simulated frames; the slack is measured up to lCap frames. Returns
// false, changing nothing, when the result's script does not win.
bool WidenSolution(const SOLVEOPTIONS& options, SOLVERESULT* result, LONG lCap = 60);

// The frames, up to lCap, by which every walk of the script can start later,
// each delay up to it still winning; -1 when the script does not win as it
// stands.
LONG ScriptSlack(const SOLVEOPTIONS& options, const std::vector<SCRIPTELEMENT>& script, LONG lCap = 60);

// The written form of a script.
std::string ScriptText(const std::vector<SCRIPTELEMENT>& script);
