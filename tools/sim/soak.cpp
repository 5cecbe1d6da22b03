// The soak: game after game of generated puzzles (a few small ones made
// here, then those the game makes beyond its last level), each played by a
// random script of the moves a player makes (walks, mines planted and
// detonated under cubes, mines cleared, rolls started at once, waits). Wins,
// Red cubes hit, figures crushed, sweeps and game overs all happen. Whenever
// a puzzle starts, what the last one made must be gone: no mine, explosion
// or gravel piece left, no cube but those of the new formation, and the
// scene holds as many other frames as at every start of a puzzle of that
// field size. After each game, the scene is back to what it was before it.
#include "tools/sim/soak.h"

#include "game/flow.h"
#include "game/frame.h"
#include "game/game.h"
#include "game/script.h"
#include "levelfile/datafile.h"
#include "platform/clock/clock.h"
#include "platform/clock/crt.h"
#include "platform/d3drm/d3drm.h"
#include "render/scene.h"
#include "shell/settings.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

constexpr DWORD kStartTick = 1000000;
constexpr DWORD kFrameMs = 25;
// A game that goes on this long without a new puzzle is stuck.
constexpr long kMostFramesPerPuzzle = 40000;

// What is alive in the rules and the scene at one moment.
struct COUNTS {
    long cubes = 0;     // cube objects, on the field or falling off it
    long formation = 0; // cells of the active puzzle's formation holding a cube
    long mines = 0;     // active mines and mine squares still shown
    long explosions = 0;
    long gravel = 0;
    long frames = 0; // frames below the scene's primary frame
};

long CountFrames(IDirect3DRMFrame2* frame)
{
    if (!frame)
        return 0;
    long n = 0;
    for (IDirect3DRMFrame2* child : frame->GetChildren())
        n += 1 + CountFrames(child);
    return n;
}

COUNTS Count()
{
    COUNTS c;
    const ACTIVEPUZZLE& ap = g.ActivePuzzle;
    for (const auto& row : ap.aCubes)
        for (const CUBE& cube : row) {
            c.cubes += cube.pVisual != nullptr;
            if (cube.pExp) {
                ++c.explosions;
                for (const GRAVEL& piece : cube.pExp->aGravel)
                    c.gravel += piece.pFrame != nullptr || piece.pVisual != nullptr;
            }
        }
    for (const MINE& mine : ap.aMines) {
        bool shown = false;
        for (const MINESQUARE& square : mine.aSquares)
            shown = shown || square.pVisual || square.pFrameMine;
        c.mines += mine.bActive || shown;
    }
    for (const auto& row : ap.Puzzle.aFormation)
        for (LONG kind : row)
            c.formation += kind != ckNone;
    c.frames = CountFrames(g.Render.pFramePrimary);
    return c;
}

// The moves of a player. Most scripts go for the destructible cubes of the
// formation: a mine planted in a cube's column further down the field, a
// step aside into a column with no cubes (when there is one), a wait for the
// cube on the mine and the detonation. Some only wait and start rolls, so
// the cubes roll off; now and then the mines are cleared or a mine goes off
// at once. Red cubes walk onto mines and figures get crushed on the way.
std::vector<SCRIPTELEMENT> RandomScript(std::mt19937& chance)
{
    const ACTIVEPUZZLE& ap = g.ActivePuzzle;
    const LONG width = ap.lWidth > 0 ? ap.lWidth : 1;
    const LONG length = ap.lLength > 0 ? ap.lLength : 1;
    const auto pick = [&](LONG lo, LONG hi) { return std::uniform_int_distribution<LONG>(lo, hi)(chance); };
    std::vector<LONG> targets, safe;
    for (LONG x = 0; x < width && x < kMaxWidth; ++x) {
        bool any = false, destructible = false;
        for (const auto& row : ap.Puzzle.aFormation) {
            any = any || row[x] != ckNone;
            destructible = destructible || IsDestructible(row[x]);
        }
        if (destructible)
            targets.push_back(x);
        if (!any)
            safe.push_back(x);
    }
    std::shuffle(targets.begin(), targets.end(), chance);
    std::vector<SCRIPTELEMENT> script;
    if (pick(0, 3) == 0) {
        for (int n = static_cast<int>(pick(1, 6)); n > 0; --n) {
            script.push_back({seWaitFrames, pick(1, 80), 0});
            script.push_back({seRoll, 0, 0});
        }
    } else {
        for (LONG x : targets) {
            const LONG z = pick(length / 2, length - 1);
            LONG aside = x;
            for (LONG s : safe)
                if (aside == x || std::abs(s - x) < std::abs(aside - x))
                    aside = s;
            if (aside == x)
                aside = x + 1 < width ? x + 1 : x - 1;
            script.push_back({seWalk, x, z});
            script.push_back({sePlant, 0, 0});
            switch (pick(0, 11)) {
            case 0: script.push_back({seDetonate, 0, 0}); break; // nothing on it yet
            case 1: script.push_back({seClear, 0, 0}); break;
            case 2: script.push_back({seRoll, 0, 0}); [[fallthrough]];
            default:
                if (aside >= 0)
                    script.push_back({seWalk, aside, z});
                script.push_back({seWaitCube, x, z});
                script.push_back({seDetonate, 0, 0});
                break;
            }
        }
    }
    script.push_back({seWaitFrames, 200, 0});
    return script;
}

// The game's first levels for one game: a few small puzzles with empty
// columns to step aside into, so that scripts win some of them. Beyond
// them the game goes on with the puzzles it generates itself.
std::string EasyLevels(std::mt19937& chance)
{
    const auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(chance); };
    const char kinds[] = "nnnnbbv!f#";
    std::string text;
    for (int level = 0; level < 2; ++level) {
        text += "Level {\n Speed = " + std::to_string(pick(-60, 0)) + "\n";
        for (int puzzle = pick(1, 3); puzzle > 0; --puzzle) {
            const int width = pick(4, 6), length = pick(10, 13);
            std::string cells;
            int destructible = 0;
            for (int x = 0; x < width; ++x) {
                char kind = '-';
                if (x % 2 == 0 && pick(0, 2) > 0) {
                    kind = kinds[pick(0, 9)];
                    destructible += std::string_view("nbv!").find(kind) != std::string_view::npos;
                }
                cells += ' ';
                cells += kind;
            }
            if (destructible == 0)
                cells[1] = 'n', ++destructible;
            text += " Puzzle { Width = " + std::to_string(width) + " Length = " + std::to_string(length) +
                    " Mines = " + std::to_string(destructible + 1) + " Cubes {" + cells + " } }\n";
        }
        text += "}\n";
    }
    return text;
}

int Usage()
{
    std::printf("usage: varno-sim soak --puzzles N [--seed S]\n");
    return 2;
}

SCRIPTRUN s_run;
void RunScript()
{
    ScriptStep(&s_run);
}

class SOAK {
public:
    SOAK(long puzzles, unsigned long seed) : m_puzzles(puzzles), m_chance(static_cast<unsigned>(seed))
    {
        clock_control::UseSteppedClock(kStartTick);
        crt::srand(static_cast<unsigned>(seed));
        SettingsKeepInMemory(true);
        SettingsDefaults(&g.Settings);
        g.Settings.fShowTutorial = FALSE;
        g.Settings.ControlDevice = 3; // polls nothing
        Direct3DRMCreate(&m_rm);
        m_rm->CreateFrame(nullptr, &m_root);
        m_rm->CreateFrame(m_root, &m_camera);
        m_ok = InitSceneFrames(m_rm, m_root, m_camera);
    }
    ~SOAK()
    {
        FlowSeams().pfnScriptStep = nullptr;
        EndGame(false);
        ReleaseLevelList(&g.Levels);
        ReleaseSceneFrames();
        m_camera->Release();
        m_root->Release();
        m_rm->Release();
    }

    int Run()
    {
        if (!m_ok) {
            std::printf("error: no scene\n");
            return 2;
        }
        const auto t0 = std::chrono::steady_clock::now();
        FlowSeams().pfnScriptStep = RunScript;
        const long framesBefore = Count().frames;
        while (m_played < m_puzzles)
            if (!PlayGame(framesBefore))
                break;
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        std::printf("soak: %ld puzzles in %ld games, %ld frames, %.1f s: %ld won, %ld swept, %ld dead "
                    "(%ld red, %ld crushed), %ld game over\n",
                    m_played, m_games, m_frames, s, m_won, m_swept, m_dead, m_deadRed, m_dead - m_deadRed, m_gameOvers);
        std::printf("soak: left over: %ld cubes, %ld mines, %ld explosions, %ld gravel, %ld frames\n", m_left.cubes,
                    m_left.mines, m_left.explosions, m_left.gravel, m_left.frames);
        if (m_stuck)
            std::printf("soak: a game stopped starting puzzles\n");
        const bool clean = m_left.cubes == 0 && m_left.mines == 0 && m_left.explosions == 0 && m_left.gravel == 0 &&
                           m_left.frames == 0 && !m_stuck;
        std::printf("result: %s\n", clean ? "clean" : "leftovers");
        return clean ? 0 : 1;
    }

private:
    // One game from its first puzzle to its game over (or until enough
    // puzzles were played). False when the game got stuck.
    bool PlayGame(long framesBefore)
    {
        ++m_games;
        g.Settings.dwDifficulty = static_cast<DWORD>(std::uniform_int_distribution<int>(0, 3)(m_chance));
        ReleaseLevelList(&g.Levels);
        if (!ParseLevelText(EasyLevels(m_chance).c_str(), &g.Levels)) {
            std::printf("error: the soak's levels do not read\n");
            m_stuck = true;
            return false;
        }
        StartGame(nullptr, 1, 1);
        LONG state = -1;
        long sinceStart = 0;
        bool outcomeSeen = false;
        while (g.lGameState != gsMenu) {
            if (g.lGameState != state) {
                state = g.lGameState;
                if (state == gsPuzzleStart) {
                    if (m_played >= m_puzzles)
                        break;
                    PuzzleStarts();
                    sinceStart = 0;
                    outcomeSeen = false;
                } else if (!outcomeSeen && Outcome(state)) {
                    outcomeSeen = true;
                } else if (state == gsGameOver) {
                    ++m_gameOvers;
                }
            }
            if (++sinceStart > kMostFramesPerPuzzle) {
                m_stuck = true;
                return false;
            }
            clock_control::Advance(kFrameMs);
            PlayFrame();
            ++m_frames;
        }
        EndGame(false);
        // Back to the scene of before the game.
        const COUNTS after = Count();
        const COUNTS left{after.cubes, 0, after.mines, after.explosions, after.gravel, after.frames - framesBefore};
        std::printf("game %ld ended: %ld cubes, %ld mines, %ld explosions, %ld gravel, %+ld frames\n", m_games,
                    left.cubes, left.mines, left.explosions, left.gravel, left.frames);
        Add(left);
        return true;
    }

    // A state that ends a puzzle: counted once per puzzle.
    bool Outcome(LONG state)
    {
        switch (state) {
        case gsPuzzleWon: ++m_won; return true;
        case gsSweep: ++m_swept; return true;
        case gsDying:
            ++m_dead;
            m_deadRed += g.fDyingRed != FALSE;
            return true;
        default: return false;
        }
    }

    void PuzzleStarts()
    {
        ++m_played;
        const COUNTS now = Count();
        // Frames that are neither cubes nor mines: the floor, the figure,
        // the markers. The same at every start on a field of this size.
        const long others = now.frames - now.cubes;
        const auto size = std::make_pair(g.ActivePuzzle.lWidth, g.ActivePuzzle.lLength);
        const auto [it, first] = m_othersBySize.emplace(size, others);
        const COUNTS left{now.cubes - now.formation,      0, now.mines, now.explosions, now.gravel,
                          first ? 0 : others - it->second};
        std::printf("puzzle %ld (level %ld puzzle %ld, %ldx%ld): %ld cubes, %ld mines, %ld explosions, %ld gravel, "
                    "%ld frames left over\n",
                    m_played, static_cast<long>(g.lLevel), static_cast<long>(g.lPuzzle), static_cast<long>(size.first),
                    static_cast<long>(size.second), left.cubes, left.mines, left.explosions, left.gravel, left.frames);
        Add(left);
        m_script = RandomScript(m_chance);
        s_run = SCRIPTRUN{};
        ScriptStart(&s_run, m_script.data(), static_cast<LONG>(m_script.size()));
    }

    void Add(const COUNTS& c)
    {
        m_left.cubes += c.cubes < 0 ? -c.cubes : c.cubes;
        m_left.mines += c.mines;
        m_left.explosions += c.explosions;
        m_left.gravel += c.gravel;
        m_left.frames += c.frames < 0 ? -c.frames : c.frames;
    }

    long m_puzzles;
    std::mt19937 m_chance;
    IDirect3DRM2* m_rm = nullptr;
    IDirect3DRMFrame2* m_root = nullptr;
    IDirect3DRMFrame2* m_camera = nullptr;
    bool m_ok = false;
    std::vector<SCRIPTELEMENT> m_script;
    std::map<std::pair<LONG, LONG>, long> m_othersBySize;
    COUNTS m_left;
    bool m_stuck = false;
    long m_played = 0, m_games = 0, m_frames = 0;
    long m_won = 0, m_swept = 0, m_dead = 0, m_deadRed = 0, m_gameOvers = 0;
};

} // namespace

int SoakCommand(int argc, char** argv)
{
    long puzzles = -1;
    unsigned long seed = 1;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        char* end = nullptr;
        if (i + 1 >= argc)
            return Usage();
        const char* value = argv[++i];
        const unsigned long long v = std::strtoull(value, &end, 10);
        if (!*value || *end || value[0] == '-')
            return Usage();
        if (arg == "--puzzles" && v >= 1 && v <= 100000000)
            puzzles = static_cast<long>(v);
        else if (arg == "--seed" && v <= 0xFFFFFFFFull)
            seed = static_cast<unsigned long>(v);
        else
            return Usage();
    }
    if (puzzles < 1)
        return Usage();
    SOAK soak(puzzles, seed);
    return soak.Run();
}
