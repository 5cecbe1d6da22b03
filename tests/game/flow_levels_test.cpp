#include "flow_fixture.h"

#include "game/script.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <vector>

TEST_F(Flow, TheIntroductionEndsInPlayWithTheFieldGrown)
{
    Levels(kTwoLevels);
    StartGame(nullptr, 1, 1);
    EXPECT_EQ(g.lGameState, gsLevelIntro);
    EXPECT_EQ(g.LevelIntro.lStep, 1);
    bool sawFlakes = false;
    std::set<LONG> steps;
    for (int i = 0; i < 3000 && g.lGameState == gsLevelIntro; ++i) {
        steps.insert(g.LevelIntro.lStep);
        if (g.LevelIntro.lStep == 4 && !sawFlakes) {
            sawFlakes = true;
            int n = 0;
            for (VISUAL* f : g.LevelIntro.aFlakes)
                n += f != nullptr;
            EXPECT_EQ(n, kIntroFlakes);
            EXPECT_TRUE(g.LevelIntro.bActive);
            EXPECT_EQ(g.lMinesRemaining, 2);  // the counter is set with the field
            EXPECT_NE(g.ActivePuzzle.aCubes[0][1].pVisual, nullptr);
        }
        RunFrames(1);
    }
    EXPECT_EQ(steps, (std::set<LONG>{1, 2, 3, 4, 5}));
    ASSERT_EQ(g.lGameState, gsPlaying);
    // Play begins with the field shown: the introduction was left in the
    // same frame, so the game step never sees cubes that have not grown.
    EXPECT_EQ(g.LevelIntro.lStep, 0);
    EXPECT_NE(g.ActivePuzzle.fGrow, kNoGrow);
    EXPECT_EQ(Count("land.wav"), 1);
    for (VISUAL* f : g.LevelIntro.aFlakes)
        EXPECT_EQ(f, nullptr);
    int frames = 0;
    while (g.ActivePuzzle.fGrow != kNoGrow && frames++ < 500)
        RunFrames(1);
    EXPECT_EQ(g.ActivePuzzle.fGrow, kNoGrow);
    EXPECT_NE(g.ActivePuzzle.aCubes[0][1].pVisual->pShowingIn, nullptr);
    EXPECT_NE(g.ActivePuzzle.dwRollStart, 0u);  // the roll rhythm has begun
}

TEST_F(Flow, FlakesKeepClearOfTheCameraPath)
{
    Levels(kTwoLevels);
    StartGame(nullptr, 1, 1);
    while (g.LevelIntro.lStep != 4 && g.lGameState == gsLevelIntro)
        RunFrames(1);
    ASSERT_EQ(g.LevelIntro.lStep, 4);
    const D3DVECTOR src = g.Render.vecCameraSource;
    for (VISUAL* f : g.LevelIntro.aFlakes) {
        ASSERT_NE(f, nullptr);
        D3DRMBOX box;
        ASSERT_EQ(f->pMesh->GetBox(&box), S_OK);
        const D3DVECTOR mid{(box.min.x + box.max.x) / 2, 0, (box.min.z + box.max.z) / 2};
        EXPECT_GE(std::fabs(mid.x - src.x), 0.5f - 0.06f);
        EXPECT_GE(std::fabs(mid.z - src.z), 0.5f - 0.06f);
    }
}

TEST_F(Flow, EndingTheGameDuringTheIntroductionDropsIt)
{
    Levels(kTwoLevels);
    StartGame(nullptr, 1, 1);
    while (g.LevelIntro.lStep != 4)
        RunFrames(1);
    EndGame(false);
    EXPECT_EQ(g.LevelIntro.lStep, 0);
    EXPECT_EQ(g.LevelIntro.aFlakes[0], nullptr);
    EXPECT_EQ(FramesBelow(g.Render.pFramePrimary), 0);
    RunFrames(5);
    EXPECT_EQ(g.lGameState, gsMenu);
}

TEST_F(Flow, GeneratedPuzzlesFollowTheLastLevelFivePerLevel)
{
    Levels(kTwoLevels);
    StartGame(nullptr, 2, 1);
    ASSERT_TRUE(RunUntil(gsPlaying));
    LONG width = g.ActivePuzzle.lWidth;
    for (int level = 3; level <= 6; ++level) {
        for (int puzzle = 1; puzzle <= 5; ++puzzle) {
            g.lGameState = gsPuzzleWon;
            ExpireState();
            ASSERT_EQ(g.lLevel, level);
            ASSERT_EQ(g.lPuzzle, puzzle);
            const PUZZLE& p = g.ActivePuzzle.Puzzle;
            if (puzzle == 1) {
                ASSERT_EQ(g.lGameState, gsLevelIntro);
                // Drifting by -2 to +1, but never narrower than the last
                // level's field of 6.
                EXPECT_GE(p.lWidth, std::max<LONG>(width - 2, 6));
                EXPECT_LE(p.lWidth, std::min<LONG>(width + 1, kMaxWidth));
                width = p.lWidth;
                ASSERT_TRUE(RunUntil(gsPlaying));
            } else {
                ASSERT_EQ(g.lGameState, gsPuzzleStart);
                EXPECT_EQ(p.lWidth, width);
            }
            EXPECT_EQ(p.lLength, 10);  // the length stays
            // The last level's speed of 0, five more for every generated
            // level, and the draw's -10 to +3 at Normal.
            EXPECT_GE(p.lSpeed, 5 * (level - 3) - 10);
            EXPECT_LE(p.lSpeed, 5 * (level - 3) + 3);
            LONG destructible = 0;
            for (auto& row : p.aFormation)
                for (LONG k : row)
                    destructible += IsDestructible(k);
            EXPECT_EQ(p.lMines, destructible);
            EXPECT_GE(p.lMines, 3);
            EXPECT_EQ(g.lResumeLevel, 2);  // generated puzzles are no place to resume at
        }
    }
}

TEST_F(Flow, GeneratedPuzzleDrawsInItsOrder)
{
    for (DWORD difficulty = 0; difficulty < 4; ++difficulty) {
        g.Settings.dwDifficulty = difficulty;
        for (unsigned seed = 1; seed < 40; ++seed) {
            crt::srand(seed);
            PUZZLE p;
            GeneratePuzzle(4, 7, &p);
            crt::srand(seed);
            const LONG v = std::clamp<LONG>(static_cast<LONG>(difficulty) * 10 + crt::rand() % 60, 0, 100);
            EXPECT_EQ(p.lSpeed, v - 50);
            const LONG rows = std::clamp<LONG>((6 * v + 50) / 100, 1, 6);
            for (LONG z = rows; z < kFormationRows; ++z)
                for (LONG x = 0; x < kMaxWidth; ++x)
                    EXPECT_EQ(p.aFormation[z][x], ckNone);
            for (LONG z = 0; z < rows; ++z)
                for (LONG x = 4; x < kMaxWidth; ++x)
                    EXPECT_EQ(p.aFormation[z][x], ckNone);
            EXPECT_GE(p.lMines, 3);
        }
    }
    // A width of 4 with one row at the lowest values still ends.
    g.Settings.dwDifficulty = 0;
    crt::srand(5);
    PUZZLE p;
    GeneratePuzzle(4, 7, &p);
    EXPECT_GE(p.lMines, 3);
}

// Beyond the file the same draws, in the same order, shape the puzzle from
// where the last level ends: the speed from its speed, the rows from its
// mean depth, the fill from its share of cells with cubes.
TEST_F(Flow, GeneratedPuzzleWithABaseDrawsInItsOrderFromTheLastLevel)
{
    GENERATEDBASE base{};
    base.lWidth = 10;
    base.lSpeed = 70;
    base.lRows = 4;
    base.lChance = 55;
    for (DWORD difficulty = 0; difficulty < 4; ++difficulty) {
        g.Settings.dwDifficulty = difficulty;
        for (LONG level = 0; level < 3; ++level) {
            base.lLevel = level;
            for (unsigned seed = 1; seed < 40; ++seed) {
                crt::srand(seed);
                PUZZLE p;
                GeneratePuzzle(10, 15, &p, &base);
                crt::srand(seed);
                const LONG v =
                    std::clamp<LONG>(static_cast<LONG>(difficulty) * 10 + crt::rand() % 60, 0, 100);
                EXPECT_EQ(p.lSpeed, std::min<LONG>(70 + 5 * level + (v - 50) / 5, 100));
                const LONG rows = std::clamp<LONG>((6 * v + 50) / 100, 4, 6);
                // The first round of cell draws: a chance of at least 55 in
                // 100, then the kind draws in their order.
                for (LONG z = 0; z < rows; ++z)
                    for (LONG x = 0; x < 10; ++x) {
                        const LONG kind = p.aFormation[z][x];
                        const bool cube = crt::rand() % 100 < std::max<LONG>(v / 4 + 30, 55);
                        if (!cube)
                            continue;
                        ASSERT_NE(kind, ckNone) << seed << " " << z << "," << x;
                        LONG drawn = ckGray;
                        if (crt::rand() % 20 < 5)
                            drawn = ckRed;
                        else if (crt::rand() % 20 < 6)
                            drawn = ckBlack;
                        else if (crt::rand() % 20 < 7)
                            drawn = ckBlue;
                        else if (crt::rand() % 20 < 8)
                            drawn = ckGreen;
                        EXPECT_EQ(kind, drawn) << seed << " " << z << "," << x;
                    }
                for (LONG z = rows; z < kFormationRows; ++z)
                    for (LONG x = 0; x < kMaxWidth; ++x)
                        EXPECT_EQ(p.aFormation[z][x], ckNone);
                EXPECT_GE(p.lMines, 3);
            }
        }
    }
}

// The shape of the last level gives the base; the generated levels that
// follow it keep its width and go on at its speed with as many cubes.
TEST_F(Flow, GeneratedLevelsGoOnFromTheLastLevel)
{
    Levels("Level { Width = 6 Length = 10 Speed = -20 Puzzle { Mines = 1 Cubes { . n . . . . } } }\n"
           "Level { Width = 10 Length = 15 Speed = 60\n"
           "  Puzzle { Mines = 9 Cubes { n n n n n n n n - - n n - - n n - - n n } }\n"
           "  Puzzle { Mines = 4 Cubes { - - - - - - - - - - n n n n - - - - - - - - - - - - - - - - n - - - - - - - - - } } }\n");
    GENERATEDBASE base{};
    ASSERT_TRUE(LastLevelCurve(3, &base));
    EXPECT_EQ(base.lWidth, 10);
    EXPECT_EQ(base.lSpeed, 60);
    EXPECT_EQ(base.lLevel, 0);
    // Depths 2 and 3 (rows 1 to 3): 2.5 rounds to 3; 19 cubes in 20 + 30
    // cells.
    EXPECT_EQ(base.lRows, 3);
    EXPECT_EQ(base.lChance, 38);
    ASSERT_TRUE(LastLevelCurve(5, &base));
    EXPECT_EQ(base.lLevel, 2);
    GENERATEDBASE none{};
    ReleaseLevelList(&g.Levels);
    EXPECT_FALSE(LastLevelCurve(3, &none));
    Levels("Level { Width = 6 Length = 10 Speed = -20 Puzzle { Mines = 1 Cubes { . n . . . . } } }\n"
           "Level { Width = 10 Length = 15 Speed = 60\n"
           "  Puzzle { Mines = 9 Cubes { n n n n n n n n - - n n - - n n - - n n } }\n"
           "  Puzzle { Mines = 4 Cubes { - - - - - - - - - - n n n n - - - - - - - - - - - - - - - - n - - - - - - - - - } } }\n");

    StartGame(nullptr, 2, 2);
    ASSERT_TRUE(RunUntil(gsPlaying));
    long cubes = 0, puzzles = 0;
    for (int level = 3; level <= 4; ++level)
        for (int puzzle = 1; puzzle <= 5; ++puzzle) {
            g.lGameState = gsPuzzleWon;
            ExpireState();
            ASSERT_EQ(g.lLevel, level);
            const PUZZLE& p = g.ActivePuzzle.Puzzle;
            EXPECT_EQ(p.lWidth, 10);  // drifts, but never below the last level's
            EXPECT_EQ(p.lLength, 15);
            EXPECT_GE(p.lSpeed, 60 + 5 * (level - 3) - 10);
            EXPECT_LE(p.lSpeed, 60 + 5 * (level - 3) + 3);
            for (LONG z = 0; z < kFormationRows; ++z)
                for (LONG x = 0; x < p.lWidth; ++x)
                    cubes += p.aFormation[z][x] != ckNone;
            ++puzzles;
            if (puzzle == 1) {
                ASSERT_TRUE(RunUntil(gsPlaying));
            }
        }
    // The last level averages 9.5 cubes; generated formations are at least
    // three rows deep with at least 38 in 100 cells filled.
    EXPECT_GE(cubes, 95 * puzzles / 10);
}

// A full row of Red and Black cubes crushes the figure wherever it stands;
// with destructible cubes behind it such a formation could never be won.
TEST_F(Flow, GeneratedFormationsHaveNoFullForbiddenRowWithCubesBehindIt)
{
    int formations = 0;
    for (DWORD difficulty = 0; difficulty < 4; ++difficulty) {
        g.Settings.dwDifficulty = difficulty;
        crt::srand(7);
        for (int i = 0; i < 3000; ++i) {
            PUZZLE p;
            GeneratePuzzle(4 + i % 3, 7, &p);
            ++formations;
            bool behind = false;
            for (LONG z = 0; z < kFormationRows; ++z) {
                bool full = true;
                for (LONG x = 0; x < p.lWidth; ++x)
                    full = full && (p.aFormation[z][x] == ckRed || p.aFormation[z][x] == ckBlack);
                ASSERT_FALSE(full && behind) << "difficulty " << difficulty << " draw " << i << " row " << z;
                for (LONG x = 0; x < p.lWidth; ++x)
                    behind = behind || IsDestructible(p.aFormation[z][x]);
            }
            EXPECT_GE(p.lMines, 3);
        }
    }
    EXPECT_EQ(formations, 12000);
}

// After a level introduction the cubes grow first; a script and the
// tutorial start only once they stand at full height.
namespace {
SCRIPTRUN s_introRun;
bool s_shownAtStart = false, s_grownAtStart = false;
void RecordScriptStart()
{
    const LONG before = s_introRun.lStep;
    ScriptStep(&s_introRun);
    if (before == -1 && s_introRun.lStep == 0) {
        const CUBE& c = g.ActivePuzzle.aCubes[0][1];
        s_shownAtStart = c.pVisual && c.pVisual->pShowingIn;
        s_grownAtStart = c.pFrame && std::abs(GetFramePosition(c.pFrame).y - 0.5f) < 1e-4f;
    }
}
}  // namespace

TEST_F(Flow, ScriptsAndTheTutorialStartOnceTheCubesHaveGrownAfterAnIntroduction)
{
    Levels(kTwoLevels);
    std::vector<SCRIPTELEMENT> elements;
    ASSERT_TRUE(ParseScript("w:1", &elements, nullptr));
    s_introRun = SCRIPTRUN{};
    ScriptStart(&s_introRun, elements.data(), static_cast<LONG>(elements.size()));
    s_shownAtStart = s_grownAtStart = false;
    FlowSeams().pfnScriptStep = RecordScriptStart;
    StartGame(nullptr, 1, 1);
    ASSERT_EQ(g.lGameState, gsLevelIntro);
    for (int i = 0; i < 2000 && s_introRun.lStep < 0; ++i)
        RunFrames(1);
    ASSERT_EQ(s_introRun.lStep, 0);
    EXPECT_TRUE(s_shownAtStart);
    EXPECT_TRUE(s_grownAtStart);
    FlowSeams().pfnScriptStep = nullptr;
    EndGame(false);

    g.Settings.fShowTutorial = TRUE;
    StartGame(nullptr, -1, 1);
    ASSERT_EQ(g.lGameState, gsLevelIntro);
    const LONG first = g.Tutorial.lScriptStep;
    bool shown = false, grown = false;
    for (int i = 0; i < 2000 && g.Tutorial.lScriptStep == first; ++i) {
        RunFrames(1);
        if (g.Tutorial.lScriptStep != first) {
            const CUBE& c = g.ActivePuzzle.aCubes[1][1];
            shown = c.pVisual && c.pVisual->pShowingIn;
            grown = c.pFrame && std::abs(GetFramePosition(c.pFrame).y - 0.5f) < 1e-4f;
        }
    }
    EXPECT_NE(g.Tutorial.lScriptStep, first);
    EXPECT_TRUE(shown);
    EXPECT_TRUE(grown);
}

TEST_F(Flow, TheFrameEndsThePuzzleStartOnceTheCameraSettles)
{
    Levels(kTwoLevels);
    StartGame(nullptr, 1, 1);
    ASSERT_TRUE(RunUntil(gsPlaying));
    g.lGameState = gsDead;
    ExpireState();
    ASSERT_EQ(g.lGameState, gsPuzzleStart);
    int frames = 0;
    while (g.lGameState == gsPuzzleStart && frames < 100) {
        RunFrames(1);
        ++frames;
    }
    EXPECT_EQ(g.lGameState, gsPlaying);
    EXPECT_LE(frames, 40);  // 1000 ms at most
    EXPECT_TRUE(fMouseCaptured());  // a real puzzle holds the mouse
}
