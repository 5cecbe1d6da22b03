// The speed of a frame of play at 800 x 600 with reflections on (display
// quality Excellent unless a mask is given): the staged frame of the
// screenshots (cubes of all kinds mid-roll, a 3 x 3 mine-field, gravel
// flying, the figure) drawn again and again. Reports the mean milliseconds
// per frame of
//   - the window's frame: the scene drawn by OpenGL and read back into the
//     back buffer, the frame composed and presented;
//   - the scene alone: clear, render and read back of the viewport;
// each as wall-clock time and as the processor time of all the program's
// threads (the software rasteriser runs on threads of its own), which a
// busy machine disturbs less.
//   scene_bench [FRAMES [QUALITYMASK]]
#include "platform/glrender/glrender.h"
#include "tools/scene_shots/stage.h"

#include <chrono>
#include <cstdlib>
#include <ctime>

using namespace sceneshots;

namespace {
using Clock = std::chrono::steady_clock;

struct TIMING {
    double wall, cpu;
};

template <class F> TIMING Measure(int frames, F&& frame)
{
    const auto start = Clock::now();
    const std::clock_t cpu = std::clock();
    for (int i = 0; i < frames; ++i)
        frame();
    return {std::chrono::duration<double, std::milli>(Clock::now() - start).count() / frames,
            1000.0 * static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC / frames};
}
} // namespace

int main(int argc, char** argv)
{
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;
    const DWORD quality = argc > 2 ? static_cast<DWORD>(std::atoi(argv[2])) & 7 : 7;
    Stage stage;
    if (!stage.Open(800, 600, 32) || !GlRenderIsInstalled()) {
        std::fprintf(stderr, "scene_bench: no scene with OpenGL here: %s\n", GlRenderGetError());
        stage.Close();
        return 1;
    }
    stage.Play(quality);
    // Warm up: buffers and textures are uploaded once.
    for (int i = 0; i < 10; ++i)
        stage.aw->RenderFrame();
    const GLRENDERSTATS before = GlRenderGetStats();
    const TIMING window = Measure(frames, [&] { stage.aw->RenderFrame(); });
    const GLRENDERSTATS after = GlRenderGetStats();

    IDirect3DRMViewport* viewport = stage.aw->Get3dViewport();
    std::vector<std::uint32_t> pixels(800u * 600u);
    const GLRENDERTARGET target{pixels.data(), 800, 600, 800};
    const TIMING scene = Measure(frames, [&] { GlRenderViewport(viewport, target, 0, 0); });
    // What the scene object does in the window's frame, into the back
    // buffer, without composing and presenting.
    IDirect3DRMFrame2* root = stage.aw->Get3dRootFrame();
    IDirectDrawSurface* back = Display->GetSurface(0);
    const GLRENDERTARGET backTarget{back->Pixels(), static_cast<int>(back->Width()), static_cast<int>(back->Height()),
                                    static_cast<int>(back->Width())};
    const TIMING object = Measure(frames, [&] {
        viewport->Clear();
        root->Move(1.0f);
        viewport->Render(root);
        GlReadViewport(viewport, backTarget, 0, 0);
    });

    std::printf("%d frames at 800x600, display quality mask %u          wall      processor\n", frames,
                static_cast<unsigned>(quality));
    std::printf("window's frame (scene, read back, compose, present): %6.2f ms %6.2f ms\n", window.wall, window.cpu);
    std::printf("scene alone (clear, render, read back):              %6.2f ms %6.2f ms\n", scene.wall, scene.cpu);
    std::printf("scene object's drawing, not presented:               %6.2f ms %6.2f ms\n", object.wall, object.cpu);
    std::printf("mesh and texture uploads while drawing: %llu, %llu\n",
                static_cast<unsigned long long>(after.nMeshUploads - before.nMeshUploads),
                static_cast<unsigned long long>(after.nTextureUploads - before.nTextureUploads));
    stage.Close();
    return 0;
}
