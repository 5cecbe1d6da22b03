#include "platform/gdi/gdi.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
class Gdi : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_pixels.assign(static_cast<std::size_t>(kW) * kH, 0xFFFFFF);
        m_dc = gdi::CreateBufferDC(m_pixels.data(), kW, kH, kW);
        ASSERT_NE(m_dc, nullptr);
    }
    void TearDown() override { DeleteDC(m_dc); }

    HFONT Font(const char* face, int height, bool bold = false)
    {
        LOGFONTA lf{};
        lf.lfHeight = height;
        lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
        std::snprintf(lf.lfFaceName, sizeof lf.lfFaceName, "%s", face);
        return CreateFontIndirectA(&lf);
    }
    std::uint32_t At(int x, int y) const { return m_pixels[static_cast<std::size_t>(y) * kW + x]; }
    int Count(std::uint32_t colour, const RECT& r, bool inside) const
    {
        int n = 0;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                const bool in = x >= r.left && x < r.right && y >= r.top && y < r.bottom;
                if (in == inside && At(x, y) == colour)
                    ++n;
            }
        return n;
    }

    static constexpr int kW = 200;
    static constexpr int kH = 120;
    std::vector<std::uint32_t> m_pixels;
    HDC m_dc = nullptr;
};

TEST_F(Gdi, FacesResolveToTheirMetricTwinsAndDropTheEoSuffix)
{
    char file[512];
    ASSERT_TRUE(gdi::ResolveFace("Times New Roman", false, false, file, sizeof file));
    EXPECT_NE(std::string(file).find("LiberationSerif"), std::string::npos);
    ASSERT_TRUE(gdi::ResolveFace("Times New Roman Eo", true, true, file, sizeof file));
    EXPECT_NE(std::string(file).find("LiberationSerif-BoldItalic"), std::string::npos);
    ASSERT_TRUE(gdi::ResolveFace("Arial Eo", false, false, file, sizeof file));
    EXPECT_NE(std::string(file).find("LiberationSans"), std::string::npos);
    ASSERT_TRUE(gdi::ResolveFace("Courier New", false, false, file, sizeof file));
    EXPECT_NE(std::string(file).find("LiberationMono"), std::string::npos);
}

TEST_F(Gdi, TextIsMeasuredByContentWeightAndSize)
{
    HFONT regular = Font("Arial", -16);
    HFONT bold = Font("Arial", -16, true);
    HFONT big = Font("Arial", -32);
    SelectObject(m_dc, regular);
    SIZE shortText, longText, boldText, bigText;
    ASSERT_TRUE(GetTextExtentPoint32A(m_dc, "Play", 4, &shortText));
    ASSERT_TRUE(GetTextExtentPoint32A(m_dc, "Play the game", -1, &longText));
    EXPECT_GT(longText.cx, shortText.cx);
    EXPECT_EQ(longText.cy, shortText.cy);
    EXPECT_GE(shortText.cy, 16);
    SelectObject(m_dc, bold);
    GetTextExtentPoint32A(m_dc, "Play the game", -1, &boldText);
    EXPECT_GT(boldText.cx, longText.cx);
    SelectObject(m_dc, big);
    GetTextExtentPoint32A(m_dc, "Play", 4, &bigText);
    EXPECT_GT(bigText.cy, shortText.cy * 3 / 2);
    // Esperanto letters are measured as letters, not as missing glyphs.
    SIZE eo;
    GetTextExtentPoint32A(m_dc, "\xC4\x89\xC4\x9D", -1, &eo);  // two accented letters
    EXPECT_GT(eo.cx, 0);
    SelectObject(m_dc, GetStockObject(DEFAULT_GUI_FONT));
    DeleteObject(regular);
    DeleteObject(bold);
    DeleteObject(big);
}

TEST_F(Gdi, WordBreakingSplitsIntoLinesThatFitTheWidth)
{
    HFONT f = Font("Arial", -14);
    SelectObject(m_dc, f);
    const char* text = "one two three four five six seven eight nine ten";
    SIZE one;
    GetTextExtentPoint32A(m_dc, "X", 1, &one);
    RECT single{0, 0, 1000, 0};
    const int h1 = DrawTextA(m_dc, text, -1, &single, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(h1, one.cy);
    RECT narrow{0, 0, 80, 0};
    const int hn = DrawTextA(m_dc, text, -1, &narrow, DT_CALCRECT | DT_WORDBREAK);
    EXPECT_EQ(hn % one.cy, 0);
    EXPECT_GE(hn / one.cy, 4);
    EXPECT_EQ(narrow.bottom, hn);
    RECT wider{0, 0, 200, 0};
    const int hw = DrawTextA(m_dc, text, -1, &wider, DT_CALCRECT | DT_WORDBREAK);
    EXPECT_LT(hw, hn);
    // An explicit line break starts a new line.
    RECT two{0, 0, 1000, 0};
    EXPECT_EQ(DrawTextA(m_dc, "a\nb", -1, &two, DT_CALCRECT), 2 * one.cy);
    SelectObject(m_dc, GetStockObject(DEFAULT_GUI_FONT));
    DeleteObject(f);
}

TEST_F(Gdi, DrawnTextStaysInsideItsRectangleInItsColour)
{
    HFONT f = Font("Times New Roman", -20, true);
    SelectObject(m_dc, f);
    SetTextColor(m_dc, RGB(200, 0, 0));
    SetBkMode(m_dc, TRANSPARENT);
    RECT r{20, 20, 120, 60};
    DrawTextA(m_dc, "Varno Varno Varno", -1, &r, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    EXPECT_GT(Count(0xC80000, r, true), 10);
    // Nothing of any other colour than white outside (the text is clipped).
    int outside = 0;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            if ((x < r.left || x >= r.right || y < r.top || y >= r.bottom) && At(x, y) != 0xFFFFFF)
                ++outside;
    EXPECT_EQ(outside, 0);
    // Opaque mode fills behind the text with the background colour.
    SetBkMode(m_dc, OPAQUE);
    SetBkColor(m_dc, RGB(0, 0, 255));
    TextOutA(m_dc, 10, 80, "Hi", 2);
    EXPECT_GT(Count(0x0000FF, RECT{10, 80, 60, 110}, true), 20);
    // Drawing the same string again adds nothing to the cache.
    const int cached = gdi::TextCacheSize();
    TextOutA(m_dc, 10, 80, "Hi", 2);
    EXPECT_EQ(gdi::TextCacheSize(), cached);
    SelectObject(m_dc, GetStockObject(DEFAULT_GUI_FONT));
    DeleteObject(f);
}

TEST_F(Gdi, RightAlignedTextEndsAtTheRightEdge)
{
    HFONT f = Font("Arial", -16);
    SelectObject(m_dc, f);
    SetTextColor(m_dc, RGB(0, 0, 0));
    SetBkMode(m_dc, TRANSPARENT);
    RECT r{0, 0, 150, 30};
    DrawTextA(m_dc, "Right", -1, &r, DT_SINGLELINE | DT_RIGHT);
    int leftmost = kW;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 150; ++x)
            if (At(x, y) != 0xFFFFFF)
                leftmost = std::min(leftmost, x);
    SIZE s;
    GetTextExtentPoint32A(m_dc, "Right", 5, &s);
    EXPECT_GE(leftmost, 150 - s.cx - 2);
    SelectObject(m_dc, GetStockObject(DEFAULT_GUI_FONT));
    DeleteObject(f);
}

TEST_F(Gdi, ShapesFillFrameAndLineAsAsked)
{
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    RECT r{10, 10, 20, 15};
    FillRect(m_dc, &r, red);
    EXPECT_EQ(Count(0xFF0000, r, true), 50);
    EXPECT_EQ(Count(0xFF0000, r, false), 0);
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    RECT frame{30, 30, 40, 40};
    FrameRect(m_dc, &frame, blue);
    EXPECT_EQ(Count(0x0000FF, frame, true), 36);
    EXPECT_EQ(At(35, 35), 0xFFFFFFu);
    // The focus rectangle goes away when drawn twice.
    RECT focus{50, 50, 70, 60};
    const auto before = m_pixels;
    DrawFocusRect(m_dc, &focus);
    EXPECT_NE(m_pixels, before);
    DrawFocusRect(m_dc, &focus);
    EXPECT_EQ(m_pixels, before);
    // Lines stop short of their end point.
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 128, 0));
    HGDIOBJ oldPen = SelectObject(m_dc, pen);
    MoveToEx(m_dc, 100, 5, nullptr);
    LineTo(m_dc, 110, 5);
    EXPECT_EQ(At(100, 5), 0x008000u);
    EXPECT_EQ(At(109, 5), 0x008000u);
    EXPECT_EQ(At(110, 5), 0xFFFFFFu);
    SelectObject(m_dc, oldPen);
    EXPECT_FALSE(DeleteObject(red) == FALSE);
    DeleteObject(blue);
    DeleteObject(pen);
}

TEST_F(Gdi, MemoryContextsCopyWithClipping)
{
    HDC mem = CreateCompatibleDC(m_dc);
    HBITMAP bmp = CreateCompatibleBitmap(m_dc, 10, 10);
    SelectObject(mem, bmp);
    RECT all{0, 0, 10, 10};
    HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
    FillRect(mem, &all, green);
    ASSERT_TRUE(BitBlt(m_dc, kW - 5, -3, 10, 10, mem, 0, 0, SRCCOPY));
    EXPECT_EQ(At(kW - 5, 0), 0x00FF00u);
    EXPECT_EQ(At(kW - 1, 6), 0x00FF00u);
    EXPECT_EQ(At(kW - 6, 0), 0xFFFFFFu);
    EXPECT_EQ(At(kW - 1, 7), 0xFFFFFFu);
    // A bitmap in use cannot be deleted.
    EXPECT_FALSE(DeleteObject(bmp));
    DeleteDC(mem);
    EXPECT_TRUE(DeleteObject(bmp));
    DeleteObject(green);
    EXPECT_EQ(GetDeviceCaps(m_dc, LOGPIXELSY), 96);
    EXPECT_EQ(MulDiv(10, 96, 72), 13);
}
}  // namespace
