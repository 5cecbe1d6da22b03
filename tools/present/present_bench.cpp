// The cost of bringing a frame to the screen, by the two ways the presenter
// knows (SDL's renderer with a streaming texture, the window's own surface),
// for a picture of 800 x 600 at 32 and 16 bits shown full screen: all of it
// changed, a band of 560 x 120 changed (the title's turning cubes), two small
// rectangles changed (a moved label). Run it where the game runs, e.g.
//   xvfb-run -s "-screen 0 1024x768x24" build/bin/present_bench
// The processor time counts every thread of the process (a software GL
// driver draws on threads of its own).
#include "platform/ddraw/presenter.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

namespace {
constexpr int kWidth = 800, kHeight = 600;

struct Picture {
    std::vector<std::uint32_t> pixels = std::vector<std::uint32_t>(static_cast<std::size_t>(kWidth) * kHeight);
    std::uint32_t step = 0;
    // Changes the pixels inside r, so that every present has news.
    void Change(const RECT& r)
    {
        ++step;
        for (LONG y = r.top; y < r.bottom; ++y)
            for (LONG x = r.left; x < r.right; ++x)
                pixels[static_cast<std::size_t>(y) * kWidth + x] =
                    (step * 0x010305u + static_cast<std::uint32_t>(x * y)) & 0xFFFFFF;
    }
};

void Run(benchmark::State& state, presenter::Path path, int depth, std::vector<RECT> changed)
{
    presenter::Reset();
    presenter::SetCurrentMode({kWidth, kHeight, depth});
    presenter::SetFullScreen(true);
    presenter::SetPath(path);
    presenter::SetShown(true, "present_bench");
    Picture picture;
    const presenter::Source source{picture.pixels.data(), kWidth, kHeight, kWidth, depth, nullptr};
    presenter::PresentSource(source);
    if (presenter::GetStats().shows == 0) {
        state.SkipWithError("nothing is shown here (no video device)");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        for (const RECT& r : changed)
            picture.Change(r);
        state.ResumeTiming();
        presenter::PresentChanged(source, changed.data(), static_cast<int>(changed.size()));
    }
    presenter::Reset();
}

const std::vector<RECT> kAll{{0, 0, kWidth, kHeight}};
const std::vector<RECT> kBand{{120, 95, 680, 215}};
const std::vector<RECT> kSmall{{20, 20, 30, 30}, {40, 25, 50, 35}};

void BM_Renderer32All(benchmark::State& s) { Run(s, presenter::Path::Renderer, 32, kAll); }
void BM_Surface32All(benchmark::State& s) { Run(s, presenter::Path::WindowSurface, 32, kAll); }
void BM_Renderer16All(benchmark::State& s) { Run(s, presenter::Path::Renderer, 16, kAll); }
void BM_Surface16All(benchmark::State& s) { Run(s, presenter::Path::WindowSurface, 16, kAll); }
void BM_Renderer16Band(benchmark::State& s) { Run(s, presenter::Path::Renderer, 16, kBand); }
void BM_Surface16Band(benchmark::State& s) { Run(s, presenter::Path::WindowSurface, 16, kBand); }
void BM_Renderer16Small(benchmark::State& s) { Run(s, presenter::Path::Renderer, 16, kSmall); }
void BM_Surface16Small(benchmark::State& s) { Run(s, presenter::Path::WindowSurface, 16, kSmall); }
} // namespace

BENCHMARK(BM_Renderer32All)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_Surface32All)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_Renderer16All)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_Surface16All)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_Renderer16Band)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_Surface16Band)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_Renderer16Small)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_Surface16Small)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

BENCHMARK_MAIN();
