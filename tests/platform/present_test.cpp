// What the primary surface sends to the screen: the rectangles a back
// buffer says changed, the rectangle a blit onto the primary touched, the
// whole picture when nothing is known; and the picture kept for screenshots
// and tests stays right when the surfaces go.
#include "platform/ddraw/ddraw.h"
#include "platform/ddraw/presenter.h"
#include "platform/window/window.h"

#include <gtest/gtest.h>

namespace {
LRESULT Proc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcA(h, m, w, l); }

class Present : public ::testing::Test {
protected:
    void SetUp() override
    {
        window_system::Reset();
        WNDCLASSA wc{};
        wc.lpfnWndProc = Proc;
        wc.lpszClassName = "PresentTest";
        RegisterClassA(&wc);
        m_hwnd = CreateWindowExA(0, "PresentTest", "t", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr,
                                 nullptr, nullptr);
        ASSERT_EQ(DirectDrawCreate(nullptr, &m_dd, nullptr), DD_OK);
        ASSERT_EQ(m_dd->SetCooperativeLevel(m_hwnd, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
        ASSERT_EQ(m_dd->SetDisplayMode(640, 480, 32), DD_OK);
        DDSURFACEDESC d{};
        d.dwSize = sizeof(d);
        d.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
        d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
        d.dwBackBufferCount = 2;
        ASSERT_EQ(m_dd->CreateSurface(&d, &m_front, nullptr), DD_OK);
        DDSCAPS caps{DDSCAPS_BACKBUFFER};
        ASSERT_EQ(m_front->GetAttachedSurface(&caps, &m_back), DD_OK);
        m_back->Release();
        // The first flip shows everything.
        ASSERT_EQ(m_front->Flip(nullptr, DDFLIP_WAIT), DD_OK);
        if (presenter::GetStats().shows == 0)
            GTEST_SKIP() << "The presenter shows nothing here (no window or renderer)";
        presenter::ResetStats();
    }
    void TearDown() override
    {
        if (m_front)
            m_front->Release();
        if (m_dd)
            m_dd->Release();
        window_system::Reset();
        presenter::Reset();
    }
    static void Fill(IDirectDrawSurface* s, DWORD colour, RECT r)
    {
        DDBLTFX fx{sizeof(fx), colour};
        ASSERT_EQ(s->Blt(&r, nullptr, nullptr, DDBLT_COLORFILL, &fx), DD_OK);
    }
    static std::uint32_t Shown(int x, int y)
    {
        int w = 0, h = 0;
        return presenter::LastPicture(&w, &h)[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + x];
    }

    HWND m_hwnd = nullptr;
    IDirectDraw* m_dd = nullptr;
    IDirectDrawSurface* m_front = nullptr;
    IDirectDrawSurface* m_back = nullptr;
};
} // namespace

TEST_F(Present, AFlipSendsOnlyTheRectanglesTheBackBufferNamed)
{
    Fill(m_back, 0x00FF00, {0, 0, 640, 480});
    const RECT changed[2] = {{10, 10, 20, 30}, {100, 100, 150, 110}};
    m_back->SetChangedRects(changed, 2);
    ASSERT_EQ(m_front->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(presenter::GetStats().uploadedPixels, 200u + 500u);
    EXPECT_EQ(presenter::GetStats().uploads, 2u);
    EXPECT_EQ(presenter::GetStats().shows, 1u);
    // What is kept for screenshots is the whole front picture all the same.
    EXPECT_EQ(Shown(300, 300), 0x00FF00u);

    // No change at all: nothing is sent and nothing shown anew.
    presenter::ResetStats();
    m_back->SetChangedRects(nullptr, 0);
    ASSERT_EQ(m_front->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(presenter::GetStats().uploadedPixels, 0u);
    EXPECT_EQ(presenter::GetStats().shows, 0u);
}

TEST_F(Present, DrawingAfterTheHintOrNoHintSendsTheWholePicture)
{
    const RECT small{0, 0, 4, 4};
    m_back->SetChangedRects(&small, 1);
    Fill(m_back, 0x0000FF, {200, 200, 210, 210});
    ASSERT_EQ(m_front->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(presenter::GetStats().uploadedPixels, 640u * 480u);
    EXPECT_EQ(Shown(205, 205), 0x0000FFu);

    // A hint lasts one flip only.
    presenter::ResetStats();
    ASSERT_EQ(m_front->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(presenter::GetStats().uploadedPixels, 640u * 480u);
}

TEST_F(Present, ABlitOntoTheFrontSendsTheAreaItTouched)
{
    Fill(m_front, 0xFF0000, {50, 60, 70, 65});
    EXPECT_EQ(presenter::GetStats().uploadedPixels, 100u);
    EXPECT_EQ(Shown(55, 62), 0xFF0000u);
}

TEST_F(Present, TheKeptPictureOutlivesTheSurfaces)
{
    Fill(m_back, 0x123456, {0, 0, 640, 480});
    ASSERT_EQ(m_front->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    m_front->Release();
    m_front = nullptr;
    int w = 0, h = 0;
    const auto& picture = presenter::LastPicture(&w, &h);
    ASSERT_EQ(w, 640);
    ASSERT_EQ(h, 480);
    EXPECT_EQ(picture[640 * 100 + 100], 0x123456u);
}

TEST_F(Present, A16BitModeQuantisesWhatItSends)
{
    ASSERT_EQ(m_dd->SetDisplayMode(640, 480, 16), DD_OK);
    ASSERT_EQ(m_front->Restore(), DD_OK);
    Fill(m_back, 0xFF8040, {0, 0, 640, 480});
    ASSERT_EQ(m_front->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_TRUE(presenter::GetStats().lastWasWhole) << "a new depth shows the whole picture";
    EXPECT_EQ(Shown(1, 1), 0xFF8242u);
    presenter::ResetStats();
    Fill(m_back, 0x0A0B0C, {8, 8, 16, 16});
    const RECT changed{8, 8, 16, 16};
    m_back->SetChangedRects(&changed, 1);
    ASSERT_EQ(m_front->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(presenter::GetStats().uploadedPixels, 64u);
    EXPECT_EQ(Shown(10, 10), 0x080808u);
}
