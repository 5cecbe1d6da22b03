// The editor's view fits every field size between the editor menu and the
// panel, in two modes; the save question can be cancelled; the status bars
// go with the editor.
#include "editor_support.h"

#include "screens/menus.h"
#include "screens/status.h"

using namespace edtest;

namespace {

// The editor with its real menu and status bars in a window of a given size.
class EditorView : public EditorTest, public ::testing::WithParamInterface<POINT> {
protected:
    EditorView()
    {
        m_width = GetParam().x;
        m_height = GetParam().y;
    }
    void SetUp() override
    {
        EditorTest::SetUp();
        SetMenuWindow(aw);
        InitStatusDisplay(aw);
        EditorSeams().pfnMenuRect = [](RECT* prc) { return MenuEntriesRect(prc); };
        EditorSeams().pfnTopBarHeight = &StatusBarHeight;
        EditorSeams().pfnRefreshStatus = &RefreshStatus;
    }
    void TearDown() override
    {
        ReleaseMenus();
        SetMenuWindow(nullptr);
        RemoveStatusBars();
        InitStatusDisplay(nullptr);
        EditorTest::TearDown();
    }
    static bool Inside(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }
};

TEST_P(EditorView, EverySquareOfEverySizeIsSeenInTheFreeAreaAndTakesACube)
{
    Open(1, 1);
    g.lGameState = gsEditor;
    ShowEditorMenu();
    RECT menu{};
    ASSERT_TRUE(MenuEntriesRect(&menu));
    ASSERT_GT(StatusBarHeight(), 0);
    const RECT free = EditorFreeArea(m_width, m_height);
    const RECT panel = EditorPanelLayout(m_width, m_height).rcPanel;
    ASSERT_GT(free.left, menu.right);
    ASSERT_LT(free.right, panel.left);
    ASSERT_GE(free.top, StatusBarHeight());
    int fitted = 0;
    for (LONG w = kMinWidth; w <= kMaxWidth; ++w)
        for (LONG len = kMinLength; len <= kMaxLength; ++len) {
            PUZZLE p = NewPuzzleValues(1, 1);
            p.lWidth = w;
            p.lLength = len;
            LoadIntoEditor(1, 1, &p);
            for (LONG z = 0; z < len; ++z)
                for (LONG x = 0; x < w; ++x) {
                    const POINT at = SquarePixel(x, z);
                    ASSERT_TRUE(Inside(free, at)) << w << "x" << len << " square " << x << "," << z << " at " << at.x
                                                  << "," << at.y;
                    ASSERT_FALSE(Inside(menu, at));
                    if (z < kFormationRows) {
                        ASSERT_TRUE(Inside(free, CubeTopPixel(x, z))) << w << "x" << len;
                    }
                }
            // Clicking a square of the formation puts a cube exactly there.
            for (LONG z = 0; z < kFormationRows; ++z)
                for (LONG x = 0; x < w; ++x) {
                    PickSquare(x, z);
                    ASSERT_NE(g.Editor.pSel, nullptr) << w << "x" << len << " square " << x << "," << z;
                    ASSERT_EQ(g.Editor.lSelX, x);
                    ASSERT_EQ(g.Editor.lSelZ, z);
                    ClickCell(true);
                    ASSERT_EQ(g.Editor.Puzzle.aFormation[z][x], ckGray);
                }
            ++fitted;
        }
    EXPECT_EQ(fitted, 7 * 9);
}

TEST_P(EditorView, TheViewFollowsAResize)
{
    Open(1, 1);
    g.lGameState = gsEditor;
    ShowEditorMenu();
    PUZZLE p = NewPuzzleValues(1, 1);
    p.lWidth = 9;
    p.lLength = 14;
    LoadIntoEditor(1, 1, &p);
    Resize(1, 1);
    ASSERT_EQ(g.Editor.Puzzle.lWidth, 10);
    ASSERT_EQ(g.Editor.Puzzle.lLength, 15);
    const RECT free = EditorFreeArea(m_width, m_height);
    for (POINT corner : {SquarePixel(0, 14), SquarePixel(9, 14), SquarePixel(0, 0), SquarePixel(9, 0)})
        EXPECT_TRUE(Inside(free, corner)) << corner.x << "," << corner.y;
}

TEST_P(EditorView, TheStatusBarsGoWhenTheEditorCloses)
{
    Open(1, 2);
    g.lGameState = gsEditor;
    RefreshStatus();
    EXPECT_GT(StatusBarHeight(), 0);
    STATUSTEXTS t{};
    GetStatusTexts(&t);
    EXPECT_STREQ(t.szLevel, "Edit Level 1, Puzzle 2");
    EXPECT_TRUE(QuitEditor());
    EXPECT_EQ(g.lGameState, gsMenu);
    EXPECT_EQ(StatusBarHeight(), 0);
}

INSTANTIATE_TEST_SUITE_P(Modes, EditorView, ::testing::Values(POINT{640, 480}, POINT{1024, 768}),
                         [](const auto& info) {
                             return std::to_string(info.param.x) + "x" + std::to_string(info.param.y);
                         });

// The save question before New, Load and Quit offers Cancel, which leaves
// the editor, the puzzle and the level file as they were.
int g_answer = edAnswerCancel;
int g_asked = 0;
int AskThreeWays(LONG)
{
    ++g_asked;
    return g_answer;
}

TEST_F(EditorTest, CancelOnTheSaveQuestionLeavesEverythingAsItWas)
{
    EditorSeams().pfnAskYesNoCancel = &AskThreeWays;
    g_asked = 0;
    g_answer = edAnswerCancel;
    Open(1, 2);
    SetCursorCell(0, 0);
    ClickCell(true);
    ASSERT_TRUE(g.Editor.bModified);
    const PUZZLE edited = g.Editor.Puzzle;
    const std::string file = FileText();

    NewPuzzle();
    LoadPuzzleDialog();
    EXPECT_FALSE(QuitEditor());
    EXPECT_EQ(g_asked, 3);
    EXPECT_TRUE(fEditorOpen());
    EXPECT_FALSE(g.Editor.fLoadDialog);
    EXPECT_EQ(record.menusRemoved, 0);
    EXPECT_EQ(g.Editor.lLevel, 1);
    EXPECT_EQ(g.Editor.lPuzzle, 2);
    EXPECT_TRUE(g.Editor.bModified);
    EXPECT_EQ(std::memcmp(&g.Editor.Puzzle, &edited, sizeof edited), 0);
    EXPECT_EQ(FileText(), file);
    ExpectCubesMatchFormation();

    // No drops the changes and goes on; Yes saves first.
    g_answer = edAnswerNo;
    NewPuzzle();
    EXPECT_EQ(g.Editor.lLevel, 2);
    EXPECT_EQ(g.Editor.lPuzzle, 3);
    EXPECT_EQ(FileText(), file);
    g.Editor.Puzzle.aFormation[0][0] = ckGray;
    g.Editor.bModified = TRUE;
    g_answer = edAnswerYes;
    EXPECT_TRUE(QuitEditor());
    EXPECT_FALSE(fEditorOpen());
    EXPECT_NE(FileText(), file);
}

} // namespace
