// varno-sim: the game's rules without a window or sound. Checks and
// rewrites level files, plays a puzzle from a script frame by frame on the
// stepped clock, and measures how fast the rules run.
#include "game/field.h"
#include "game/flow.h"
#include "game/frame.h"
#include "game/game.h"
#include "game/script.h"
#include "game/solver.h"
#include "input/controls.h"
#include "editor/tutorial.h"
#include "levelfile/datafile.h"
#include "platform/clock/clock.h"
#include "platform/clock/crt.h"
#include "platform/d3drm/d3drm.h"
#include "render/scene.h"
#include "tools/sim/soak.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr DWORD kStartTick = 1000000;
constexpr DWORD kFrameMs = 25;
constexpr long kMaxFrames = 200000;  // a script that can never finish stops here
constexpr long kStuckFrames = 20000;  // --through: frames after the outcome before "stuck"

int Usage()
{
    std::printf("usage: varno-sim check FILE\n"
                "       varno-sim format FILE\n"
                "       varno-sim play FILE --level L --puzzle P [--difficulty D] [--seed N] [--through]\n"
                "                 --script \"ELEMENTS\"\n"
                "       varno-sim solve FILE --level L --puzzle P [--difficulty D] [--seed N] [--seconds S]"
                " [--fewest-mines]\n"
                "                 [--room F] [--roomy [--script \"ELEMENTS\"]]\n"
                "       varno-sim slack FILE --level L --puzzle P [--difficulty D] [--seed N] --script \"ELEMENTS\"\n"
                "       varno-sim solve-all FILE [--difficulty D] [--seconds S]\n"
                "       varno-sim solve-bench FILE [--difficulty D] [--seconds S]\n"
                "       varno-sim bench [--seed N]\n"
                "       varno-sim soak --puzzles N [--seed S]\n");
    return 2;
}

bool ReadWhole(const std::string& path, std::string* out)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    out->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

// Reads a level file into g.Levels; prints why it failed.
bool LoadLevels(const std::string& path, bool* pScrambled)
{
    std::string text;
    if (!ReadWhole(path, &text)) {
        std::printf("error: cannot read %s\n", path.c_str());
        return false;
    }
    *pScrambled = IsScrambledText(text.data(), text.size());
    if (*pScrambled)
        UnscrambleText(text.data(), text.size());
    ReleaseLevelList(&g.Levels);
    LEVELTEXTSTOP stop{};
    if (!ParseLevelTextReport(text.c_str(), &g.Levels, &stop)) {
        if (stop.szToken[0])
            std::printf("error: line %ld: reading stopped at \"%s\"\n", static_cast<long>(stop.lLine), stop.szToken);
        else
            std::printf("error: line %ld: reading stopped at the end of the file\n", static_cast<long>(stop.lLine));
        return false;
    }
    g.Levels.fScrambled = *pScrambled ? TRUE : FALSE;
    return true;
}

LONG PuzzleCount()
{
    LONG n = 0;
    for (LONG i = 0; i < g.Levels.cLevels; ++i)
        n += g.Levels.pLevels[i].cPuzzles;
    return n;
}

int Check(const std::string& path)
{
    bool scrambled = false;
    if (!LoadLevels(path, &scrambled))
        return 1;
    std::printf("ok: %ld levels, %ld puzzles\n", static_cast<long>(g.Levels.cLevels), static_cast<long>(PuzzleCount()));
    return 0;
}

int Format(const std::string& path)
{
    bool scrambled = false;
    if (!LoadLevels(path, &scrambled))
        return 1;
    char* text = BuildLevelText(&g.Levels);
    if (!text) {
        std::printf("error: the levels could not be written\n");
        return 1;
    }
    const std::size_t cb = std::strlen(text);
    if (scrambled)
        ScrambleText(text, cb);
    std::fwrite(text, 1, cb, stdout);
    std::free(text);
    return 0;
}

// A game world with no window and no sound: the scene graph on its own and
// the player's settings left alone.
class WORLD {
public:
    WORLD(unsigned seed, DWORD difficulty)
    {
        clock_control::UseSteppedClock(kStartTick);
        crt::srand(seed);
        SettingsKeepInMemory(true);
        SettingsDefaults(&g.Settings);
        g.Settings.fShowTutorial = FALSE;
        g.Settings.dwDifficulty = difficulty;
        g.Settings.ControlDevice = 3;  // polls nothing
        Direct3DRMCreate(&m_rm);
        m_rm->CreateFrame(nullptr, &m_root);
        m_rm->CreateFrame(m_root, &m_camera);
        m_ok = InitSceneFrames(m_rm, m_root, m_camera);
    }
    ~WORLD()
    {
        EndGame(false);
        ReleaseSceneFrames();
        m_camera->Release();
        m_root->Release();
        m_rm->Release();
    }
    // Whether the scene could be made; prints why not.
    bool Ready() const
    {
        if (!m_ok)
            std::printf("error: no scene\n");
        return m_ok;
    }
    void Frame()
    {
        clock_control::Advance(kFrameMs);
        PlayFrame();
    }

private:
    IDirect3DRM2* m_rm = nullptr;
    IDirect3DRMFrame2* m_root = nullptr;
    IDirect3DRMFrame2* m_camera = nullptr;
    bool m_ok = false;
};

const char* StateName(LONG s)
{
    switch (s) {
    case gsLevelIntro: return "intro";
    case gsPlaying: return "playing";
    case gsDying: return "dying";
    case gsDead: return "dead";
    case gsGameOver: return "gameover";
    case gsPuzzleStart: return "start";
    case gsPaused: return "paused";
    case gsMenu: return "menu";
    case gsPuzzleWon: return "won";
    case gsSweep: return "sweep";
    default: return "other";
    }
}

const char* KindName(LONG k)
{
    switch (k) {
    case ckGray: return "gray";
    case ckGreen: return "green";
    case ckRed: return "red";
    case ckBlack: return "black";
    case ckBlue: return "blue";
    default: return "none";
    }
}

SCRIPTRUN s_run;
void RunScript() { ScriptStep(&s_run); }

// The cubes in the holding cells, by their frames, to see new ones arrive.
std::vector<const void*> Holding(std::vector<LONG>* kinds)
{
    std::vector<const void*> frames;
    const ACTIVEPUZZLE& ap = g.ActivePuzzle;
    auto add = [&](const CUBE& c) {
        if (c.lKind != ckNone && c.pFrame) {
            frames.push_back(c.pFrame);
            kinds->push_back(c.lKind);
        }
    };
    for (int x = 0; x < kMaxWidth; ++x) {
        add(ap.aCubes[kRowOffFar][x]);
        add(ap.aCubes[kRowOffStart][x]);
    }
    for (int z = 0; z < kMaxLength; ++z) {
        add(ap.aCubes[z][kColOffLeft]);
        add(ap.aCubes[z][kColOffRight]);
    }
    return frames;
}

bool ParseLong(const char* s, long lo, long hi, long* out)
{
    char* end = nullptr;
    const long v = std::strtol(s, &end, 10);
    if (!*s || *end || v < lo || v > hi)
        return false;
    *out = v;
    return true;
}

// The elements of a script; prints the first one that does not read.
bool ParseElements(const std::string& script, std::vector<SCRIPTELEMENT>* elements)
{
    std::string bad;
    if (ParseScript(script.c_str(), elements, &bad))
        return true;
    std::printf("error: bad script element \"%s\"\n", bad.c_str());
    return false;
}

int Play(const std::string& path, long level, long puzzle, long difficulty, long seed, const std::string& script,
         bool fThrough)
{
    std::vector<SCRIPTELEMENT> elements;
    if (!ParseElements(script, &elements))
        return 2;
    bool scrambled = false;
    if (!LoadLevels(path, &scrambled))
        return 2;
    WORLD world(static_cast<unsigned>(seed), static_cast<DWORD>(difficulty));
    if (!world.Ready())
        return 2;
    s_run = SCRIPTRUN{};
    ScriptStart(&s_run, elements.data(), static_cast<LONG>(elements.size()));
    FlowSeams().pfnScriptStep = RunScript;
    StartGame(nullptr, static_cast<LONG>(level), static_cast<LONG>(puzzle));

    long frame = 0;
    LONG state = g.lGameState, score = g.lScore, mines = g.lMinesRemaining;
    std::printf("%ld state %s level %ld puzzle %ld\n", frame, StateName(state), static_cast<long>(g.lLevel),
                static_cast<long>(g.lPuzzle));
    std::vector<LONG> kinds;
    std::vector<const void*> holding = Holding(&kinds);
    bool crushed = false;
    const char* result = "running";
    // With --through, play goes on after the first outcome until the game
    // leaves the puzzle; the result line keeps the first outcome's figures.
    long outcomeFrame = -1, outcomeScore = 0, outcomeMines = 0;
    long settled = -1;  // the frame of the outcome or of the script's end
    const LONG lives = g.lLives;
    const char* left = nullptr;
    while (frame < kMaxFrames) {
        world.Frame();
        ++frame;
        if (g.lScore != score) {
            std::printf("%ld points %+ld score %ld\n", frame, static_cast<long>(g.lScore - score),
                        static_cast<long>(g.lScore));
            score = g.lScore;
        }
        if (g.lMinesRemaining != mines) {
            mines = g.lMinesRemaining;
            std::printf("%ld mines %ld\n", frame, static_cast<long>(mines));
        }
        kinds.clear();
        std::vector<const void*> now = Holding(&kinds);
        for (std::size_t i = 0; i < now.size(); ++i) {
            bool seen = false;
            for (const void* f : holding)
                seen = seen || f == now[i];
            if (!seen)
                std::printf("%ld cube fell %s\n", frame, KindName(kinds[i]));
        }
        holding = now;
        if (g.Avatar.fCrushed && !crushed)
            std::printf("%ld crushed\n", frame);
        crushed = g.Avatar.fCrushed;
        const char* outcome = nullptr;
        if (g.lGameState != state) {
            state = g.lGameState;
            std::printf("%ld state %s\n", frame, StateName(state));
            if (state == gsPuzzleWon) {
                std::printf("%ld puzzle won\n", frame);
                outcome = "won";
            } else if (state == gsSweep) {
                outcome = "failed";
            } else if (state == gsDying) {
                if (g.fDyingRed)
                    std::printf("%ld red cube destroyed\n", frame);
                outcome = "dead";
            }
            if (outcomeFrame >= 0 && !left) {
                if (state == gsGameOver || state == gsMenu)
                    left = "gameover";
                else if (state == gsPuzzleStart || state == gsLevelIntro)
                    left = g.lLives < lives ? "again" : "next";
            }
        }
        if (outcome && outcomeFrame < 0) {
            result = outcome;
            outcomeFrame = frame;
            outcomeScore = g.lScore;
            outcomeMines = g.lMinesRemaining;
        }
        if (!fThrough && outcomeFrame >= 0)
            break;
        if (left) {
            std::printf("left: %s lives=%ld frames=%ld\n", left, static_cast<long>(g.lLives), frame);
            break;
        }
        const bool scriptOver = state == gsPlaying && ScriptDone(&s_run);
        if (!fThrough && scriptOver)
            break;
        if (settled < 0 && (outcomeFrame >= 0 || scriptOver))
            settled = frame;
        if (fThrough && settled >= 0 && frame - settled >= kStuckFrames) {
            std::printf("left: stuck state=%s frames=%ld\n", StateName(state), frame);
            break;
        }
    }
    if (frame >= kMaxFrames)
        std::printf("%ld gave up\n", frame);
    if (outcomeFrame < 0) {
        outcomeFrame = frame;
        outcomeScore = g.lScore;
        outcomeMines = g.lMinesRemaining;
    }
    std::printf("result: %s score=%ld mines=%ld frames=%ld\n", result, outcomeScore, outcomeMines, outcomeFrame);
    FlowSeams().pfnScriptStep = nullptr;
    return 0;
}

// Whole games of generated puzzles played with no input: every puzzle runs
// until its cubes roll off, the sweep and the lost life.
int Bench(long seed)
{
    WORLD world(static_cast<unsigned>(seed), diffNormal);
    if (!world.Ready())
        return 1;
    ReleaseLevelList(&g.Levels);
    long frames = 0;
    int puzzles = 0;
    const auto t0 = std::chrono::steady_clock::now();
    for (int game = 0; game < 4; ++game) {
        StartGame(nullptr, 1, 1);
        LONG last = g.lGameState;
        while (g.lGameState != gsMenu && frames < 2000000) {
            world.Frame();
            ++frames;
            if (g.lGameState != last && g.lGameState == gsPuzzleStart)
                ++puzzles;
            last = g.lGameState;
        }
        ++puzzles;
    }
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::printf("bench: %d puzzles, %ld frames in %.3f s: %.0f frames/s (%.1f times real time)\n", puzzles, frames, s,
                s > 0 ? frames / s : 0.0, s > 0 ? frames / s / 40.0 : 0.0);
    return 0;
}


bool PuzzleInFile(long level, long puzzle)
{
    if (level == 0)
        return puzzle >= 1 && puzzle <= 4;
    return level >= 1 && level <= g.Levels.cLevels && puzzle >= 1 && puzzle <= g.Levels.pLevels[level - 1].cPuzzles;
}

const char* ResultName(LONG r)
{
    return r == srSolved ? "solved" : r == srUnsolvable ? "unsolvable" : "unknown";
}

SOLVEOPTIONS Options(long level, long puzzle, long difficulty, long seed, double seconds, bool fewest)
{
    SOLVEOPTIONS o;
    o.lLevel = static_cast<LONG>(level);
    o.lPuzzle = static_cast<LONG>(puzzle);
    o.dwDifficulty = static_cast<DWORD>(difficulty);
    o.uSeed = static_cast<unsigned>(seed);
    o.llBudgetFrames = static_cast<long long>(seconds * static_cast<double>(kSolverFramesPerSecond));
    o.fFewestMines = fewest;
    return o;
}

// Reads the file and checks that it holds puzzle P of level L; prints why
// not.
bool LoadPuzzle(const std::string& path, long level, long puzzle)
{
    bool scrambled = false;
    if (!LoadLevels(path, &scrambled))
        return false;
    if (!PuzzleInFile(level, puzzle)) {
        std::printf("error: %s has no level %ld puzzle %ld\n", path.c_str(), level, puzzle);
        return false;
    }
    return true;
}

// --roomy: the solution found (or the script given) is widened for a
// person's timing before it is printed.
struct ROOMY {
    long lRoom = 0;  // --room F: only ways that still win with every walk F frames late
    bool fOn = false;
    bool fScript = false;
    std::string script;
};

int Solve(const std::string& path, long level, long puzzle, long difficulty, long seed, double seconds, bool fewest,
          const ROOMY& roomy)
{
    if (!LoadPuzzle(path, level, puzzle))
        return 2;
    WORLD world(static_cast<unsigned>(seed), static_cast<DWORD>(difficulty));
    if (!world.Ready())
        return 2;
    SOLVEOPTIONS options = Options(level, puzzle, difficulty, seed, seconds, fewest);
    options.lRoom = static_cast<LONG>(roomy.lRoom);
    SOLVERESULT r;
    if (roomy.fScript) {
        // A given way through: only widened, not searched for.
        r.lResult = srSolved;
        r.script = roomy.script;
        r.lMines = g.Levels.pLevels[level - 1].pPuzzles[puzzle - 1].lMines;
        if (!WidenSolution(options, &r)) {
            std::printf("error: the script does not win this puzzle\n");
            return 2;
        }
    } else {
        r = SolvePuzzle(options);
        if (r.lResult == srSolved && roomy.fOn)
            WidenSolution(options, &r);
    }
    if (r.lResult == srSolved) {
        std::printf("solution: %s\n", r.script.c_str());
        std::printf("mines: used %ld of %ld\n", static_cast<long>(r.lMinesUsed), static_cast<long>(r.lMines));
        std::printf("score: %ld\n", static_cast<long>(r.lScore));
        std::printf("slack: %ld\n", static_cast<long>(r.lSlack));
        if (fewest && !roomy.fScript)
            std::printf("fewest mines: %s\n", r.fFewestProven ? "proven" : "best found in time");
    }
    std::printf("result: %s seconds=%.2f tried=%ld\n", ResultName(r.lResult), SolverSeconds(r.llFrames), r.lTried);
    return r.lResult == srSolved ? 0 : 1;
}

// The room a given way through leaves, measured as the solver measures its
// own: "slack: N" (frames, up to 60), or "slack: -" when the script does not
// win as it stands.
int Slack(const std::string& path, long level, long puzzle, long difficulty, long seed, const std::string& script)
{
    std::vector<SCRIPTELEMENT> elements;
    if (!ParseElements(script, &elements))
        return 2;
    if (!LoadPuzzle(path, level, puzzle))
        return 2;
    WORLD world(static_cast<unsigned>(seed), static_cast<DWORD>(difficulty));
    if (!world.Ready())
        return 2;
    const LONG slack = ScriptSlack(Options(level, puzzle, difficulty, seed, 1, false), elements);
    if (slack < 0) {
        std::printf("slack: -\n");
        return 1;
    }
    std::printf("slack: %ld\n", static_cast<long>(slack));
    return 0;
}

// Every puzzle of the file, one line each and a summary; with fBench the
// real time of each search and the fewest mines as well.
int SolveAll(const std::string& path, long difficulty, double seconds, bool fBench)
{
    bool scrambled = false;
    if (!LoadLevels(path, &scrambled))
        return 2;
    WORLD world(1, static_cast<DWORD>(difficulty));
    if (!world.Ready())
        return 2;
    long solved = 0, unsolvable = 0, unknown = 0, total = 0;
    double worst = 0, sum = 0;
    for (LONG l = 1; l <= g.Levels.cLevels; ++l)
        for (LONG p = 1; p <= g.Levels.pLevels[l - 1].cPuzzles; ++p) {
            ++total;
            const auto t0 = std::chrono::steady_clock::now();
            const SOLVERESULT r = SolvePuzzle(Options(l, p, difficulty, 1, seconds, false));
            const double real = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
            solved += r.lResult == srSolved;
            unsolvable += r.lResult == srUnsolvable;
            unknown += r.lResult == srUnknown;
            if (!fBench) {
                if (r.lResult == srSolved)
                    std::printf("%ld %ld %s mines=%ld/%ld slack=%ld seconds=%.2f\n", static_cast<long>(l),
                                static_cast<long>(p), ResultName(r.lResult), static_cast<long>(r.lMinesUsed),
                                static_cast<long>(r.lMines), static_cast<long>(r.lSlack), SolverSeconds(r.llFrames));
                else
                    std::printf("%ld %ld %s mines=-/%ld slack=- seconds=%.2f\n", static_cast<long>(l),
                                static_cast<long>(p), ResultName(r.lResult), static_cast<long>(r.lMines),
                                SolverSeconds(r.llFrames));
                std::fflush(stdout);
                continue;
            }
            worst = std::max(worst, real);
            sum += real;
            const auto t1 = std::chrono::steady_clock::now();
            const SOLVERESULT f = SolvePuzzle(Options(l, p, difficulty, 1, seconds, true));
            const double realFewest = std::chrono::duration<double>(std::chrono::steady_clock::now() - t1).count();
            std::printf("%ld %ld %s real=%.3fs plays=%ld fewest=%s/%ld %s real=%.3fs plays=%ld\n", static_cast<long>(l),
                        static_cast<long>(p), ResultName(r.lResult), real, r.lTried,
                        f.lResult == srSolved ? std::to_string(f.lMinesUsed).c_str() : "-",
                        static_cast<long>(f.lMines), f.fFewestProven ? "proven" : "best", realFewest, f.lTried);
            std::fflush(stdout);
        }
    std::printf("solved %ld of %ld, unsolvable %ld, unknown %ld\n", solved, total, unsolvable, unknown);
    if (fBench)
        std::printf("first solution: %.3f s in all, %.3f s at most\n", sum, worst);
    return solved == total ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return Usage();
    const std::string command = argv[1];
    if (command == "soak")
        return SoakCommand(argc, argv);
    if (command == "check" || command == "format") {
        if (argc != 3)
            return Usage();
        return command == "check" ? Check(argv[2]) : Format(argv[2]);
    }
    long level = -1, puzzle = -1, difficulty = 1, seed = 1;
    std::string script;
    bool fScript = false;
    bool fThrough = false;
    std::string file;
    double seconds = 30;
    bool fewest = false;
    ROOMY roomy;
    const bool solving = command == "solve" || command == "solve-all" || command == "solve-bench";
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool more = i + 1 < argc;
        if (arg == "--level" && more) {
            if (!ParseLong(argv[++i], 0, 1000000, &level))
                return Usage();
        } else if (arg == "--puzzle" && more) {
            if (!ParseLong(argv[++i], 1, 1000000, &puzzle))
                return Usage();
        } else if (arg == "--difficulty" && more) {
            if (!ParseLong(argv[++i], 0, 3, &difficulty))
                return Usage();
        } else if (arg == "--seed" && more) {
            if (!ParseLong(argv[++i], 0, 0xFFFFFFFFL, &seed))
                return Usage();
        } else if (arg == "--through" && command == "play") {
            fThrough = true;
        } else if (arg == "--script" && more) {
            script = argv[++i];
            fScript = true;
        } else if (arg == "--seconds" && more && solving) {
            char* end = nullptr;
            seconds = std::strtod(argv[++i], &end);
            if (!*argv[i] || *end || !(seconds > 0) || seconds > 1e6)
                return Usage();
        } else if (arg == "--fewest-mines" && command == "solve") {
            fewest = true;
        } else if (arg == "--roomy" && command == "solve") {
            roomy.fOn = true;
        } else if (arg == "--room" && more && command == "solve") {
            if (!ParseLong(argv[++i], 0, 200, &roomy.lRoom))
                return Usage();
        } else if ((command == "play" || command == "slack" || solving) && file.empty() && arg.rfind("--", 0) != 0) {
            file = arg;
        } else {
            return Usage();
        }
    }
    if (command == "bench")
        return file.empty() && level < 0 && puzzle < 0 && !fScript ? Bench(seed) : Usage();
    if (command == "solve-all" || command == "solve-bench")
        return !file.empty() && level < 0 && puzzle < 0 && !fScript ? SolveAll(file, difficulty, seconds, command == "solve-bench")
                                                                      : Usage();
    if (command == "solve") {
        // A script is only the starting point of --roomy.
        if (fScript && !roomy.fOn)
            return Usage();
        roomy.fScript = fScript;
        roomy.script = script;
        return !file.empty() && level >= (fScript ? 1 : 0) && puzzle >= 1 ? Solve(file, level, puzzle, difficulty, seed, seconds, fewest, roomy)
                                                            : Usage();
    }
    if (command == "slack")
        return !file.empty() && level >= 1 && puzzle >= 1 && fScript ? Slack(file, level, puzzle, difficulty, seed, script)
                                                                     : Usage();
    if (command != "play" || file.empty() || level < 0 || puzzle < 1 || !fScript)
        return Usage();
    if (level == 0 && puzzle > 4)
        return Usage();
    return Play(file, level, puzzle, difficulty, seed, script, fThrough);
}
