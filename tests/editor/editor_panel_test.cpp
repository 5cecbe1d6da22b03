// The panel the editor draws itself: what it shows over the scene, and
// presses on its cube buttons, value tracks and arrows, and on the load
// dialog's buttons. With VARNO_SHOTS set to a folder the frames are saved
// there as PPM pictures.
#include "editor_support.h"
#include "platform/ddraw/ddraw.h"

#include <cstdio>
#include <cstdlib>

using namespace edtest;

namespace {

class DrawnPanel : public EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        EditorPanelOps() = DrawnEditorPanelOps();
    }

    std::uint32_t Shown(LONG x, LONG y)
    {
        IDirectDrawSurface* primary = Display->GetSurface(1);
        POINT p{x, y};
        ::ClientToScreen(child, &p);
        return primary->Pixels()[static_cast<std::size_t>(p.y) * primary->Width() + p.x] & 0xFFFFFF;
    }
    static std::uint32_t Xrgb(COLORREF c)
    {
        return (static_cast<std::uint32_t>(GetRValue(c)) << 16) | (static_cast<std::uint32_t>(GetGValue(c)) << 8) |
               GetBValue(c);
    }

    void Shot(const char* name)
    {
        const char* folder = std::getenv("VARNO_SHOTS");
        if (!folder)
            return;
        IDirectDrawSurface* primary = Display->GetSurface(1);
        const std::string path = std::string(folder) + "/" + name + ".ppm";
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (!f)
            return;
        std::fprintf(f, "P6 %d %d 255\n", kWidth, kHeight);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const std::uint32_t c = Shown(x, y);
                const unsigned char rgb[3] = {static_cast<unsigned char>(c >> 16), static_cast<unsigned char>(c >> 8),
                                              static_cast<unsigned char>(c)};
                std::fwrite(rgb, 1, 3, f);
            }
        std::fclose(f);
        static_cast<void>(primary);
    }

    void Press(LONG x, LONG y) { aw->NotifyHooks(child, WM_LBUTTONDOWN, 0, MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y))); }
    static POINT Centre(const RECT& rc) { return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2}; }
};

TEST_F(DrawnPanel, ShowsThePanelAtTheRightEdgeAndTakesItsPresses)
{
    Open(1, 1);
    const EDITORPANELLAYOUT l = EditorPanelLayout(kWidth, kHeight);
    aw->RenderFrame();
    Shot("editor");
    EXPECT_EQ(Shown(l.rcPanel.left + 3, l.rcPanel.bottom - 5), Xrgb(GetSysColor(COLOR_BTNFACE)));
    EXPECT_EQ(Shown(l.rcPanel.left, 200), Xrgb(GetSysColor(COLOR_BTNSHADOW)));
    const POINT green = Centre(l.aRcCubes[ckGreen - 1]);
    EXPECT_EQ(Shown(green.x, green.y), Xrgb(RepresentativeColour(TextureForKind(ckGreen))));
    // Right of the panel the scene shows again.
    EXPECT_NE(Shown(l.rcPanel.right + 2, 200), Xrgb(GetSysColor(COLOR_BTNFACE)));

    // A cube button chooses the kind; pressing never places a cube through
    // the panel.
    Press(green.x, green.y);
    EXPECT_EQ(g.Editor.lKind, ckGreen);
    EXPECT_FALSE(g.Editor.bModified);
    // The value tracks set the values by position.
    Press(l.rcSpeed.right - 1, Centre(l.rcSpeed).y);
    EXPECT_EQ(g.Editor.Puzzle.lSpeed, 100);
    Press(l.rcMines.left + 3, Centre(l.rcMines).y);
    EXPECT_EQ(g.Editor.Puzzle.lMines, 1);
    // The arrows resize.
    const POINT longer = Centre(l.rcLonger), narrower = Centre(l.rcNarrower);
    Press(longer.x, longer.y);
    EXPECT_EQ(g.Editor.Puzzle.lLength, 10);
    Press(narrower.x, narrower.y);
    EXPECT_EQ(g.Editor.Puzzle.lWidth, 4);
    // An arrow shows its bitmap: white is left out, the arrow itself is drawn.
    aw->RenderFrame();
    Shot("editor-changed");
    int face = 0, other = 0;
    for (LONG y = l.rcLonger.top; y < l.rcLonger.bottom; ++y)
        for (LONG x = l.rcLonger.left; x < l.rcLonger.right; ++x)
            (Shown(x, y) == Xrgb(GetSysColor(COLOR_BTNFACE)) ? face : other) += 1;
    EXPECT_GT(face, 0);
    EXPECT_GT(other, 0);
    EXPECT_EQ(Shown(l.rcPanel.left + 3, 3), Xrgb(GetSysColor(COLOR_BTNFACE)));

    // Under a message box nothing on the panel answers.
    EnableEditorControls(false);
    const POINT blue = Centre(l.aRcCubes[ckBlue - 1]);
    Press(blue.x, blue.y);
    EXPECT_EQ(g.Editor.lKind, ckGreen);
    EnableEditorControls(true);
    Press(blue.x, blue.y);
    EXPECT_EQ(g.Editor.lKind, ckBlue);
}

TEST_F(DrawnPanel, TheLoadDialogsButtonsChooseAndLoad)
{
    Open(1, 1);
    LoadPuzzleDialog();
    aw->RenderFrame();
    Shot("editor-load");
    const LONG h = std::max<LONG>(12, kHeight / 52 + 8);
    const LOADDIALOGLAYOUT d = LoadDialogLayout(kWidth, kHeight, 2, h);  // as level 2 shows it
    // The second level button, then the first puzzle button of that level.
    Press(d.xLevels + 5, d.yFirst + h + d.lGap + h / 2);
    EXPECT_EQ(g.Editor.lLoadLevel, 2);
    Press(d.xPuzzles + 5, d.yFirst + h / 2);
    EXPECT_EQ(g.Editor.lLoadPuzzle, 1);
    Press(d.ptLoad.x + 5, d.ptLoad.y + h / 2);
    EXPECT_FALSE(g.Editor.fLoadDialog);
    EXPECT_EQ(g.Editor.lLevel, 2);
    EXPECT_EQ(g.Editor.lPuzzle, 1);
    EXPECT_EQ(CubesShown(), 2);
}

}  // namespace
