// Shared set-up of the animation window tests: a visible main window with
// one "AnimWindow" child, the display bound to it, the stepped clock, and a
// host callback that records every service call.
#pragma once

#include "anim/animobj.h"
#include "anim/animwin.h"
#include "anim/animwin_iface.h"
#include "anim/display.h"
#include "anim/graphic.h"
#include "anim/lasterror.h"
#include "platform/clock/clock.h"
#include "platform/d3drm/d3drm.h"
#include "platform/ddraw/ddraw.h"
#include "platform/window/window.h"
#include "tests/test_windows.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

// Reaches the window's private tables for checks that the picture cannot
// show directly.
struct AnimWindowProbe {
    static DIRTYREGION& Background(ANIMWINDOW* w) { return w->m_drBackground; }
    static DIRTYREGION& Screen(ANIMWINDOW* w) { return w->m_drScreen; }
    static int Add(ANIMWINDOW* w, DIRTYREGION* r, RECT rc) { return w->AddToDirtyRegion(r, &rc); }
    static unsigned DataBytes(ANIMWINDOW* w) { return w->m_cbData; }
    static unsigned Depths(ANIMWINDOW* w) { return w->m_nDepths; }
};

namespace animtest {
// What the host callback saw.
struct Host {
    std::vector<svcAnimWindow> calls;
    // Per-code answers (default 1) and an action run on each call.
    std::function<int(ANIMWINDOW*, svcAnimWindow, unsigned, long)> answer;
    int Count(svcAnimWindow code) const
    {
        int n = 0;
        for (auto c : calls)
            n += c == code;
        return n;
    }
};

inline Host* g_host = nullptr;

inline int HostCallback(ANIMWINDOW* w, svcAnimWindow code, unsigned wParam, long lParam)
{
    if (!g_host)
        return 1;
    g_host->calls.push_back(code);
    return g_host->answer ? g_host->answer(w, code, wParam, lParam) : 1;
}

inline LRESULT MainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

class AnimWindowTest : public ::testing::Test {
protected:
    static constexpr int kWidth = 160;
    static constexpr int kHeight = 120;

    void SetUp() override
    {
        ASSERT_NE(Display, nullptr);
        window_system::Reset();
        clock_control::UseSteppedClock(1000);
        g_host = &host;
        const TestWindows t = OpenTestWindows("AnimTestMain", &MainProc, kWidth, kHeight, &HostCallback);
        m_main = t.main;
        m_child = t.child;
        aw = t.aw;
        ASSERT_NE(aw, nullptr);
        host.calls.clear();
    }

    void TearDown() override
    {
        // A test's answers may refer to its own objects, which are gone by
        // now; the window must not call them while it is taken down.
        host.answer = nullptr;
        Display->RestoreVideoMode();
        Display->SetMainWindow(nullptr);
        window_system::Reset();
        g_host = nullptr;
        clock_control::UseRealClock();
    }

    // The colour the screen shows at a client point of the animation window.
    std::uint32_t Shown(int x, int y)
    {
        IDirectDrawSurface* primary = Display->GetSurface(1);
        POINT p{x, y};
        ::ClientToScreen(m_child, &p);
        return primary->Pixels()[static_cast<std::size_t>(p.y) * primary->Width() + p.x] & 0xFFFFFF;
    }

    Host host;
    HWND m_main = nullptr;
    HWND m_child = nullptr;
    ANIMWINDOW* aw = nullptr;
};

// A square of half size h facing the camera (both windings, so neither is
// culled), in a new frame under parent at (x, y, z); the parent holds it.
inline IDirect3DRMFrame2* AddSquare(IDirect3DRMFrame2* parent, float x, float y, float z, float h, D3DCOLOR colour)
{
    IDirect3DRM2* rm = Display->GetDirect3d();
    IDirect3DRMFrame2* frame = nullptr;
    EXPECT_EQ(rm->CreateFrame(parent, &frame), D3DRM_OK);
    frame->SetPosition(parent, x, y, z);
    IDirect3DRMMeshBuilder* builder = nullptr;
    EXPECT_EQ(rm->CreateMeshBuilder(&builder), D3DRM_OK);
    const float corners[4][2] = {{-h, h}, {h, h}, {h, -h}, {-h, -h}};
    for (int winding = 0; winding < 2; ++winding) {
        IDirect3DRMFace* face = nullptr;
        EXPECT_EQ(builder->CreateFace(&face), D3DRM_OK);
        for (int i = 0; i < 4; ++i) {
            const auto& c = corners[winding ? 3 - i : i];
            face->AddVertex(c[0], c[1], 0);
        }
        face->Release();
    }
    builder->SetColor(colour);
    IDirect3DRMMesh* mesh = nullptr;
    EXPECT_EQ(builder->CreateMesh(&mesh), D3DRM_OK);
    builder->Release();
    frame->AddVisual(mesh);
    mesh->Release();
    frame->Release();
    return frame;
}

// 0x00RRGGBB of a colour, as surfaces hold it.
constexpr std::uint32_t Xrgb(COLORREF c)
{
    return (static_cast<std::uint32_t>(GetRValue(c)) << 16) | (static_cast<std::uint32_t>(GetGValue(c)) << 8) |
           GetBValue(c);
}

// A graphic of one colour, at 32 bits, without transparency.
inline GRAPHIC* SolidGraphic(long w, long h, COLORREF c)
{
    auto* g = new GRAPHIC(w, h, 32, 0xFFFFFFFFul);
    for (long y = 0; y < h; ++y)
        for (long x = 0; x < w; ++x)
            g->SetPixel(x, y, c, 1);
    return g;
}
} // namespace animtest
