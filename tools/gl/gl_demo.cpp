// Draws the demo scene (a floor, coloured cubes, lights) with the OpenGL
// renderer at 800 by 600 and saves the picture as a 32-bit BMP file (the
// first argument, default gl_demo.bmp). The optional second argument turns
// the cubes by that many ticks first.
#include "platform/glrender/glrender.h"
#include "tools/gl/demo_scene.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    const std::string path = argc > 1 ? argv[1] : "gl_demo.bmp";
    const float ticks = argc > 2 ? static_cast<float>(std::atof(argv[2])) : 0.0f;
    if (!GlRenderInstall()) {
        std::fprintf(stderr, "gl_demo: %s\n", GlRenderGetError());
        return 1;
    }
    constexpr int kWidth = 800, kHeight = 600;
    DEMOSCENE scene;
    if (!scene.Build(6, 5, kWidth, kHeight)) {
        std::fprintf(stderr, "gl_demo: the scene could not be built\n");
        return 1;
    }
    if (ticks > 0)
        scene.pScene->Move(ticks);
    std::vector<std::uint32_t> pixels(static_cast<size_t>(kWidth) * kHeight);
    const HRESULT hr = GlRenderViewport(scene.pViewport, {pixels.data(), kWidth, kHeight, kWidth}, 0, 0);
    if (FAILED(hr)) {
        std::fprintf(stderr, "gl_demo: rendering failed (0x%08X) %s\n", static_cast<unsigned>(hr), GlRenderGetError());
        return 1;
    }
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), kWidth, kHeight, 32, kWidth * 4,
                                                              SDL_PIXELFORMAT_RGB888);
    const bool saved = surface && SDL_SaveBMP(surface, path.c_str()) == 0;
    SDL_FreeSurface(surface);
    scene.Release();
    GlRenderUninstall();
    if (!saved) {
        std::fprintf(stderr, "gl_demo: cannot write %s: %s\n", path.c_str(), SDL_GetError());
        return 1;
    }
    std::printf("%s\n", path.c_str());
    return 0;
}
