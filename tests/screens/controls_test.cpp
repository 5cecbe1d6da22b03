// The control toolkit: buttons pressed and dragged, hot tracking and focus,
// labels, the value control's geometry and stepping, colours and edges.
#include "screens_support.h"

#include "screens/ac_button.h"
#include "screens/ac_control.h"
#include "shell/cursor.h"
#include "support/fontdesc.h"

#include <cstring>
#include <memory>

using namespace screenstest;

namespace {
std::vector<WPARAM> g_commands;
std::vector<WPARAM> g_notes;

LRESULT CommandRecorder(HWND, UINT msg, WPARAM wParam, LPARAM)
{
    if (msg == WM_COMMAND)
        g_commands.push_back(wParam);
    return 0;
}

LRESULT NoteRecorder(HWND, UINT msg, WPARAM wParam, LPARAM)
{
    if (msg == WM_COMMAND)
        g_notes.push_back(wParam);
    return 0;
}

SIZE Extent(HFONT font, const char* text)
{
    SIZE s{0, 0};
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    GetTextExtentPoint32A(dc, text, static_cast<int>(std::strlen(text)), &s);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return s;
}

class Controls : public ScreensTest {
protected:
    void SetUp() override
    {
        ScreensTest::SetUp();
        g_commands.clear();
        g_notes.clear();
        SetCursorWanted(TRUE);
    }

    // A push button of text at (x, y), sized by one frame.
    std::unique_ptr<AC_BUTTON> Button(LONG id, DWORD style, LONG x, LONG y, const char* text = "  Press  ")
    {
        std::unique_ptr<AC_BUTTON> b(CreateButton(aw, id, style, 100));
        b->SetText(text);
        b->SetCommandTarget(&CommandRecorder);
        b->SetNotifyTarget(&NoteRecorder);
        b->SetPosition(x, y);
        Frames(1);
        return b;
    }
};
} // namespace

TEST_F(Controls, PressingADraggingOffAndReleasingSendsNoCommandButDraggingBackOnDoes)
{
    auto b = Button(77, bsPush, 100, 100);
    Mouse(WM_LBUTTONDOWN, 104, 104);
    EXPECT_EQ(GetFocusControl(), b.get());
    EXPECT_EQ(GetCaptureControl(), b.get());
    EXPECT_EQ(GetCapture(), m_child);
    EXPECT_TRUE(b->fSelected());
    Mouse(WM_MOUSEMOVE, 400, 300);
    EXPECT_FALSE(b->fSelected());
    Mouse(WM_LBUTTONUP, 400, 300);
    EXPECT_TRUE(g_commands.empty());
    EXPECT_EQ(GetCaptureControl(), nullptr);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(g_notes, (std::vector<WPARAM>{77 + 0x20000, 77 + 0x30000}));

    // Off and back on before the release: the click counts.
    g_notes.clear();
    Mouse(WM_LBUTTONDOWN, 104, 104);
    Mouse(WM_MOUSEMOVE, 400, 300);
    Mouse(WM_MOUSEMOVE, 106, 105);
    EXPECT_TRUE(b->fSelected());
    Mouse(WM_LBUTTONUP, 106, 105);
    EXPECT_EQ(g_commands, std::vector<WPARAM>{77});
    EXPECT_FALSE(b->fSelected());
    EXPECT_EQ(g_notes.size(), 4u);
}

TEST_F(Controls, ADisabledButtonIsNeverHotAndNeverSendsItsCommand)
{
    auto b = Button(5, bsPush | bsHotTrack, 100, 100);
    input_store::SetCursor(105, 105);
    Frames(1);
    EXPECT_TRUE(b->fHot());
    EXPECT_EQ(GetFocusControl(), b.get()); // becoming hot took the focus

    b->Enable(FALSE);
    Frames(1);
    EXPECT_FALSE(b->fHot());
    EXPECT_EQ(GetFocusControl(), nullptr); // cooling gave it up
    Mouse(WM_LBUTTONDOWN, 105, 105);
    Mouse(WM_LBUTTONUP, 105, 105);
    b->Click();
    EXPECT_TRUE(g_commands.empty());
    EXPECT_FALSE(b->fHot());
}

TEST_F(Controls, HotTrackingFollowsTheMouseWhileTheCursorIsWantedAndTheSelectionOtherwise)
{
    auto a = Button(1, bsPush | bsHotTrack, 100, 100);
    auto b = Button(2, bsPush | bsHotTrack, 100, 200);
    input_store::SetCursor(105, 105);
    Frames(1);
    EXPECT_TRUE(a->fHot());
    input_store::SetCursor(105, 205);
    Frames(1);
    EXPECT_TRUE(b->fHot());
    EXPECT_EQ(GetFocusControl(), b.get());
    EXPECT_FALSE(a->fHot());

    // Without the cursor only the selected (keyboard) entry is hot.
    SetCursorWanted(FALSE);
    a->TakeFocus();
    a->SetSelected(TRUE);
    Frames(1);
    EXPECT_TRUE(a->fHot());
    EXPECT_FALSE(b->fHot());
    EXPECT_FALSE(b->fSelected());
}

TEST_F(Controls, ALabelNeverTakesTheFocusSoAClickOnItClearsTheButtonsFocus)
{
    auto b = Button(9, bsPush, 10, 10);
    std::unique_ptr<AC_LABEL> label(CreateLabel(aw, 50));
    label->SetText("A caption");
    label->SetPosition(200, 200);
    Frames(1);
    Mouse(WM_LBUTTONDOWN, 12, 12);
    Mouse(WM_LBUTTONUP, 12, 12);
    EXPECT_EQ(GetFocusControl(), b.get());
    EXPECT_EQ(g_commands, std::vector<WPARAM>{9});

    Mouse(WM_LBUTTONDOWN, 205, 205);
    EXPECT_EQ(GetFocusControl(), nullptr);
    EXPECT_EQ(GetCaptureControl(), nullptr);
    Mouse(WM_LBUTTONUP, 205, 205);
    EXPECT_EQ(g_commands.size(), 1u);
}

TEST_F(Controls, LabelsAndButtonsSizeThemselvesToTheirContent)
{
    HFONT font = FontFromSpec("Arial,-20,BI");
    ASSERT_NE(font, nullptr);
    const SIZE text = Extent(font, "Varno Label");
    ASSERT_GT(text.cx, 0);

    std::unique_ptr<AC_LABEL> label(CreateLabel(aw, 50));
    label->SetFont(font);
    label->SetText("Varno Label");
    EXPECT_TRUE(label->fSizePending());
    Frames(1);
    EXPECT_FALSE(label->fSizePending());
    LONG w = 0, h = 0;
    label->GetSize(&w, &h);
    EXPECT_EQ(w, text.cx);
    EXPECT_EQ(h, text.cy);

    // A wrapped label keeps its owner's rectangle.
    label->SetStyle(lsWrap);
    RECT r{10, 10, 60, 90};
    label->SetRect(&r);
    Frames(1);
    label->GetSize(&w, &h);
    EXPECT_EQ(w, 50);
    EXPECT_EQ(h, 80);

    std::unique_ptr<AC_BUTTON> push(CreateButton(aw, 1, bsPush, 100));
    push->SetFont(font);
    push->SetText("Varno Label");
    push->SizeToContent();
    push->GetSize(&w, &h);
    EXPECT_EQ(w, text.cx + 7);
    EXPECT_EQ(h, text.cy + 7);

    std::unique_ptr<GRAPHIC> flag(new GRAPHIC(48, 32, 32, 0xFFFFFFFFul));
    push->SetImage(flag.get());
    push->SizeToContent();
    push->GetSize(&w, &h);
    EXPECT_EQ(w, 48 + text.cx + 7 + 8);
    EXPECT_EQ(h, std::max<LONG>(text.cy, 32) + 7);

    std::unique_ptr<AC_BUTTON> check(CreateButton(aw, 2, bsCheckMark, 100));
    check->SetFont(font);
    check->SetText("Varno Label");
    check->SizeToContent();
    check->GetSize(&w, &h);
    EXPECT_EQ(w, 13 + text.cx + 2 + 8);
    EXPECT_EQ(h, std::max<LONG>(text.cy, 13));
    push.reset();
    check.reset();
    label.reset();
    DeleteObject(font);
}

TEST_F(Controls, ValueControlKeepsItsValueInRangeAndCountsItsTicks)
{
    std::unique_ptr<AC_VALUE> v(CreateValueControl(aw, 5, vsTicks, 100));
    EXPECT_EQ(v->GetValue(), 50);
    EXPECT_EQ(v->GetTicks(), 5);
    v->SetRange(0, 4);
    EXPECT_EQ(v->GetTicks(), 5);
    v->SetRange(-100, 100);
    EXPECT_EQ(v->GetTicks(), 10);
    v->SetValue(500);
    EXPECT_EQ(v->GetValue(), 100);
    v->SetRange(10, 0); // either order
    EXPECT_EQ(v->GetValue(), 10);
    v->SetValue(-3);
    EXPECT_EQ(v->GetValue(), 0);

    v->SetPosition(50, 50);
    Frames(1);
    LONG w = 0, h = 0;
    v->GetSize(&w, &h);
    EXPECT_EQ(w, 75);
    EXPECT_EQ(h, 18);
    std::unique_ptr<AC_VALUE> upright(CreateValueControl(aw, 6, vsVertical, 100));
    upright->SizeToContent();
    upright->GetSize(&w, &h);
    EXPECT_EQ(w, 14);
    EXPECT_EQ(h, 75);

    // Track 3 pixels in at both ends; the thumb 3 pixels before the value.
    v->SetRange(0, 100);
    v->SetValue(50);
    EXPECT_EQ(v->TrackStart(), 53);
    EXPECT_EQ(v->TrackLength(), 69);
    EXPECT_EQ(v->ThumbStart(), 53 + 50 * 69 / 100 - 3);
    EXPECT_EQ(v->TickPosition(0), 56);
    EXPECT_EQ(v->TickPosition(9), 56 + 62);

    // An empty range never divides by zero.
    v->SetRange(7, 7);
    EXPECT_EQ(v->GetValue(), 7);
    EXPECT_EQ(v->ThumbStart(), 50);
}

TEST_F(Controls, APressBesideTheThumbStepsToTheNearestTickAndADragFollowsThePointer)
{
    std::unique_ptr<AC_VALUE> v(CreateValueControl(aw, 5, vsTicks, 100));
    v->SetCommandTarget(&CommandRecorder);
    v->SetPosition(50, 50);
    Frames(1);
    v->SetRange(0, 100); // ten ticks: 0, 11, 22, 33, 44, 55, 66, 77, 88, 100
    v->SetValue(50);
    const int y = 57; // across the thumb

    Mouse(WM_LBUTTONDOWN, 120, y);
    Mouse(WM_LBUTTONUP, 120, y);
    EXPECT_EQ(v->GetValue(), 55);
    Mouse(WM_LBUTTONDOWN, 120, y);
    Mouse(WM_LBUTTONUP, 120, y);
    EXPECT_EQ(v->GetValue(), 66);
    Mouse(WM_LBUTTONDOWN, 55, y);
    Mouse(WM_LBUTTONUP, 55, y);
    EXPECT_EQ(v->GetValue(), 55);
    EXPECT_EQ(g_commands, (std::vector<WPARAM>{5, 5, 5}));

    // Grab the thumb and drag it to both ends.
    g_commands.clear();
    const LONG grabX = v->ThumbStart() + 3;
    Mouse(WM_LBUTTONDOWN, grabX, y);
    EXPECT_TRUE(v->fDragging());
    EXPECT_EQ(v->GetValue(), 55); // grabbing alone moves nothing
    Mouse(WM_MOUSEMOVE, 400, y);
    EXPECT_EQ(v->GetValue(), 100);
    Mouse(WM_MOUSEMOVE, 0, y);
    EXPECT_EQ(v->GetValue(), 0);
    Mouse(WM_MOUSEMOVE, grabX, 300); // off the control: only the axis counts
    EXPECT_NEAR(v->GetValue(), 55, 2);
    Mouse(WM_LBUTTONUP, grabX, 300);
    EXPECT_FALSE(v->fDragging());
    EXPECT_EQ(g_commands.size(), 3u);

    // Without ticks only the thumb answers: a press on the track clears the focus.
    std::unique_ptr<AC_VALUE> plain(CreateValueControl(aw, 6, 0, 100));
    plain->SetPosition(50, 200);
    Frames(1);
    Mouse(WM_LBUTTONDOWN, 120, 205);
    EXPECT_EQ(GetFocusControl(), nullptr);
    Mouse(WM_LBUTTONUP, 120, 205);
    EXPECT_EQ(plain->GetValue(), 50);
}

TEST_F(Controls, ColoursGrowFiveAtATimeAndUnsetEdgeLinesAreLeftOut)
{
    auto b = Button(3, bsPush, 100, 100, "");
    EXPECT_EQ(b->GetColor(acHot), kclrDefault);
    EXPECT_EQ(b->ColorOf(acFace), GetSysColor(COLOR_BTNFACE));
    ASSERT_TRUE(b->SetColor(acHot, RGB(255, 0, 0)));
    EXPECT_EQ(b->GetColor(acHot), RGB(255, 0, 0));
    EXPECT_EQ(b->GetColor(4), kclrDefault);
    ASSERT_TRUE(b->SetColor(7, RGB(1, 2, 3)));
    EXPECT_EQ(b->GetColor(6), kclrDefault);
    EXPECT_EQ(b->GetColor(9), kclrDefault);

    aw->SetBackground(RGB(0, 0, 255), 0, 0, static_cast<int>(0x80000000), static_cast<int>(0x80000000));
    RECT r{100, 100, 140, 120};
    b->SetRect(&r);
    Frames(1);
    // Highlight unset: the top-left ring is left out and the face shows.
    EXPECT_EQ(Shown(100, 100), 0xFF0000u);
    EXPECT_EQ(Shown(139, 119), 0x000000u); // raised: black bottom-right
    EXPECT_EQ(Shown(141, 121), 0x0000FFu);
    b->SetColor(acHighlight, RGB(0, 255, 0));
    Frames(1);
    EXPECT_EQ(Shown(100, 100), 0x00FF00u);
    // Pressed: sunken, the highlight moves to the bottom-right.
    b->SetSelected(TRUE);
    Frames(1);
    EXPECT_EQ(Shown(139, 119), 0x00FF00u);
}

TEST_F(Controls, RadioButtonsClearTheirGroupAndToggleButtonsFlip)
{
    auto a = Button(1, bsRadioMark | bsRadio | (1u << 16), 10, 10, "A");
    auto b = Button(2, bsRadioMark | bsRadio | (1u << 16), 10, 40, "B");
    auto c = Button(3, bsRadioMark | bsRadio | (2u << 16), 10, 70, "C");
    auto t = Button(4, bsCheckMark | bsToggle, 10, 100, "T");
    c->SetChecked(TRUE);
    a->Click();
    EXPECT_TRUE(a->fChecked());
    b->Click();
    EXPECT_FALSE(a->fChecked());
    EXPECT_TRUE(b->fChecked());
    EXPECT_TRUE(c->fChecked());
    t->Click();
    EXPECT_TRUE(t->fChecked());
    t->Click();
    EXPECT_FALSE(t->fChecked());
    EXPECT_EQ(g_commands, (std::vector<WPARAM>{1, 2, 4, 4}));
}

TEST_F(Controls, DestroyingAControlGivesBackTheFocusTheCaptureAndItsHooks)
{
    auto b = Button(8, bsPush, 100, 100);
    Mouse(WM_LBUTTONDOWN, 104, 104);
    ASSERT_EQ(GetCaptureControl(), b.get());
    b.reset();
    EXPECT_EQ(GetFocusControl(), nullptr);
    EXPECT_EQ(GetCaptureControl(), nullptr);
    EXPECT_EQ(GetCapture(), nullptr);
    // The hooks are gone with the last control: input reaches nothing.
    Mouse(WM_LBUTTONUP, 104, 104);
    EXPECT_TRUE(g_commands.empty());
    EXPECT_EQ(aw->FindObject(nullptr), nullptr);
}

namespace {

TEST_F(Controls, ADisabledValueControlIsNeitherFocusedNorDraggedNorStepped)
{
    std::unique_ptr<AC_VALUE> v(CreateValueControl(aw, 7, vsTicks, 100));
    v->SetCommandTarget(&CommandRecorder);
    v->SetPosition(50, 50);
    Frames(1);
    v->SetRange(0, 100);
    v->SetValue(50);
    v->Enable(FALSE);
    const int y = 57;
    const LONG grabX = v->ThumbStart() + 3;
    Mouse(WM_LBUTTONDOWN, grabX, y);
    EXPECT_FALSE(v->fDragging());
    EXPECT_EQ(GetFocusControl(), nullptr);
    Mouse(WM_MOUSEMOVE, 400, y);
    Mouse(WM_LBUTTONUP, 400, y);
    Mouse(WM_LBUTTONDOWN, 120, y);
    Mouse(WM_LBUTTONUP, 120, y);
    EXPECT_EQ(v->GetValue(), 50);
    EXPECT_TRUE(g_commands.empty());

    v->Enable(TRUE);
    Mouse(WM_LBUTTONDOWN, grabX, y);
    EXPECT_TRUE(v->fDragging());
    Mouse(WM_MOUSEMOVE, 400, y);
    Mouse(WM_LBUTTONUP, 400, y);
    EXPECT_EQ(v->GetValue(), 100);
}

// A button of the size it is given, as a panel lays its buttons out.
class FIXEDBUTTON final : public AC_BUTTON {
public:
    using AC_BUTTON::AC_BUTTON;
    void SizeToContent() override { m_fSizePending = FALSE; }
};

TEST_F(Controls, APictureButtonLeavesItsTransparentColourOutAtAnySize)
{
    // A 4 by 4 picture: white with a red centre of 2 by 2, white transparent.
    GRAPHIC picture(4, 4, 32, RGB(255, 255, 255));
    for (long y = 0; y < 4; ++y)
        for (long x = 0; x < 4; ++x)
            picture.SetPixel(x, y, x >= 1 && x <= 2 && y >= 1 && y <= 2 ? RGB(255, 0, 0) : RGB(255, 255, 255), 0);
    std::unique_ptr<AC_BUTTON> same(new FIXEDBUTTON(aw, 8, bsPush, 100));
    std::unique_ptr<AC_BUTTON> larger(new FIXEDBUTTON(aw, 9, bsPush, 100));
    same->SetImages(&picture, &picture);
    larger->SetImages(&picture, &picture);
    const RECT a{100, 100, 104, 104}, b{200, 100, 208, 108};
    same->SetRect(&a);
    larger->SetRect(&b);
    aw->SetBackground(RGB(0, 0, 255), 0, 0, static_cast<int>(0x80000000), static_cast<int>(0x80000000));
    Frames(2);
    EXPECT_EQ(Shown(100, 100), Xrgb(RGB(0, 0, 255)));
    EXPECT_EQ(Shown(101, 101), Xrgb(RGB(255, 0, 0)));
    EXPECT_EQ(Shown(103, 103), Xrgb(RGB(0, 0, 255)));
    EXPECT_EQ(Shown(200, 100), Xrgb(RGB(0, 0, 255)));
    EXPECT_EQ(Shown(204, 104), Xrgb(RGB(255, 0, 0)));
    EXPECT_EQ(Shown(207, 107), Xrgb(RGB(0, 0, 255)));
}

} // namespace
