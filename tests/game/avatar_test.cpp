#include "fixture.h"


#include <cmath>

TEST_F(PlayField, FigureStartsFiveRowsBeyondTheFormation)
{
    Start(4, 12, 0, 2, {{0, 2, ckGray}});
    EXPECT_FLOAT_EQ(g.Avatar.X, 0.03f);
    EXPECT_FLOAT_EQ(g.Avatar.Z, 0.5f - 8);
    LONG x, z;
    AvatarSquare(&x, &z);
    EXPECT_EQ(x, 2);
    EXPECT_EQ(z, 7);
    Start(5, 7, 0, 2, {{0, 5, ckGray}});
    EXPECT_FLOAT_EQ(g.Avatar.Z, 0.5f - 7);  // the last row
}

TEST_F(PlayField, BlockedDiagonalStepSlidesAlongX)
{
    Start(5, 10, 0, 2, {{0, 0, ckGray}});
    Grow();
    g.ActivePuzzle.aCubes[4][3].lKind = ckGray;  // diagonally ahead
    g.Avatar.X = SquareCentreX(2) + 0.45f;
    g.Avatar.Z = SquareCentreZ(5) + 0.45f;
    const float z0 = g.Avatar.Z, x0 = g.Avatar.X;
    AvatarWalk(kPi / 4, 1);  // +X, +Z: towards column 3, row 4
    EXPECT_GT(g.Avatar.X, x0);
    EXPECT_FLOAT_EQ(g.Avatar.Z, z0);
    EXPECT_FLOAT_EQ(g.Avatar.fHeading, kPi / 4);
}

TEST_F(PlayField, FigureAtTheEdgeStaysButTurns)
{
    Start(5, 10, 0, 2, {{0, 0, ckGray}});
    g.Avatar.X = 2.47f;
    g.Avatar.Z = -5.5f;
    AvatarWalk(0, 1);
    EXPECT_FLOAT_EQ(g.Avatar.X, 2.47f);
    EXPECT_FLOAT_EQ(g.Avatar.fHeading, 0.0f);
    g.Avatar.Z = -9.97f;
    AvatarWalk(-kPi / 2, 1);  // towards the far end... already there
    AvatarWalk(kPi / 2 + kPi, 1);
    EXPECT_GE(SceneToRow(g.Avatar.Z), 0);
    EXPECT_LT(SceneToRow(g.Avatar.Z), 10);
}

TEST_F(PlayField, StepLengthFollowsTheDifficulty)
{
    g.Settings.dwDifficulty = diffImpossible;
    Start(5, 10, 0, 2, {{0, 0, ckGray}});
    const float x0 = g.Avatar.X;
    AvatarWalk(0, 1);
    EXPECT_NEAR(g.Avatar.X - x0, 0.085f, 1e-6);
    AvatarWalk(kPi, 0.5f);
    EXPECT_NEAR(g.Avatar.X - x0, 0.0425f, 1e-6);
}

TEST_F(PlayField, WalkingSoundLoopsAndPansWithTheFigure)
{
    Start(5, 10, 0, 2, {{0, 0, ckGray}});
    sound_control::ClearCalls();
    AvatarWalk(0, 1);  // a single step does not start walking
    EXPECT_FALSE(g.Avatar.fWalking);
    EXPECT_TRUE(sound_control::Calls().empty());
    for (int i = 0; i < 30; ++i)
        AvatarWalk(0, 1);
    EXPECT_TRUE(g.Avatar.fWalking);
    ASSERT_FALSE(sound_control::Calls().empty());
    EXPECT_EQ(sound_control::Calls().front().file, "walk.wav");
    EXPECT_TRUE(sound_control::Calls().front().fLoop);
    EXPECT_EQ(Count("walk.wav"), 1);
    // X = 0.03 + 31 * 0.075 on width 5: X * 100 / (5 / 2) = 117, beyond 100.
    EXPECT_EQ(sound_control::Calls().back().op, sound_control::opPan);
    EXPECT_EQ(sound_control::Calls().back().lPan, static_cast<LONG>(g.Avatar.X * 100 / 2));
    EXPECT_GT(sound_control::Calls().back().lPan, 100);
    // The legs swing while walking.
    EXPECT_NE(g.Avatar.fLegPhase, 0.0f);
    // At the edge the figure no longer moves: walking and its sound stop.
    for (int i = 0; i < 5; ++i)
        AvatarWalk(0, 1);
    EXPECT_FALSE(g.Avatar.fWalking);
    EXPECT_EQ(sound_control::Calls().back().op, sound_control::opStop);
    EXPECT_EQ(g.Avatar.fLegPhase, 0.0f);
}

TEST_F(PlayField, FigureIsCrushedWhenACubeRollsOntoIt)
{
    Start(5, 10, 0, 2, {{2, 0, ckGray}, {0, 3, ckGray}});
    Grow();
    StandOn(2, 1);
    RunUntilCommit();
    EXPECT_EQ(g.lGameState, gsDying);
    EXPECT_TRUE(g.Avatar.fCrushed);
    EXPECT_EQ(g.lScore, 0);
    EXPECT_EQ(Count("scream.wav"), 1);
}

TEST_F(PlayField, TargetMarkerStepsItsHueAndMovesByItsMesh)
{
    Start(5, 10, 0, 2, {{0, 0, ckGray}});
    AvatarShowTarget(true, 1.0f, -2.0f);
    ASSERT_NE(g.Avatar.pVisualTarget, nullptr);
    EXPECT_EQ(g.Avatar.pVisualTarget->pShowingIn, g.Render.pFramePrimary);
    const VISUAL* target = g.Avatar.pVisualTarget;
    const D3DCOLOR first = target->pMesh->GetGroupColor(0);
    AvatarShowTarget(true, 1.5f, -2.0f);
    EXPECT_NE(target->pMesh->GetGroupColor(0), first);
    EXPECT_EQ(target->pMesh->GetGroupColor(0), target->pMesh->GetGroupColor(target->lGroup));
    float minX = 10;
    for (const D3DRMVERTEX& p : target->pMesh->GetGroupData(0)->aVertices)
        minX = std::min(minX, p.position.x);
    EXPECT_NEAR(minX, 1.5f - 0.015f, 1e-5);
    AvatarShowTarget(false, 0, 0);
    EXPECT_EQ(g.Avatar.pVisualTarget, nullptr);
}
