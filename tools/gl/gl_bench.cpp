// Speed of the OpenGL renderer: a scene of 100 cubes on a textured floor with
// lights, drawn at 800 by 600 and read back into a pixel buffer.
#include "platform/glrender/glrender.h"
#include "tools/gl/demo_scene.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

constexpr int kWidth = 800, kHeight = 600;

struct FIXTURE {
    DEMOSCENE scene;
    std::vector<std::uint32_t> pixels = std::vector<std::uint32_t>(static_cast<size_t>(kWidth) * kHeight);
    bool fReady = false;

    explicit FIXTURE(benchmark::State& state)
    {
        if (!GlRenderInstall()) {
            state.SkipWithError(GlRenderGetError());
            return;
        }
        fReady = scene.Build(10, 10, kWidth, kHeight);
        if (!fReady)
            state.SkipWithError("the scene could not be built");
    }
    ~FIXTURE()
    {
        scene.Release();
        GlRenderUninstall();
    }
    GLRENDERTARGET Target() { return {pixels.data(), kWidth, kHeight, kWidth}; }
};

// A whole frame: the cubes turn, the viewport is cleared and rendered, and
// the picture is read back.
void BM_FrameWithReadback(benchmark::State& state)
{
    FIXTURE f(state);
    if (!f.fReady)
        return;
    for (auto _ : state) {
        f.scene.pScene->Move(1.0f);
        if (FAILED(GlRenderViewport(f.scene.pViewport, f.Target(), 0, 0)))
            state.SkipWithError("rendering failed");
        benchmark::DoNotOptimize(f.pixels.data());
    }
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FrameWithReadback)->Unit(benchmark::kMillisecond)->UseRealTime();

// Only the read-back of an 800 x 600 picture.
void BM_ReadbackOnly(benchmark::State& state)
{
    FIXTURE f(state);
    if (!f.fReady || FAILED(GlRenderViewport(f.scene.pViewport, f.Target(), 0, 0)))
        return;
    for (auto _ : state) {
        GlReadViewport(f.scene.pViewport, f.Target(), 0, 0);
        benchmark::DoNotOptimize(f.pixels.data());
    }
}
BENCHMARK(BM_ReadbackOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

// A frame where every cube's mesh changes colour, so every mesh is uploaded
// again.
void BM_FrameWithMeshEdits(benchmark::State& state)
{
    FIXTURE f(state);
    if (!f.fReady)
        return;
    unsigned step = 0;
    for (auto _ : state) {
        ++step;
        for (IDirect3DRMFrame2* frame : f.scene.aCubes)
            frame->GetVisuals().front()->AsMesh()->SetGroupColor(0, 0xFF000000 | (step * 0x010203u & 0xFFFFFF));
        GlRenderViewport(f.scene.pViewport, f.Target(), 0, 0);
        benchmark::DoNotOptimize(f.pixels.data());
    }
}
BENCHMARK(BM_FrameWithMeshEdits)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    // Headless unless the caller chose a video driver.
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
