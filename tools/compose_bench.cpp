// Speed of composing and presenting one frame of 50 moving objects at 800
// by 600, in the flipping path (the whole back buffer rebuilt every frame)
// and the blitting path (only the dirty areas rebuilt).
#include "anim/animobj.h"
#include "anim/animwin.h"
#include "anim/display.h"
#include "anim/graphic.h"
#include "platform/window/window.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {
constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr COLORREF kKey = RGB(255, 0, 255);

LRESULT MainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

struct Mover {
    long x, y, dx, dy;
};

int MoveService(ANIMOBJECT* o, svcAnimObject code, long)
{
    if (code != svcaoMove)
        return 1;
    auto* m = reinterpret_cast<Mover*>(o->GetLong(static_cast<unsigned>(-4)));
    m->x += m->dx;
    m->y += m->dy;
    if (m->x < 0 || m->x + o->GetWidth() > kWidth)
        m->dx = -m->dx;
    if (m->y < 0 || m->y + o->GetHeight() > kHeight)
        m->dy = -m->dy;
    o->SetPosition(m->x, m->y);
    return 1;
}

struct Scene {
    HWND main = nullptr;
    ANIMWINDOW* aw = nullptr;
    std::unique_ptr<GRAPHIC> sprite;
    std::vector<Mover> movers;
    std::vector<std::unique_ptr<ANIMOBJECT>> objects;

    explicit Scene(ANIMMETHOD method)
    {
        WNDCLASSA wc{};
        wc.lpfnWndProc = MainProc;
        wc.lpszClassName = "ComposeBench";
        RegisterClassA(&wc);
        main = CreateWindowExA(0, "ComposeBench", "", WS_POPUP | WS_VISIBLE, 0, 0, kWidth, kHeight, nullptr, nullptr,
                               nullptr, nullptr);
        Display->SetMainWindow(main);
        HWND child = CreateWindowExA(0, "AnimWindow", "", WS_CHILD | WS_VISIBLE, 0, 0, kWidth, kHeight, main, nullptr,
                                     nullptr, nullptr);
        aw = ANIMWINDOW::GetAnimWindow(child);
        if (method != amBlit)
            Display->SetVideoMode(kWidth, kHeight, 32, method);
        SetActiveWindow(main);
        aw->SetBackground(RGB(20, 40, 90), 0, 0, 0x80000000, 0x80000000);
        sprite = std::make_unique<GRAPHIC>(40, 40, 32, kKey);
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 40; ++x)
                sprite->SetPixel(x, y, (x - 20) * (x - 20) + (y - 20) * (y - 20) < 400 ? RGB(200, 160, 20) : kKey, 0);
        movers.resize(50);
        for (int i = 0; i < 50; ++i) {
            movers[i] = Mover{(i * 131) % 700, (i * 71) % 500, 1 + i % 4, 1 + i % 3};
            auto o = std::make_unique<ANIMOBJECT>(aw, static_cast<unsigned short>(10 + i % 4), &MoveService,
                                                  reinterpret_cast<long>(&movers[i]));
            o->SetGraphic(sprite.get(), 1);
            o->SetPosition(movers[i].x, movers[i].y);
            objects.push_back(std::move(o));
        }
        aw->RenderFrame();
    }
    ~Scene()
    {
        objects.clear();
        Display->RestoreVideoMode();
        Display->SetMainWindow(nullptr);
        DestroyWindow(main);
        UnregisterClassA("ComposeBench", nullptr);
    }
};

void BM_FrameFlip(benchmark::State& state)
{
    Scene scene(amFlip);
    for (auto _ : state)
        benchmark::DoNotOptimize(scene.aw->RenderFrame());
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FrameFlip)->Unit(benchmark::kMillisecond);

void BM_FrameBlit(benchmark::State& state)
{
    Scene scene(amBlit);
    for (auto _ : state)
        benchmark::DoNotOptimize(scene.aw->RenderFrame());
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FrameBlit)->Unit(benchmark::kMillisecond);
} // namespace

BENCHMARK_MAIN();
