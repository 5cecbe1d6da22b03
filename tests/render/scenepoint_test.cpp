// Window points and the field: squares round-trip through the screen, and
// picking finds the cube under a point.
#include "window_scene.h"

#include "game/field.h"

using namespace scenetest;

namespace {

class ScenePoints : public WindowScene {
protected:
    void SetUp() override
    {
        WindowScene::SetUp();
        ASSERT_TRUE(InitScene());
        ACTIVEPUZZLE& ap = g.ActivePuzzle;
        ap.Puzzle.lWidth = 6;
        ap.Puzzle.lLength = 12;
        ap.Puzzle.lMines = 2;
        ap.Puzzle.aFormation[0][1] = ckGray;
        ap.Puzzle.aFormation[0][4] = ckBlue;
        ap.Puzzle.aFormation[2][2] = ckRed;
        SetUpField();
        ShowField();
        // Grown and at rest, the camera aimed as in play.
        for (auto& row : ap.aCubes)
            for (CUBE& c : row)
                if (c.pVisual)
                    ScaleVisual(c.pVisual, 1, 100, 1);
        RestAllCubes();
        g.lGameState = gsPlaying;
        AimCameraForState(gsPlaying, g.Avatar.X, g.Avatar.Z);
        g.Render.vecCameraSource = g.Render.vecCameraSourceGoal;
        g.Render.vecCameraTarget = g.Render.vecCameraTargetGoal;
        PlaceCamera();
    }
    void TearDown() override
    {
        ReleaseField();
        ReleaseFloor();
        AvatarRelease();
        WindowScene::TearDown();
    }
};

} // namespace

TEST_F(ScenePoints, EverySquareComesBackFromItsScreenPoint)
{
    const long width = Display->GetWidth(), height = Display->GetHeight();
    for (LONG z = 0; z < 12; ++z)
        for (LONG x = 0; x < 6; ++x) {
            SCOPED_TRACE(testing::Message() << x << "," << z);
            long sx = -1, sy = -1;
            ASSERT_TRUE(SquareToScreen(x, z, &sx, &sy));
            EXPECT_GE(sx, 0);
            EXPECT_LT(sx, width);
            EXPECT_GE(sy, 0);
            EXPECT_LT(sy, height);
            LONG bx = -1, bz = -1;
            ASSERT_TRUE(ScreenToSquare(sx, sy, &bx, &bz));
            EXPECT_EQ(bx, x);
            EXPECT_EQ(bz, z);
        }
    // Squares nearer the camera are lower on the screen; columns run from
    // left to right.
    long x0, y0, x1, y1;
    ASSERT_TRUE(SquareToScreen(0, 0, &x0, &y0));
    ASSERT_TRUE(SquareToScreen(5, 11, &x1, &y1));
    EXPECT_LT(x0, x1);
    EXPECT_LT(y0, y1);
}

TEST_F(ScenePoints, PickingFindsTheCubeUnderAPointAndNothingBesideIt)
{
    struct Cell {
        LONG x, z;
    };
    for (Cell c : {Cell{1, 0}, Cell{4, 0}, Cell{2, 2}}) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.z);
        IDirect3DRMFrame2* frame = g.ActivePuzzle.aCubes[c.z][c.x].pFrame;
        ASSERT_NE(frame, nullptr);
        long sx = 0, sy = 0;
        // The middle of the cube's face towards the camera.
        ASSERT_EQ(aw->FrameToScreen(frame, 0, 0, -0.45f, &sx, &sy), 1);
        LONG px = -1, pz = -1;
        ASSERT_TRUE(CubeAtScreen(sx, sy, &px, &pz));
        EXPECT_EQ(px, c.x);
        EXPECT_EQ(pz, c.z);
    }
    // An empty square of the field and the sky above it show no cube.
    long sx = 0, sy = 0;
    ASSERT_TRUE(SquareToScreen(3, 8, &sx, &sy));
    LONG px = -1, pz = -1;
    EXPECT_FALSE(CubeAtScreen(sx, sy, &px, &pz));
    EXPECT_FALSE(CubeAtScreen(2, 2, &px, &pz));
    // Without 3D nothing is found.
    aw->Enable3d(0);
    EXPECT_FALSE(CubeAtScreen(sx, sy, &px, &pz));
    EXPECT_FALSE(ScreenToSquare(sx, sy, &px, &pz));
}
