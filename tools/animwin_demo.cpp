// Runs the animation frame loop at 40 frames per second for a few seconds:
// balls bounce over a banded background at 800 by 600. Prints the frames
// rendered, the actual rate and how much processor time the loop used
// against the time that passed, and saves the last picture as a BMP file
// (first argument, default animwin_demo.bmp; second argument: seconds).
// Set VARNO_FRAME_LOG to a file to get the per-frame statistics.
#include "anim/animobj.h"
#include "anim/animwin.h"
#include "anim/display.h"
#include "anim/graphic.h"
#include "platform/clock/clock.h"
#include "platform/ddraw/presenter.h"
#include "platform/gdi/gdi.h"
#include "platform/input/input.h"
#include "platform/window/window.h"
#include "tools/shots_bmp.h"
#include "tools/tool_window.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

namespace {
constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr COLORREF kKey = RGB(255, 0, 255);

DWORD g_end = 0;
bool g_quit = false;

LRESULT MainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_CLOSE || (msg == WM_KEYDOWN && wParam == VK_ESCAPE)) {
        g_quit = true;
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// The host: one message pumped per idle call, the loop ends at the deadline.
int WindowService(ANIMWINDOW*, svcAnimWindow code, unsigned, long)
{
    if (code != svcawIdle)
        return 1;
    MSG msg;
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return !g_quit && static_cast<std::int32_t>(GetTickCount() - g_end) < 0;
}

struct Ball {
    long x, y, dx, dy;
};

int BallService(ANIMOBJECT* o, svcAnimObject code, long)
{
    if (code != svcaoMove)
        return 1;
    auto* b = reinterpret_cast<Ball*>(o->GetLong(static_cast<unsigned>(-4)));
    const long w = o->GetWidth(), h = o->GetHeight();
    b->x += b->dx;
    b->y += b->dy;
    if (b->x < 0 || b->x + w > kWidth) {
        b->dx = -b->dx;
        b->x += 2 * b->dx;
    }
    if (b->y < 0 || b->y + h > kHeight) {
        b->dy = -b->dy;
        b->y += 2 * b->dy;
    }
    o->SetPosition(b->x, b->y);
    return 1;
}

GRAPHIC* MakeBall(int size, COLORREF colour)
{
    auto* g = new GRAPHIC(size, size, 32, kKey);
    const int r = size / 2;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const int dx = x - r, dy = y - r;
            const int d2 = dx * dx + dy * dy;
            COLORREF c = kKey;
            if (d2 < r * r) {
                // Lighter towards the upper left.
                const int shade = 255 - ((x + y) * 120) / (2 * size);
                c = RGB(static_cast<BYTE>(GetRValue(colour) * shade / 255),
                        static_cast<BYTE>(GetGValue(colour) * shade / 255),
                        static_cast<BYTE>(GetBValue(colour) * shade / 255));
            }
            g->SetPixel(x, y, c, 0);
        }
    return g;
}

using shots::SaveBmp;
} // namespace

int main(int argc, char** argv)
{
    const std::string out = argc > 1 ? argv[1] : "animwin_demo.bmp";
    const int seconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    HWND main = nullptr;
    ANIMWINDOW* aw = tools::OpenToolWindow("animwin_demo", "AnimWinDemo", "Varno frame loop", MainProc, kWidth, kHeight,
                                           &WindowService, &main);
    if (!aw)
        return 1;
    if (!Display->SetVideoMode(kWidth, kHeight, 32, amFlip)) {
        std::fprintf(stderr, "animwin_demo: cannot set 800x600x32\n");
        return 1;
    }
    SetActiveWindow(main);
    // A sky of bands and a ground strip.
    for (int y = 0; y < kHeight - 100; y += 20)
        aw->SetBackground(RGB(static_cast<BYTE>(10 + y / 8), static_cast<BYTE>(30 + y / 10), 110), 0, y, 0x80000000,
                          20);
    aw->SetBackground(RGB(60, 110, 40), 0, kHeight - 100, 0x80000000, 0x80000000);

    const COLORREF colours[] = {RGB(128, 128, 128), RGB(0, 190, 0), RGB(220, 0, 0), RGB(40, 40, 40), RGB(0, 80, 240)};
    std::vector<std::unique_ptr<GRAPHIC>> graphics;
    for (int i = 0; i < 5; ++i)
        graphics.emplace_back(MakeBall(24 + 8 * i, colours[i]));
    std::vector<Ball> balls(30);
    std::vector<std::unique_ptr<ANIMOBJECT>> objects;
    for (std::size_t i = 0; i < balls.size(); ++i) {
        balls[i] = Ball{static_cast<long>(37 * i % 700), static_cast<long>(53 * i % 500),
                        static_cast<long>(i % 7) - 3 + (i % 7 == 3 ? 2 : 0),
                        static_cast<long>(i % 5) - 2 + (i % 5 == 2 ? 1 : 0)};
        auto o = std::make_unique<ANIMOBJECT>(aw, static_cast<unsigned short>(10 + i % 3), &BallService,
                                              reinterpret_cast<long>(&balls[i]));
        o->SetGraphic(graphics[i % graphics.size()].get(), 1);
        o->SetPosition(balls[i].x, balls[i].y);
        objects.push_back(std::move(o));
    }
    aw->SetTargetFrameRate(40);
    const DWORD start = GetTickCount();
    g_end = start + static_cast<DWORD>(seconds) * 1000;
    const std::clock_t cpu0 = std::clock();
    const long frame0 = aw->GetNextFrameNumber();
    aw->Animate(-1);
    const double cpu = static_cast<double>(std::clock() - cpu0) / CLOCKS_PER_SEC;
    const double wall = (GetTickCount() - start) / 1000.0;
    const long frames = aw->GetNextFrameNumber() - frame0;
    std::printf("frames %ld in %.2f s: %.1f per second (actual rate %.1f); processor %.2f s = %.0f%% of one core\n",
                frames, wall, frames / wall, aw->GetActualFrameRate(), cpu, 100.0 * cpu / wall);
    int w = 0, h = 0;
    const auto& picture = presenter::LastPicture(&w, &h);
    if (!SaveBmp(out, picture, w, h)) {
        std::fprintf(stderr, "animwin_demo: cannot write %s\n", out.c_str());
        return 1;
    }
    std::printf("%s: %dx%d\n", out.c_str(), w, h);
    objects.clear();
    Display->RestoreVideoMode();
    DestroyWindow(main);
    return 0;
}
