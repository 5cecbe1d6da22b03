// The editor's panel and load dialog made of on-screen controls, driven by
// the animation window's own mouse messages: the controls where the layout
// puts them, what the panel shows over the scene, the radio group of cube
// kinds, a dragged value control, the size arrows, the load dialog's
// columns, and the controls at rest under a real message box.
#include "editor_support.h"

#include "anim/graphic.h"
#include "platform/ddraw/ddraw.h"
#include "screens/ac_button.h"
#include "screens/ac_control.h"
#include "screens/editorhooks.h"
#include "screens/menus.h"
#include "screens/screenbox.h"
#include "support/format.h"
#include "support/textres.h"

#include <functional>

using namespace edtest;

namespace {

std::function<void()> g_onIdle;

// A frame chain with the message box in it, pumping one message per idle
// call as the game's does.
int BoxChain(ANIMWINDOW* w, svcAnimWindow code, unsigned wParam, long lParam)
{
    MessageBoxService(w, code, wParam, lParam);
    if (code == svcawIdle) {
        if (g_onIdle)
            g_onIdle();
        MSG msg;
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return 1;
}

class ControlPanel : public EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        EditorPanelOps() = ControlEditorPanelOps();
        aw->SetTargetFrameRate(0);
        layout = EditorPanelLayout(kWidth, kHeight);
        baseObjects = Objects();
    }
    void TearDown() override
    {
        g_onIdle = nullptr;
        EditorTest::TearDown();
    }

    int Objects()
    {
        int n = 0;
        for (ANIMOBJECT* o = aw->FindObject(nullptr); o; o = aw->FindObject(o))
            ++n;
        return n;
    }
    // The control of the window with an identifier, null when there is none
    // (or more than one).
    AC_CONTROL* Control(LONG id)
    {
        AC_CONTROL* found = nullptr;
        for (ANIMOBJECT* o = aw->FindObject(nullptr); o; o = aw->FindObject(o))
            if (AC_CONTROL* c = AC_CONTROL::FromObject(o); c && c->GetId() == id) {
                if (found)
                    return nullptr;
                found = c;
            }
        return found;
    }
    AC_BUTTON* Button(LONG id)
    {
        AC_CONTROL* c = Control(id);
        return c && c->Kind() == ackButton ? static_cast<AC_BUTTON*>(c) : nullptr;
    }
    AC_VALUE* Value(LONG id)
    {
        AC_CONTROL* c = Control(id);
        return c && c->Kind() == ackValue ? static_cast<AC_VALUE*>(c) : nullptr;
    }
    AC_LABEL* Label()
    {
        for (ANIMOBJECT* o = aw->FindObject(nullptr); o; o = aw->FindObject(o))
            if (AC_CONTROL* c = AC_CONTROL::FromObject(o); c && c->Kind() == ackLabel)
                return static_cast<AC_LABEL*>(c);
        return nullptr;
    }
    static RECT RectOf(AC_CONTROL* c)
    {
        RECT r{};
        c->GetRect(&r);
        return r;
    }
    static POINT Centre(const RECT& rc) { return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2}; }
    static bool Same(const RECT& a, const RECT& b)
    {
        return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
    }
    static bool Overlap(const RECT& a, const RECT& b)
    {
        return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
    }

    // Mouse messages as the window system delivers them to the animation
    // window.
    void Mouse(UINT msg, LONG x, LONG y)
    {
        SendMessageA(child, msg, msg == WM_LBUTTONDOWN ? MK_LBUTTON : 0,
                     MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
    }
    void Click(POINT p)
    {
        Mouse(WM_LBUTTONDOWN, p.x, p.y);
        Mouse(WM_LBUTTONUP, p.x, p.y);
    }
    void ClickControl(LONG id)
    {
        AC_CONTROL* c = Control(id);
        ASSERT_NE(c, nullptr) << id;
        Click(Centre(RectOf(c)));
    }
    // Drags the thumb of a value control to a point along its track.
    void Drag(LONG id, LONG toX)
    {
        AC_VALUE* v = Value(id);
        ASSERT_NE(v, nullptr);
        const LONG y = Centre(RectOf(v)).y;
        const LONG thumb = v->ThumbStart() + 3;
        Mouse(WM_LBUTTONDOWN, thumb, y);
        ASSERT_TRUE(v->fDragging());
        Mouse(WM_MOUSEMOVE, (thumb + toX) / 2, y);
        Mouse(WM_MOUSEMOVE, toX, y);
        Mouse(WM_LBUTTONUP, toX, y);
        EXPECT_FALSE(v->fDragging());
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
    int PixelsOf(const RECT& rc, std::uint32_t colour)
    {
        int n = 0;
        for (LONG y = rc.top; y < rc.bottom; ++y)
            for (LONG x = rc.left; x < rc.right; ++x)
                n += Shown(x, y) == colour;
        return n;
    }

    // Pixels nearer black than the panel's face: the strokes of its texts.
    int DarkPixels(const RECT& rc)
    {
        int n = 0;
        for (LONG y = rc.top; y < rc.bottom; ++y)
            for (LONG x = rc.left; x < rc.right; ++x) {
                const std::uint32_t c = Shown(x, y);
                n += ((c >> 16) & 0xFF) < 0x60 && ((c >> 8) & 0xFF) < 0x60 && (c & 0xFF) < 0x60;
            }
        return n;
    }

    EDITORPANELLAYOUT layout{};
    int baseObjects = 0;
};

TEST_F(ControlPanel, EveryControlStandsWhereTheLayoutPutsItAndKeepsItsSize)
{
    Open(1, 1);
    for (int i = 0; i < 3; ++i)
        aw->RenderFrame();  // the controls' per-frame sizing has run

    for (LONG kind = 1; kind <= 5; ++kind) {
        AC_BUTTON* b = Button(kind);
        ASSERT_NE(b, nullptr) << kind;
        EXPECT_TRUE(Same(RectOf(b), layout.aRcCubes[kind - 1])) << kind;
        EXPECT_EQ(b->GetStyle() & (bsRadio | 0xFFFF0000u), Button(1)->GetStyle() & (bsRadio | 0xFFFF0000u));
        EXPECT_TRUE(b->GetStyle() & bsRadio);
        EXPECT_EQ(b->fChecked(), kind == ckGray) << kind;
        EXPECT_EQ(b->GetCommandTarget(), &EditorHook);
        // The texture fits inside the button's frame.
        ASSERT_NE(b->GetImage(), nullptr);
        EXPECT_EQ(b->GetImage()->GetWidth(), layout.aRcCubes[0].right - layout.aRcCubes[0].left - 7);
    }
    const struct {
        LONG id;
        RECT rc;
    } arrows[] = {{idEditorNarrower, layout.rcNarrower},
                  {idEditorWider, layout.rcWider},
                  {idEditorShorter, layout.rcShorter},
                  {idEditorLonger, layout.rcLonger}};
    for (const auto& a : arrows) {
        AC_BUTTON* b = Button(a.id);
        ASSERT_NE(b, nullptr) << a.id;
        EXPECT_TRUE(Same(RectOf(b), a.rc)) << a.id;
        ASSERT_NE(b->GetImage(), nullptr);
        EXPECT_EQ(b->GetImage()->GetTransparentColor(), RGB(255, 255, 255));
        EXPECT_EQ(b->GetImage()->GetWidth(), a.rc.right - a.rc.left);
        EXPECT_EQ(b->GetImage()->GetHeight(), a.rc.bottom - a.rc.top);
    }
    AC_VALUE* speed = Value(idEditorSpeed);
    AC_VALUE* mines = Value(idEditorMines);
    ASSERT_NE(speed, nullptr);
    ASSERT_NE(mines, nullptr);
    EXPECT_TRUE(Same(RectOf(speed), layout.rcSpeed));
    EXPECT_TRUE(Same(RectOf(mines), layout.rcMines));
    EXPECT_EQ(speed->GetMinimum(), -100);
    EXPECT_EQ(speed->GetMaximum(), 100);
    EXPECT_EQ(mines->GetMinimum(), 1);
    EXPECT_EQ(mines->GetMaximum(), 20);
    // Level 1, puzzle 1: speed -20, 3 mines.
    EXPECT_EQ(speed->GetValue(), -20);
    EXPECT_EQ(mines->GetValue(), 3);
    EXPECT_EQ(EditorPanelOps().pfnGetValue(idEditorSpeed), -20);

    // Another puzzle shows its values; a new one its defaults.
    LoadIntoEditor(2, 2, nullptr);
    EXPECT_EQ(speed->GetValue(), -60);
    EXPECT_EQ(mines->GetValue(), 7);

    // Closing takes every object of the editor away.
    CloseEditor();
    EXPECT_EQ(Objects(), baseObjects);
    EXPECT_EQ(Control(1), nullptr);
}

TEST_F(ControlPanel, ThePanelShowsItsFaceCubeTexturesAndArrowsOverTheScene)
{
    Open(1, 1);
    aw->RenderFrame();
    aw->RenderFrame();
    const std::uint32_t face = Xrgb(GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(Shown(layout.rcPanel.left + 3, layout.rcPanel.bottom - 40), face);
    EXPECT_EQ(Shown(layout.rcPanel.left, 300), Xrgb(GetSysColor(COLOR_BTNSHADOW)));
    EXPECT_EQ(Shown(layout.rcPanel.right - 1, 300), Xrgb(GetSysColor(COLOR_BTNSHADOW)));
    EXPECT_NE(Shown(layout.rcPanel.right + 2, 300), face);
    // The captions are written in the (dark) button text colour.
    EXPECT_GT(DarkPixels(layout.rcCubesCaption), 5);
    EXPECT_GT(DarkPixels(layout.rcSizeCaption), 5);
    EXPECT_GT(DarkPixels(layout.rcSpeedText), 5);

    // Each cube button shows its own texture in its middle.
    std::uint32_t middles[5];
    for (LONG kind = 1; kind <= 5; ++kind) {
        const POINT c = Centre(layout.aRcCubes[kind - 1]);
        middles[kind - 1] = Shown(c.x, c.y);
        EXPECT_NE(middles[kind - 1], face) << kind;
    }
    EXPECT_NE(middles[ckGray - 1], middles[ckRed - 1]);
    EXPECT_NE(middles[ckGreen - 1], middles[ckBlue - 1]);

    // The arrows leave their white out: the panel shows around them.
    for (const RECT& rc : {layout.rcLonger, layout.rcNarrower}) {
        const int total = (rc.right - rc.left) * (rc.bottom - rc.top);
        const int faces = PixelsOf(rc, face);
        EXPECT_GT(faces, total / 5);
        EXPECT_LT(faces, total);
        EXPECT_EQ(PixelsOf(rc, Xrgb(RGB(255, 255, 255))), 0);
    }
}

TEST_F(ControlPanel, TheCubeButtonsAreOneRadioGroupAndNeverPlaceACube)
{
    Open(1, 1);
    const int cubes = CubesShown();
    ClickControl(ckGreen);
    EXPECT_EQ(g.Editor.lKind, ckGreen);
    EXPECT_TRUE(Button(ckGreen)->fChecked());
    for (LONG kind : {ckGray, ckRed, ckBlack, ckBlue})
        EXPECT_FALSE(Button(kind)->fChecked()) << kind;
    EXPECT_FALSE(g.Editor.bModified);
    EXPECT_EQ(CubesShown(), cubes);

    // Pressing, sliding off and letting go elsewhere chooses nothing.
    const POINT blue = Centre(layout.aRcCubes[ckBlue - 1]);
    Mouse(WM_LBUTTONDOWN, blue.x, blue.y);
    Mouse(WM_MOUSEMOVE, blue.x - 200, blue.y);
    Mouse(WM_LBUTTONUP, blue.x - 200, blue.y);
    EXPECT_EQ(g.Editor.lKind, ckGreen);
    EXPECT_FALSE(Button(ckBlue)->fChecked());

    // The kind chosen by the editor is the one pressed in, and the kind the
    // next click on the floor places.
    SelectCubeKind(ckBlack);
    EXPECT_TRUE(Button(ckBlack)->fChecked());
    EXPECT_FALSE(Button(ckGreen)->fChecked());
    PickSquare(3, 4);
    ClickCell(true);
    EXPECT_EQ(g.Editor.Puzzle.aFormation[4][3], ckBlack);
}

TEST_F(ControlPanel, DraggedValueControlsSetSpeedAndMinesAndTheArrowsResize)
{
    Open(1, 1);
    Drag(idEditorSpeed, layout.rcSpeed.right + 30);
    EXPECT_EQ(g.Editor.Puzzle.lSpeed, 100);
    EXPECT_TRUE(g.Editor.bModified);
    Drag(idEditorMines, layout.rcMines.left - 30);
    EXPECT_EQ(g.Editor.Puzzle.lMines, 1);
    // Halfway along the speed track is about no speed at all.
    AC_VALUE* speed = Value(idEditorSpeed);
    Drag(idEditorSpeed, speed->TrackStart() + speed->TrackLength() / 2);
    EXPECT_NEAR(g.Editor.Puzzle.lSpeed, 0, 200 / speed->TrackLength() + 1);
    EXPECT_EQ(speed->GetValue(), g.Editor.Puzzle.lSpeed);
    // A press beside the thumb steps to the next tick.
    const LONG before = g.Editor.Puzzle.lSpeed;
    Click(POINT{layout.rcSpeed.right - 4, Centre(layout.rcSpeed).y});
    EXPECT_GT(g.Editor.Puzzle.lSpeed, before);

    // The arrows: width 5, length 9 at first.
    ClickControl(idEditorLonger);
    EXPECT_EQ(g.Editor.Puzzle.lLength, 10);
    ClickControl(idEditorShorter);
    ClickControl(idEditorShorter);
    EXPECT_EQ(g.Editor.Puzzle.lLength, 8);
    ClickControl(idEditorWider);
    EXPECT_EQ(g.Editor.Puzzle.lWidth, 6);
    ClickControl(idEditorNarrower);
    ClickControl(idEditorNarrower);
    EXPECT_EQ(g.Editor.Puzzle.lWidth, 4);
    ExpectCubesMatchFormation();
    // No press on the panel put a cube anywhere.
    EXPECT_EQ(CubesShown(), 2);
}

TEST_F(ControlPanel, ARealMessageBoxRestsThePanelUntilItHasGone)
{
    aw->SetCallback(&BoxChain);
    SetMenuWindow(aw);
    InstallEditorLinks();
    const EDITORSEAMS seams = EditorSeams();
    EditorSeams() = EDITORSEAMS{aw, &Ask, &ShowScreenMessage, &ShowMenu, &RemoveMenu, nullptr, nullptr, nullptr, nullptr};
    Open(1, 1);
    ClickControl(idEditorLonger);
    ASSERT_EQ(g.Editor.Puzzle.lLength, 10);

    // While the box waits, presses on the panel do nothing.
    bool sawDisabled = false;
    int waiting = 0;
    g_onIdle = [&] {
        if (!ScreenBox().pPanel || ScreenBox().lStep != 50 || ScreenBox().nAnswer || ++waiting < 2)
            return;
        sawDisabled = !Button(ckRed)->fIsEnabled() && !Value(idEditorSpeed)->fIsEnabled();
        ClickControl(ckRed);
        ClickControl(idEditorLonger);
        AC_VALUE* mines = Value(idEditorMines);
        const LONG y = Centre(RectOf(mines)).y;
        Mouse(WM_LBUTTONDOWN, mines->ThumbStart() + 3, y);
        Mouse(WM_MOUSEMOVE, layout.rcMines.right + 20, y);
        Mouse(WM_LBUTTONUP, layout.rcMines.right + 20, y);
        MessageBoxCommand(kBoxFirstButton);
    };
    ASSERT_TRUE(SavePuzzle());
    g_onIdle = nullptr;
    EXPECT_TRUE(sawDisabled);
    EXPECT_EQ(g.Editor.lKind, ckGray);
    EXPECT_FALSE(Button(ckRed)->fChecked());
    EXPECT_EQ(g.Editor.Puzzle.lLength, 10);
    EXPECT_EQ(g.Editor.Puzzle.lMines, 3);
    EXPECT_EQ(Value(idEditorMines)->GetValue(), 3);

    // Once it has gone they answer again.
    EXPECT_TRUE(Button(ckRed)->fIsEnabled());
    ClickControl(ckRed);
    EXPECT_EQ(g.Editor.lKind, ckRed);
    ClickControl(idEditorLonger);
    EXPECT_EQ(g.Editor.Puzzle.lLength, 11);

    EditorSeams() = seams;
    EditorHooks() = EDITORHOOKS{};
    ReleaseMenus();
    SetMenuWindow(nullptr);
}

TEST_F(ControlPanel, TheLoadDialogsColumnsFollowTheChoiceAndItsButtonsLoadOrCancel)
{
    Open(1, 1);
    const int withPanel = Objects();
    LoadPuzzleDialog();
    aw->RenderFrame();

    AC_LABEL* title = Label();
    ASSERT_NE(title, nullptr);
    char text[64];
    LoadText(idsLoadTitle, text, sizeof text);
    EXPECT_STREQ(title->Text(), text);
    EXPECT_EQ(title->GetColor(acText), kLoadTitleColour);
    LONG x = 0, y = 0;
    title->GetPosition(&x, &y);
    EXPECT_EQ(x, kWidth / 4);
    EXPECT_EQ(y, kHeight / 5);

    // Level 1 with the puzzle after the current one chosen.
    ASSERT_NE(Button(idLoadLevelFirst + 1), nullptr);
    EXPECT_EQ(Button(idLoadLevelFirst + 2), nullptr);
    ASSERT_NE(Button(idLoadPuzzleFirst + 2), nullptr);
    EXPECT_TRUE(Button(idLoadLevelFirst)->fChecked());
    EXPECT_TRUE(Button(idLoadPuzzleFirst + 1)->fChecked());
    EXPECT_FALSE(Button(idLoadPuzzleFirst)->fChecked());
    HFONT font = Button(idLoadPuzzle)->GetFont();
    EXPECT_NE(font, GetStockObject(DEFAULT_GUI_FONT));
    for (LONG id : {LONG{idLoadCancel}, LONG{idLoadLevelFirst}, LONG{idLoadPuzzleFirst + 2}}) {
        EXPECT_EQ(Button(id)->GetFont(), font) << id;
        EXPECT_EQ(Button(id)->GetColor(acText), kLoadButtonColour) << id;
    }
    char label[64];
    Button(idLoadLevelFirst + 1)->GetText(label, sizeof label);
    char* level2 = FormatText(TextId(idsLoadLevel), "%ld", 2L);
    EXPECT_STREQ(label, level2);
    ReleaseText(level2);

    // The columns stand at their places, one above the other, and neither
    // the Load nor the Cancel button covers any of them.
    const LOADDIALOGLAYOUT d = LoadDialogLayout(kWidth, kHeight);
    EXPECT_EQ(RectOf(Button(idLoadLevelFirst)).left, d.xLevels);
    EXPECT_EQ(RectOf(Button(idLoadLevelFirst)).top, d.yFirst);
    EXPECT_EQ(RectOf(Button(idLoadPuzzleFirst + 2)).left, d.xPuzzles);
    EXPECT_EQ(RectOf(Button(idLoadPuzzleFirst + 1)).top,
              RectOf(Button(idLoadPuzzleFirst)).bottom + d.lGap);
    const RECT load = RectOf(Button(idLoadPuzzle)), cancel = RectOf(Button(idLoadCancel));
    EXPECT_EQ(load.left, kWidth / 2);
    EXPECT_EQ(cancel.left, load.right + 10);
    for (LONG id = idLoadLevelFirst; id < idLoadPuzzleFirst + 3; ++id)
        if (AC_BUTTON* b = Button(id)) {
            EXPECT_FALSE(Overlap(load, RectOf(b)) || Overlap(cancel, RectOf(b))) << id;
        }

    // Level 2: its two puzzles, the second chosen (there is no third); the
    // level button pressed stays the same button.
    AC_BUTTON* second = Button(idLoadLevelFirst + 1);
    ClickControl(idLoadLevelFirst + 1);
    EXPECT_EQ(g.Editor.lLoadLevel, 2);
    EXPECT_EQ(Button(idLoadLevelFirst + 1), second);
    EXPECT_TRUE(second->fChecked());
    EXPECT_FALSE(Button(idLoadLevelFirst)->fChecked());
    EXPECT_EQ(Button(idLoadPuzzleFirst + 2), nullptr);
    EXPECT_TRUE(Button(idLoadPuzzleFirst + 1)->fChecked());
    ClickControl(idLoadPuzzleFirst);
    EXPECT_EQ(g.Editor.lLoadPuzzle, 1);
    EXPECT_TRUE(Button(idLoadPuzzleFirst)->fChecked());
    EXPECT_FALSE(Button(idLoadPuzzleFirst + 1)->fChecked());

    // Load: the dialog goes, the panel stays, level 2 puzzle 1 is edited.
    ClickControl(idLoadPuzzle);
    EXPECT_FALSE(g.Editor.fLoadDialog);
    EXPECT_EQ(g.Editor.lLevel, 2);
    EXPECT_EQ(g.Editor.lPuzzle, 1);
    EXPECT_EQ(CubesShown(), 2);
    EXPECT_EQ(Label(), nullptr);
    EXPECT_EQ(Button(idLoadPuzzle), nullptr);
    EXPECT_EQ(Button(idLoadLevelFirst), nullptr);
    EXPECT_EQ(Objects(), withPanel);
    EXPECT_EQ(Value(idEditorSpeed)->GetValue(), 40);

    // Cancel brings the puzzle back unchanged.
    LoadPuzzleDialog();
    ClickControl(idLoadLevelFirst);
    ClickControl(idLoadCancel);
    EXPECT_FALSE(g.Editor.fLoadDialog);
    EXPECT_EQ(g.Editor.lLevel, 2);
    EXPECT_EQ(g.Editor.lPuzzle, 1);
    EXPECT_EQ(CubesShown(), 2);
    EXPECT_EQ(Button(idLoadCancel), nullptr);
}

TEST_F(ControlPanel, ANewVideoModeBuildsThePanelAndTheDialogOnceAgain)
{
    Open(1, 1);
    LoadPuzzleDialog();
    const int shown = Objects();
    EditorService(aw, svcawVideoMode, 0, 0);
    EXPECT_EQ(Objects(), shown);
    ASSERT_NE(Button(idLoadPuzzleFirst + 1), nullptr);
    EXPECT_TRUE(Button(idLoadPuzzleFirst + 1)->fChecked());
    ASSERT_NE(Button(ckGray), nullptr);
    EXPECT_TRUE(Button(ckGray)->fChecked());
    // A message box over the dialog rests its buttons too, also when they
    // are built again under it.
    EnableEditorControls(false);
    EXPECT_FALSE(Button(idLoadCancel)->fIsEnabled());
    EditorService(aw, svcawVideoMode, 0, 0);
    EXPECT_FALSE(Button(idLoadCancel)->fIsEnabled());
    EXPECT_FALSE(Button(ckGray)->fIsEnabled());
    EXPECT_FALSE(Value(idEditorMines)->fIsEnabled());
    ClickControl(idLoadCancel);
    EXPECT_TRUE(g.Editor.fLoadDialog);
    EnableEditorControls(true);
    ClickControl(idLoadCancel);
    EXPECT_FALSE(g.Editor.fLoadDialog);
}

}  // namespace
