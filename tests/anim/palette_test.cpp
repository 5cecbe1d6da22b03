#include "anim/display.h"
#include "anim/graphic.h"
#include "anim/lasterror.h"
#include "anim/palette.h"
#include "platform/base/syserror.h"
#include "platform/ddraw/ddraw.h"
#include "platform/window/window.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {
constexpr unsigned long kNone = 0xFFFFFFFFul;

LRESULT AnimProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}
LRESULT MainDialogProc(HWND, UINT msg, WPARAM, LPARAM)
{
    return msg == WM_INITDIALOG ? TRUE : FALSE;
}

// The display with a main window, windowed at the desktop's depth until a
// test sets a mode.
class PaletteTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(Display, nullptr);
        window_system::Reset();
        WNDCLASSA wc{};
        wc.lpfnWndProc = AnimProc;
        wc.lpszClassName = "AnimWindow";
        RegisterClassA(&wc);
        static const DIALOGITEM items[] = {{"AnimWindow", "", WS_CHILD | WS_VISIBLE, 0, 0, 160, 120, 1000}};
        static const DIALOGTEMPLATE tmpl{WS_POPUP, nullptr, "Varno", "MS Sans Serif", 8, 0, 0, 160, 120, items, 1};
        m_main = CreateDialogIndirectParamA(nullptr, &tmpl, nullptr, MainDialogProc, 0);
        ASSERT_TRUE(IsWindow(m_main));
        ASSERT_EQ(Display->SetMainWindow(m_main), 1);
    }
    void TearDown() override
    {
        Display->SetPaletteGroup(nullptr);
        Display->RestoreVideoMode();
        Display->SetMainWindow(nullptr);
        window_system::Reset();
    }
    HWND m_main = nullptr;
};

RGBQUAD Quad(COLORREF c)
{
    return RGBQUAD{GetBValue(c), GetGValue(c), GetRValue(c), 0};
}

// An 8-bit graphic of w x 1 whose pixel x has value x and colour colours[x].
struct PaletteImage {
    explicit PaletteImage(const std::vector<COLORREF>& colours)
    {
        RGBQUAD table[256] = {};
        for (std::size_t i = 0; i < colours.size(); ++i)
            table[i] = Quad(colours[i]);
        // Unused entries hold a colour that must not reach the group.
        for (std::size_t i = colours.size(); i < 256; ++i)
            table[i] = Quad(RGB(77, 66, 55));
        g.Realloc(static_cast<long>(colours.size()), 1, 8, table, kNone);
        for (long x = 0; x < static_cast<long>(colours.size()); ++x)
            g.SetPixelValue(x, 0, static_cast<unsigned long>(x), 0);
    }
    GRAPHIC g;
};

std::vector<COLORREF> Entries(PALETTEGROUP& group)
{
    PALETTEENTRY e[256];
    EXPECT_EQ(group.GetPaletteEntries(0, 256, e), 256);
    std::vector<COLORREF> out;
    for (const PALETTEENTRY& p : e)
        out.push_back(RGB(p.peRed, p.peGreen, p.peBlue));
    return out;
}

std::vector<COLORREF> Table(GRAPHIC& g)
{
    PALETTEENTRY e[256];
    EXPECT_EQ(g.GetPaletteEntries(0, 256, e), 256);
    std::vector<COLORREF> out;
    for (const PALETTEENTRY& p : e)
        out.push_back(RGB(p.peRed, p.peGreen, p.peBlue));
    return out;
}

constexpr COLORREF kRed = RGB(200, 10, 10);
constexpr COLORREF kGreen = RGB(10, 200, 10);
constexpr COLORREF kBlue = RGB(10, 10, 200);
constexpr COLORREF kYellow = RGB(200, 200, 10);
constexpr COLORREF kMagenta = RGB(200, 10, 200);
} // namespace

TEST_F(PaletteTest, ANewGroupHoldsWhiteAt255AndFixedColoursReplaceEachOther)
{
    PALETTEGROUP group;
    const std::vector<COLORREF> entries = Entries(group);
    EXPECT_EQ(entries[255], RGB(255, 255, 255));
    for (int i = 0; i < 255; ++i)
        ASSERT_EQ(entries[i], 0u) << i;

    ASSERT_EQ(group.AddSpecific(5, kRed), 1);
    ASSERT_EQ(group.AddSpecific(5, kBlue), 1);
    EXPECT_EQ(group.GetPaletteColor(5), kBlue);
    EXPECT_EQ(group.GetPaletteIndex(kRed, 0xFFFF), 0xFFFF);
    EXPECT_EQ(ZephaneGetLastError(), errNotFound);
    EXPECT_EQ(group.GetPaletteIndex(kBlue, 0xFFFF), 5);
    EXPECT_EQ(group.GetPaletteIndex(kBlue, 5), 0xFFFF); // searched after 5 only

    // A floating colour takes the first free entry from 1 on.
    ASSERT_EQ(group.Add(kGreen), 1);
    EXPECT_EQ(group.GetPaletteIndex(kGreen, 0xFFFF), 1);

    EXPECT_EQ(group.GetPaletteColor(256), 0xFFFFFFFFu);
    EXPECT_EQ(ZephaneGetLastError(), ERROR_INVALID_PARAMETER);
    PALETTEENTRY e[4];
    EXPECT_EQ(group.GetPaletteEntries(254, 4, e), 2); // cut at the end
    EXPECT_EQ(e[1].peRed, 255);
    EXPECT_EQ(group.GetPaletteEntries(256, 1, e), 0);
    EXPECT_EQ(group.GetPaletteEntries(3, 0, e), 0);
    EXPECT_EQ(ZephaneGetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(PaletteTest, TwoGraphicsShareOnePaletteAt8Bits)
{
    ASSERT_EQ(Display->SetVideoMode(640, 480, 8, amFlip), 1);
    PALETTEGROUP group;
    PaletteImage a({kRed, kGreen, kBlue, kYellow});
    PaletteImage b({kGreen, kMagenta, kRed});
    ASSERT_EQ(group.Add(&a.g, 1), 1);
    ASSERT_EQ(group.Add(&b.g, 1), 1);
    EXPECT_EQ(a.g.GetPaletteGroup(), &group);
    EXPECT_EQ(b.g.GetPaletteGroup(), &group);

    // Every pixel keeps its colour; its value is now the group's index.
    const std::vector<COLORREF> wantA{kRed, kGreen, kBlue, kYellow}, wantB{kGreen, kMagenta, kRed};
    for (long x = 0; x < 4; ++x) {
        EXPECT_EQ(a.g.GetPixel(x, 0), wantA[x]);
        EXPECT_EQ(group.GetPaletteColor(static_cast<unsigned short>(a.g.GetPixelValue(x, 0))), wantA[x]);
    }
    for (long x = 0; x < 3; ++x) {
        EXPECT_EQ(b.g.GetPixel(x, 0), wantB[x]);
        EXPECT_EQ(group.GetPaletteColor(static_cast<unsigned short>(b.g.GetPixelValue(x, 0))), wantB[x]);
    }
    EXPECT_EQ(a.g.GetPixelValue(1, 0), b.g.GetPixelValue(0, 0)); // green once
    EXPECT_EQ(a.g.GetPixelValue(0, 0), b.g.GetPixelValue(2, 0)); // red once

    // One palette of five colours and white, written into both graphics;
    // unused table entries stayed out.
    const std::vector<COLORREF> shared = Entries(group);
    std::set<COLORREF> used;
    for (int i = 1; i < 255; ++i)
        if (shared[i])
            used.insert(shared[i]);
    EXPECT_EQ(used, (std::set<COLORREF>{kRed, kGreen, kBlue, kYellow, kMagenta}));
    EXPECT_EQ(Table(b.g), shared);
    // The first member has what it uses; the rest comes when the group
    // exports its changes.
    EXPECT_EQ(Table(a.g)[static_cast<std::size_t>(b.g.GetPixelValue(1, 0))], 0u);
    ASSERT_EQ(group.ExportChanges(nullptr), 1);
    EXPECT_EQ(Table(a.g), shared);

    // The display's and the drawing services' palettes carry the same.
    ASSERT_EQ(Display->SetPaletteGroup(&group), 1);
    IDirectDrawPalette* dd = group.GetDDPalette();
    ASSERT_NE(dd, nullptr);
    IDirectDrawPalette* attached = nullptr;
    ASSERT_EQ(Display->GetSurface(1)->GetPalette(&attached), DD_OK);
    EXPECT_EQ(attached, dd);
    attached->Release();
    const unsigned short red = group.GetPaletteIndex(kRed, 0xFFFF);
    EXPECT_EQ(dd->Colours()[red], 0x00C80A0Au);
    HPALETTE gdi = Display->GetGDIPalette();
    ASSERT_NE(gdi, nullptr);
    EXPECT_EQ(gdi, group.GetGDIPalette()); // made once
    PALETTEENTRY e{};
    ASSERT_EQ(GetPaletteEntries(gdi, red, 1, &e), 1u);
    EXPECT_EQ(RGB(e.peRed, e.peGreen, e.peBlue), kRed);
    EXPECT_EQ(e.peFlags, 0);
}

TEST_F(PaletteTest, AGraphicJoiningWithoutRemapKeepsItsValuesAndTakesTheSharedTable)
{
    PALETTEGROUP group;
    ASSERT_EQ(group.AddSpecific(3, kBlue), 1);
    // Made for the group: its table is the group's and it is a member.
    {
        GRAPHIC g(2, 2, 8, &group, kNone);
        EXPECT_EQ(g.GetPaletteGroup(), &group);
        EXPECT_EQ(g.GetPaletteColor(3), kBlue);
        g.SetPixelValue(1, 1, 3, 0);
        ASSERT_EQ(group.AddSpecific(7, kGreen), 1);
        // The group writes its palette into the graphic before it is drawn on.
        HDC dc = g.GetDIBDC();
        ASSERT_NE(dc, nullptr);
        g.ReleaseDC(dc, 0);
        EXPECT_EQ(g.GetPaletteColor(7), kGreen);
        EXPECT_EQ(g.GetPixelValue(1, 1), 3u);
    }
    // The graphic left the group when it went: the group goes on without it.
    EXPECT_EQ(group.ExportChanges(nullptr), 1);
}

TEST_F(PaletteTest, AFixedIndexClaimedByAnotherColourFails)
{
    PALETTEGROUP group;
    ASSERT_EQ(group.AddSpecific(5, kRed), 1);
    // The standard colours want 0x800080 at 5.
    EXPECT_EQ(group.Add(static_cast<GRAPHIC*>(nullptr), 0), 0);
    EXPECT_EQ(ZephaneGetLastError(), errPaletteSlotTaken);
    // None of them went in.
    EXPECT_EQ(group.GetPaletteColor(5), kRed);
    EXPECT_EQ(group.GetPaletteColor(9), 0u);
    EXPECT_EQ(group.RemoveSpecific(5), 1);
    ASSERT_EQ(group.Add(static_cast<GRAPHIC*>(nullptr), 0), 1);
    EXPECT_EQ(group.GetPaletteColor(9), RGB(255, 0, 0));
    EXPECT_EQ(group.GetPaletteColor(4), RGB(0, 0, 128));

    // The system colours agree with the standard ones up to index 7 and
    // differ at 8.
    EXPECT_EQ(group.AddSystemColors(), 0);
    EXPECT_EQ(ZephaneGetLastError(), errPaletteSlotTaken);
    EXPECT_EQ(group.GetPaletteColor(246), 0u); // all of them or none
    ASSERT_EQ(group.Remove(static_cast<GRAPHIC*>(nullptr)), 1);
    ASSERT_EQ(group.AddSystemColors(), 1);
    EXPECT_EQ(group.GetPaletteColor(8), RGB(192, 220, 192));
    EXPECT_EQ(group.GetPaletteColor(254), RGB(0, 255, 255));
}

TEST_F(PaletteTest, AFixedColourMovesAFloatingOneThatHeldItsIndex)
{
    PALETTEGROUP group;
    PaletteImage image({kRed, kGreen});
    ASSERT_EQ(group.Add(kYellow), 1);
    ASSERT_EQ(group.Add(&image.g, 1), 1);
    ASSERT_EQ(group.GetPaletteIndex(kYellow, 0xFFFF), 1);
    // Index 1 is wanted for blue: the palette is built again with the fixed
    // colour first; the graphic still shows its own colours.
    ASSERT_EQ(group.AddSpecific(1, kBlue), 1);
    EXPECT_EQ(group.GetPaletteColor(1), kBlue);
    const unsigned short yellow = group.GetPaletteIndex(kYellow, 0xFFFF);
    EXPECT_NE(yellow, 0xFFFF);
    EXPECT_NE(yellow, 1);
    EXPECT_EQ(image.g.GetPixel(0, 0), kRed);
    EXPECT_EQ(image.g.GetPixel(1, 0), kGreen);
    EXPECT_EQ(Table(image.g), Entries(group));
    // Black held by a fixed member is not handed out as a free entry.
    for (unsigned short i = 1; i < 5; ++i)
        ASSERT_NE(group.GetPaletteColor(i), 0u) << i;
    ASSERT_EQ(group.GetPaletteColor(5), 0u);
    ASSERT_EQ(group.AddSpecific(5, RGB(0, 0, 0)), 1);
    ASSERT_EQ(group.Add(kMagenta), 1);
    EXPECT_EQ(group.GetPaletteColor(5), 0u);
    EXPECT_EQ(group.GetPaletteIndex(kMagenta, 0xFFFF), 6);
}

TEST_F(PaletteTest, GraphicMembersAreCheckedBeforeTheyJoin)
{
    PALETTEGROUP group;
    GRAPHIC empty;
    EXPECT_EQ(group.Add(&empty, 1), 0);
    EXPECT_EQ(ZephaneGetLastError(), errEmptyGraphic);
    GRAPHIC deep(4, 4, 24, kNone);
    // At 32 bits a 24-bit image is not too deep, but it has no colour table.
    ASSERT_EQ(Display->SetVideoMode(640, 480, 32, amFlip), 1);
    EXPECT_EQ(group.Add(&deep, 1), 0);
    EXPECT_EQ(ZephaneGetLastError(), errNoPalette);
    ASSERT_EQ(Display->SetVideoMode(640, 480, 8, amFlip), 1);
    EXPECT_EQ(group.Add(&deep, 1), 0);
    EXPECT_EQ(ZephaneGetLastError(), errDepthTooGreat);
    EXPECT_EQ(deep.GetPaletteGroup(), nullptr);
    PaletteImage parent({kRed, kGreen, kBlue});
    RECT r{1, 0, 3, 1};
    GRAPHIC child(&parent.g, &r, kNone);
    EXPECT_EQ(group.Add(&child, 1), 0);
    EXPECT_EQ(ZephaneGetLastError(), errChildGraphic);
    // A 4-bit image stands for the 16 standard colours.
    RGBQUAD table[16] = {};
    GRAPHIC small(2, 2, 4, table, kNone);
    ASSERT_EQ(group.Add(&small, 1), 1);
    EXPECT_EQ(group.GetPaletteColor(12), RGB(0, 0, 255));
    EXPECT_EQ(small.GetPaletteGroup(), nullptr);
}

TEST_F(PaletteTest, AFullPaletteRefusesMoreAndStaysAsItWas)
{
    PALETTEGROUP group;
    for (int i = 1; i < 255; ++i)
        ASSERT_EQ(group.Add(RGB(i, 3, 4)), 1) << i;
    const std::vector<COLORREF> full = Entries(group);
    EXPECT_EQ(group.Add(RGB(9, 9, 9)), 0);
    EXPECT_EQ(ZephaneGetLastError(), errPaletteSlotTaken);
    EXPECT_EQ(Entries(group), full);

    // A graphic with one known and two new colours, with one entry held by
    // a removed member: the palette is built again, the graphic does not fit
    // and stays out, and every other colour is still there.
    ASSERT_EQ(group.Remove(RGB(100, 3, 4)), 1);
    PaletteImage image({RGB(5, 3, 4), kRed, kGreen});
    EXPECT_EQ(group.Add(&image.g, 1), 0);
    EXPECT_EQ(ZephaneGetLastError(), errPaletteSlotTaken);
    EXPECT_EQ(image.g.GetPaletteGroup(), nullptr);
    EXPECT_EQ(image.g.GetPixel(0, 0), RGB(5, 3, 4));
    EXPECT_EQ(image.g.GetPixel(1, 0), kRed);
    EXPECT_EQ(image.g.GetPixel(2, 0), kGreen);
    EXPECT_EQ(group.GetPaletteIndex(kRed, 0xFFFF), 0xFFFF);
    EXPECT_EQ(group.GetPaletteIndex(RGB(100, 3, 4), 0xFFFF), 0xFFFF);
    for (int i = 1; i < 255; ++i) {
        if (i == 100)
            continue;
        ASSERT_NE(group.GetPaletteIndex(RGB(i, 3, 4), 0xFFFF), 0xFFFF) << i;
    }
    // With one colour fewer it fits.
    ASSERT_EQ(group.Remove(RGB(101, 3, 4)), 1);
    ASSERT_EQ(group.Add(&image.g, 1), 1);
    EXPECT_EQ(image.g.GetPixel(0, 0), RGB(5, 3, 4));
    EXPECT_EQ(image.g.GetPixel(1, 0), kRed);
    EXPECT_EQ(image.g.GetPixel(2, 0), kGreen);
    EXPECT_EQ(Table(image.g), Entries(group));
}

TEST_F(PaletteTest, AChangedColourTableIsTakenInBeforeTheGraphicIsDrawnOn)
{
    PALETTEGROUP group;
    PaletteImage image({kRed, kGreen});
    ASSERT_EQ(group.Add(&image.g, 1), 1);
    const unsigned long green = image.g.GetPixelValue(1, 0);
    PALETTEENTRY yellow{200, 200, 10, 0};
    ASSERT_EQ(image.g.SetPaletteEntries(static_cast<unsigned short>(green), 1, &yellow), 1);
    EXPECT_EQ(group.GetPaletteIndex(kYellow, 0xFFFF), 0xFFFF); // not yet
    HDC dc = image.g.GetDIBDC();
    ASSERT_NE(dc, nullptr);
    image.g.ReleaseDC(dc, 0);
    EXPECT_EQ(image.g.GetPixel(1, 0), kYellow);
    EXPECT_EQ(image.g.GetPixel(0, 0), kRed);
    EXPECT_EQ(group.GetPaletteColor(static_cast<unsigned short>(image.g.GetPixelValue(1, 0))), kYellow);

    // A new picture in the member: its colours are taken in on the next
    // export.
    RGBQUAD table[256] = {};
    table[0] = Quad(kMagenta);
    ASSERT_TRUE(image.g.Realloc(2, 2, 8, table, kNone));
    EXPECT_EQ(image.g.GetPaletteGroup(), &group);
    ASSERT_EQ(group.ExportChanges(nullptr), 1);
    EXPECT_EQ(image.g.GetPixel(1, 1), kMagenta);
    EXPECT_NE(group.GetPaletteIndex(kMagenta, 0xFFFF), 0xFFFF);
    image.g.SetPixel(0, 0, kYellow, 0);

    // Leaving: the graphic keeps its picture and loses its link.
    ASSERT_EQ(group.Remove(&image.g), 1);
    EXPECT_EQ(image.g.GetPaletteGroup(), nullptr);
    EXPECT_EQ(image.g.GetPixel(0, 0), kYellow);
    EXPECT_EQ(group.Remove(&image.g), 0);
    EXPECT_EQ(ZephaneGetLastError(), errNotFound);
}

TEST_F(PaletteTest, TheDisplayFollowsTheGroupAcrossModesAndChanges)
{
    PALETTEGROUP group;
    ASSERT_EQ(group.Add(kRed), 1);
    ASSERT_EQ(Display->SetPaletteGroup(&group), 1);

    // At 32 bits the group makes no palettes.
    ASSERT_EQ(Display->SetVideoMode(640, 480, 32, amFlip), 1);
    EXPECT_EQ(Display->fHasPalette(), 0);
    EXPECT_EQ(group.GetDDPalette(), nullptr);
    EXPECT_EQ(ZephaneGetLastError(), errNoPalette);
    EXPECT_EQ(group.GetGDIPalette(), nullptr);
    IDirectDrawPalette* attached = nullptr;
    EXPECT_NE(Display->GetSurface(1)->GetPalette(&attached), DD_OK);

    // At 8 bits the new primary surface shows the group's palette.
    ASSERT_EQ(Display->SetVideoMode(640, 480, 8, amFlip), 1);
    EXPECT_EQ(Display->fHasPalette(), 1);
    IDirectDrawPalette* first = group.GetDDPalette();
    ASSERT_NE(first, nullptr);
    ASSERT_EQ(Display->GetSurface(1)->GetPalette(&attached), DD_OK);
    EXPECT_EQ(attached, first);
    attached->Release();
    EXPECT_EQ(first->Colours()[1], 0x00C80A0Au);

    // A new colour: the palettes are made again and the display takes them.
    first->AddRef(); // kept, so that a new palette cannot reuse its address
    ASSERT_EQ(group.Add(kBlue), 1);
    IDirectDrawPalette* second = group.GetDDPalette();
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);
    EXPECT_EQ(second->Colours()[2], 0x000A0AC8u);
    ASSERT_EQ(Display->GetSurface(1)->GetPalette(&attached), DD_OK);
    EXPECT_EQ(attached, second);
    attached->Release();
    first->Release();

    // A mode change drops them too; back at 32 bits there are none.
    second->AddRef();
    group.NewDisplayMode();
    EXPECT_NE(group.GetDDPalette(), second);
    second->Release();
    ASSERT_EQ(Display->SetVideoMode(800, 600, 32, amFlip), 1);
    EXPECT_EQ(group.GetDDPalette(), nullptr);
    EXPECT_EQ(Display->GetPaletteGroup(), &group);
}

TEST_F(PaletteTest, AGroupThatGoesLeavesNoLinksBehind)
{
    PaletteImage image({kRed});
    {
        PALETTEGROUP group;
        ASSERT_EQ(group.Add(&image.g, 1), 1);
        ASSERT_EQ(Display->SetPaletteGroup(&group), 1);
    }
    EXPECT_EQ(image.g.GetPaletteGroup(), nullptr);
    EXPECT_EQ(Display->GetPaletteGroup(), nullptr);
    EXPECT_EQ(image.g.GetPixel(0, 0), kRed);
}
