#include "anim/display.h"
#include "anim/graphic.h"
#include "anim/lasterror.h"
#include "platform/d3drm/d3drm.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {
constexpr unsigned long kNone = 0xFFFFFFFFul;
constexpr COLORREF kKey = RGB(255, 0, 255);

// 24 bits, 3 x 2 (stored bottom-up): pixel (x, y) is red x * 40, green
// y * 90, blue 5, except (1, 1), which has the key colour.
void Paint(GRAPHIC& g)
{
    for (long y = 0; y < 2; ++y)
        for (long x = 0; x < 3; ++x)
            g.SetPixel(x, y, RGB(static_cast<BYTE>(x * 40), static_cast<BYTE>(y * 90), 5), 0);
    g.SetPixel(1, 1, kKey, 0);
}

D3DCOLOR Texel(IDirect3DRMTexture* t, int x, int y)
{
    return t->GetPixels()[static_cast<std::size_t>(y * t->GetWidth() + x)];
}
} // namespace

TEST(GraphicTexture, HoldsThePixelsRowsFromTheTopWithTheKeyColourSeeThrough)
{
    ASSERT_NE(Display, nullptr);
    GRAPHIC g(3, 2, 24, kKey);
    Paint(g);
    IDirect3DRMTexture* t = g.GetTexture(16);
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(t->GetWidth(), 3);
    ASSERT_EQ(t->GetHeight(), 2);
    EXPECT_EQ(Texel(t, 0, 0), 0xFF000005u);
    EXPECT_EQ(Texel(t, 2, 0), 0xFF500005u);
    EXPECT_EQ(Texel(t, 0, 1), 0xFF005A05u);
    EXPECT_EQ(Texel(t, 1, 1), 0xFFFF00FFu);
    EXPECT_EQ(t->GetShades(), 16u);
    EXPECT_TRUE(t->GetDecalTransparency());
    EXPECT_EQ(t->GetDecalTransparentColor(), 0x00FF00FFu);
    EXPECT_FALSE(t->IsTexelOpaque(1, 1));
    EXPECT_TRUE(t->IsTexelOpaque(2, 1));
    // Made once: the same texture again, with the shades asked for now.
    EXPECT_EQ(g.GetTexture(4), t);
    EXPECT_EQ(t->GetShades(), 4u);
    // Without a transparent colour nothing is see-through.
    ASSERT_TRUE(g.SetTransparentColor(kNone));
    EXPECT_EQ(g.GetTexture(4), t);
    EXPECT_FALSE(t->GetDecalTransparency());
    EXPECT_TRUE(t->IsTexelOpaque(1, 1));
}

TEST(GraphicTexture, PalettePicturesGiveTheirColours)
{
    RGBQUAD table[256] = {};
    table[3] = RGBQUAD{30, 20, 10, 0};
    GRAPHIC g(2, 1, 8, table, kNone);
    g.SetPixelValue(1, 0, 3, 0);
    IDirect3DRMTexture* t = g.GetTexture(16);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(Texel(t, 0, 0), 0xFF000000u);
    EXPECT_EQ(Texel(t, 1, 0), 0xFF0A141Eu);
}

TEST(GraphicTexture, ChangedPixelsAndFreedSurfacesReleaseTheTexture)
{
    GRAPHIC g(3, 2, 24, kKey);
    Paint(g);
    IDirect3DRMTexture* first = g.GetTexture(16);
    ASSERT_NE(first, nullptr);
    // A mesh holding the texture keeps it after the graphic let it go.
    first->AddRef();
    ASSERT_TRUE(g.SetPixel(0, 0, RGB(1, 2, 3), 0));
    IDirect3DRMTexture* second = g.GetTexture(16);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);
    EXPECT_EQ(Texel(second, 0, 0), 0xFF010203u);
    EXPECT_EQ(Texel(first, 0, 0), 0xFF000005u);
    EXPECT_EQ(first->Release(), 0u); // the graphic held no other reference

    // Drawing through the bitmap's context, released as changed.
    second->AddRef();
    HDC dc = g.GetDIBDC();
    ASSERT_NE(dc, nullptr);
    SetPixel(dc, 2, 1, RGB(9, 8, 7));
    ASSERT_TRUE(g.ReleaseDC(dc, 1));
    EXPECT_EQ(second->Release(), 0u);
    IDirect3DRMTexture* third = g.GetTexture(16);
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(Texel(third, 2, 1), 0xFF090807u);

    // A context released unchanged keeps it.
    dc = g.GetDIBDC();
    ASSERT_TRUE(g.ReleaseDC(dc, 0));
    EXPECT_EQ(g.GetTexture(16), third);

    // Around display changes every texture goes with the surfaces.
    third->AddRef();
    GRAPHIC::FreeAllSurfaces();
    EXPECT_EQ(third->Release(), 0u);
    IDirect3DRMTexture* fourth = g.GetTexture(16);
    ASSERT_NE(fourth, nullptr);
    EXPECT_EQ(Texel(fourth, 2, 1), 0xFF090807u);

    // And with the image.
    fourth->AddRef();
    g.Release();
    EXPECT_EQ(fourth->Release(), 0u);
    EXPECT_EQ(g.GetTexture(16), nullptr);
    EXPECT_EQ(ZephaneGetLastError(), errEmptyGraphic);
}

TEST(GraphicTexture, AChildGraphicHasNoTextureOfItsOwn)
{
    GRAPHIC parent(4, 4, 24, kNone);
    RECT r{1, 1, 3, 3};
    GRAPHIC child(&parent, &r, kNone);
    ASSERT_FALSE(child.fEmpty());
    EXPECT_EQ(child.GetTexture(16), nullptr);
    EXPECT_EQ(ZephaneGetLastError(), errChildTexture);
    EXPECT_NE(parent.GetTexture(16), nullptr);
}
