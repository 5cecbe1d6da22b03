#include "fixture.h"

#include "game/hint.h"
#include "game/sweep.h"

TEST_F(PlayField, MineThatHitNothingIsGivenBack)
{
    Start(5, 10, 0, 2, {{1, 0, ckGray}});
    Grow();
    StandOn(3, 5);
    MineButton();
    EXPECT_EQ(g.lMinesRemaining, 1);
    EXPECT_TRUE(g.ActivePuzzle.bMinePlanted);
    EXPECT_EQ(Count("place.wav"), 1);
    MineButton();
    EXPECT_EQ(g.lMinesRemaining, 2);
    EXPECT_FALSE(g.ActivePuzzle.bMinePlanted);
    EXPECT_FALSE(g.ActivePuzzle.aMines[0].bActive);
    EXPECT_EQ(Count("hitnone.wav"), 1);
    EXPECT_EQ(g.lScore, 0);
}

TEST_F(PlayField, ClearingGivesThePlantedMineBackAndFreesItsVisuals)
{
    Start(5, 10, 0, 2, {{1, 0, ckGray}});
    Grow();
    const int frames = FramesBelow(g.Render.pFramePrimary);
    MineButton();
    EXPECT_EQ(FramesBelow(g.Render.pFramePrimary), frames + 2);  // the square and its light
    MINESQUARE& sq = g.ActivePuzzle.aMines[0].aSquares[0];
    ASSERT_NE(sq.pFrameMine, nullptr);
    IDirect3DRMFrame2* mine = sq.pFrameMine;
    IDirect3DRMLight* light = sq.pLight;
    mine->AddRef();
    light->AddRef();
    ClearMinesCommand();
    EXPECT_EQ(g.lMinesRemaining, 2);
    EXPECT_EQ(FramesBelow(g.Render.pFramePrimary), frames);
    // Nothing else holds the square's frame or its light any more.
    EXPECT_EQ(mine->GetParentFrame(), nullptr);
    EXPECT_TRUE(mine->GetChildren().empty());
    EXPECT_EQ(mine->Release(), 0u);
    EXPECT_EQ(light->Release(), 0u);
}

TEST_F(PlayField, DetonationDuringTheFirstThreeQuartersOfARollIsRefused)
{
    Start(5, 10, 0, 3, {{1, 0, ckGray}, {3, 0, ckGray}});
    Grow();
    StandOn(1, 1);
    MineButton();  // planting works at any time
    StartRollNow();
    Frame();
    MineButton();
    EXPECT_TRUE(g.ActivePuzzle.aMines[0].bActive);
    EXPECT_EQ(Kind(1, 0), ckGray);
}

TEST_F(PlayField, PointsForNHitsCountBlackCubesAndDestroyOnlyTheOthers)
{
    Start(5, 10, 0, 3, {{0, 0, ckGray}, {1, 0, ckBlack}, {2, 0, ckGray}, {4, 4, ckGray}});
    Grow();
    AddMineRectangle(0, 2, 0, 0);
    Detonate();
    EXPECT_EQ(g.lScore, 100 + 500 * 2);
    EXPECT_EQ(Kind(0, 0), ckNone);
    EXPECT_EQ(Kind(2, 0), ckNone);
    EXPECT_EQ(Kind(1, 0), ckBlack);
    EXPECT_TRUE(g.ActivePuzzle.aCubes[0][1].bBouncing);
    EXPECT_EQ(Count("hitcube.wav"), 1);
    EXPECT_EQ(Count("hitsteel.wav"), 1);
    // Three cubes hit at once: 20 pieces become MulDiv(15, 7, 9) + 5 = 17.
    int pieces = 0;
    for (const GRAVEL& p : g.ActivePuzzle.aCubes[0][0].pExp->aGravel)
        pieces += p.pFrame != nullptr;
    EXPECT_EQ(pieces, 17);
    // The Black cube jumps and lands.
    float top = 0;
    for (int i = 0; i < 20; ++i) {
        Frame(1);
        top = std::max(top, GetFramePosition(g.ActivePuzzle.aCubes[0][1].pFrame).y);
    }
    EXPECT_NEAR(top, 0.7f, 1e-4);
    EXPECT_FALSE(g.ActivePuzzle.aCubes[0][1].bBouncing);
    EXPECT_NEAR(GetFramePosition(g.ActivePuzzle.aCubes[0][1].pFrame).y, 0.5f, 1e-5);
}

TEST_F(PlayField, HittingOnlyABlackCubeGivesAHundred)
{
    Start(5, 10, 0, 3, {{1, 0, ckBlack}, {3, 0, ckGray}});
    Grow();
    StandOn(1, 0);
    AddMineRectangle(1, 1, 0, 0);
    Detonate();
    EXPECT_EQ(g.lScore, 100);
    EXPECT_EQ(Kind(1, 0), ckBlack);
}

TEST_F(PlayField, BlueBlastPushesTwoNeighboursRightTogether)
{
    Start(5, 10, 0, 3, {{1, 0, ckBlue}, {2, 0, ckGray}, {3, 0, ckGray}, {1, 1, ckGreen}});
    Grow();
    AddMineRectangle(1, 1, 0, 0);
    Detonate();
    EXPECT_EQ(g.ActivePuzzle.aCubes[0][2].lDirection, dirRight);
    EXPECT_EQ(g.ActivePuzzle.aCubes[0][3].lDirection, dirRight);
    EXPECT_EQ(g.ActivePuzzle.aCubes[1][1].lDirection, dirForward);
    EXPECT_EQ(g.ActivePuzzle.lStepTime, 300);
    RunUntilCommit();
    EXPECT_EQ(Kind(2, 0), ckNone);
    EXPECT_EQ(Kind(3, 0), ckGray);
    EXPECT_EQ(Kind(4, 0), ckGray);
    EXPECT_EQ(Kind(1, 2), ckGreen);
    for (int i = 0; i < 10; ++i)
        Frame();
    // At the end all cubes roll forward again after a full pause.
    EXPECT_EQ(g.ActivePuzzle.fRollAngle, 0.0f);
    EXPECT_EQ(g.ActivePuzzle.aCubes[0][3].lDirection, dirForward);
}

TEST_F(PlayField, BluePushingADestructibleCubeOffTheSideFailsThePuzzle)
{
    Start(5, 10, 0, 3, {{3, 0, ckBlue}, {4, 0, ckGray}, {0, 3, ckGray}});
    Grow();
    AddMineRectangle(3, 3, 0, 0);
    Detonate();
    RunUntilCommit();
    EXPECT_EQ(g.ActivePuzzle.aCubes[0][kColOffRight].lKind, ckGray);
    EXPECT_EQ(g.lGameState, gsSweep);
}

TEST_F(PlayField, BlueWithRedPushesNothingAndTheFigureDies)
{
    Start(5, 10, 0, 3, {{1, 0, ckBlue}, {2, 0, ckRed}, {3, 0, ckGray}, {1, 2, ckGreen}});
    Grow();
    StandOn(2, 6);
    AddMineRectangle(1, 2, 0, 0);
    Detonate();
    EXPECT_EQ(Kind(1, 0), ckNone);
    EXPECT_EQ(Kind(2, 0), ckNone);
    EXPECT_EQ(Kind(3, 0), ckGray);
    EXPECT_EQ(g.ActivePuzzle.aCubes[0][3].lDirection, dirNone);
    EXPECT_EQ(g.lGameState, gsDying);
    EXPECT_TRUE(g.fDyingRed);
    EXPECT_EQ(g.lScore, 0);
    EXPECT_EQ(Count("hitbad_eng.wav"), 1);
    EXPECT_EQ(g.Hint.lTitleId, idsHintForbidden);
    EXPECT_EQ(g.ActivePuzzle.dwStateEnd, GetTickCount() + 5000);
}

TEST_F(PlayField, ForbiddenMarkerFallsOntoTheFigureAndCrushesIt)
{
    Start(5, 10, 0, 3, {{2, 0, ckRed}, {0, 0, ckGray}});
    Grow();
    StandOn(2, 6);
    AddMineRectangle(2, 2, 0, 0);
    Detonate();
    sound_control::ClearCalls();
    IDirect3DRMFrame2* marker = g.ActivePuzzle.pFrameForbidden;
    ASSERT_NE(marker, nullptr);
    EXPECT_EQ(marker->GetParentFrame(), g.Render.pFrameRoot);
    EXPECT_NEAR(GetFramePosition(marker).y, 20.0f, 1e-5);
    EXPECT_NEAR(GetFramePosition(marker).z, -6.5f, 1e-5);
    int frames = 0;
    while (GetFramePosition(marker).y > 0.5f && frames < 200) {
        Frame();
        ++frames;
    }
    EXPECT_NEAR(frames, 65, 1);  // (20 - 0.5) / 0.3
    EXPECT_TRUE(g.Avatar.fCrushed);
    EXPECT_EQ(sound_control::Played(), (std::vector<std::string>{"rocks.wav", "roll.wav", "scream.wav"}));
    // The crushed figure lies flat on its back, doubled in size.
    EXPECT_NEAR(GetFramePosition(g.Avatar.pFrameAvatar).z, g.Avatar.Z + 0.2091f, 1e-5);
    EXPECT_NEAR(g.Avatar.pVisualBody->fSizeY, 0.238f, 1e-5);
    // Meanwhile the field shrank away without rolling.
    for (int i = 0; i < 40; ++i)
        Frame();
    EXPECT_EQ(Kind(0, 0), ckGray);
    EXPECT_EQ(g.ActivePuzzle.aCubes[0][0].pVisual->pShowingIn, nullptr);
}

TEST_F(PlayField, GreenAtACornerLaysATwoByTwoMineField)
{
    Start(5, 10, 0, 3, {{0, 0, ckGreen}, {1, 1, ckGray}, {4, 4, ckGray}});
    Grow();
    AddMineRectangle(0, 0, 0, 0);
    Detonate();
    const MINE& m = g.ActivePuzzle.aMines[0];
    ASSERT_TRUE(m.bActive);
    EXPECT_EQ(m.lLeft, 0);
    EXPECT_EQ(m.lRight, 1);
    EXPECT_EQ(m.lNear, 0);
    EXPECT_EQ(m.lFar, 1);
    EXPECT_EQ(Count("hitbonus.wav"), 1);
    EXPECT_EQ(Kind(1, 1), ckGray);  // not detonated yet
    // Four squares with a red light of 2 / 2 / 2 each.
    int squares = 0;
    for (const MINESQUARE& sq : m.aSquares)
        if (sq.pVisual) {
            ++squares;
            EXPECT_EQ(sq.pLight->GetType(), D3DRMLIGHT_POINT);
            EXPECT_FLOAT_EQ(sq.pLight->GetRed(), 0.5f);
            EXPECT_FLOAT_EQ(sq.pLight->GetGreen(), 0.0f);
        }
    EXPECT_EQ(squares, 4);
    MineButton();
    EXPECT_EQ(Kind(1, 1), ckNone);
}

TEST_F(PlayField, TheEleventhMineRectangleIsNotLaid)
{
    Start(10, 15, 0, 3, {{0, 0, ckGray}});
    for (LONG i = 0; i < 11; ++i)
        AddMineRectangle(i % 10, i % 10, 5, 5);
    for (const MINE& m : g.ActivePuzzle.aMines)
        EXPECT_TRUE(m.bActive);
    EXPECT_EQ(g.ActivePuzzle.aMines[9].lLeft, 9);
    ClearAllMines();
    AddMineRectangle(0, 0, 1, 1);
    EXPECT_TRUE(g.ActivePuzzle.aMines[0].bActive);
    EXPECT_FALSE(g.ActivePuzzle.aMines[1].bActive);
}

TEST_F(PlayField, RunningOutOfMinesStartsTheSweep)
{
    Start(5, 10, 0, 1, {{1, 0, ckGray}, {3, 0, ckGray}});
    Grow();
    StandOn(1, 0);
    MineButton();
    StandOn(1, 3);
    MineButton();
    EXPECT_EQ(g.lMinesRemaining, 0);
    EXPECT_EQ(g.lGameState, gsSweep);
    EXPECT_FALSE(g.Avatar.fCrushed);
    EXPECT_EQ(g.Hint.lTitleId, idsHintOutOfMines);
    EXPECT_EQ(g.Hint.lTextId, idsHintOutOfMinesText);
}

// The wall of a sweep is built on row 0: a figure standing there is crushed
// at once, and the sweep ends with a lost life instead of running for ever.
TEST_F(PlayField, ASweepBuiltOverTheFigureCrushesItAndEndsDead)
{
    // Out of mines (the scenario of two Gray cubes in one column).
    Start(5, 10, 0, 1, {{2, 0, ckGray}, {2, 1, ckGray}});
    Grow();
    StandOn(2, 4);
    MineButton();
    StandOn(0, 5);
    for (int i = 0; i < 400 && Kind(2, 4) != ckGray; ++i)
        Frame();
    ASSERT_EQ(Kind(2, 4), ckGray);
    while (g.ActivePuzzle.fRollAngle != 0)
        Frame();
    StandOn(2, 0);
    MineButton();
    EXPECT_EQ(g.lMinesRemaining, 0);
    EXPECT_EQ(g.lGameState, gsDying);
    EXPECT_FALSE(g.fDyingRed);
    EXPECT_TRUE(g.Avatar.fCrushed);
    EXPECT_EQ(Count("scream.wav"), 1);
    for (int i = 0; i < 1000 && g.lGameState == gsDying; ++i)
        Frame();
    EXPECT_EQ(g.lGameState, gsDead);

    // Clearing a Green cube's mine-field with no mines left.
    Start(5, 10, 0, 1, {{1, 0, ckGreen}, {3, 0, ckGray}});
    Grow();
    StandOn(1, 0);
    MineButton();
    MineButton();
    ASSERT_EQ(g.lGameState, gsPlaying);
    ASSERT_TRUE(g.ActivePuzzle.aMines[0].bActive);
    ClearMinesCommand();
    EXPECT_EQ(g.lGameState, gsDying);
    EXPECT_TRUE(g.Avatar.fCrushed);
}

// Should the wall ever miss the figure, a sweep still ends once every cube
// has left the field.
TEST_F(PlayField, ASweepWhoseWallHasLeftTheFieldEndsDead)
{
    Start(4, 7, 0, 1, {{1, 2, ckGray}});
    Grow();
    g.Avatar.X = 50;  // off the field: no cube can ever reach it
    StartSweep();
    ASSERT_EQ(g.lGameState, gsSweep);
    for (int i = 0; i < 2000 && g.lGameState == gsSweep; ++i)
        Frame();
    EXPECT_EQ(g.lGameState, gsDead);
    EXPECT_FALSE(g.Avatar.fCrushed);
}

// While the last explosion runs the puzzle is as good as won: the button
// neither plants (which would lower the bonus) nor takes the count below 0.
TEST_F(PlayField, TheMineButtonRestsOnceNothingIsLeftToDestroy)
{
    Start(5, 10, 0, 1, {{1, 0, ckGray}});
    Grow();
    StandOn(1, 0);
    MineButton();
    MineButton();
    ASSERT_EQ(CountDestructibleCubes(), 0);
    ASSERT_EQ(g.lMinesRemaining, 0);
    MineButton();
    MineButton();
    EXPECT_EQ(g.lMinesRemaining, 0);
    EXPECT_FALSE(g.ActivePuzzle.bMinePlanted);

    Start(5, 10, 0, 3, {{1, 0, ckGray}});
    Grow();
    StandOn(1, 0);
    const LONG before = g.lScore;
    MineButton();
    MineButton();
    MineButton();  // the explosion still runs
    EXPECT_EQ(g.lMinesRemaining, 2);
    for (int i = 0; i < 200 && g.lGameState == gsPlaying; ++i)
        Frame();
    ASSERT_EQ(g.lGameState, gsPuzzleWon);
    EXPECT_EQ(g.lScore - before, 100 + 50000);

    // A plant with no mine left does nothing either.
    Start(5, 10, 0, 1, {{1, 0, ckGray}, {3, 0, ckGray}});
    Grow();
    g.lMinesRemaining = 0;
    PlantMine();
    EXPECT_EQ(g.lMinesRemaining, 0);
    EXPECT_FALSE(g.ActivePuzzle.aMines[0].bActive);
}

TEST_F(PlayField, PuzzleIsWonOnlyWhenTheLastExplosionHasEnded)
{
    Start(5, 10, 0, 3, {{1, 0, ckGray}});
    Grow();
    StandOn(1, 0);
    MineButton();
    MineButton();
    EXPECT_EQ(g.lMinesRemaining, 2);
    EXPECT_EQ(g.lGameState, gsPlaying);
    int frames = 0;
    while (g.lGameState == gsPlaying && frames < 200) {
        Frame();
        ++frames;
    }
    EXPECT_GT(frames, 20);
    EXPECT_EQ(g.ActivePuzzle.aCubes[0][1].pExp, nullptr);
    EXPECT_EQ(g.lGameState, gsPuzzleWon);
    EXPECT_EQ(g.lScore, 100 + 50000);
    EXPECT_EQ(g.lHighScore, 250000);
    EXPECT_EQ(g.ActivePuzzle.dwStateEnd, GetTickCount() + 1500);
    EXPECT_EQ(Count("wonlevel3_eng.wav"), 1);
}

TEST_F(PlayField, WinSoundFallsBackWhenMissing)
{
    Start(5, 10, 0, 3, {{1, 0, ckGray}});
    Grow();
    GameSound(sndWonLevel3)->Unload();
    StandOn(1, 0);
    MineButton();
    MineButton();
    for (int i = 0; i < 200 && g.lGameState == gsPlaying; ++i)
        Frame();
    EXPECT_EQ(Count("wonlevel2_eng.wav"), 1);
    EXPECT_EQ(Count("wonlevel3_eng.wav"), 0);
}

TEST_F(PlayField, TutorialAwardsNoScore)
{
    Start(5, 10, 0, 3, {{1, 0, ckGray}, {3, 0, ckGray}});
    g.lLevel = 0;
    Grow();
    AddMineRectangle(1, 1, 0, 0);
    Detonate();
    EXPECT_EQ(g.lScore, 0);
}

TEST_F(PlayField, GravelDrawsItsChanceInAFixedOrder)
{
    Start(5, 10, 0, 3, {{2, 3, ckGray}, {0, 0, ckGray}});
    Grow();
    crt::srand(7);
    DestroyCube(2, 3, 1);
    // The same draws made by hand for the first piece.
    crt::srand(7);
    const float x = static_cast<float>(crt::rand() % 100) * 0.01f - 0.5f;
    const float z = -3.5f + static_cast<float>(crt::rand() % 100) * 0.01f - 0.5f;
    const float y = static_cast<float>(crt::rand() % 100) * 0.0033333f + 0.6f;
    for (int i = 0; i < 3; ++i)
        crt::rand();  // colour
    const float size = static_cast<float>(crt::rand() % 100) * 0.0011111f + 0.04f;
    for (int i = 0; i < 4; ++i)
        crt::rand();  // axis and spin
    const float velocity = static_cast<float>(crt::rand() % 80) * 0.0014285714f + 0.1f;
    const GRAVEL& first = g.ActivePuzzle.aCubes[3][2].pExp->aGravel[0];
    const D3DVECTOR p = GetFramePosition(first.pFrame);
    EXPECT_FLOAT_EQ(p.x, x);
    EXPECT_FLOAT_EQ(p.z, z);
    EXPECT_FLOAT_EQ(p.y, y);
    EXPECT_FLOAT_EQ(first.pVisual->fSizeX, size);
    EXPECT_FLOAT_EQ(first.fVelocity, velocity);
    int pieces = 0;
    for (const GRAVEL& piece : g.ActivePuzzle.aCubes[3][2].pExp->aGravel)
        pieces += piece.pFrame != nullptr;
    EXPECT_EQ(pieces, 20);
}
