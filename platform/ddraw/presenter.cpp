#include "platform/ddraw/presenter.h"

#include "platform/window/events.h"

#include <SDL.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <unordered_map>

namespace presenter {
namespace {
struct State {
    bool desktopKnown = false;
    Mode desktop;
    bool currentSet = false;
    Mode current;
    bool shown = false;
    bool fullScreen = true;
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    int texW = 0, texH = 0;
    std::vector<std::uint32_t> picture;
    int picW = 0, picH = 0;
    std::array<std::uint32_t, 256> palette{};
    std::unordered_map<std::uint32_t, std::uint32_t> nearest;
};

State& st()
{
    static State s;
    return s;
}

bool VideoReady()
{
    return platform_events::EnsureSdl() && SDL_WasInit(SDL_INIT_VIDEO) != 0;
}

void DestroyWindow()
{
    State& s = st();
    if (s.texture)
        SDL_DestroyTexture(s.texture);
    if (s.renderer)
        SDL_DestroyRenderer(s.renderer);
    if (s.window)
        SDL_DestroyWindow(s.window);
    s.texture = nullptr;
    s.renderer = nullptr;
    s.window = nullptr;
    s.texW = s.texH = 0;
}

void ApplyFullScreen()
{
    State& s = st();
    if (!s.window)
        return;
    if (s.fullScreen && (SDL_GetWindowFlags(s.window) & SDL_WINDOW_FULLSCREEN) == 0) {
        // Cover the display before asking for full screen: where no window
        // manager carries the request out, the window would keep its
        // windowed size while the picture is laid out for the whole display.
        const int display = std::max(0, SDL_GetWindowDisplayIndex(s.window));
        SDL_Rect bounds;
        if (SDL_GetDisplayBounds(display, &bounds) == 0) {
            SDL_SetWindowPosition(s.window, bounds.x, bounds.y);
            SDL_SetWindowSize(s.window, bounds.w, bounds.h);
        }
    }
    SDL_SetWindowFullscreen(s.window, s.fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    if (!s.fullScreen) {
        // A window of the picture's size, shrunk to fit the desktop.
        const Mode d = DesktopMode();
        const Mode c = CurrentMode();
        int w = c.width, h = c.height;
        const int maxW = d.width * 9 / 10, maxH = d.height * 9 / 10;
        if (w > maxW || h > maxH) {
            const RECT r = LetterboxRect(maxW, maxH, w, h);
            w = r.right - r.left;
            h = r.bottom - r.top;
        }
        SDL_SetWindowSize(s.window, std::max(1, w), std::max(1, h));
        SDL_SetWindowPosition(s.window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    }
}

bool EnsureWindow(const char* title)
{
    State& s = st();
    if (s.window)
        return true;
    if (!VideoReady())
        return false;
    const Mode c = CurrentMode();
    // Made as a window first: full screen is applied below, after the window
    // has been given the display's bounds.
    const Uint32 flags = SDL_WINDOW_RESIZABLE | SDL_WINDOW_HIDDEN;
    s.window = SDL_CreateWindow(title ? title : "", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                std::max(1, c.width), std::max(1, c.height), flags);
    if (!s.window)
        return false;
    s.renderer = SDL_CreateRenderer(s.window, -1, 0);
    if (!s.renderer)
        s.renderer = SDL_CreateRenderer(s.window, -1, SDL_RENDERER_SOFTWARE);
    ApplyFullScreen();
    return true;
}

std::uint32_t Nearest(std::uint32_t c)
{
    State& s = st();
    const auto it = s.nearest.find(c);
    if (it != s.nearest.end())
        return it->second;
    const int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
    long best = -1;
    std::uint32_t bestColour = 0;
    for (std::uint32_t p : s.palette) {
        const int dr = r - static_cast<int>((p >> 16) & 0xFF);
        const int dg = g - static_cast<int>((p >> 8) & 0xFF);
        const int db = b - static_cast<int>(p & 0xFF);
        const long d = static_cast<long>(dr) * dr + static_cast<long>(dg) * dg + static_cast<long>(db) * db;
        if (best < 0 || d < best) {
            best = d;
            bestColour = p & 0xFFFFFF;
            if (d == 0)
                break;
        }
    }
    s.nearest.emplace(c, bestColour);
    return bestColour;
}

// Draws the current texture scaled into the window, bars black.
void DrawPicture()
{
    State& s = st();
    int outW = 0, outH = 0;
    SDL_GetRendererOutputSize(s.renderer, &outW, &outH);
    // The window may have changed size (full screen toggled, resized by the
    // user): draw on all of it.
    SDL_RenderSetViewport(s.renderer, nullptr);
    const RECT r = LetterboxRect(outW, outH, s.texW, s.texH);
    const SDL_Rect dst{r.left, r.top, r.right - r.left, r.bottom - r.top};
    SDL_SetRenderDrawColor(s.renderer, 0, 0, 0, 255);
    SDL_RenderClear(s.renderer);
    if (s.texture)
        SDL_RenderCopy(s.renderer, s.texture, nullptr, &dst);
}

std::uint32_t To565(std::uint32_t c)
{
    // Keep the top 5, 6 and 5 bits, and show them widened as a screen does.
    std::uint32_t r = (c >> 19) & 0x1F, g = (c >> 10) & 0x3F, b = (c >> 3) & 0x1F;
    r = (r << 3) | (r >> 2);
    g = (g << 2) | (g >> 4);
    b = (b << 3) | (b >> 2);
    return (r << 16) | (g << 8) | b;
}
}  // namespace

// Whether a display server may be reached: asked for by name, or named by
// the environment. Without one, probing the video drivers only makes them
// complain on standard error (programs that never open a window, such as
// the simulator, read the desktop mode when the library loads).
bool DisplayServerNamed()
{
    for (const char* name : {"SDL_VIDEODRIVER", "DISPLAY", "WAYLAND_DISPLAY"})
        if (const char* v = std::getenv(name); v && *v)
            return true;
    return false;
}

Mode DesktopMode()
{
    State& s = st();
    if (!s.desktopKnown && !SDL_WasInit(SDL_INIT_VIDEO) && !DisplayServerNamed()) {
        // Asked again once a window has brought the video up.
        return Mode{1024, 768, 32};
    }
    if (!s.desktopKnown) {
        s.desktopKnown = true;
        s.desktop = {1024, 768, 32};
        SDL_DisplayMode dm;
        if (VideoReady() && SDL_GetDesktopDisplayMode(0, &dm) == 0 && dm.w > 0 && dm.h > 0) {
            s.desktop.width = dm.w;
            s.desktop.height = dm.h;
            s.desktop.depth = SDL_BITSPERPIXEL(dm.format) == 16 ? 16 : 32;
        }
    }
    return s.desktop;
}

Mode CurrentMode() { return st().currentSet ? st().current : DesktopMode(); }

void SetCurrentMode(const Mode& mode)
{
    st().current = mode;
    st().currentSet = true;
    if (st().window && !st().fullScreen)
        ApplyFullScreen();
}

void SetShown(bool shown, const char* title)
{
    State& s = st();
    s.shown = shown;
    if (shown) {
        if (EnsureWindow(title)) {
            if (title)
                SDL_SetWindowTitle(s.window, title);
            SDL_ShowWindow(s.window);
            SDL_RaiseWindow(s.window);
        }
    } else if (s.window) {
        SDL_HideWindow(s.window);
    }
}

bool IsShown() { return st().shown; }

void SetFullScreen(bool fullScreen)
{
    st().fullScreen = fullScreen;
    ApplyFullScreen();
}

bool IsFullScreen() { return st().fullScreen; }

void ToggleFullScreen() { SetFullScreen(!st().fullScreen); }

void Present(const std::uint32_t* pixels, int width, int height, int pitchPixels, int depth,
             const std::uint32_t* palette256)
{
    State& s = st();
    if (!pixels || width <= 0 || height <= 0)
        return;
    s.picW = width;
    s.picH = height;
    s.picture.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    if (depth == 8 && palette256) {
        if (std::memcmp(s.palette.data(), palette256, sizeof(s.palette)) != 0) {
            std::memcpy(s.palette.data(), palette256, sizeof(s.palette));
            s.nearest.clear();
        }
    }
    for (int y = 0; y < height; ++y) {
        const std::uint32_t* src = pixels + static_cast<std::ptrdiff_t>(y) * pitchPixels;
        std::uint32_t* dst = s.picture.data() + static_cast<std::ptrdiff_t>(y) * width;
        if (depth == 16) {
            for (int x = 0; x < width; ++x)
                dst[x] = To565(src[x]);
        } else if (depth == 8 && palette256) {
            std::uint32_t lastIn = ~0u, lastOut = 0;
            for (int x = 0; x < width; ++x) {
                const std::uint32_t c = src[x] & 0xFFFFFF;
                if (c != lastIn) {
                    lastIn = c;
                    lastOut = Nearest(c);
                }
                dst[x] = lastOut;
            }
        } else {
            for (int x = 0; x < width; ++x)
                dst[x] = src[x] & 0xFFFFFF;
        }
    }
    if (!s.shown || !s.renderer)
        return;
    if (!s.texture || s.texW != width || s.texH != height) {
        if (s.texture)
            SDL_DestroyTexture(s.texture);
        s.texture = SDL_CreateTexture(s.renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, width, height);
        s.texW = width;
        s.texH = height;
        if (!s.texture)
            return;
        // The picture is scaled to the screen by filtering, not by picking
        // the nearest pixel: at a scale that is no whole number, picking
        // doubles some columns and not others, so that a one-pixel gap in a
        // small text (between "e" and "l" of "Level") shows two pixels wide
        // and the word looks split. Filtering keeps every gap as wide as the
        // others.
        SDL_SetTextureScaleMode(s.texture, SDL_ScaleModeLinear);
    }
    SDL_UpdateTexture(s.texture, nullptr, s.picture.data(), width * 4);
    DrawPicture();
    SDL_RenderPresent(s.renderer);
}

const std::vector<std::uint32_t>& LastPicture(int* width, int* height)
{
    if (width)
        *width = st().picW;
    if (height)
        *height = st().picH;
    return st().picture;
}

bool ReadWindow(std::vector<std::uint32_t>* pixels, int* width, int* height)
{
    State& s = st();
    if (!s.renderer || !pixels)
        return false;
    int w = 0, h = 0;
    if (SDL_GetRendererOutputSize(s.renderer, &w, &h) != 0 || w <= 0 || h <= 0)
        return false;
    pixels->resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    // What a buffer holds after it was shown is undefined: draw the picture
    // again, read it, then show it.
    DrawPicture();
    const bool read = SDL_RenderReadPixels(s.renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, pixels->data(), w * 4) == 0;
    SDL_RenderPresent(s.renderer);
    if (!read)
        return false;
    if (width)
        *width = w;
    if (height)
        *height = h;
    return true;
}

RECT LetterboxRect(int outW, int outH, int picW, int picH)
{
    if (outW <= 0 || outH <= 0 || picW <= 0 || picH <= 0)
        return {0, 0, 0, 0};
    // Scale by the smaller ratio, computed in integers to stay exact.
    int w = outW, h = outH;
    if (static_cast<long long>(outW) * picH > static_cast<long long>(outH) * picW)
        w = static_cast<int>(static_cast<long long>(outH) * picW / picH);
    else
        h = static_cast<int>(static_cast<long long>(outW) * picH / picW);
    const int x = (outW - w) / 2, y = (outH - h) / 2;
    return {x, y, x + w, y + h};
}

POINT MapToDisplay(int winW, int winH, int picW, int picH, int x, int y)
{
    const RECT r = LetterboxRect(winW, winH, picW, picH);
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0)
        return {x, y};
    const long long px = static_cast<long long>(x - r.left) * picW / w;
    const long long py = static_cast<long long>(y - r.top) * picH / h;
    return {static_cast<LONG>(std::clamp<long long>(px, 0, picW - 1)),
            static_cast<LONG>(std::clamp<long long>(py, 0, picH - 1))};
}

POINT WindowToDisplay(int x, int y)
{
    State& s = st();
    if (!s.window)
        return {x, y};
    int w = 0, h = 0;
    SDL_GetWindowSize(s.window, &w, &h);
    const Mode c = CurrentMode();
    return MapToDisplay(w, h, c.width, c.height, x, y);
}

std::uint32_t WindowId() { return st().window ? SDL_GetWindowID(st().window) : 0; }

void Reset()
{
    DestroyWindow();
    State& s = st();
    s.shown = false;
    s.currentSet = false;
    s.picture.clear();
    s.picW = s.picH = 0;
    s.nearest.clear();
    s.palette.fill(0);
}
}  // namespace presenter
