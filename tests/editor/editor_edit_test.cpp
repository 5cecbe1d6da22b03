// Editing one puzzle: opening the editor, the cursor under the mouse,
// placing and removing cubes, resizing and shifting with the panel's arrows
// and the keys.
#include "editor_support.h"

#include "platform/d3drm/rmmath.h"

using namespace edtest;

namespace {

TEST_F(EditorTest, OpensAtTheLastPuzzlePlayedWithItsCubesFloorAndCamera)
{
    Open(1, 2);
    const EDITOR& e = g.Editor;
    EXPECT_EQ(g.lGameState, gsEditor);
    EXPECT_EQ(e.lLevel, 1);
    EXPECT_EQ(e.lPuzzle, 2);
    EXPECT_EQ(e.Puzzle.lWidth, 7);
    EXPECT_EQ(e.Puzzle.lMines, 2);
    EXPECT_FALSE(e.bModified);
    EXPECT_EQ(e.lKind, ckGray);
    // The status shows the puzzle edited; no lives, no mines.
    EXPECT_EQ(g.lLevel, 1);
    EXPECT_EQ(g.lPuzzle, 2);
    EXPECT_EQ(g.lLives, -1);
    EXPECT_EQ(g.lMinesRemaining, -1);

    EXPECT_EQ(CubesShown(), 2);
    ExpectCubesMatchFormation();
    ASSERT_NE(g.ActivePuzzle.pFloor, nullptr);
    EXPECT_EQ(g.ActivePuzzle.pFloor->pShowingIn, g.Render.pFramePrimary);
    EXPECT_EQ(g.ActivePuzzle.lWidth, 7);
    EXPECT_EQ(g.ActivePuzzle.lLength, 8);

    // The camera looks down the field from high above its far end, placed
    // so that the whole field lies between the menu and the panel.
    D3DVECTOR camera{};
    aw->Get3dCameraFrame()->GetPosition(aw->Get3dRootFrame(), &camera);
    EXPECT_GT(camera.y, 5);
    EXPECT_LT(camera.z, -8);
    const D3DVECTOR dir = rmmath::Normalize(rmmath::Sub(g.Render.vecCameraTarget, g.Render.vecCameraSource));
    EXPECT_NEAR(dir.y / dir.z, -0.9 / 0.4, 1e-3);
    const RECT free = EditorFreeArea(kWidth, kHeight);
    for (POINT p : {SquarePixel(0, 0), SquarePixel(6, 0), SquarePixel(0, 7), SquarePixel(6, 7)}) {
        EXPECT_GE(p.x, free.left);
        EXPECT_LT(p.x, free.right);
        EXPECT_GE(p.y, free.top);
        EXPECT_LT(p.y, free.bottom);
    }
    EXPECT_EQ(record.menusShown, 0);
}

TEST_F(EditorTest, OpensAtLevel1Puzzle1WhenThePuzzlePlayedIsNotInTheList)
{
    Open(7, 3);  // a generated level
    EXPECT_EQ(g.Editor.lLevel, 1);
    EXPECT_EQ(g.Editor.lPuzzle, 1);
    EXPECT_EQ(g.Editor.Puzzle.lWidth, 5);

    // Coming back from a test of a new puzzle keeps its numbers, the puzzle
    // as it was tested and its unsaved state, and brings the menu back.
    PUZZLE tested = NewPuzzleValues(3, 1);
    tested.aFormation[2][1] = ckGreen;
    g.Editor.bModified = TRUE;
    TestPuzzle();
    EXPECT_FALSE(fEditorOpen());
    EXPECT_EQ(g.lGameState, gsPuzzleStart);
    g.lLevel = 3;
    g.lPuzzle = 1;
    OpenEditor(&tested);
    EXPECT_EQ(g.Editor.lLevel, 3);
    EXPECT_EQ(g.Editor.lPuzzle, 1);
    EXPECT_EQ(g.Editor.Puzzle.aFormation[2][1], ckGreen);
    EXPECT_TRUE(g.Editor.bModified);
    EXPECT_EQ(record.menusShown, 1);
    EXPECT_EQ(CubesShown(), 1);
}

TEST_F(EditorTest, TheCursorFollowsTheMouseOverTheFirstSixRows)
{
    Open(1, 1);  // 5 by 9, Gray cubes at columns 1 and 3 of row 0
    PickSquare(2, 4);
    ASSERT_NE(g.Editor.pSel, nullptr);
    EXPECT_EQ(g.Editor.lSelX, 2);
    EXPECT_EQ(g.Editor.lSelZ, 4);
    D3DVECTOR p = CursorPosition();
    EXPECT_FLOAT_EQ(p.x, 0);
    EXPECT_FLOAT_EQ(p.y, 0.005f);
    EXPECT_FLOAT_EQ(p.z, -4.5f);

    // The same cell keeps the same cursor.
    IDirect3DRMFrame2* before = g.Editor.pFrameSel;
    PickSquare(2, 4);
    EXPECT_EQ(g.Editor.pFrameSel, before);

    // Over a cube the cursor lies on its top.
    const POINT top = CubeTopPixel(3, 0);
    PickCell(top.x, top.y);
    ASSERT_NE(g.Editor.pSel, nullptr);
    EXPECT_EQ(g.Editor.lSelX, 3);
    EXPECT_EQ(g.Editor.lSelZ, 0);
    EXPECT_FLOAT_EQ(CursorPosition().y, 1.0f);

    // Rows 6 and beyond, and points off the floor, have no cell.
    const PUZZLE formation = g.Editor.Puzzle;
    PickSquare(2, 6);
    EXPECT_EQ(g.Editor.pSel, nullptr);
    EXPECT_EQ(g.Editor.pFrameSel, nullptr);
    ClickCell(true);
    EXPECT_EQ(std::memcmp(&formation, &g.Editor.Puzzle, sizeof formation), 0);
    EXPECT_FALSE(g.Editor.bModified);
    PickSquare(1, 1);
    ASSERT_NE(g.Editor.pSel, nullptr);
    PickCell(2, 2);  // the top-left corner of the window shows no floor
    EXPECT_EQ(g.Editor.pSel, nullptr);
}

TEST_F(EditorTest, ClicksPlaceTheSelectedKindAndRemoveCubes)
{
    Open(1, 1);
    SelectCubeKind(ckBlue);
    PickSquare(2, 3);
    ClickCell(true);
    EXPECT_EQ(g.Editor.Puzzle.aFormation[3][2], ckBlue);
    EXPECT_TRUE(g.Editor.bModified);
    ExpectCubesMatchFormation();
    // The cursor was made again for the cube now under the mouse.
    ASSERT_NE(g.Editor.pSel, nullptr);
    EXPECT_EQ(g.Editor.lSelX, 2);
    EXPECT_EQ(g.Editor.lSelZ, 3);
    EXPECT_FLOAT_EQ(CursorPosition().y, 1.0f);

    // Placing on a cube replaces it.
    SelectCubeKind(ckRed);
    ClickCell(true);
    EXPECT_EQ(g.Editor.Puzzle.aFormation[3][2], ckRed);
    EXPECT_EQ(CubesShown(), 3);

    // The right button empties the cell.
    const POINT p = CubeTopPixel(2, 3);
    aw->NotifyHooks(child, WM_RBUTTONDOWN, 0, MAKELPARAM(static_cast<WORD>(p.x), static_cast<WORD>(p.y)));
    EXPECT_EQ(g.Editor.Puzzle.aFormation[3][2], ckNone);
    ExpectCubesMatchFormation();

    // The left button through the hook places a cube of the chosen kind.
    const POINT q = SquarePixel(0, 5);
    aw->NotifyHooks(child, WM_LBUTTONDOWN, 0, MAKELPARAM(static_cast<WORD>(q.x), static_cast<WORD>(q.y)));
    EXPECT_EQ(g.Editor.Puzzle.aFormation[5][0], ckRed);
    ExpectCubesMatchFormation();

    // Kinds outside the buttons are refused.
    SelectCubeKind(0);
    SelectCubeKind(6);
    EXPECT_EQ(g.Editor.lKind, ckRed);
}

TEST_F(EditorTest, NothingIsPickedWhileAMessageBoxIsUp)
{
    Open(1, 1);
    EnableEditorControls(false);
    PickSquare(2, 2);
    EXPECT_EQ(g.Editor.pSel, nullptr);
    const POINT q = SquarePixel(0, 2);
    aw->NotifyHooks(child, WM_LBUTTONDOWN, 0, MAKELPARAM(static_cast<WORD>(q.x), static_cast<WORD>(q.y)));
    aw->NotifyHooks(child, WM_KEYUP, VK_RIGHT, 0);
    EXPECT_EQ(g.Editor.Puzzle.aFormation[2][0], ckNone);
    EXPECT_EQ(g.Editor.Puzzle.aFormation[0][1], ckGray);
    EXPECT_FALSE(g.Editor.bModified);
    EnableEditorControls(true);
    PickSquare(2, 2);
    EXPECT_NE(g.Editor.pSel, nullptr);
}

TEST_F(EditorTest, ResizeKeepsWithinTheLimitsAndNeverDropsACube)
{
    Open(1, 3);  // width 6 (the level's default), length 8, a Gray cube at column 0
    EDITOR& e = g.Editor;
    e.Puzzle.aFormation[2][5] = ckBlack;  // a cube in the last column
    LoadIntoEditor(1, 3, &e.Puzzle);

    Resize(-1, 0);
    EXPECT_EQ(e.Puzzle.lWidth, 6);
    EXPECT_FALSE(e.bModified);
    Resize(1, 0);
    EXPECT_EQ(e.Puzzle.lWidth, 7);
    EXPECT_TRUE(e.bModified);
    EXPECT_EQ(g.ActivePuzzle.lWidth, 7);
    ExpectCubesMatchFormation();
    Resize(-1, 0);  // the new last column is empty
    EXPECT_EQ(e.Puzzle.lWidth, 6);
    e.Puzzle.aFormation[2][5] = ckNone;
    for (int i = 0; i < 5; ++i)
        Resize(-1, 0);
    EXPECT_EQ(e.Puzzle.lWidth, 4);
    for (int i = 0; i < 10; ++i)
        Resize(1, 0);
    EXPECT_EQ(e.Puzzle.lWidth, 10);

    for (int i = 0; i < 10; ++i)
        Resize(0, 1);
    EXPECT_EQ(e.Puzzle.lLength, 15);
    EXPECT_EQ(g.ActivePuzzle.lLength, 15);
    for (int i = 0; i < 10; ++i)
        Resize(0, -1);
    EXPECT_EQ(e.Puzzle.lLength, 7);
    ExpectCubesMatchFormation();

    // The floor was made for the final size: its squares reach X = -5..5
    // and Z = 0..-7.
    VISUAL* floor = g.ActivePuzzle.pFloor;
    ASSERT_NE(floor, nullptr);
    D3DRMBOX box{};
    ASSERT_EQ(floor->pMesh->GetBox(&box), D3DRM_OK);
    EXPECT_FLOAT_EQ(box.min.x, -5);
    EXPECT_FLOAT_EQ(box.max.x, 5);
    EXPECT_FLOAT_EQ(box.min.z, -7);
}

TEST_F(EditorTest, TheSizeArrowsAndShiftArrowsResize)
{
    Open(1, 1);  // 5 by 9
    EXPECT_TRUE(EditorCommand(idEditorWider));
    EXPECT_EQ(g.Editor.Puzzle.lWidth, 6);
    EXPECT_TRUE(EditorCommand(idEditorNarrower));
    EXPECT_EQ(g.Editor.Puzzle.lWidth, 5);
    EXPECT_TRUE(EditorCommand(idEditorLonger));
    EXPECT_EQ(g.Editor.Puzzle.lLength, 10);
    EXPECT_TRUE(EditorCommand(idEditorShorter));
    EXPECT_EQ(g.Editor.Puzzle.lLength, 9);

    input_store::SetKeyDown(VK_SHIFT, true);
    aw->NotifyHooks(child, WM_KEYUP, VK_RIGHT, 0);
    aw->NotifyHooks(child, WM_KEYUP, VK_DOWN, 0);
    EXPECT_EQ(g.Editor.Puzzle.lWidth, 6);
    EXPECT_EQ(g.Editor.Puzzle.lLength, 10);
    aw->NotifyHooks(child, WM_KEYUP, VK_UP, 0);
    aw->NotifyHooks(child, WM_KEYUP, VK_LEFT, 0);
    EXPECT_EQ(g.Editor.Puzzle.lWidth, 5);
    EXPECT_EQ(g.Editor.Puzzle.lLength, 9);
    // Key presses do nothing; only releases count.
    aw->NotifyHooks(child, WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(g.Editor.Puzzle.lWidth, 5);
    EXPECT_EQ(g.Editor.Puzzle.aFormation[0][1], ckGray);
}

TEST_F(EditorTest, ShiftMovesTheFormationOnlyWhereNothingFallsOff)
{
    Open(1, 1);  // 5 wide, Gray at columns 1 and 3 of row 0
    EDITOR& e = g.Editor;
    Shift(0, -1);  // row 0 holds cubes
    EXPECT_EQ(e.Puzzle.aFormation[0][1], ckGray);
    EXPECT_FALSE(e.bModified);

    aw->NotifyHooks(child, WM_KEYUP, VK_LEFT, 0);
    EXPECT_EQ(e.Puzzle.aFormation[0][0], ckGray);
    EXPECT_EQ(e.Puzzle.aFormation[0][2], ckGray);
    EXPECT_EQ(e.Puzzle.aFormation[0][3], ckNone);
    EXPECT_TRUE(e.bModified);
    ExpectCubesMatchFormation();
    Shift(-1, 0);  // column 0 holds a cube now
    EXPECT_EQ(e.Puzzle.aFormation[0][0], ckGray);

    aw->NotifyHooks(child, WM_KEYUP, VK_RIGHT, 0);
    aw->NotifyHooks(child, WM_KEYUP, VK_RIGHT, 0);
    EXPECT_EQ(e.Puzzle.aFormation[0][2], ckGray);
    EXPECT_EQ(e.Puzzle.aFormation[0][4], ckGray);
    Shift(1, 0);  // the last column holds a cube
    EXPECT_EQ(e.Puzzle.aFormation[0][4], ckGray);

    for (int i = 0; i < 7; ++i)
        aw->NotifyHooks(child, WM_KEYUP, VK_DOWN, 0);
    EXPECT_EQ(e.Puzzle.aFormation[5][2], ckGray);
    EXPECT_EQ(e.Puzzle.aFormation[5][4], ckGray);
    EXPECT_EQ(e.Puzzle.aFormation[0][2], ckNone);
    ExpectCubesMatchFormation();
    aw->NotifyHooks(child, WM_KEYUP, VK_UP, 0);
    EXPECT_EQ(e.Puzzle.aFormation[4][2], ckGray);
    EXPECT_EQ(e.Puzzle.aFormation[5][2], ckNone);
    EXPECT_EQ(CubesShown(), 2);
}

TEST_F(EditorTest, SpeedAndMinesStayWithinTheirRanges)
{
    Open(1, 1);
    static LONG s_value;
    EditorPanelOps().pfnGetValue = [](LONG) { return s_value; };
    s_value = 250;
    EXPECT_TRUE(EditorCommand(idEditorSpeed));
    EXPECT_EQ(g.Editor.Puzzle.lSpeed, 100);
    EXPECT_TRUE(g.Editor.bModified);
    s_value = 0;
    EXPECT_TRUE(EditorCommand(idEditorMines));
    EXPECT_EQ(g.Editor.Puzzle.lMines, 1);
    SetEditorMines(21);
    EXPECT_EQ(g.Editor.Puzzle.lMines, 20);
    SetEditorSpeed(-101);
    EXPECT_EQ(g.Editor.Puzzle.lSpeed, -100);

    // The same value again is no change.
    g.Editor.bModified = FALSE;
    SetEditorSpeed(-100);
    EXPECT_FALSE(g.Editor.bModified);
    EXPECT_FALSE(EditorCommand(4711));
}

TEST_F(EditorTest, AMissingFrameIsReportedAndSkipped)
{
    Open(1, 1);
    EDITORCUBE& c = g.Editor.aCubes[0][1];
    IDirect3DRMFrame2* frame = c.pFrame;
    c.pFrame = nullptr;
    LoadIntoEditor(1, 2, nullptr);
    ASSERT_EQ(failedChecks().size(), 1u);
    EXPECT_EQ(failedChecks()[0], "!!g.Editor.aCubes[zz][xx].pFrame");
    ReleaseFrame(&frame);

    PickSquare(1, 1);
    ASSERT_NE(g.Editor.pFrameSel, nullptr);
    IDirect3DRMFrame2* sel = g.Editor.pFrameSel;
    g.Editor.pFrameSel = nullptr;
    RemoveCursor();
    ASSERT_EQ(failedChecks().size(), 2u);
    EXPECT_EQ(failedChecks()[1], "!!l.pFrameSel");
    ReleaseFrame(&sel);
    failedChecks().clear();
}

}  // namespace
