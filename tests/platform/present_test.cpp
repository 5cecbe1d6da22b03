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

namespace {
// The presenter alone on the window surface path: a picture of 800 x 600
// scaled into the full-screen window (not a whole multiple).
class ScaledSurface : public ::testing::Test {
protected:
    static constexpr int kW = 800, kH = 600;
    void Show(int depth)
    {
        presenter::Reset();
        presenter::SetCurrentMode({kW, kH, depth});
        presenter::SetFullScreen(true);
        presenter::SetPath(presenter::Path::WindowSurface);
        presenter::SetShown(true, "ScaledSurface");
        m_depth = depth;
        Present(nullptr, 0);
    }
    void TearDown() override { presenter::Reset(); }
    // The picture to the screen: the given rectangles, or all of it.
    void Present(const RECT* changed, int count)
    {
        const presenter::Source source{m_pixels.data(), kW, kH, kW, m_depth, nullptr};
        if (changed)
            presenter::PresentChanged(source, changed, count);
        else
            presenter::PresentSource(source);
    }
    bool Window(std::vector<std::uint32_t>* pixels, int* w, int* h)
    {
        return presenter::GetPath() == presenter::Path::WindowSurface && presenter::ReadWindow(pixels, w, h);
    }
    // Fine detail a filter must carry over: one-pixel lines and checks.
    void Pattern(const RECT& r, std::uint32_t seed)
    {
        for (LONG y = r.top; y < r.bottom; ++y)
            for (LONG x = r.left; x < r.right; ++x)
                m_pixels[static_cast<std::size_t>(y) * kW + x] =
                    ((x + y) % 3 == 0 ? 0xFFFFFFu : (seed * 0x9E3779B1u + static_cast<std::uint32_t>(x * 7 + y * 13)) & 0xFFFFFF);
    }
    std::vector<std::uint32_t> m_pixels = std::vector<std::uint32_t>(static_cast<std::size_t>(kW) * kH, 0x204060u);
    int m_depth = 32;
};
} // namespace

TEST_F(ScaledSurface, ChangedRectanglesLeaveTheWindowAsAWholeRedrawWould)
{
    for (int depth : {32, 16}) {
        SCOPED_TRACE(depth);
        Show(depth);
        std::vector<std::uint32_t> partial, whole;
        int w = 0, h = 0;
        if (!Window(&partial, &w, &h))
            GTEST_SKIP() << "no window surface here";
        ASSERT_TRUE(w != kW || h != kH) << "the window must scale the picture";
        // Neighbouring and overlapping rectangles, one on the picture's edge:
        // the filter near each one's border reads pixels of the others.
        const std::vector<RECT> changed{{100, 100, 140, 130}, {140, 100, 141, 160}, {120, 125, 200, 127},
                                        {0, 590, 800, 600}, {799, 0, 800, 600}};
        for (std::uint32_t step = 1; step <= 3; ++step) {
            for (const RECT& r : changed)
                Pattern(r, step);
            presenter::ResetStats();
            Present(changed.data(), static_cast<int>(changed.size()));
            EXPECT_FALSE(presenter::GetStats().lastWasWhole);
        }
        std::uint64_t sent = 0;
        for (const RECT& r : changed)
            sent += static_cast<std::uint64_t>(r.right - r.left) * static_cast<std::uint64_t>(r.bottom - r.top);
        EXPECT_EQ(presenter::GetStats().uploadedPixels, sent);
        ASSERT_TRUE(Window(&partial, &w, &h));
        presenter::NoteExposed();
        Present(changed.data(), 1);
        EXPECT_TRUE(presenter::GetStats().lastWasWhole);
        ASSERT_TRUE(Window(&whole, &w, &h));
        ASSERT_EQ(partial.size(), whole.size());
        std::size_t differ = 0;
        for (std::size_t i = 0; i < whole.size(); ++i)
            differ += partial[i] != whole[i];
        EXPECT_EQ(differ, 0u);
    }
}

TEST_F(ScaledSurface, AnEvenColourStaysExactInsideTheBarsAndEveryThinLineShows)
{
    Show(32);
    std::vector<std::uint32_t> window;
    int w = 0, h = 0;
    if (!Window(&window, &w, &h))
        GTEST_SKIP() << "no window surface here";
    const RECT box = presenter::LetterboxRect(w, h, kW, kH);
    const auto at = [&](int x, int y) { return window[static_cast<std::size_t>(y) * w + x] & 0xFFFFFFu; };
    // Blending never drifts an even colour; the bars are black.
    for (int y = box.top; y < box.bottom; y += 7)
        for (int x = box.left; x < box.right; x += 5)
            ASSERT_EQ(at(x, y), 0x204060u) << x << "," << y;
    if (box.left > 0) {
        EXPECT_EQ(at(box.left - 1, h / 2), 0u);
    }
    if (box.top > 0) {
        EXPECT_EQ(at(w / 2, box.top - 1), 0u);
    }

    // White one-pixel columns every fourth column of the picture: each one
    // shows as a bright window column, none lost and none doubled at full
    // brightness between two others.
    const RECT all{0, 0, kW, kH};
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            m_pixels[static_cast<std::size_t>(y) * kW + x] = x % 4 == 1 ? 0xFFFFFFu : 0u;
    Present(&all, 1);
    ASSERT_TRUE(Window(&window, &w, &h));
    const int y = (box.top + box.bottom) / 2;
    int lines = 0;
    for (int x = box.left; x < box.right; ++x) {
        const std::uint32_t g = (at(x, y) >> 8) & 0xFF;
        const std::uint32_t left = x > box.left ? (at(x - 1, y) >> 8) & 0xFF : 0;
        const std::uint32_t right = x + 1 < box.right ? (at(x + 1, y) >> 8) & 0xFF : 0;
        lines += g >= 128 && g >= left && g > right;
    }
    EXPECT_EQ(lines, kW / 4);
}
