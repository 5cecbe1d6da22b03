#include "anim/display.h"
#include "anim/graphic.h"
#include "anim/lasterror.h"
#include "platform/base/syserror.h"
#include "platform/ddraw/ddraw.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {
constexpr unsigned long kNone = 0xFFFFFFFFul;
constexpr int kToEdge = static_cast<int>(0x80000000u);

// An off-screen surface of the display to draw on, filled with one colour.
class Target {
public:
    Target(int w, int h, std::uint32_t fill)
    {
        DDSURFACEDESC desc{};
        desc.dwSize = sizeof desc;
        desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        desc.dwWidth = static_cast<DWORD>(w);
        desc.dwHeight = static_cast<DWORD>(h);
        desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
        EXPECT_EQ(Display->GetDirectDraw()->CreateSurface(&desc, &surface, nullptr), DD_OK);
        for (int i = 0; i < w * h; ++i)
            surface->Pixels()[i] = fill;
    }
    ~Target() { surface->Release(); }
    std::uint32_t At(int x, int y) const { return surface->Pixels()[y * surface->Width() + x]; }
    IDirectDrawSurface* surface = nullptr;
};

// 24 bits: pixel (x, y) is red x * 10, green y * 10, blue 7.
void Paint(GRAPHIC& g)
{
    for (long y = 0; y < g.GetHeight(); ++y)
        for (long x = 0; x < g.GetWidth(); ++x)
            g.SetPixel(x, y, RGB(static_cast<BYTE>(x * 10), static_cast<BYTE>(y * 10), 7), 0);
}
std::uint32_t Xrgb(int x, int y)
{
    return (static_cast<std::uint32_t>(x * 10) << 16) | (y * 10 << 8) | 7;
}
} // namespace

TEST(GraphicDraw, ANegativeXDrawsTheSourceFromTheColumnsPastIt)
{
    ASSERT_NE(Display, nullptr);
    GRAPHIC g(10, 6, 24, kNone);
    Paint(g);
    Target t(8, 8, 0x00ABCDEF);
    ASSERT_TRUE(g.DrawTo(t.surface, -5, 1, kToEdge, kToEdge, 0, 0));
    EXPECT_EQ(t.At(0, 1), Xrgb(5, 0));
    EXPECT_EQ(t.At(4, 6), Xrgb(9, 5));
    EXPECT_EQ(t.At(5, 1), 0x00ABCDEFu); // the source ended there
    EXPECT_EQ(t.At(0, 0), 0x00ABCDEFu);
    EXPECT_EQ(t.At(0, 7), 0x00ABCDEFu);
    // Clipped at the target's edge; a source offset past the edge draws nothing.
    ASSERT_TRUE(g.DrawTo(t.surface, 6, 6, 4, 4, 1, 1));
    EXPECT_EQ(t.At(7, 7), Xrgb(2, 2));
    EXPECT_TRUE(g.DrawTo(t.surface, 0, 0, 3, 3, 10, 6));
    EXPECT_FALSE(g.DrawTo(static_cast<IDirectDrawSurface*>(nullptr), 0, 0, 1, 1, 0, 0));
    EXPECT_EQ(ZephaneGetLastError(), static_cast<int>(ERROR_INVALID_PARAMETER));
}

TEST(GraphicDraw, TheTransparentColourLeavesTheTargetAndAChildDrawsItsOwnPart)
{
    RGBQUAD table[16] = {};
    table[1] = RGBQUAD{0, 0, 255, 0};   // red
    table[2] = RGBQUAD{255, 0, 255, 0}; // magenta, transparent
    GRAPHIC g(4, 4, 4, table, RGB(255, 0, 255));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            g.SetPixelValue(x, y, (x + y) % 2 ? 2 : 1, 0);
    Target t(4, 4, 0x00123456);
    ASSERT_TRUE(g.DrawTo(t.surface, 0, 0, kToEdge, kToEdge, 0, 0));
    EXPECT_EQ(t.At(0, 0), 0x00FF0000u);
    EXPECT_EQ(t.At(1, 0), 0x00123456u);
    EXPECT_EQ(g.FindColorKey(RGB(255, 0, 255)), 0x00FF00FFu);

    RECT r{1, 1, 3, 3};
    GRAPHIC child(&g, &r, RGB(255, 0, 255));
    Target u(2, 2, 0x00000001);
    ASSERT_TRUE(child.DrawTo(u.surface, 0, 0, kToEdge, kToEdge, 0, 0));
    EXPECT_EQ(u.At(0, 0), 0x00FF0000u); // parent's (1, 1)
    EXPECT_EQ(u.At(1, 0), 0x00000001u);
}

TEST(GraphicDraw, TranslucentGraphicsBlendAndAlphaZeroIsAnOrdinaryBlit)
{
    GRAPHIC g(2, 1, 32, kNone);
    g.SetPixel(0, 0, RGB(200, 100, 0), 0);
    g.SetPixel(1, 0, RGB(0, 0, 255), 0);
    Target t(2, 1, 0x00000000);
    ASSERT_TRUE(g.SetTranslucent(atConstant, 128));
    ASSERT_TRUE(g.DrawTo(t.surface, 0, 0, kToEdge, kToEdge, 0, 0));
    EXPECT_EQ(t.At(0, 0), 0x00643200u); // half of (200, 100, 0)
    EXPECT_EQ(t.At(1, 0), 0x0000007Fu);

    GRAPHIC zero(2, 1, 32, kNone);
    zero.SetPixel(0, 0, RGB(10, 20, 30), 0);
    zero.SetTranslucent(atConstant, 0);
    Target u(2, 1, 0x00FFFFFF);
    ASSERT_TRUE(zero.DrawTo(u.surface, 0, 0, kToEdge, kToEdge, 0, 0));
    EXPECT_EQ(u.At(0, 0), 0x000A141Eu);

    // A map gives every pixel its own alpha; the key is skipped.
    GRAPHIC mapped(3, 1, 24, RGB(0, 0, 0));
    mapped.SetPixel(0, 0, RGB(255, 255, 255), 0);
    mapped.SetPixel(1, 0, RGB(255, 255, 255), 0);
    ASSERT_TRUE(mapped.SetTranslucent(atMap, 0));
    mapped.GetTranslucencyInfo()->map[0] = 0;
    mapped.GetTranslucencyInfo()->map[1] = 255;
    Target v(3, 1, 0x00101010);
    ASSERT_TRUE(mapped.DrawTo(v.surface, 0, 0, kToEdge, kToEdge, 0, 0));
    EXPECT_EQ(v.At(0, 0), 0x00101010u);
    EXPECT_EQ(v.At(1, 0), 0x00FEFEFEu);
    EXPECT_EQ(v.At(2, 0), 0x00101010u); // the transparent colour

    ALPHAINFO small{atMap, 0, mapped.GetTranslucencyInfo()->map, 1, 1};
    RECT whole{0, 0, 3, 1};
    EXPECT_EQ(GRAPHIC::AlphaBlend(v.surface, 0, 0, mapped.GetSurface(), &whole, &small, kNone, 32),
              static_cast<HRESULT>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(GRAPHIC::AlphaBlend(v.surface, 0, 0, mapped.GetSurface(), &whole, nullptr, kNone, 32),
              static_cast<HRESULT>(ERROR_INVALID_PARAMETER));
    ALPHAINFO constant{atConstant, 10, nullptr, 0, 0};
    EXPECT_EQ(GRAPHIC::AlphaBlend(v.surface, 0, 0, mapped.GetSurface(), &whole, &constant, kNone, 8),
              static_cast<HRESULT>(0x88760250u));
}

TEST(GraphicDraw, AfterTheSurfacesAreDroppedTheFirstDrawRemakesThemFromTheBitmap)
{
    GRAPHIC g(3, 3, 24, RGB(0, 255, 0));
    Paint(g);
    g.SetPixel(2, 2, RGB(0, 255, 0), 0);
    Target t(3, 3, 0x00FFFFFF);
    ASSERT_TRUE(g.DrawTo(t.surface, 0, 0, kToEdge, kToEdge, 0, 0));
    IDirectDrawSurface* first = g.GetSurface();
    ASSERT_NE(first, nullptr);
    GRAPHIC::FreeAllSurfaces();
    g.SetPixel(0, 0, RGB(1, 2, 3), 0);
    t.surface->Pixels()[8] = 0x00FFFFFF;
    ASSERT_TRUE(g.DrawTo(t.surface, 0, 0, kToEdge, kToEdge, 0, 0));
    EXPECT_EQ(t.At(0, 0), 0x00010203u);
    EXPECT_EQ(t.At(2, 2), 0x00FFFFFFu); // keyed again
    EXPECT_EQ(t.At(1, 2), Xrgb(1, 2));
}

TEST(GraphicDraw, ALostSurfaceIsRestoredAndRefilledOnce)
{
    GRAPHIC g(2, 2, 24, kNone);
    Paint(g);
    Target t(2, 2, 0);
    ASSERT_NE(g.GetSurface(), nullptr);
    ddraw_control::LoseAllSurfaces();
    ASSERT_TRUE(g.DrawTo(t.surface, 0, 0, kToEdge, kToEdge, 0, 0));
    EXPECT_EQ(t.At(1, 1), Xrgb(1, 1));
}

TEST(GraphicDraw, CopiesIntoBitmapsKeepTheirMasterCopy)
{
    GRAPHIC source(3, 2, 24, kNone);
    Paint(source);
    GRAPHIC plain(5, 5, 24, kNone);
    ASSERT_TRUE(source.DrawDIBTo(&plain, 2, 3, kToEdge, kToEdge, 0, 0));
    EXPECT_EQ(plain.GetPixel(2, 3), RGB(0, 0, 7));
    EXPECT_EQ(plain.GetPixel(4, 4), RGB(20, 10, 7));
    EXPECT_EQ(plain.GetPixel(1, 1), RGB(0, 0, 0));

    // With a transparent colour the target keeps what lies under it.
    GRAPHIC keyed(2, 2, 24, RGB(255, 255, 255));
    keyed.SetPixel(0, 0, RGB(255, 255, 255), 0);
    keyed.SetPixel(1, 0, RGB(9, 9, 9), 0);
    GRAPHIC under(2, 2, 24, kNone);
    under.SetPixel(0, 0, RGB(50, 60, 70), 0);
    ASSERT_TRUE(keyed.DrawToDIB(&under, 0, 0, kToEdge, kToEdge, 0, 0));
    EXPECT_EQ(under.GetPixel(0, 0), RGB(50, 60, 70));
    EXPECT_EQ(under.GetPixel(1, 0), RGB(9, 9, 9));

    // Into a palette image the colours land on its table.
    RGBQUAD table[16] = {};
    table[4] = RGBQUAD{7, 10, 20, 0};
    GRAPHIC indexed(3, 2, 4, table, kNone);
    ASSERT_TRUE(source.DrawDIBTo(&indexed, 0, 0, kToEdge, kToEdge, 0, 0));
    EXPECT_EQ(indexed.GetPixelValue(2, 1), 4u);
    EXPECT_EQ(indexed.GetPixelValue(0, 0), 0u);
}

TEST(GraphicDraw, DrawingThroughTheBitmapsContextChangesThePicture)
{
    RGBQUAD table[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
    GRAPHIC g(16, 4, 1, table, kNone);
    HDC dc = g.GetDIBDC();
    ASSERT_NE(dc, nullptr);
    RECT r{2, 1, 5, 3};
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    EXPECT_EQ(g.GetPixelValue(3, 2), 0u); // not until released
    EXPECT_TRUE(g.ReleaseDC(dc, 1));
    EXPECT_EQ(g.GetPixelValue(3, 2), 1u);
    EXPECT_EQ(g.GetPixelValue(5, 2), 0u);
    // The surface made afterwards shows it.
    Target t(16, 4, 0x00777777);
    ASSERT_TRUE(g.DrawTo(t.surface, 0, 0, kToEdge, kToEdge, 0, 0));
    EXPECT_EQ(t.At(4, 1), 0x00FFFFFFu);
    // A surface context and a bitmap context are not handed out at once.
    HDC sdc = g.GetDC();
    ASSERT_NE(sdc, nullptr);
    EXPECT_EQ(g.GetDIBDC(), nullptr);
    EXPECT_TRUE(g.ReleaseDC(sdc, 1));
}
