// The process's OpenGL context: one hidden SDL window with a 3.3 core
// context. With SDL_VIDEODRIVER=offscreen, SDL makes it through EGL with no
// display at all; under X it is an ordinary hidden window.
#include "platform/glrender/glcontext.h"
#include "platform/window/events.h"

#include <SDL.h>
#include <cstdlib>
#include <epoxy/gl.h>

namespace {

struct CONTEXT {
    bool fTried = false;
    bool fReady = false;
    std::string error;
    SDL_Window* pWindow = nullptr;
    SDL_GLContext context = nullptr;
};

CONTEXT& ctx()
{
    static CONTEXT c;
    return c;
}

bool Create(CONTEXT& c)
{
    if (!platform_events::EnsureSdl() || SDL_WasInit(SDL_INIT_VIDEO) == 0) {
        c.error = std::string("no video subsystem: ") + SDL_GetError();
        return false;
    }
    // Mesa's software rasteriser splits every draw among threads of its own;
    // the scenes here are a few hundred triangles in a picture of at most
    // 800 x 600, where handing the work over costs more than it saves (at
    // the menu and in play, one thread drew the same frames in about two
    // thirds of the time, steadier, and with less of the processor). A
    // setting of the user's own stays.
    setenv("LP_NUM_THREADS", "0", 0);
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 0);
    c.pWindow = SDL_CreateWindow("", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 16, 16,
                                 SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (c.pWindow)
        c.context = SDL_GL_CreateContext(c.pWindow);
    const std::string reason = SDL_GetError();
    // Whoever makes a GL context next starts from SDL's defaults.
    SDL_GL_ResetAttributes();
    if (!c.context) {
        c.error = std::string("no OpenGL 3.3 core context (video driver ") +
                  (SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "none") + "): " + reason;
        if (c.pWindow)
            SDL_DestroyWindow(c.pWindow);
        c.pWindow = nullptr;
        return false;
    }
    if (epoxy_gl_version() < 33) {
        c.error = "the OpenGL context is older than 3.3";
        SDL_GL_DeleteContext(c.context);
        SDL_DestroyWindow(c.pWindow);
        c.context = nullptr;
        c.pWindow = nullptr;
        return false;
    }
    return true;
}

} // namespace

namespace glcontext {

bool Ensure(std::string* pError)
{
    CONTEXT& c = ctx();
    if (!c.fTried) {
        c.fTried = true;
        c.fReady = Create(c);
    }
    if (!c.fReady && pError)
        *pError = c.error;
    return c.fReady;
}

bool MakeCurrent()
{
    CONTEXT& c = ctx();
    if (!c.fReady)
        return false;
    if (SDL_GL_GetCurrentContext() == c.context)
        return true;
    return SDL_GL_MakeCurrent(c.pWindow, c.context) == 0;
}

bool IsSoftware()
{
    if (!Ensure(nullptr) || !MakeCurrent())
        return false;
    const auto* name = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    if (!name)
        return false;
    const std::string renderer(name);
    for (const char* software : {"llvmpipe", "softpipe", "swrast", "Software Rasterizer"})
        if (renderer.find(software) != std::string::npos)
            return true;
    return false;
}

} // namespace glcontext
