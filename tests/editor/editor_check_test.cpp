// Check Puzzle and Show Solution through the editor's functions, with the
// message boxes recorded and the frame loop stepped by hand.
#include "editor_support.h"

#include "editor/editorcheck.h"
#include "game/frame.h"

namespace {

using edtest::EditorTest;

struct BOXES {
    std::vector<LONG> told;
    std::vector<std::vector<LONG>> asked;  // id, then the three numbers
    bool fAnswer = false;
    bool fCancel = false;  // the player closes the busy box at once
    int framesWhileBusy = 0;
    bool fEnded = false;
    std::vector<LONG> stateBeforeShow;  // the game state each time the menu was to go
};
BOXES* g_boxes = nullptr;

class Check : public EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        g_boxes = &boxes;
        CHECKSEAMS& c = CheckSeams();
        c.pfnBusyBox = [](LONG) {
            // The box's nested frame loop: the editor's frame service runs
            // one slice of the search per frame until the search ends it.
            g_boxes->fEnded = false;
            for (int i = 0; i < 20000 && !g_boxes->fEnded && !g_boxes->fCancel; ++i) {
                clock_control::Advance(25);
                EditorService(nullptr, svcawDrawFrame, 0, 0);
                ++g_boxes->framesWhileBusy;
            }
        };
        c.pfnEndBusyBox = [] { g_boxes->fEnded = true; };
        c.pfnTell = [](LONG id, LONG, LONG, LONG) { g_boxes->told.push_back(id); };
        c.pfnAsk = [](LONG id, LONG a, LONG b, LONG cc) {
            g_boxes->asked.push_back({id, a, b, cc});
            return g_boxes->fAnswer;
        };
        // The menu must be gone before the test game starts.
        c.pfnBeforeShow = [] { g_boxes->stateBeforeShow.push_back(g.lGameState); };
    }
    void TearDown() override
    {
        CheckSeams() = CHECKSEAMS{};
        EndSolutionShow();
        g_boxes = nullptr;
        EditorTest::TearDown();
    }
    BOXES boxes;
};

TEST_F(Check, ASolvablePuzzleIsReportedWithItsMinesAndSlackAndLeftUnchanged)
{
    OpenEditor(nullptr);
    LoadIntoEditor(2, 2, nullptr);  // one Gray cube, slow and far: long plays
    const PUZZLE before = g.Editor.Puzzle;
    ASSERT_TRUE(EditorMenuCommand(cmdEditorCheck));
    EXPECT_GT(boxes.framesWhileBusy, 1);  // the search ran in slices, a frame each
    EXPECT_TRUE(boxes.fEnded);
    ASSERT_EQ(boxes.asked.size(), 1u);
    EXPECT_EQ(boxes.asked[0][0], idsCheckSolved);
    ASSERT_NE(LastCheck(), nullptr);
    EXPECT_EQ(LastCheck()->lResult, srSolved);
    EXPECT_EQ(boxes.asked[0][1], 1);  // one mine of seven
    EXPECT_EQ(boxes.asked[0][2], 7);
    EXPECT_EQ(boxes.asked[0][3], LastCheck()->lSlack);
    EXPECT_EQ(std::memcmp(&before, &g.Editor.Puzzle, sizeof before), 0);
    EXPECT_FALSE(g.Editor.bModified);
    EXPECT_EQ(g.lGameState, gsEditor);
    EXPECT_TRUE(g.Editor.fOpen);
    EXPECT_FALSE(fShowingSolution());
}

TEST_F(Check, ShowSolutionPlaysTheScriptToAWinAndComesBack)
{
    OpenEditor(nullptr);
    const PUZZLE before = g.Editor.Puzzle;
    boxes.fAnswer = true;
    CheckPuzzle();
    ASSERT_TRUE(fShowingSolution());
    EXPECT_EQ(boxes.stateBeforeShow, std::vector<LONG>{gsEditor});
    EXPECT_NE(g.lGameState, gsEditor);
    EXPECT_TRUE(g.ActivePuzzle.bTesting);
    bool won = false;
    for (int i = 0; i < 6000 && g.lGameState != gsEditor; ++i) {
        clock_control::Advance(25);
        PlayFrameSteps();
        won = won || g.lGameState == gsPuzzleWon;
    }
    EXPECT_TRUE(won);
    EXPECT_EQ(g.lGameState, gsEditor);
    EXPECT_FALSE(fShowingSolution());
    EXPECT_EQ(FlowSeams().pfnScriptStep, nullptr);
    EXPECT_EQ(std::memcmp(&before, &g.Editor.Puzzle, sizeof before), 0);
    // A changed puzzle has no solution to show until it is checked again.
    SetEditorMines(1);
    EXPECT_FALSE(ShowSolution());
}

TEST_F(Check, UnsolvableAndCancelledChecksAreToldApart)
{
    OpenEditor(nullptr);
    SetEditorMines(1);  // two Gray cubes, one mine
    CheckPuzzle();
    ASSERT_EQ(boxes.told.size(), 1u);
    EXPECT_EQ(boxes.told[0], idsCheckUnsolvable);
    EXPECT_TRUE(boxes.asked.empty());

    boxes.told.clear();
    boxes.fCancel = true;
    SetEditorMines(3);
    CheckPuzzle();
    EXPECT_TRUE(boxes.told.empty());
    EXPECT_EQ(LastCheck(), nullptr);
    EXPECT_FALSE(fChecking());
    EXPECT_EQ(g.lGameState, gsEditor);
}

}  // namespace
