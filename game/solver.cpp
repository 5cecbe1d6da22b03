#include "game/solver.h"

#include "game/field.h"
#include "game/flow.h"
#include "game/frame.h"
#include "game/game.h"
#include "game/hint.h"
#include "input/controls.h"
#include "platform/clock/clock.h"
#include "platform/clock/crt.h"
#include "platform/input/input.h"
#include "render/scene.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

namespace {

constexpr DWORD kStartTick = 1000000;
constexpr DWORD kFrameMs = 25;
constexpr long kMaxFrames = 20000;  // a play that never ends stops here
constexpr LONG kMaxSlack = 200;     // slack is measured up to this many frames
constexpr LONG kNoDevice = 3;       // a control device that polls nothing

// ---- Playing a script through the rules ------------------------------------

// Plays in the global record g and gives it back as it was: the caller's
// game (the editor's, or the simulator's world) is saved whole, the rules
// play a game of their own with sound, music, settings writes, hints and
// status refreshes out of the way, and everything they built is released
// before g is put back.
class RULESSCOPE {
public:
    explicit RULESSCOPE(const SOLVEOPTIONS& o) : m_saved(std::make_unique<GAME>(g))
    {
        m_flow = FlowSeams();
        m_hint = HintSeams();
        m_fStepped = clock_control::IsStepped();
        m_tick = GetTickCount();
        GetCursorPos(&m_cursor);
        FlowSeams() = FLOWSEAMS{};
        HintSeams() = HINTSEAMS{};
        g.ActivePuzzle = ACTIVEPUZZLE{};
        g.Avatar = AVATAR{};
        g.LevelIntro = LEVELINTRO{};
        g.Hint = HINTPANEL{};
        g.Pause = PAUSEINFO{};
        SETTINGS& s = g.Settings;
        s.fSound = FALSE;
        s.fMusic = FALSE;
        s.fShowTutorial = FALSE;
        s.fKeyboardHintShown = FALSE;
        s.ControlDevice = kNoDevice;
        s.lHighScore = INT_MAX;  // never a new best score to save
        s.dwDifficulty = o.dwDifficulty;
        // Counted as captured already, so that starting and ending the game
        // leave the real cursor's clip and visibility alone.
        g.Controls.lCaptureCount = 1000;
        clock_control::UseSteppedClock(kStartTick);
        crt::srand(o.uSeed);
    }
    ~RULESSCOPE()
    {
        EndGame(false);
        g = *m_saved;
        FlowSeams() = m_flow;
        HintSeams() = m_hint;
        if (m_fStepped)
            clock_control::SetTick(m_tick);
        else
            clock_control::UseRealClock();
        POINT now{};
        GetCursorPos(&now);
        if (now.x != m_cursor.x || now.y != m_cursor.y)
            SetCursorPos(m_cursor.x, m_cursor.y);
    }
    RULESSCOPE(const RULESSCOPE&) = delete;
    RULESSCOPE& operator=(const RULESSCOPE&) = delete;

private:
    std::unique_ptr<GAME> m_saved;
    FLOWSEAMS m_flow{};
    HINTSEAMS m_hint{};
    bool m_fStepped = false;
    DWORD m_tick = 0;
    POINT m_cursor{};
};

SCRIPTRUN s_run;
void StepRun() { ScriptStep(&s_run); }

// What the search reads of the rules when a script has ended.
struct SNAP {
    LONG lWidth = 0, lLength = 0;
    LONG aKinds[kMaxLength][kMaxWidth] = {};
    float fX = 0, fZ = 0;  // the figure
    struct RECTANGLE {
        LONG lLeft, lRight, lNear, lFar;
    };
    std::vector<RECTANGLE> fields;  // active mines
    LONG lMinesRemaining = 0, lMines = 0;
    LONG lRollTime = 0, lPauseTime = 0;
    float fRollAngle = 0;
    LONG lMsToRoll = 0;  // until the next roll starts
};

void TakeSnap(SNAP* s)
{
    const ACTIVEPUZZLE& ap = g.ActivePuzzle;
    s->lWidth = ap.lWidth;
    s->lLength = ap.lLength;
    for (int z = 0; z < kMaxLength; ++z)
        for (int x = 0; x < kMaxWidth; ++x)
            s->aKinds[z][x] = ap.aCubes[z][x].lKind;
    s->fX = g.Avatar.X;
    s->fZ = g.Avatar.Z;
    s->fields.clear();
    for (const MINE& m : ap.aMines)
        if (m.bActive)
            s->fields.push_back({m.lLeft, m.lRight, m.lNear, m.lFar});
    s->lMinesRemaining = g.lMinesRemaining;
    s->lMines = ap.Puzzle.lMines;
    s->lRollTime = ap.lRollTime;
    s->lPauseTime = ap.lPauseTime;
    s->fRollAngle = ap.fRollAngle;
    s->lMsToRoll = static_cast<LONG>(ap.dwRollStart - GetTickCount());
}

PLAYOUTCOME Play(const SOLVEOPTIONS& o, const std::vector<SCRIPTELEMENT>& script, bool fToOutcome, SNAP* snap)
{
    PLAYOUTCOME r;
    RULESSCOPE scope(o);
    s_run = SCRIPTRUN{};
    ScriptStart(&s_run, script.data(), static_cast<LONG>(script.size()));
    FlowSeams().pfnScriptStep = StepRun;
    if (o.pTest) {
        StartGame(o.pTest, o.lLevel, o.lPuzzle);
        // The camera starts where play would bring it, as a test starts.
        AimCameraForState(g.lGameState, g.Avatar.X, g.Avatar.Z);
        g.Render.vecCameraSource = g.Render.vecCameraSourceGoal;
        g.Render.vecCameraTarget = g.Render.vecCameraTargetGoal;
    } else {
        StartGame(nullptr, o.lLevel, o.lPuzzle);
    }
    LONG state = g.lGameState;
    while (r.lFrames < kMaxFrames) {
        clock_control::Advance(kFrameMs);
        PlayFrameSteps();
        ++r.lFrames;
        state = g.lGameState;
        if (state == gsPuzzleWon) {
            r.lOutcome = roWon;
            break;
        }
        if (state == gsSweep) {
            r.lOutcome = roFailed;
            break;
        }
        if (state == gsDying || state == gsDead) {
            r.lOutcome = roDead;
            break;
        }
        if (state == gsPlaying && ScriptDone(&s_run)) {
            if (r.lScriptEnd < 0)
                r.lScriptEnd = r.lFrames;
            // With nothing left to destroy the win follows once the last
            // explosion has ended.
            if (!fToOutcome && CountDestructibleCubes() != 0)
                break;
        }
    }
    if (r.lFrames >= kMaxFrames)
        r.lOutcome = roGaveUp;
    r.lScore = g.lScore;
    r.lMinesRemaining = g.lMinesRemaining;
    if (snap && r.lOutcome == roRunning)
        TakeSnap(snap);
    return r;
}

// ---- The moves of the search ---------------------------------------------

SCRIPTELEMENT E(LONG kind, LONG a = 0, LONG b = 0) { return SCRIPTELEMENT{kind, a, b}; }

using MOVE = std::vector<SCRIPTELEMENT>;

struct CUBEAT {
    LONG x, z;
};

std::vector<CUBEAT> Destructible(const SNAP& s)
{
    std::vector<CUBEAT> cubes;
    for (LONG z = 0; z < s.lLength; ++z)
        for (LONG x = 0; x < s.lWidth; ++x)
            if (IsDestructible(s.aKinds[z][x]))
                cubes.push_back({x, z});
    return cubes;
}

LONG CountKind(const SNAP& s, LONG kind)
{
    LONG n = 0;
    for (LONG z = 0; z < s.lLength; ++z)
        for (LONG x = 0; x < s.lWidth; ++x)
            n += s.aKinds[z][x] == kind;
    return n;
}

float CentreX(const SNAP& s, LONG x) { return static_cast<float>(x) - static_cast<float>(s.lWidth - 1) / 2.0f; }
float CentreZ(LONG z) { return -(static_cast<float>(z) + 0.5f); }

// Milliseconds from now until the roll that brings a resting cube k rows on
// commits its move (three quarters into the roll).
long CommitMs(const SNAP& s, LONG k)
{
    return std::max<LONG>(s.lMsToRoll, 0) + static_cast<long>(k - 1) * (s.lRollTime + s.lPauseTime) +
           s.lRollTime * 3 / 4;
}

// Whether the figure, walking straight there, could plant on (x, z) and be
// off the square before the cube k rows behind it arrives. Straight walking
// is the fastest there is, so false means no plan of any order reaches it.
bool MayReach(const SNAP& s, float step, LONG x, LONG z, LONG k)
{
    const float dx = CentreX(s, x) - s.fX, dz = CentreZ(z) - s.fZ;
    const float dist = std::max(std::sqrt(dx * dx + dz * dz) - 0.3f, 0.0f);
    const float frames = (dist + 0.5f) / step + 1;
    return frames * static_cast<float>(kFrameMs) <= static_cast<float>(CommitMs(s, k));
}

// Fewest mines that the cubes left can still need.
LONG MinesStillNeeded(const SNAP& s)
{
    const LONG left = static_cast<LONG>(Destructible(s).size());
    if (left == 0)
        return 0;
    if (CountKind(s, ckGreen) == 0 && s.fields.empty())
        return left;
    return s.fields.empty() ? 1 : 0;
}

// What the rules make certain at this point: the puzzle cannot be won from
// here.
bool Hopeless(const SNAP& s, float step)
{
    const std::vector<CUBEAT> cubes = Destructible(s);
    const bool noGreen = CountKind(s, ckGreen) == 0 && s.fields.empty();
    // Without a Green cube each mine destroys at most one cube.
    if (noGreen && static_cast<LONG>(cubes.size()) > s.lMinesRemaining)
        return true;
    // Without Green and Blue cubes nothing but the figure's own mine can
    // take a cube, and nothing moves a cube but the rolls.
    if (!noGreen || CountKind(s, ckBlue) != 0 || s.fRollAngle != 0)
        return false;
    for (const CUBEAT& c : cubes) {
        bool any = false;
        for (LONG z = c.z + 1; z < s.lLength && !any; ++z)
            any = MayReach(s, step, c.x, z, z - c.z);
        if (!any)
            return true;
    }
    return false;
}

bool Inside(const SNAP::RECTANGLE& r, LONG x, LONG z)
{
    return x >= r.lLeft && x <= r.lRight && z >= r.lNear && z <= r.lFar;
}

// Destructible cubes in the mine-fields after k more rolls, all rolling on.
LONG HitsAfter(const SNAP& s, LONG k)
{
    LONG n = 0;
    for (const CUBEAT& c : Destructible(s)) {
        const LONG z = c.z + k;
        if (z >= s.lLength)
            continue;
        for (const SNAP::RECTANGLE& r : s.fields)
            if (Inside(r, c.x, z)) {
                ++n;
                break;
            }
    }
    return n;
}

// With a Green cube's mine-field on the field: detonate now, when a cube
// has rolled onto one of its squares, or clear it.
std::vector<MOVE> FieldMoves(const SNAP& s)
{
    struct OPTION {
        LONG hits, k;
        MOVE move;
    };
    std::vector<OPTION> options;
    options.push_back({HitsAfter(s, 0), 0, {E(seDetonate)}});
    for (const CUBEAT& c : Destructible(s))
        for (const SNAP::RECTANGLE& r : s.fields) {
            if (c.x < r.lLeft || c.x > r.lRight)
                continue;
            for (LONG z = std::max(c.z + 1, r.lNear); z <= r.lFar && z < s.lLength; ++z) {
                const bool seen = std::any_of(options.begin(), options.end(), [&](const OPTION& o) {
                    return o.move.size() == 2 && o.move[0].a == c.x && o.move[0].b == z;
                });
                if (!seen)
                    options.push_back({HitsAfter(s, z - c.z), z - c.z, {E(seWaitCube, c.x, z), E(seDetonate)}});
            }
        }
    std::stable_sort(options.begin(), options.end(),
                     [](const OPTION& a, const OPTION& b) { return a.hits != b.hits ? a.hits > b.hits : a.k < b.k; });
    std::vector<MOVE> moves;
    for (OPTION& o : options)
        moves.push_back(std::move(o.move));
    moves.push_back({E(seClear)});
    return moves;
}

// Shots at the destructible cubes: Green cubes first, then the most urgent,
// each at the squares ahead of it from the nearest on, stepping aside to the
// side nearest the figure first, and started at once or one or two roll
// periods later.
std::vector<MOVE> ShotMoves(const SNAP& s, float step)
{
    std::vector<CUBEAT> cubes = Destructible(s);
    auto dist2 = [&](LONG x, LONG z) {
        const float dx = CentreX(s, x) - s.fX, dz = CentreZ(z) - s.fZ;
        return dx * dx + dz * dz;
    };
    std::stable_sort(cubes.begin(), cubes.end(), [&](const CUBEAT& a, const CUBEAT& b) {
        // A Green cube's mine-field may take its neighbours along.
        const bool greenA = s.aKinds[a.z][a.x] == ckGreen, greenB = s.aKinds[b.z][b.x] == ckGreen;
        if (greenA != greenB)
            return greenA;
        if (a.z != b.z)
            return a.z > b.z;  // nearer the far end: fewer rolls left
        return dist2(a.x, a.z) < dist2(b.x, b.z);
    });
    const bool fCertain = s.fRollAngle == 0;
    // Frames from a cube's arrival until the next roll has moved it on.
    const LONG passing = (s.lPauseTime + s.lRollTime * 3 / 4) / static_cast<LONG>(kFrameMs) + 2;
    const LONG period = (s.lRollTime + s.lPauseTime + static_cast<LONG>(kFrameMs) - 1) / static_cast<LONG>(kFrameMs);
    // Every shot is ranked by how far it strays from the first choice in
    // each of its decisions (the cube, the square, the side, the delay), so
    // that the rounds of the search take the nearly first choices of all of
    // them before the far choices of one.
    struct RANKED {
        LONG rank;
        MOVE move;
    };
    std::vector<RANKED> ranked;
    for (LONG cubeRank = 0; cubeRank < static_cast<LONG>(cubes.size()); ++cubeRank) {
        const CUBEAT& c = cubes[static_cast<std::size_t>(cubeRank)];
        LONG rowRank = 0;
        for (LONG z = c.z + 1; z < s.lLength; ++z) {
            if (fCertain && !MayReach(s, step, c.x, z, z - c.z))
                continue;
            // Cubes ahead of it in its column pass over the mine first: the
            // detonation waits for each of them to come and go.
            LONG ahead = 0;
            for (LONG k = c.z + 1; k < z; ++k)
                ahead += s.aKinds[k][c.x] != ckNone;
            std::vector<CUBEAT> asides;
            for (LONG d = 1; d <= 2; ++d) {
                if (c.x - d >= 0)
                    asides.push_back({c.x - d, z});
                if (c.x + d < s.lWidth)
                    asides.push_back({c.x + d, z});
                // Further along only when no cube ahead would roll over it.
                if (z + d < s.lLength && ahead == 0)
                    asides.push_back({c.x, z + d});
            }
            std::stable_sort(asides.begin(), asides.end(),
                             [&](const CUBEAT& a, const CUBEAT& b) { return dist2(a.x, a.z) < dist2(b.x, b.z); });
            for (LONG asideRank = 0; asideRank < static_cast<LONG>(asides.size()); ++asideRank) {
                const CUBEAT& a = asides[static_cast<std::size_t>(asideRank)];
                MOVE shot{E(seWalk, c.x, z), E(sePlant), E(seWalk, a.x, a.z)};
                for (LONG i = 0; i < ahead; ++i) {
                    shot.push_back(E(seWaitCube, c.x, z));
                    shot.push_back(E(seWaitFrames, passing));
                }
                shot.push_back(E(seWaitCube, c.x, z));
                shot.push_back(E(seDetonate));
                for (LONG delay = 0; delay <= 2; ++delay) {
                    MOVE move;
                    if (delay > 0)
                        move.push_back(E(seWaitFrames, delay * period - 1));
                    move.insert(move.end(), shot.begin(), shot.end());
                    ranked.push_back({cubeRank + rowRank + asideRank + 2 * delay, std::move(move)});
                }
            }
            ++rowRank;
        }
    }
    std::stable_sort(ranked.begin(), ranked.end(), [](const RANKED& a, const RANKED& b) { return a.rank < b.rank; });
    std::vector<MOVE> moves;
    for (RANKED& r : ranked)
        moves.push_back(std::move(r.move));
    return moves;
}

std::vector<SCRIPTELEMENT> WithWalksLate(const std::vector<SCRIPTELEMENT>& script, LONG frames)
{
    std::vector<SCRIPTELEMENT> out;
    for (const SCRIPTELEMENT& e : script) {
        if (e.lKind == seWalk && frames > 0)
            out.push_back(E(seWaitFrames, frames - 1));
        out.push_back(e);
    }
    return out;
}

}  // namespace

double SolverSeconds(long long llFrames)
{
    return static_cast<double>(llFrames) / static_cast<double>(kSolverFramesPerSecond);
}

std::string ScriptText(const std::vector<SCRIPTELEMENT>& script)
{
    std::string text;
    char word[48];
    for (const SCRIPTELEMENT& e : script) {
        switch (e.lKind) {
        case seEnd: std::snprintf(word, sizeof word, "0"); break;
        case seWalk: std::snprintf(word, sizeof word, "1:%ld,%ld", static_cast<long>(e.a), static_cast<long>(e.b)); break;
        case sePlant: std::snprintf(word, sizeof word, "2"); break;
        case seWaitCube:
            std::snprintf(word, sizeof word, "3:%ld,%ld", static_cast<long>(e.a), static_cast<long>(e.b));
            break;
        case seDetonate: std::snprintf(word, sizeof word, "4"); break;
        case seText: std::snprintf(word, sizeof word, "5:%ld,%ld", static_cast<long>(e.a), static_cast<long>(e.b)); break;
        case seNarration: std::snprintf(word, sizeof word, "6:%ld", static_cast<long>(e.a)); break;
        case seWaitFrames: std::snprintf(word, sizeof word, "w:%ld", static_cast<long>(e.a)); break;
        case seRoll: std::snprintf(word, sizeof word, "r"); break;
        case seClear: std::snprintf(word, sizeof word, "c"); break;
        default: continue;
        }
        if (!text.empty())
            text += ' ';
        text += word;
    }
    return text;
}

PLAYOUTCOME PlayScript(const SOLVEOPTIONS& options, const std::vector<SCRIPTELEMENT>& script, bool fToOutcome)
{
    return Play(options, script, fToOutcome, nullptr);
}

// ---- The search ------------------------------------------------------------

struct PUZZLESOLVER::STATE {
    struct NODE {
        std::vector<SCRIPTELEMENT> script;
        long lDiscrepancy = 0;  // the sum of the child ranks on the way here
        bool fExpanded = false;
        std::vector<MOVE> children;
        std::size_t next = 0;
    };
    SOLVEOPTIONS options;
    PUZZLE test{};
    std::vector<NODE> stack;
    SOLVERESULT result;
    bool fDone = true;
    bool fHaveBest = false;
    std::vector<SCRIPTELEMENT> best;
    LONG lBestMines = INT_MAX;
    // Each round of the search takes only ways whose moves, ranked by the
    // order above, add up to at most this; a round that left nothing out
    // has seen every case.
    long lLimit = 0;
    bool fCut = false;
    bool fMeasuring = false;
    std::vector<SCRIPTELEMENT> solution;  // verified, with its final wait

    PLAYOUTCOME Run(const std::vector<SCRIPTELEMENT>& script, bool fToOutcome, SNAP* snap)
    {
        PLAYOUTCOME r = Play(options, script, fToOutcome, snap);
        result.llFrames += r.lFrames;
        return r;
    }

    // Expands or leaves the node on top of the stack.
    void Visit()
    {
        NODE& top = stack.back();
        if (top.fExpanded) {
            const long rank = static_cast<long>(top.next);
            if (top.next < top.children.size() && top.lDiscrepancy + rank > lLimit) {
                fCut = true;  // left for a later round
                top.next = top.children.size();
            }
            if (top.next < top.children.size()) {
                NODE child;
                child.lDiscrepancy = top.lDiscrepancy + rank;
                child.script = top.script;
                const MOVE& move = top.children[top.next++];
                child.script.insert(child.script.end(), move.begin(), move.end());
                stack.push_back(std::move(child));
            } else {
                stack.pop_back();
            }
            return;
        }
        SNAP snap;
        ++result.lTried;
        const PLAYOUTCOME r =
            options.lRoom > 0 ? Run(WithWalksLate(top.script, options.lRoom), false, &snap) : Run(top.script, false, &snap);
        if (r.lOutcome == roWon) {
            const LONG used = result.lMines - r.lMinesRemaining;
            if (!fHaveBest || used < lBestMines) {
                fHaveBest = true;
                best = top.script;
                lBestMines = used;
            }
            stack.pop_back();
            if (!options.fFewestMines || lBestMines == 0) {
                stack.clear();  // nothing better to look for
                fCut = false;
            }
            return;
        }
        if (r.lOutcome != roRunning) {
            stack.pop_back();
            return;
        }
        if (result.lMines == 0)
            result.lMines = snap.lMines;
        const float step = StepLength(options.dwDifficulty);
        const LONG used = snap.lMines - snap.lMinesRemaining;
        if (Hopeless(snap, step) || (fHaveBest && used + MinesStillNeeded(snap) >= lBestMines)) {
            stack.pop_back();
            return;
        }
        top.fExpanded = true;
        if (!snap.fields.empty())
            top.children = FieldMoves(snap);
        else if (snap.lMinesRemaining > 0)
            top.children = ShotMoves(snap, step);
    }

    void Finish(bool fExhausted)
    {
        fDone = true;
        stack.clear();
        if (!fHaveBest) {
            result.lResult = fExhausted ? srUnsolvable : srUnknown;
            return;
        }
        result.lResult = srSolved;
        result.fFewestProven = options.fFewestMines && fExhausted;
        // The script ends once the last explosion is over and the win counted.
        PLAYOUTCOME r = Run(best, true, nullptr);
        std::vector<SCRIPTELEMENT> script = best;
        if (r.lOutcome == roWon && r.lScriptEnd >= 0)
            script.push_back(E(seWaitFrames, r.lFrames - r.lScriptEnd + 5));
        r = Run(script, false, nullptr);
        if (r.lOutcome != roWon) {
            // The rules did not confirm it: no answer rather than a wrong one.
            result.lResult = srUnknown;
            return;
        }
        fDone = false;
        result.script = ScriptText(script);
        result.lMinesUsed = result.lMines - r.lMinesRemaining;
        result.lScore = r.lScore;
        solution = std::move(script);
        fMeasuring = true;  // the slack follows, a play per step
    }

    // One more frame of delay before every walk: does it still win?
    void MeasureSlack()
    {
        if (result.lSlack < kMaxSlack &&
            Run(WithWalksLate(solution, result.lSlack + 1), false, nullptr).lOutcome == roWon) {
            ++result.lSlack;
            return;
        }
        fMeasuring = false;
        fDone = true;
    }
};

PUZZLESOLVER::PUZZLESOLVER() : m(std::make_unique<STATE>()) {}
PUZZLESOLVER::~PUZZLESOLVER() = default;

void PUZZLESOLVER::Start(const SOLVEOPTIONS& options)
{
    *m = STATE{};
    m->options = options;
    if (options.pTest) {
        m->test = *options.pTest;
        m->options.pTest = &m->test;
        m->result.lMines = m->test.lMines;
    } else if (options.lLevel >= 1 && options.lLevel <= g.Levels.cLevels &&
               options.lPuzzle <= g.Levels.pLevels[options.lLevel - 1].cPuzzles) {
        m->result.lMines = g.Levels.pLevels[options.lLevel - 1].pPuzzles[options.lPuzzle - 1].lMines;
    }
    m->fDone = false;
    m->stack.push_back(STATE::NODE{});
}

bool PUZZLESOLVER::Step(long long llFrames)
{
    const long long stop = m->result.llFrames + llFrames;
    while (!m->fDone && m->result.llFrames < stop) {
        if (m->fMeasuring)
            m->MeasureSlack();
        else if (m->stack.empty() && m->fCut && !(m->fHaveBest && !m->options.fFewestMines)) {
            // The next round, with room for more moves off the first choice.
            m->lLimit = m->lLimit * 2 + 1;
            m->fCut = false;
            m->stack.push_back(STATE::NODE{});
        } else if (m->stack.empty()) {
            m->Finish(true);
        } else if (m->result.llFrames >= m->options.llBudgetFrames) {
            m->Finish(false);
        } else {
            m->Visit();
        }
    }
    return m->fDone;
}

bool PUZZLESOLVER::Done() const { return m->fDone; }

const SOLVERESULT& PUZZLESOLVER::Result() const { return m->result; }

namespace {

// The script with every walk started `late` frames later: does it win?
bool WinsLate(const SOLVEOPTIONS& o, const std::vector<SCRIPTELEMENT>& script, LONG late, long long* frames,
              PLAYOUTCOME* outcome = nullptr)
{
    const PLAYOUTCOME r = Play(o, WithWalksLate(script, late), false, nullptr);
    *frames += r.lFrames;
    if (outcome)
        *outcome = r;
    return r.lOutcome == roWon;
}

// The first delay that loses, less one, up to cap; -1 when the script does
// not win as it stands.
LONG SlackOf(const SOLVEOPTIONS& o, const std::vector<SCRIPTELEMENT>& script, LONG cap, long long* frames)
{
    LONG slack = -1;
    while (slack < cap && WinsLate(o, script, slack + 1, frames))
        ++slack;
    return slack;
}

// The script with the walks from element `from` up to `to` started `late`
// frames later.
std::vector<SCRIPTELEMENT> WithShotLate(const std::vector<SCRIPTELEMENT>& script, std::size_t from, std::size_t to,
                                        LONG late)
{
    std::vector<SCRIPTELEMENT> out;
    for (std::size_t i = 0; i < script.size(); ++i) {
        if (script[i].lKind == seWalk && i >= from && i < to && late > 0)
            out.push_back(E(seWaitFrames, late - 1));
        out.push_back(script[i]);
    }
    return out;
}

// The plants of a script: the walk to the square, the step aside after it
// and the end of the shot (the next plant's walk, or the script's end).
struct SHOT {
    std::size_t walk, aside, end;
};

std::vector<SHOT> Shots(const std::vector<SCRIPTELEMENT>& s)
{
    std::vector<SHOT> shots;
    for (std::size_t i = 0; i + 2 < s.size(); ++i)
        if (s[i].lKind == seWalk && s[i + 1].lKind == sePlant && s[i + 2].lKind == seWalk)
            shots.push_back({i, i + 2, s.size()});
    for (std::size_t k = 0; k + 1 < shots.size(); ++k)
        shots[k].end = shots[k + 1].walk;
    return shots;
}

// The changes tried on one shot: the plant moved along its column (the
// waits for a cube on it with it) with each step aside around it, and the
// wait before the walk left out.
std::vector<std::vector<SCRIPTELEMENT>> Variations(const std::vector<SCRIPTELEMENT>& s, const SHOT& shot,
                                                   LONG width, LONG length)
{
    std::vector<std::vector<SCRIPTELEMENT>> out;
    const LONG x = s[shot.walk].a, z = s[shot.walk].b;
    for (LONG to = z + 1; to < length; ++to) {
        const CUBEAT asides[] = {{x - 1, to}, {x + 1, to}, {x - 2, to}, {x + 2, to}, {x, to + 1}, {x, to + 2}};
        for (const CUBEAT& a : asides) {
            if (a.x < 0 || a.x >= width || a.z >= length)
                continue;
            std::vector<SCRIPTELEMENT> v = s;
            v[shot.walk].b = to;
            v[shot.aside] = E(seWalk, a.x, a.z);
            for (std::size_t i = shot.aside + 1; i < shot.end; ++i)
                if (v[i].lKind == seWaitCube && v[i].a == x && v[i].b == z)
                    v[i].b = to;
            out.push_back(std::move(v));
        }
    }
    if (shot.walk > 0 && s[shot.walk - 1].lKind == seWaitFrames) {
        std::vector<SCRIPTELEMENT> v = s;
        v.erase(v.begin() + static_cast<std::ptrdiff_t>(shot.walk - 1));
        out.push_back(std::move(v));
    }
    return out;
}

}  // namespace

LONG ScriptSlack(const SOLVEOPTIONS& options, const std::vector<SCRIPTELEMENT>& script, LONG lCap)
{
    long long frames = 0;
    return SlackOf(options, script, lCap, &frames);
}

bool WidenSolution(const SOLVEOPTIONS& options, SOLVERESULT* result, LONG lCap)
{
    std::vector<SCRIPTELEMENT> script;
    std::string error;
    if (!ParseScript(result->script.c_str(), &script, &error))
        return false;
    long long frames = 0;
    PLAYOUTCOME first;
    if (!WinsLate(options, script, 0, &frames, &first))
        return false;
    LONG used = result->lMines - first.lMinesRemaining;
    LONG slack = SlackOf(options, script, lCap, &frames);
    LONG width = 0, length = 0;
    {
        // The field's size, read from a play that ends at once.
        SNAP snap;
        const std::vector<SCRIPTELEMENT> none{E(seWaitFrames, 0)};
        if (Play(options, none, false, &snap).lOutcome == roRunning) {
            width = snap.lWidth;
            length = snap.lLength;
        }
    }
    bool improved = true;
    while (improved && slack < lCap && frames < options.llBudgetFrames) {
        improved = false;
        // The tightest shots are the likeliest to hold the slack down, but
        // which one does is not known: every shot is tried, first to last.
        for (const SHOT& shot : Shots(script)) {
            for (std::vector<SCRIPTELEMENT>& v : Variations(script, shot, width, length)) {
                if (frames >= options.llBudgetFrames)
                    break;
                PLAYOUTCOME r;
                // Cheap test first: it must at least survive one more frame.
                if (!WinsLate(options, v, slack + 1, &frames, &r) || result->lMines - r.lMinesRemaining > used)
                    continue;
                const LONG s = SlackOf(options, v, lCap, &frames);
                if (s > slack && WinsLate(options, v, 0, &frames, &r) && result->lMines - r.lMinesRemaining <= used) {
                    script = std::move(v);
                    slack = s;
                    used = result->lMines - r.lMinesRemaining;
                    improved = true;
                    break;
                }
            }
            if (improved)
                break;
        }
    }
    // A plateau: the slack stays where it is until every shot that holds it
    // down has more room, which no single change gives. Each shot is then
    // widened on its own, the tightest first: a change is kept when that
    // shot alone may start later than before and the whole way keeps its
    // slack.
    auto shotSlack = [&](const std::vector<SCRIPTELEMENT>& v, const SHOT& shot, LONG from) {
        LONG late = from;
        while (late < lCap) {
            const PLAYOUTCOME r = Play(options, WithShotLate(v, shot.walk, shot.end, late + 1), false, nullptr);
            frames += r.lFrames;
            if (r.lOutcome != roWon)
                break;
            ++late;
        }
        return late;
    };
    improved = slack < lCap;
    while (improved && frames < options.llBudgetFrames) {
        improved = false;
        const std::vector<SHOT> shots = Shots(script);
        std::vector<std::pair<LONG, std::size_t>> order;
        for (std::size_t k = 0; k < shots.size(); ++k)
            order.push_back({shotSlack(script, shots[k], 0), k});
        std::stable_sort(order.begin(), order.end());
        for (const auto& [own, k] : order) {
            if (own >= lCap || frames >= options.llBudgetFrames)
                break;
            for (std::vector<SCRIPTELEMENT>& v : Variations(script, shots[k], width, length)) {
                if (frames >= options.llBudgetFrames)
                    break;
                const std::vector<SHOT> vShots = Shots(v);
                if (vShots.size() != shots.size())
                    continue;
                PLAYOUTCOME r;
                if (!WinsLate(options, v, 0, &frames, &r) || result->lMines - r.lMinesRemaining > used)
                    continue;
                if (shotSlack(v, vShots[k], own) <= own)
                    continue;
                const LONG whole = SlackOf(options, v, lCap, &frames);
                if (whole < slack)
                    continue;
                script = std::move(v);
                slack = whole;
                used = result->lMines - r.lMinesRemaining;
                improved = true;
                break;
            }
            if (improved)
                break;
        }
    }
    const PLAYOUTCOME r = Play(options, script, false, nullptr);
    frames += r.lFrames;
    result->llFrames += frames;
    if (r.lOutcome != roWon)
        return false;
    result->script = ScriptText(script);
    result->lMinesUsed = result->lMines - r.lMinesRemaining;
    result->lScore = r.lScore;
    result->lSlack = slack;
    return true;
}

SOLVERESULT SolvePuzzle(const SOLVEOPTIONS& options)
{
    PUZZLESOLVER solver;
    solver.Start(options);
    while (!solver.Step(LLONG_MAX / 4)) {
    }
    return solver.Result();
}
