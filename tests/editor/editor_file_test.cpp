// The editor's commands around the level file: new puzzles and their
// numbers, the save question, saving and reading back, the other form, the
// load dialog and testing a puzzle.
#include "editor_support.h"

#include <filesystem>

using namespace edtest;

namespace {

// Replaces the level list by the levels of a text.
void UseLevels(const char* text)
{
    ReleaseLevelList(&g.Levels);
    if (text) {
        ASSERT_TRUE(ParseLevelText(text, &g.Levels));
    }
}

std::string LevelWithPuzzles(int n, const char* settings = "")
{
    std::string s = std::string("Level { ") + settings + "\n";
    for (int i = 0; i < n; ++i)
        s += "  Puzzle { Mines = " + std::to_string(i + 1) + " Cubes { n } }\n";
    return s + "}\n";
}

TEST(EditorNumbering, NewPuzzlesGoAfterTheLastOrIntoANewLevel)
{
    g = GAME{};
    LONG level = 0, puzzle = 0;
    NextFreePuzzle(&level, &puzzle);
    EXPECT_EQ(level, 1);
    EXPECT_EQ(puzzle, 1);

    UseLevels(LevelWithPuzzles(9).c_str());
    NextFreePuzzle(&level, &puzzle);
    EXPECT_EQ(level, 1);
    EXPECT_EQ(puzzle, 10);
    UseLevels(LevelWithPuzzles(10).c_str());
    NextFreePuzzle(&level, &puzzle);
    EXPECT_EQ(level, 2);
    EXPECT_EQ(puzzle, 1);

    // Several levels: the last level fills up to the size of the one before.
    UseLevels((LevelWithPuzzles(4) + LevelWithPuzzles(2)).c_str());
    NextFreePuzzle(&level, &puzzle);
    EXPECT_EQ(level, 2);
    EXPECT_EQ(puzzle, 3);
    UseLevels((LevelWithPuzzles(4) + LevelWithPuzzles(4)).c_str());
    NextFreePuzzle(&level, &puzzle);
    EXPECT_EQ(level, 3);
    EXPECT_EQ(puzzle, 1);
    // Only a single level is capped at ten.
    UseLevels((LevelWithPuzzles(12) + LevelWithPuzzles(11)).c_str());
    NextFreePuzzle(&level, &puzzle);
    EXPECT_EQ(level, 2);
    EXPECT_EQ(puzzle, 12);
    UseLevels(nullptr);
}

TEST(EditorNumbering, ANewPuzzleTakesTheValuesOfThePuzzleBeforeIt)
{
    g = GAME{};
    UseLevels(kLevels);
    PUZZLE p = NewPuzzleValues(1, 1);
    EXPECT_EQ(p.lWidth, 6);
    EXPECT_EQ(p.lLength, 8);
    EXPECT_EQ(p.lSpeed, 0);
    EXPECT_EQ(p.lMines, 4);
    // Level 3 puzzle 1 follows the last puzzle of level 2.
    p = NewPuzzleValues(3, 1);
    EXPECT_EQ(p.lWidth, 9);
    EXPECT_EQ(p.lLength, 14);
    EXPECT_EQ(p.lSpeed, -60);
    EXPECT_EQ(p.lMines, 7);
    for (const auto& row : p.aFormation)
        for (LONG kind : row)
            EXPECT_EQ(kind, ckNone);
    // Puzzle 4 of level 1 follows puzzle 3.
    p = NewPuzzleValues(1, 4);
    EXPECT_EQ(p.lWidth, 6);
    EXPECT_EQ(p.lMines, 1);
    p = NewPuzzleValues(2, 2);
    EXPECT_EQ(p.lWidth, 8);
    EXPECT_EQ(p.lLength, 12);
    EXPECT_EQ(p.lSpeed, 40);
    EXPECT_EQ(p.lMines, 5);
    UseLevels(nullptr);
}

TEST_F(EditorTest, NewPuzzleAfterTenPuzzlesOfASingleLevelOpensLevel2)
{
    UseLevels(LevelWithPuzzles(10, "Width = 4 Length = 10 Speed = 30").c_str());
    Open(1, 4);
    NewPuzzle();
    EXPECT_EQ(g.Editor.lLevel, 2);
    EXPECT_EQ(g.Editor.lPuzzle, 1);
    EXPECT_EQ(g.Editor.Puzzle.lWidth, 4);
    EXPECT_EQ(g.Editor.Puzzle.lLength, 10);
    EXPECT_EQ(g.Editor.Puzzle.lSpeed, 30);
    EXPECT_EQ(g.Editor.Puzzle.lMines, 10);
    EXPECT_EQ(CubesShown(), 0);
    EXPECT_EQ(g.lLevel, 2);
    EXPECT_EQ(g.lPuzzle, 1);
    EXPECT_TRUE(record.asked.empty());  // nothing was changed
}

TEST_F(EditorTest, ANewPuzzle1OfLevel3FollowsTheLastPuzzleOfLevel2)
{
    UseLevels("Level { Puzzle { Mines = 1 Cubes { n } } Puzzle { Mines = 2 Cubes { n } } }\n"
              "Level { Width = 8 Puzzle { Mines = 5 Cubes { n } }\n"
              "  Puzzle { Width = 9 Length = 14 Speed = -60 Mines = 7 Cubes { n } } }\n");
    Open(2, 1);
    NewPuzzle();  // two levels, the last as full as the one before: a new level
    EXPECT_EQ(g.Editor.lLevel, 3);
    EXPECT_EQ(g.Editor.lPuzzle, 1);
    EXPECT_EQ(g.Editor.Puzzle.lWidth, 9);
    EXPECT_EQ(g.Editor.Puzzle.lLength, 14);
    EXPECT_EQ(g.Editor.Puzzle.lSpeed, -60);
    EXPECT_EQ(g.Editor.Puzzle.lMines, 7);
    EXPECT_EQ(g.ActivePuzzle.lWidth, 9);
    EXPECT_EQ(g.ActivePuzzle.lLength, 14);
}

TEST_F(EditorTest, AnsweringYesSavesBeforeTheNewPuzzleNoDiscards)
{
    const std::string before = FileText();
    Open(1, 1);
    PickSquare(4, 2);
    ClickCell(true);
    ASSERT_TRUE(g.Editor.bModified);

    record.fAnswer = false;
    NewPuzzle();
    ASSERT_EQ(record.asked.size(), 1u);
    EXPECT_EQ(record.asked[0], idsEditorSaveQuestion);
    EXPECT_EQ(FileText(), before);
    EXPECT_EQ(g.Levels.pLevels[0].pPuzzles[0].aFormation[2][4], ckNone);
    EXPECT_FALSE(g.Editor.bModified);
    EXPECT_EQ(g.Editor.lLevel, 2);
    EXPECT_EQ(g.Editor.lPuzzle, 3);
    // Reopening the first puzzle shows it as it was.
    LoadIntoEditor(1, 1, nullptr);
    EXPECT_EQ(g.Editor.Puzzle.aFormation[2][4], ckNone);

    PickSquare(4, 2);
    ClickCell(true);
    record.fAnswer = true;
    NewPuzzle();
    ASSERT_EQ(record.asked.size(), 2u);
    // The file was written before the new puzzle was opened, and the new
    // numbers already count the level file as it now is.
    EXPECT_EQ(record.fileAtQuestion[1], before);
    EXPECT_NE(FileText(), before);
    EXPECT_EQ(record.messages, std::vector<LONG>{idsEditorSaved});
    EXPECT_EQ(g.Editor.lLevel, 2);
    EXPECT_EQ(g.Editor.lPuzzle, 3);
    ASSERT_TRUE(ReadLevelFile());
    EXPECT_EQ(g.Levels.pLevels[0].pPuzzles[0].aFormation[2][4], ckGray);
}

TEST_F(EditorTest, SavedPuzzlesReadBackFromTheLevelFile)
{
    Open(1, 2);
    SetEditorSpeed(-35);
    SetEditorMines(9);
    Resize(0, 1);
    SelectCubeKind(ckBlue);
    PickSquare(0, 5);
    ClickCell(true);
    const PUZZLE edited = g.Editor.Puzzle;
    ASSERT_TRUE(SavePuzzle());
    EXPECT_FALSE(g.Editor.bModified);
    EXPECT_EQ(record.messages, std::vector<LONG>{idsEditorSaved});

    // A new puzzle: level 2 fills up to the size of level 1.
    NewPuzzle();
    ASSERT_EQ(g.Editor.lLevel, 2);
    ASSERT_EQ(g.Editor.lPuzzle, 3);
    PickSquare(1, 0);
    ClickCell(true);
    ASSERT_TRUE(SavePuzzle());

    ASSERT_TRUE(ReadLevelFile());
    EXPECT_FALSE(g.Levels.fScrambled);
    ASSERT_EQ(g.Levels.cLevels, 2);
    EXPECT_EQ(g.Levels.pLevels[0].cPuzzles, 3);
    EXPECT_EQ(std::memcmp(&g.Levels.pLevels[0].pPuzzles[1], &edited, sizeof edited), 0);
    ASSERT_EQ(g.Levels.pLevels[1].cPuzzles, 3);
    const PUZZLE& fresh = g.Levels.pLevels[1].pPuzzles[2];
    EXPECT_EQ(fresh.lWidth, 9);
    EXPECT_EQ(fresh.lMines, 7);
    EXPECT_EQ(fresh.aFormation[0][1], ckBlue);  // the cube button stays chosen
    // The other puzzles are as they were.
    EXPECT_EQ(g.Levels.pLevels[1].pPuzzles[0].aFormation[0][7], ckRed);
}

TEST_F(EditorTest, SavingKeepsTheScrambledFormAndEncryptionSwitchesIt)
{
    Open(1, 1);
    EncryptionCommand();
    EXPECT_EQ(record.messages.back(), static_cast<LONG>(idsLevelFileNowScrambled));
    EXPECT_GE(static_cast<unsigned char>(FileText()[0]), 0x80);

    PickSquare(0, 1);
    ClickCell(true);
    ASSERT_TRUE(SavePuzzle());
    EXPECT_GE(static_cast<unsigned char>(FileText()[0]), 0x80);
    ASSERT_TRUE(ReadLevelFile());
    EXPECT_TRUE(g.Levels.fScrambled);
    EXPECT_EQ(g.Levels.pLevels[0].pPuzzles[0].aFormation[1][0], ckGray);

    EncryptionCommand();
    EXPECT_EQ(record.messages.back(), static_cast<LONG>(idsLevelFileNowPlain));
    EXPECT_EQ(FileText().substr(0, 7), "Level {");
}

TEST_F(EditorTest, AFailedSaveKeepsThePuzzleInTheListAndTheChangesMarked)
{
    Open(1, 1);
    PickSquare(2, 2);
    ClickCell(true);
    // A folder where the file should be: the new file cannot take its place.
    std::filesystem::remove(levelFile);
    std::filesystem::create_directory(levelFile);
    EXPECT_FALSE(SavePuzzle());
    EXPECT_EQ(record.messages, std::vector<LONG>{idsEditorNotSaved});
    EXPECT_TRUE(g.Editor.bModified);
    EXPECT_EQ(g.Levels.pLevels[0].pPuzzles[0].aFormation[2][2], ckGray);
}

TEST_F(EditorTest, APuzzleWithNothingToDestroyIsNotWritten)
{
    const std::string before = FileText();
    Open(1, 3);  // a single Gray cube
    PickSquare(0, 0);
    SelectCubeKind(ckBlack);
    ClickCell(true);
    EXPECT_FALSE(SavePuzzle());
    EXPECT_EQ(record.messages, std::vector<LONG>{idsEditorNoDestructible});
    EXPECT_EQ(FileText(), before);
    EXPECT_TRUE(g.Editor.bModified);
    EXPECT_EQ(g.Levels.pLevels[0].pPuzzles[2].aFormation[0][0], ckGray);
}

// Play of a puzzle with nothing to destroy would stand still for ever: the
// test is refused with the message that saving gives.
TEST_F(EditorTest, APuzzleWithNothingToDestroyIsNotTested)
{
    Open(1, 1);
    EXPECT_TRUE(EditorMenuCommand(cmdEditorNew));
    EXPECT_TRUE(EditorMenuCommand(cmdEditorTest));
    EXPECT_EQ(record.messages, std::vector<LONG>{idsEditorNoDestructible});
    EXPECT_EQ(g.lGameState, gsEditor);
    EXPECT_TRUE(fEditorOpen());
    EXPECT_FALSE(g.ActivePuzzle.bTesting);
}

TEST_F(EditorTest, APuzzleNumberedBeyondTheListIsSavedRightAfterIt)
{
    // A tested puzzle comes back under numbers of its own.
    PUZZLE p = NewPuzzleValues(1, 1);
    p.aFormation[0][0] = ckGreen;
    g.lLevel = 6;
    g.lPuzzle = 4;
    OpenEditor(&p);
    ASSERT_TRUE(SavePuzzle());
    EXPECT_EQ(g.Editor.lLevel, 3);
    EXPECT_EQ(g.Editor.lPuzzle, 1);
    EXPECT_EQ(g.lLevel, 3);
    ASSERT_TRUE(ReadLevelFile());
    ASSERT_EQ(g.Levels.cLevels, 3);
    EXPECT_EQ(g.Levels.pLevels[2].pPuzzles[0].aFormation[0][0], ckGreen);

    g.lLevel = 1;
    g.lPuzzle = 9;
    g.Editor.lLevel = 1;
    g.Editor.lPuzzle = 9;
    ASSERT_TRUE(SavePuzzle());
    EXPECT_EQ(g.Editor.lPuzzle, 4);
    ASSERT_TRUE(ReadLevelFile());
    EXPECT_EQ(g.Levels.pLevels[0].cPuzzles, 4);
}

TEST_F(EditorTest, TheLoadDialogChoosesAndLoadsOrCancels)
{
    static LOADDIALOGVIEW s_view;
    static int s_shown, s_removed;
    s_shown = s_removed = 0;
    EditorPanelOps().pfnShowLoadDialog = [](ANIMWINDOW*, const LOADDIALOGVIEW& v) {
        s_view = v;
        ++s_shown;
    };
    EditorPanelOps().pfnRemoveLoadDialog = [] { ++s_removed; };

    Open(1, 2);
    LoadPuzzleDialog();
    EXPECT_TRUE(g.Editor.fLoadDialog);
    EXPECT_EQ(record.menusRemoved, 1);
    EXPECT_EQ(CubesShown(), 0);
    EXPECT_EQ(g.ActivePuzzle.pFloor, nullptr);
    // The puzzle after the current one is chosen first.
    EXPECT_EQ(s_view.lLevel, 1);
    EXPECT_EQ(s_view.lPuzzle, 3);
    EXPECT_EQ(s_view.cLevels, 2);
    EXPECT_EQ(s_view.cPuzzles, 3);

    // Keys and clicks do nothing to the hidden puzzle.
    aw->NotifyHooks(child, WM_KEYUP, VK_LEFT, 0);
    Resize(1, 0);
    EXPECT_EQ(g.Editor.Puzzle.lWidth, 7);
    EXPECT_EQ(CubesShown(), 0);

    // Level 2 has two puzzles: the chosen third becomes its last.
    EXPECT_TRUE(EditorCommand(idLoadLevelFirst + 1));
    EXPECT_EQ(s_view.lLevel, 2);
    EXPECT_EQ(s_view.lPuzzle, 2);
    EXPECT_EQ(s_view.cPuzzles, 2);
    EditorCommand(idLoadPuzzleFirst + 2);  // no third puzzle in level 2
    EXPECT_EQ(g.Editor.lLoadPuzzle, 2);
    EditorCommand(idLoadPuzzleFirst);
    EXPECT_EQ(g.Editor.lLoadPuzzle, 1);

    // Cancel shows the puzzle being edited again.
    EXPECT_TRUE(EditorCommand(idLoadCancel));
    EXPECT_FALSE(g.Editor.fLoadDialog);
    EXPECT_EQ(s_removed, 1);
    EXPECT_EQ(record.menusShown, 1);
    EXPECT_EQ(g.Editor.lLevel, 1);
    EXPECT_EQ(g.Editor.lPuzzle, 2);
    EXPECT_EQ(CubesShown(), 2);
    EXPECT_NE(g.ActivePuzzle.pFloor, nullptr);

    // Load opens the choice.
    LoadPuzzleDialog();
    EditorCommand(idLoadLevelFirst + 1);
    EditorCommand(idLoadPuzzleFirst + 1);
    EXPECT_TRUE(EditorCommand(idLoadPuzzle));
    EXPECT_FALSE(g.Editor.fLoadDialog);
    EXPECT_EQ(record.menusShown, 2);
    EXPECT_EQ(g.Editor.lLevel, 2);
    EXPECT_EQ(g.Editor.lPuzzle, 2);
    EXPECT_EQ(g.Editor.Puzzle.lWidth, 9);
    ExpectCubesMatchFormation();

    // After the last puzzle of a level the next level's first is chosen;
    // after the very last, the current one.
    LoadPuzzleDialog();
    EXPECT_EQ(s_view.lLevel, 2);
    EXPECT_EQ(s_view.lPuzzle, 2);
    LoadDialogCancel();
    LoadIntoEditor(1, 3, nullptr);
    LoadPuzzleDialog();
    EXPECT_EQ(s_view.lLevel, 2);
    EXPECT_EQ(s_view.lPuzzle, 1);
    LoadDialogCancel();
}

TEST_F(EditorTest, TestingClosesTheEditorAndPlaysThePuzzleUnderItsNumbers)
{
    Open(1, 1);
    PickSquare(2, 1);
    ClickCell(true);
    TestPuzzle();
    EXPECT_TRUE(record.asked.empty());
    EXPECT_FALSE(fEditorOpen());
    EXPECT_EQ(CubesShown(), 0);
    EXPECT_EQ(g.Editor.pSel, nullptr);
    EXPECT_TRUE(g.Editor.bModified);  // kept for the return
    EXPECT_TRUE(g.ActivePuzzle.bTesting);
    EXPECT_EQ(g.lGameState, gsPuzzleStart);
    EXPECT_EQ(g.ActivePuzzle.Puzzle.aFormation[1][2], ckGray);
    EXPECT_EQ(g.lLevel, 1);
    EXPECT_EQ(g.lPuzzle, 1);
    // The camera is at the play camera's goal at once.
    EXPECT_FALSE(StepCamera());

    // Escape (a pause) during the test goes back to the editor.
    PauseGame();
    EXPECT_EQ(g.lGameState, gsEditor);
    EXPECT_TRUE(fEditorOpen());
    EXPECT_TRUE(g.Editor.bModified);
    EXPECT_EQ(g.Editor.Puzzle.aFormation[1][2], ckGray);
    EXPECT_EQ(record.menusShown, 1);

    // Quitting asks about the changes.
    record.fAnswer = false;
    QuitEditor();
    EXPECT_EQ(record.asked, std::vector<LONG>{idsEditorSaveQuestion});
    EXPECT_EQ(g.lGameState, gsMenu);
    EXPECT_FALSE(fEditorOpen());
    EXPECT_EQ(g.ActivePuzzle.pFloor, nullptr);
}

TEST_F(EditorTest, TheMenuCommandsReachTheEditor)
{
    Open(1, 1);
    EXPECT_FALSE(EditorMenuCommand(500));
    EXPECT_TRUE(EditorMenuCommand(cmdEditorNew));
    EXPECT_EQ(g.Editor.lPuzzle, 3);
    EXPECT_TRUE(EditorMenuCommand(cmdEditorSave));  // a new puzzle without cubes
    EXPECT_EQ(record.messages, std::vector<LONG>{idsEditorNoDestructible});
    EXPECT_TRUE(EditorMenuCommand(cmdEditorQuit));
    EXPECT_EQ(g.lGameState, gsMenu);
    EXPECT_FALSE(fEditorOpen());
}

TEST(EditorPanelLayout, EverythingFitsThePanelInEveryMode)
{
    const LONG modes[][2] = {{640, 480}, {800, 600}, {1024, 768}, {1152, 864}};
    for (const auto& m : modes) {
        const EDITORPANELLAYOUT l = EditorPanelLayout(m[0], m[1]);
        const RECT& panel = l.rcPanel;
        EXPECT_EQ(panel.right, m[0] - 5);
        EXPECT_EQ(panel.right - panel.left, std::max<LONG>(47, static_cast<LONG>(m[1] / 20.0 * 1.5)));
        EXPECT_EQ(panel.top, 0);
        EXPECT_EQ(panel.bottom, m[1]);
        const RECT parts[] = {l.rcCubesCaption, l.aRcCubes[0], l.aRcCubes[4], l.rcSpeedCaption, l.rcSpeed,
                              l.rcSpeedText, l.rcMinesCaption, l.rcMines, l.rcMinesText, l.rcSizeCaption,
                              l.rcLonger, l.rcWider, l.rcNarrower};
        LONG bottom = 0;
        for (const RECT& r : parts) {
            EXPECT_GE(r.left, panel.left);
            EXPECT_LE(r.right, panel.right);
            EXPECT_GE(r.top, bottom) << "parts overlap in " << m[0];
            bottom = r.bottom;
        }
        EXPECT_LE(bottom, m[1]);
        EXPECT_LE(l.rcShorter.right, panel.right);
        // Square cube buttons 5 pixels apart, 45 pixels below the caption.
        const LONG side = m[1] / 20 - 5;
        EXPECT_EQ(l.aRcCubes[0].top, l.rcCubesCaption.top + 45);
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(l.aRcCubes[i].right - l.aRcCubes[i].left, side);
            EXPECT_EQ(l.aRcCubes[i].bottom - l.aRcCubes[i].top, side);
            if (i > 0) {
                EXPECT_EQ(l.aRcCubes[i].top, l.aRcCubes[i - 1].bottom + 5);
            }
        }
        // Longer left and shorter right of the centre line, 36 high; wider
        // and narrower under them, 20 high, 5 apart.
        const LONG centre = (panel.left + panel.right) / 2;
        EXPECT_LE(l.rcLonger.right, centre);
        EXPECT_GE(l.rcShorter.left, centre);
        EXPECT_EQ(l.rcLonger.bottom - l.rcLonger.top, 36);
        EXPECT_EQ(l.rcShorter.top, l.rcLonger.top);
        EXPECT_EQ(l.rcWider.top, l.rcLonger.bottom + 5);
        EXPECT_EQ(l.rcNarrower.top, l.rcWider.bottom + 5);
        EXPECT_EQ(l.rcNarrower.bottom - l.rcNarrower.top, 20);
        EXPECT_EQ(l.lFontHeight, m[1] / 52);
    }
    char text[16];
    FormatSpeedText(-20, text, sizeof text);
    EXPECT_STREQ(text, "-20%");
    FormatMinesText(12, text, sizeof text);
    EXPECT_STREQ(text, "12");
    EXPECT_EQ(CubeButtonBitmap(1), 106);
    EXPECT_EQ(CubeButtonBitmap(5), 104);
    EXPECT_EQ(CubeButtonBitmap(6), 0);
    const LOADDIALOGLAYOUT d = LoadDialogLayout(800, 600);
    EXPECT_EQ(d.ptTitle.x, 200);
    EXPECT_EQ(d.ptTitle.y, 120);
    EXPECT_EQ(d.ptLoad.x, 400);
    EXPECT_EQ(d.ptLoad.y, 240);
    EXPECT_EQ(d.xLevels, 266);
    EXPECT_EQ(d.xPuzzles, 133 + 266);
    EXPECT_EQ(d.yFirst, 60 + 120);
    // Ten rows of 20 pixels would reach the Load button: it moves below them.
    EXPECT_EQ(LoadDialogLayout(800, 600, 2, 20).ptLoad.y, 240);
    EXPECT_EQ(LoadDialogLayout(800, 600, 10, 20).ptLoad.y, 180 + 10 * 25 - 5 + 15);
}

}  // namespace

TEST_F(EditorTest, TheLoadDialogPagesThroughMoreThanTenLevelsAndPuzzles)
{
    static LOADDIALOGVIEW s_view;
    EditorPanelOps().pfnShowLoadDialog = [](ANIMWINDOW*, const LOADDIALOGVIEW& v) { s_view = v; };
    EditorPanelOps().pfnRemoveLoadDialog = [] {};
    std::string text;
    for (int level = 1; level <= 11; ++level)
        text += LevelWithPuzzles(2);
    text += LevelWithPuzzles(13);
    UseLevels(text.c_str());

    Open(10, 2);
    LoadPuzzleDialog();
    // The puzzle after 10.2 is 11.1, on the second page of levels.
    EXPECT_EQ(s_view.lLevel, 11);
    EXPECT_EQ(s_view.lFirstLevel, 11);
    EXPECT_EQ(s_view.cLevels, 2);
    EXPECT_TRUE(s_view.fMoreLevels);
    EXPECT_FALSE(s_view.fMorePuzzles);

    // The buttons stand for the page's levels: the second is level 12,
    // whose thirteen puzzles come a page at a time.
    EditorCommand(idLoadLevelFirst + 1);
    EXPECT_EQ(g.Editor.lLoadLevel, 12);
    EXPECT_EQ(s_view.cPuzzles, 10);
    EXPECT_TRUE(s_view.fMorePuzzles);
    EditorCommand(idLoadLevelFirst + 2);  // no third level on this page
    EXPECT_EQ(g.Editor.lLoadLevel, 12);
    EditorCommand(idLoadMorePuzzles);
    EXPECT_EQ(g.Editor.lLoadPuzzle, 11);
    EXPECT_EQ(s_view.lFirstPuzzle, 11);
    EXPECT_EQ(s_view.cPuzzles, 3);
    EditorCommand(idLoadPuzzleFirst + 2);
    EXPECT_EQ(g.Editor.lLoadPuzzle, 13);
    EditorCommand(idLoadPuzzleFirst + 3);  // past the level's last puzzle
    EXPECT_EQ(g.Editor.lLoadPuzzle, 13);

    // More after the last page starts again at the first; a level with
    // fewer puzzles keeps the chosen one within it.
    EditorCommand(idLoadMorePuzzles);
    EXPECT_EQ(g.Editor.lLoadPuzzle, 1);
    EditorCommand(idLoadPuzzleFirst + 1);
    EditorCommand(idLoadMoreLevels);
    EXPECT_EQ(g.Editor.lLoadLevel, 1);
    EXPECT_EQ(s_view.lFirstLevel, 1);
    EXPECT_EQ(s_view.cLevels, 10);
    EXPECT_EQ(g.Editor.lLoadPuzzle, 2);
    EditorCommand(idLoadMoreLevels);
    EditorCommand(idLoadLevelFirst + 1);
    EditorCommand(idLoadMorePuzzles);
    EditorCommand(idLoadPuzzleFirst + 2);

    // Loading opens the puzzle of the pages shown.
    EditorCommand(idLoadPuzzle);
    EXPECT_FALSE(g.Editor.fLoadDialog);
    EXPECT_EQ(g.Editor.lLevel, 12);
    EXPECT_EQ(g.Editor.lPuzzle, 13);
    EXPECT_EQ(g.Editor.Puzzle.lMines, 13);
}
