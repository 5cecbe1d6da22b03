#include "platform/ddraw/ddraw.h"
#include "platform/ddraw/presenter.h"
#include "platform/window/window.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {
LRESULT Proc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcA(h, m, w, l); }

class DDraw : public ::testing::Test {
protected:
    void SetUp() override
    {
        window_system::Reset();
        WNDCLASSA wc{};
        wc.lpfnWndProc = Proc;
        wc.lpszClassName = "DDrawTest";
        RegisterClassA(&wc);
        m_hwnd = CreateWindowExA(0, "DDrawTest", "t", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr,
                                 nullptr, nullptr);
        ASSERT_EQ(DirectDrawCreate(nullptr, &m_dd, nullptr), DD_OK);
    }
    void TearDown() override
    {
        m_dd->Release();
        window_system::Reset();
        presenter::Reset();
    }
    IDirectDrawSurface* Plain(int w, int h)
    {
        DDSURFACEDESC d{};
        d.dwSize = sizeof(d);
        d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
        d.dwWidth = static_cast<DWORD>(w);
        d.dwHeight = static_cast<DWORD>(h);
        IDirectDrawSurface* s = nullptr;
        EXPECT_EQ(m_dd->CreateSurface(&d, &s, nullptr), DD_OK);
        return s;
    }
    IDirectDrawSurface* Primary(DWORD backs)
    {
        DDSURFACEDESC d{};
        d.dwSize = sizeof(d);
        d.dwFlags = DDSD_CAPS | (backs ? DDSD_BACKBUFFERCOUNT : 0);
        d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | (backs ? DDSCAPS_FLIP | DDSCAPS_COMPLEX : 0);
        d.dwBackBufferCount = backs;
        IDirectDrawSurface* s = nullptr;
        EXPECT_EQ(m_dd->CreateSurface(&d, &s, nullptr), DD_OK);
        return s;
    }
    static void Fill(IDirectDrawSurface* s, DWORD colour, RECT* r = nullptr)
    {
        DDBLTFX fx{sizeof(fx), colour};
        ASSERT_EQ(s->Blt(r, nullptr, nullptr, DDBLT_COLORFILL, &fx), DD_OK);
    }
    HWND m_hwnd = nullptr;
    IDirectDraw* m_dd = nullptr;
};

TEST_F(DDraw, ModesNeedExclusiveLevelAndAListedMode)
{
    EXPECT_EQ(m_dd->SetDisplayMode(800, 600, 16), DDERR_NOEXCLUSIVEMODE);
    ASSERT_EQ(m_dd->SetCooperativeLevel(m_hwnd, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
    EXPECT_EQ(m_dd->SetDisplayMode(801, 600, 16), DDERR_INVALIDMODE);
    // Every listed mode can be set, whatever the real screen shows.
    for (const auto& m : ddraw_control::Modes())
        EXPECT_EQ(m_dd->SetDisplayMode(static_cast<DWORD>(m.width), static_cast<DWORD>(m.height),
                                       static_cast<DWORD>(m.depth)),
                  DD_OK);
    EXPECT_EQ(presenter::CurrentMode().width, 1152);
    EXPECT_EQ(m_dd->RestoreDisplayMode(), DD_OK);
    EXPECT_EQ(presenter::CurrentMode().width, presenter::DesktopMode().width);
}

TEST_F(DDraw, FlipTurnsTheChainAndShowsTheFirstBackBuffer)
{
    ASSERT_EQ(m_dd->SetCooperativeLevel(m_hwnd, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
    ASSERT_EQ(m_dd->SetDisplayMode(640, 480, 32), DD_OK);
    IDirectDrawSurface* front = Primary(2);
    IDirectDrawSurface* back = nullptr;
    DDSCAPS caps{DDSCAPS_BACKBUFFER};
    ASSERT_EQ(front->GetAttachedSurface(&caps, &back), DD_OK);
    back->Release();
    Fill(back, 0x0000FF);
    ASSERT_EQ(front->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(front->Pixels()[0], 0x0000FFu);
    int w = 0, h = 0;
    EXPECT_EQ(presenter::LastPicture(&w, &h)[0], 0x0000FFu);
    Fill(back, 0x00FF00);
    front->Flip(nullptr, DDFLIP_WAIT);
    EXPECT_EQ(front->Pixels()[0], 0x00FF00u);
    // Three flips bring the first picture back to the front.
    front->Flip(nullptr, DDFLIP_WAIT);
    front->Flip(nullptr, DDFLIP_WAIT);
    EXPECT_EQ(front->Pixels()[0], 0x0000FFu);
    // A second primary is refused; a plain surface cannot flip.
    IDirectDrawSurface* again = nullptr;
    DDSURFACEDESC d{};
    d.dwSize = sizeof(d);
    d.dwFlags = DDSD_CAPS;
    d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    EXPECT_EQ(m_dd->CreateSurface(&d, &again, nullptr), DDERR_PRIMARYSURFACEALREADYEXISTS);
    IDirectDrawSurface* plain = Plain(4, 4);
    EXPECT_EQ(plain->Flip(nullptr, 0), DDERR_NOTFLIPPABLE);
    plain->Release();
    front->Release();
}

TEST_F(DDraw, ModeChangeLosesTheScreenSurfacesButNotMemoryOnes)
{
    ASSERT_EQ(m_dd->SetCooperativeLevel(m_hwnd, DDSCL_NORMAL), DD_OK);
    IDirectDrawSurface* front = Primary(0);
    IDirectDrawSurface* plain = Plain(8, 8);
    ASSERT_EQ(m_dd->SetCooperativeLevel(m_hwnd, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
    ASSERT_EQ(m_dd->SetDisplayMode(640, 480, 16), DD_OK);
    EXPECT_EQ(front->IsLost(), DDERR_SURFACELOST);
    EXPECT_EQ(plain->IsLost(), DD_OK);
    EXPECT_EQ(front->BltFast(0, 0, plain, nullptr, 0), DDERR_SURFACELOST);
    // It comes back only at the size of the mode in force.
    EXPECT_EQ(front->Restore(), DDERR_WRONGMODE);
    front->Release();
    front = Primary(0);
    EXPECT_EQ(front->Width(), 640);
    EXPECT_EQ(front->IsLost(), DD_OK);
    front->Release();
    plain->Release();
}

TEST_F(DDraw, FastBlitsClipAndSkipTheSourceKey)
{
    IDirectDrawSurface* src = Plain(4, 4);
    IDirectDrawSurface* dst = Plain(6, 6);
    Fill(dst, 0x111111);
    Fill(src, 0xFF00FF);
    RECT inner{1, 1, 3, 3};
    Fill(src, 0x00FF00, &inner);
    DDCOLORKEY key{0xFF00FF, 0xFF00FF};
    ASSERT_EQ(src->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    ASSERT_EQ(dst->BltFast(4, 4, src, nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT), DD_OK);
    const std::uint32_t* p = dst->Pixels();
    EXPECT_EQ(p[4 * 6 + 4], 0x111111u);  // keyed: kept
    EXPECT_EQ(p[5 * 6 + 5], 0x00FF00u);  // inner pixel at (1,1) lands at (5,5)
    // Without the key, everything is copied; what passes the edge is cut.
    ASSERT_EQ(dst->BltFast(4, 4, src, nullptr, DDBLTFAST_NOCOLORKEY), DD_OK);
    EXPECT_EQ(p[4 * 6 + 4], 0xFF00FFu);
    src->Release();
    dst->Release();
}

TEST_F(DDraw, StretchBlitAndClipperKeepToTheWindow)
{
    ASSERT_EQ(m_dd->SetCooperativeLevel(m_hwnd, DDSCL_NORMAL), DD_OK);
    IDirectDrawSurface* front = Primary(0);
    Fill(front, 0);
    IDirectDrawSurface* src = Plain(2, 2);
    Fill(src, 0xABCDEF);
    IDirectDrawClipper* clip = nullptr;
    ASSERT_EQ(DirectDrawCreateClipper(0, &clip, nullptr), DD_OK);
    ASSERT_EQ(clip->Initialize(m_dd, 0), DD_OK);
    EXPECT_EQ(clip->Initialize(m_dd, 0), DDERR_ALREADYINITIALIZED);
    ASSERT_EQ(clip->SetHWnd(0, m_hwnd), DD_OK);
    ASSERT_EQ(front->SetClipper(clip), DD_OK);
    clip->Release();
    // The window covers (0,0)-(100,100); the blit asks for more.
    RECT to{50, 50, 150, 150};
    ASSERT_EQ(front->Blt(&to, src, nullptr, DDBLT_WAIT, nullptr), DD_OK);
    const int w = front->Width();
    EXPECT_EQ(front->Pixels()[60 * w + 60], 0xABCDEFu);
    EXPECT_EQ(front->Pixels()[99 * w + 99], 0xABCDEFu);
    EXPECT_EQ(front->Pixels()[100 * w + 100], 0u);
    EXPECT_EQ(front->Pixels()[49 * w + 49], 0u);
    src->Release();
    front->Release();
}

TEST_F(DDraw, LockGivesThePixelsAndDeviceContextsDrawIntoThem)
{
    IDirectDrawSurface* s = Plain(10, 5);
    DDSURFACEDESC d{};
    d.dwSize = sizeof(d);
    RECT r{2, 1, 4, 3};
    ASSERT_EQ(s->Lock(&r, &d, DDLOCK_WAIT, nullptr), DD_OK);
    EXPECT_EQ(d.lPitch, 40);
    EXPECT_EQ(d.ddpfPixelFormat.dwRGBBitCount, 32u);
    EXPECT_EQ(d.ddpfPixelFormat.dwRBitMask, 0xFF0000u);
    static_cast<std::uint32_t*>(d.lpSurface)[0] = 0x123456;
    ASSERT_EQ(s->Unlock(nullptr), DD_OK);
    EXPECT_EQ(s->Unlock(nullptr), DDERR_NOTLOCKED);
    EXPECT_EQ(s->Pixels()[1 * 10 + 2], 0x123456u);
    HDC dc = nullptr;
    ASSERT_EQ(s->GetDC(&dc), DD_OK);
    HDC second = nullptr;
    EXPECT_EQ(s->GetDC(&second), DDERR_SURFACEBUSY);
    EXPECT_EQ(GetPixel(dc, 2, 1), RGB(0x12, 0x34, 0x56));
    SetPixel(dc, 9, 4, RGB(1, 2, 3));
    ASSERT_EQ(s->ReleaseDC(dc), DD_OK);
    EXPECT_EQ(s->Pixels()[4 * 10 + 9], 0x010203u);
    s->Release();
}

TEST_F(DDraw, PresentedPictureShowsTheDepthOfTheMode)
{
    const std::uint32_t pixels[4] = {0xFF8040, 0x0A0B0C, 0x00FF00, 0x7F7F7F};
    presenter::Present(pixels, 2, 2, 2, 16, nullptr);
    int w = 0, h = 0;
    const auto& shown = presenter::LastPicture(&w, &h);
    ASSERT_EQ(w, 2);
    // 5-6-5: 0xFF,0x80,0x40 keeps 0xF8|7, 0x80|2, 0x40|2 after widening.
    EXPECT_EQ(shown[0], 0xFF8242u);
    EXPECT_EQ(shown[2], 0x00FF00u);
    std::uint32_t palette[256] = {};
    palette[1] = 0x000000;
    palette[2] = 0xFF0000;
    palette[3] = 0x00F000;
    palette[4] = 0x808080;
    const std::uint32_t indexed[4] = {0xF01010, 0x0A0B0C, 0x00FF00, 0x7F7F7F};
    presenter::Present(indexed, 2, 2, 2, 8, palette);
    const auto& mapped = presenter::LastPicture(&w, &h);
    EXPECT_EQ(mapped[0], 0xFF0000u);  // nearest of the palette
    EXPECT_EQ(mapped[1], 0x000000u);
    EXPECT_EQ(mapped[2], 0x00F000u);
    EXPECT_EQ(mapped[3], 0x808080u);
    presenter::Present(pixels, 2, 2, 2, 32, nullptr);
    EXPECT_EQ(presenter::LastPicture(&w, &h)[1], 0x0A0B0Cu);
}
}  // namespace

namespace {

// An icon file of square 32-bit images; pixel (x, y) of the image of size n
// is colour(n, x, y), with its rows stored from the bottom up.
std::string IconFile(const std::vector<int>& sizes, std::uint32_t (*colour)(int, int, int))
{
    const auto put16 = [](std::string& s, unsigned v) {
        s += static_cast<char>(v & 0xFF);
        s += static_cast<char>((v >> 8) & 0xFF);
    };
    const auto put32 = [&](std::string& s, std::uint32_t v) {
        put16(s, v & 0xFFFF);
        put16(s, v >> 16);
    };
    std::string head, bodies;
    put16(head, 0);
    put16(head, 1);
    put16(head, static_cast<unsigned>(sizes.size()));
    std::uint32_t at = 6 + 16 * static_cast<std::uint32_t>(sizes.size());
    for (int n : sizes) {
        std::string body;
        put32(body, 40);
        put32(body, static_cast<std::uint32_t>(n));
        put32(body, static_cast<std::uint32_t>(2 * n));
        put16(body, 1);
        put16(body, 32);
        body.append(24, '\0');
        for (int y = n - 1; y >= 0; --y)
            for (int x = 0; x < n; ++x)
                put32(body, colour(n, x, y));
        body.append(static_cast<std::size_t>(n) * 4, '\0'); // the mask, 4 bytes a row up to 32 pixels
        head += static_cast<char>(n);
        head += static_cast<char>(n);
        head.append(2, '\0');
        put16(head, 1);
        put16(head, 32);
        put32(head, static_cast<std::uint32_t>(body.size()));
        put32(head, at);
        at += static_cast<std::uint32_t>(body.size());
        bodies += body;
    }
    return head + bodies;
}

std::uint32_t Pattern(int n, int x, int y)
{
    return (x == 0 ? 0u : 0xFF000000u) | static_cast<std::uint32_t>(n << 16 | x << 8 | y);
}

TEST_F(DDraw, TheWindowTakesTheLargestImageOfTheClassIcon)
{
    const std::string ico = IconFile({16, 32}, &Pattern);
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.lpszClassName = "DDrawIconTest";
    wc.hIcon = reinterpret_cast<HICON>(const_cast<char*>(ico.data()));
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExA(0, "DDrawIconTest", "Icon", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr,
                                nullptr, nullptr);
    ASSERT_EQ(m_dd->SetCooperativeLevel(hwnd, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
    ASSERT_EQ(m_dd->SetDisplayMode(640, 480, 32), DD_OK);
    int size = 0;
    const std::vector<std::uint32_t>& pixels = presenter::Icon(&size);
    ASSERT_EQ(size, 32);
    ASSERT_EQ(pixels.size(), 32u * 32u);
    // Rows from the top, with the alpha the file gave.
    EXPECT_EQ(pixels[0], Pattern(32, 0, 0));
    EXPECT_EQ(pixels[5 * 32 + 7], Pattern(32, 7, 5));
    EXPECT_EQ(pixels[31 * 32 + 31], Pattern(32, 31, 31));
}

TEST_F(DDraw, IconBytesWithoutAUsableImageLeaveTheIconAsItWas)
{
    const std::string good = IconFile({16}, &Pattern);
    ASSERT_TRUE(presenter::SetIcon(good.data(), good.size()));
    std::string cut = good.substr(0, good.size() - 200);
    EXPECT_FALSE(presenter::SetIcon(cut.data(), cut.size()));
    std::string cursor = good;
    cursor[2] = 2;
    EXPECT_FALSE(presenter::SetIcon(cursor.data(), cursor.size()));
    EXPECT_FALSE(presenter::SetIcon(nullptr, 0));
    int size = 0;
    EXPECT_EQ(presenter::Icon(&size)[3 * 16 + 2], Pattern(16, 2, 3));
    EXPECT_EQ(size, 16);
}

} // namespace
