#include "platform/ddraw/presenter.h"

#include "platform/glrender/glcontext.h"
#include "platform/window/events.h"

#include <SDL.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <unordered_map>
#include <utility>

namespace presenter {
namespace {
// Where one window column (or row) of a scaled picture takes its colour
// from: two neighbouring picture columns and the weight of the second, in
// 256ths, as a linear filter samples at the window pixel's centre.
struct Tap {
    int first = 0;
    int second = 0;
    std::uint32_t weight = 0;
};

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
    Path path = Path::Renderer;
    // The path was asked for (VARNO_PRESENTER, SetPath) or chosen once.
    bool pathChosen = false;
    // The window surface path: the surface last drawn on and, for its size,
    // where every window column and row takes its colour from.
    SDL_Surface* windowSurface = nullptr;
    int surfaceW = 0, surfaceH = 0;
    int scaledFromW = 0, scaledFromH = 0;
    RECT letterbox{0, 0, 0, 0};
    std::vector<Tap> columns, rows;
    // In 16- and 8-bit modes the picture as the screen shows it before
    // scaling, kept up to date rectangle by rectangle (what the renderer's
    // texture holds on the other path).
    std::vector<std::uint32_t> quantised;
    // Picture rows blended across, on their way to the window rows.
    std::vector<std::uint32_t> across;
    std::vector<SDL_Rect> updates;
    // The texture must take the whole picture with the next present (new
    // texture, window resized or exposed, full screen toggled).
    bool textureStale = true;
    bool minimized = false;
    // The last picture as shown. It is filled from the source only when
    // someone asks (LastPicture) or the source goes away.
    std::vector<std::uint32_t> picture;
    int picW = 0, picH = 0;
    Source source;  // palette256 not kept: see sourcePalette
    bool pictureStale = false;
    int lastDepth = 0;
    std::array<std::uint32_t, 256> palette{};
    std::unordered_map<std::uint32_t, std::uint32_t> nearest;
    // Quantised pixels of one rectangle on their way to the texture.
    std::vector<std::uint32_t> scratch;
    std::vector<RECT> clipped;
    Stats stats;
    std::vector<std::uint32_t> icon; // ARGB, rows from the top
    int iconSize = 0;
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
    s.windowSurface = nullptr;
    s.texW = s.texH = 0;
    s.textureStale = true;
    s.minimized = false;
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
    s.textureStale = true;
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

// VARNO_PRESENTER=renderer or =surface picks the way to the screen (for
// measuring one against the other); otherwise the one chosen stays.
// Without a choice, the window surface where OpenGL draws on the processor:
// there the renderer's filtered draw of the whole window and the swap that
// sends all of it cost more than the game's own frame, while the window
// surface scales and sends only the changed areas (through shared memory
// under X11). With a graphics processor the renderer costs the processor
// almost nothing, whatever the window's size.
void ChoosePath()
{
    State& s = st();
    const char* wanted = SDL_getenv("VARNO_PRESENTER");
    if (wanted && SDL_strcmp(wanted, "renderer") == 0) {
        s.path = Path::Renderer;
        s.pathChosen = true;
    } else if (wanted && SDL_strcmp(wanted, "surface") == 0) {
        s.path = Path::WindowSurface;
        s.pathChosen = true;
    }
    if (s.pathChosen)
        return;
    s.pathChosen = true;
    s.path = glcontext::IsSoftware() ? Path::WindowSurface : Path::Renderer;
}

void ApplyIcon()
{
    State& s = st();
    if (!s.window || s.iconSize <= 0)
        return;
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(s.icon.data(), s.iconSize, s.iconSize, 32,
                                                              s.iconSize * 4, SDL_PIXELFORMAT_ARGB8888);
    if (surface) {
        SDL_SetWindowIcon(s.window, surface);
        SDL_FreeSurface(surface);
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
    ChoosePath();
    if (s.path == Path::Renderer) {
        s.renderer = SDL_CreateRenderer(s.window, -1, 0);
        if (!s.renderer)
            s.renderer = SDL_CreateRenderer(s.window, -1, SDL_RENDERER_SOFTWARE);
    }
    ApplyIcon();
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

// One row of the source as the screen shows it at the given depth.
void QuantiseRow(const std::uint32_t* src, std::uint32_t* dst, int count, int depth, bool paletted)
{
    if (depth == 16) {
        for (int x = 0; x < count; ++x)
            dst[x] = To565(src[x]);
    } else if (depth == 8 && paletted) {
        std::uint32_t lastIn = ~0u, lastOut = 0;
        for (int x = 0; x < count; ++x) {
            const std::uint32_t c = src[x] & 0xFFFFFF;
            if (c != lastIn) {
                lastIn = c;
                lastOut = Nearest(c);
            }
            dst[x] = lastOut;
        }
    } else {
        for (int x = 0; x < count; ++x)
            dst[x] = src[x] & 0xFFFFFF;
    }
}

bool Quantised(int depth, bool paletted) { return depth == 16 || (depth == 8 && paletted); }

// One rectangle of the source as the screen shows it at the source's depth,
// into out (the rectangle's top left corner there, outPitch pixels a row).
void QuantiseRect(const Source& src, const RECT& r, bool paletted, std::uint32_t* out, int outPitch)
{
    for (LONG y = r.top; y < r.bottom; ++y)
        QuantiseRow(src.pixels + static_cast<std::ptrdiff_t>(y) * src.pitchPixels + r.left,
                    out + static_cast<std::ptrdiff_t>(y - r.top) * outPitch, r.right - r.left, src.depth, paletted);
}

// A rectangle of the picture went to the screen.
void CountSent(const RECT& r)
{
    State& s = st();
    s.stats.uploadedPixels += static_cast<std::uint64_t>(r.right - r.left) * static_cast<std::uint64_t>(r.bottom - r.top);
    ++s.stats.uploads;
}

// Brings the kept picture up to date with the source.
void FillPicture()
{
    State& s = st();
    if (!s.pictureStale || !s.source.pixels)
        return;
    s.pictureStale = false;
    s.picture.resize(static_cast<std::size_t>(s.picW) * static_cast<std::size_t>(s.picH));
    const bool paletted = s.source.depth == 8 && s.source.palette256;
    QuantiseRect(s.source, RECT{0, 0, s.picW, s.picH}, paletted, s.picture.data(), s.picW);
}

// Makes sure the texture has the picture's size; a new one must take the
// whole picture.
bool EnsureTexture(int width, int height)
{
    State& s = st();
    if (s.texture && s.texW == width && s.texH == height)
        return true;
    if (s.texture)
        SDL_DestroyTexture(s.texture);
    // No alpha: the top byte of a surface's pixel is unused, and the
    // texture takes the surface's rows as they are.
    s.texture = SDL_CreateTexture(s.renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, width, height);
    s.texW = width;
    s.texH = height;
    s.textureStale = true;
    // The picture is scaled to the screen by filtering, not by picking
    // the nearest pixel: at a scale that is no whole number, picking
    // doubles some columns and not others, so that a one-pixel gap in a
    // small text (between "e" and "l" of "Level") shows two pixels wide
    // and the word looks split. Filtering keeps every gap as wide as the
    // others.
    if (s.texture)
        SDL_SetTextureScaleMode(s.texture, SDL_ScaleModeLinear);
    return s.texture != nullptr;
}

// For each of outCount window pixels showing inCount picture pixels, the two
// picture pixels a linear filter blends and the second one's weight: the
// window pixel's centre mapped into the picture, between the centres of
// the pixels on either side; at the edges the edge pixel alone.
void MakeTaps(std::vector<Tap>* taps, int outCount, int inCount)
{
    taps->resize(static_cast<std::size_t>(std::max(outCount, 0)));
    for (int i = 0; i < outCount; ++i) {
        const double at = (i + 0.5) * inCount / outCount - 0.5;
        Tap& t = (*taps)[static_cast<std::size_t>(i)];
        if (at <= 0) {
            t = Tap{0, 0, 0};
            continue;
        }
        const int first = std::min(static_cast<int>(at), inCount - 1);
        t.first = first;
        t.second = std::min(first + 1, inCount - 1);
        t.weight = static_cast<std::uint32_t>((at - first) * 256 + 0.5);
    }
}

// The window surface, when it can take the picture's pixels as they are
// (32 bits, red in bits 16 to 23); a new or resized one must be drawn whole.
SDL_Surface* WindowSurface(int picW, int picH, bool* whole)
{
    State& s = st();
    // The window's own pixels sent to the screen as they are (shared memory
    // under X11), not a texture drawn whole through OpenGL for each update.
    // SDL decides this when it makes the first window surface.
    static const bool hinted = SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0") == SDL_TRUE;
    (void)hinted;
    SDL_Surface* ws = SDL_GetWindowSurface(s.window);
    if (!ws || (ws->format->format != SDL_PIXELFORMAT_RGB888 && ws->format->format != SDL_PIXELFORMAT_ARGB8888))
        return nullptr;
    const RECT box = LetterboxRect(ws->w, ws->h, picW, picH);
    if (ws != s.windowSurface || ws->w != s.surfaceW || ws->h != s.surfaceH || picW != s.scaledFromW ||
        picH != s.scaledFromH || std::memcmp(&box, &s.letterbox, sizeof box) != 0) {
        s.windowSurface = ws;
        s.surfaceW = ws->w;
        s.surfaceH = ws->h;
        s.scaledFromW = picW;
        s.scaledFromH = picH;
        s.letterbox = box;
        MakeTaps(&s.columns, box.right - box.left, picW);
        MakeTaps(&s.rows, box.bottom - box.top, picH);
        *whole = true;
    }
    return ws;
}

// a + (b - a) * weight / 256 for each colour of two XRGB pixels; the top
// byte comes out 0.
inline std::uint32_t Blend(std::uint32_t a, std::uint32_t b, std::uint32_t weight)
{
    const std::uint32_t keep = 256 - weight;
    const std::uint32_t rb = (((a & 0xFF00FFu) * keep + (b & 0xFF00FFu) * weight) >> 8) & 0xFF00FFu;
    const std::uint32_t g = (((a & 0xFF00u) * keep + (b & 0xFF00u) * weight) >> 8) & 0xFF00u;
    return rb | g;
}

// The first window pixel (of count) whose filter reads a picture pixel at
// or after from, and the first after to whose filter reads none before to.
std::pair<int, int> TouchedRange(const std::vector<Tap>& taps, int from, int to)
{
    const int count = static_cast<int>(taps.size());
    int begin = 0;
    while (begin < count && taps[static_cast<std::size_t>(begin)].second < from)
        ++begin;
    int end = begin;
    while (end < count && taps[static_cast<std::size_t>(end)].first < to)
        ++end;
    return {begin, end};
}

// Scales one rectangle of the picture (picture coordinates) onto the window
// surface with a linear filter, as the renderer's texture is drawn: every
// window pixel whose filter reads a pixel of the rectangle; returns that
// window area. The picture is read from `from` (pitch in pixels).
SDL_Rect ScaleToSurface(SDL_Surface* ws, const std::uint32_t* from, int pitch, const RECT& r)
{
    State& s = st();
    const RECT& box = s.letterbox;
    const auto [x0, x1] = TouchedRange(s.columns, r.left, r.right);
    const auto [y0, y1] = TouchedRange(s.rows, r.top, r.bottom);
    if (x0 >= x1 || y0 >= y1)
        return SDL_Rect{0, 0, 0, 0};
    // Each picture row the area reads is blended across once; window rows
    // then blend two of those.
    const Tap* columns = s.columns.data();
    const int width = x1 - x0;
    const int firstRow = s.rows[static_cast<std::size_t>(y0)].first;
    const int lastRow = s.rows[static_cast<std::size_t>(y1 - 1)].second;
    s.across.resize(static_cast<std::size_t>(lastRow - firstRow + 1) * static_cast<std::size_t>(width));
    for (int sy = firstRow; sy <= lastRow; ++sy) {
        const std::uint32_t* in = from + static_cast<std::ptrdiff_t>(sy) * pitch;
        std::uint32_t* blended = s.across.data() + static_cast<std::ptrdiff_t>(sy - firstRow) * width;
        for (int x = x0; x < x1; ++x) {
            const Tap& c = columns[x];
            blended[x - x0] = Blend(in[c.first], in[c.second], c.weight);
        }
    }
    for (int y = y0; y < y1; ++y) {
        auto* out = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(ws->pixels) +
                                                     static_cast<std::ptrdiff_t>(box.top + y) * ws->pitch) +
                    box.left + x0;
        const Tap& row = s.rows[static_cast<std::size_t>(y)];
        const std::uint32_t* above = s.across.data() + static_cast<std::ptrdiff_t>(row.first - firstRow) * width;
        const std::uint32_t* below = s.across.data() + static_cast<std::ptrdiff_t>(row.second - firstRow) * width;
        for (int x = 0; x < width; ++x)
            out[x] = Blend(above[x], below[x], row.weight);
    }
    return SDL_Rect{box.left + x0, box.top + y0, x1 - x0, y1 - y0};
}

// The window surface path: only the changed rectangles are scaled onto the
// window's own pixels and only those areas are sent to the screen. False
// when the window has no surface of a usable format.
bool PresentToSurface(const Source& src, const RECT* changed, int count, bool whole, bool paletted)
{
    State& s = st();
    SDL_Surface* ws = WindowSurface(src.width, src.height, &whole);
    if (!ws)
        return false;
    const RECT all{0, 0, src.width, src.height};
    if (whole) {
        changed = &all;
        count = 1;
    }
    // The quantised picture first, all rectangles of it: a filter near the
    // edge of one rectangle reads pixels of its neighbours.
    const std::uint32_t* from = src.pixels;
    int pitch = src.pitchPixels;
    if (Quantised(src.depth, paletted)) {
        s.quantised.resize(static_cast<std::size_t>(src.width) * static_cast<std::size_t>(src.height));
        for (int i = 0; i < count; ++i) {
            const RECT& r = changed[i];
            QuantiseRect(src, r, paletted, s.quantised.data() + static_cast<std::ptrdiff_t>(r.top) * src.width + r.left,
                         src.width);
        }
        from = s.quantised.data();
        pitch = src.width;
    }
    s.updates.clear();
    if (whole) {
        SDL_FillRect(ws, nullptr, 0);
        s.updates.push_back(SDL_Rect{0, 0, ws->w, ws->h});
    }
    for (int i = 0; i < count; ++i) {
        const RECT& r = changed[i];
        const SDL_Rect area = ScaleToSurface(ws, from, pitch, r);
        CountSent(r);
        if (!whole && area.w > 0 && area.h > 0)
            s.updates.push_back(area);
    }
    if (s.updates.empty())
        return true;
    s.stats.lastWasWhole = whole;
    ++s.stats.shows;
    SDL_UpdateWindowSurfaceRects(s.window, s.updates.data(), static_cast<int>(s.updates.size()));
    return true;
}

// Puts one rectangle of the source into the texture: straight from the
// source where it needs no change, else through the scratch buffer.
void Upload(const Source& src, const RECT& r, bool paletted)
{
    State& s = st();
    const int w = r.right - r.left, h = r.bottom - r.top;
    const SDL_Rect rect{r.left, r.top, w, h};
    const std::uint32_t* first = src.pixels + static_cast<std::ptrdiff_t>(r.top) * src.pitchPixels + r.left;
    if (!Quantised(src.depth, paletted)) {
        SDL_UpdateTexture(s.texture, &rect, first, src.pitchPixels * 4);
    } else {
        s.scratch.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
        QuantiseRect(src, r, paletted, s.scratch.data(), w);
        SDL_UpdateTexture(s.texture, &rect, s.scratch.data(), w * 4);
    }
    CountSent(r);
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
    s.textureStale = true;
    if (shown) {
        s.minimized = false;
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

bool SetIcon(const void* ico, std::size_t cb)
{
    // An icon file: a 6-byte header with the image count, 16 bytes a
    // directory entry (width, height, ..., bytes, offset), then each image as
    // an information header, bottom-up BGRA rows and a mask. The largest
    // 32-bit image is taken; its alpha makes the mask unnecessary.
    const auto* p = static_cast<const std::uint8_t*>(ico);
    const auto u16 = [p](std::size_t at) { return static_cast<unsigned>(p[at] | (p[at + 1] << 8)); };
    const auto u32 = [p](std::size_t at) {
        return static_cast<std::uint32_t>(p[at]) | (static_cast<std::uint32_t>(p[at + 1]) << 8) |
               (static_cast<std::uint32_t>(p[at + 2]) << 16) | (static_cast<std::uint32_t>(p[at + 3]) << 24);
    };
    if (!p || cb < 6 || u16(0) != 0 || u16(2) != 1)
        return false;
    const unsigned count = u16(4);
    int bestSize = 0;
    std::size_t bestAt = 0;
    for (unsigned i = 0; i < count && 6 + 16 * (i + 1) <= cb; ++i) {
        const std::size_t entry = 6 + 16 * static_cast<std::size_t>(i);
        const int size = p[entry] ? p[entry] : 256;
        const std::size_t at = u32(entry + 12), bytes = u32(entry + 8);
        if (at + 40 > cb || at + bytes > cb || u32(at) != 40 || u16(at + 14) != 32 ||
            static_cast<int>(u32(at + 4)) != size || bytes < 40 + static_cast<std::size_t>(size) * size * 4)
            continue;
        if (size > bestSize) {
            bestSize = size;
            bestAt = at;
        }
    }
    if (bestSize == 0)
        return false;
    State& s = st();
    s.iconSize = bestSize;
    s.icon.assign(static_cast<std::size_t>(bestSize) * bestSize, 0);
    for (int y = 0; y < bestSize; ++y)
        for (int x = 0; x < bestSize; ++x)
            s.icon[static_cast<std::size_t>(y) * bestSize + x] =
                u32(bestAt + 40 + (static_cast<std::size_t>(bestSize - 1 - y) * bestSize + x) * 4);
    ApplyIcon();
    return true;
}

const std::vector<std::uint32_t>& Icon(int* size)
{
    if (size)
        *size = st().iconSize;
    return st().icon;
}

void SetFullScreen(bool fullScreen)
{
    st().fullScreen = fullScreen;
    ApplyFullScreen();
}

bool IsFullScreen() { return st().fullScreen; }

void ToggleFullScreen() { SetFullScreen(!st().fullScreen); }

void PresentChanged(const Source& source, const RECT* changed, int count)
{
    State& s = st();
    if (!source.pixels || source.width <= 0 || source.height <= 0 || source.pitchPixels < source.width)
        return;
    bool whole = s.picW != source.width || s.picH != source.height || s.lastDepth != source.depth;
    const bool paletted = source.depth == 8 && source.palette256;
    if (paletted && std::memcmp(s.palette.data(), source.palette256, sizeof(s.palette)) != 0) {
        std::memcpy(s.palette.data(), source.palette256, sizeof(s.palette));
        s.nearest.clear();
        whole = true;
    }
    // The picture kept for LastPicture is made from the source only when
    // asked for; the caller's palette is valid during the call only, so the
    // kept copy stands in for it.
    s.picW = source.width;
    s.picH = source.height;
    s.lastDepth = source.depth;
    s.source = source;
    s.source.palette256 = paletted ? s.palette.data() : nullptr;
    s.pictureStale = true;
    if (!s.shown || !s.window || s.minimized)
        return;
    // Rectangles inside the picture only.
    std::vector<RECT>& rects = s.clipped;
    rects.clear();
    for (int i = 0; i < count; ++i) {
        RECT r = changed[i];
        r.left = std::max<LONG>(r.left, 0);
        r.top = std::max<LONG>(r.top, 0);
        r.right = std::min<LONG>(r.right, source.width);
        r.bottom = std::min<LONG>(r.bottom, source.height);
        if (r.right > r.left && r.bottom > r.top)
            rects.push_back(r);
    }
    if (s.path == Path::WindowSurface && !s.renderer) {
        if (PresentToSurface(s.source, rects.data(), static_cast<int>(rects.size()), whole || s.textureStale,
                             paletted)) {
            s.textureStale = false;
            return;
        }
        // No usable window surface: the renderer it is.
        s.path = Path::Renderer;
        s.renderer = SDL_CreateRenderer(s.window, -1, 0);
        if (!s.renderer)
            s.renderer = SDL_CreateRenderer(s.window, -1, SDL_RENDERER_SOFTWARE);
    }
    if (!s.renderer || !EnsureTexture(source.width, source.height))
        return;
    whole = whole || s.textureStale;
    const RECT all{0, 0, source.width, source.height};
    if (whole) {
        Upload(s.source, all, paletted);
    } else {
        for (const RECT& r : rects)
            Upload(s.source, r, paletted);
        // Nothing changed: the screen still shows this picture.
        if (rects.empty())
            return;
    }
    s.textureStale = false;
    s.stats.lastWasWhole = whole;
    ++s.stats.shows;
    DrawPicture();
    SDL_RenderPresent(s.renderer);
}

void PresentSource(const Source& source)
{
    const RECT all{0, 0, source.width, source.height};
    PresentChanged(source, &all, 1);
}

void SourceGone(const std::uint32_t* pixels)
{
    State& s = st();
    if (!pixels || s.source.pixels != pixels)
        return;
    FillPicture();
    s.source = Source{};
    s.pictureStale = false;
}

void Present(const std::uint32_t* pixels, int width, int height, int pitchPixels, int depth,
             const std::uint32_t* palette256)
{
    Source source{pixels, width, height, pitchPixels, depth, palette256};
    PresentSource(source);
    // The caller's pixels are its own: keep what was shown now.
    SourceGone(pixels);
}

const std::vector<std::uint32_t>& LastPicture(int* width, int* height)
{
    FillPicture();
    if (width)
        *width = st().picW;
    if (height)
        *height = st().picH;
    return st().picture;
}

bool ReadWindow(std::vector<std::uint32_t>* pixels, int* width, int* height)
{
    State& s = st();
    if (pixels && !s.renderer && s.window && s.windowSurface) {
        SDL_Surface* ws = s.windowSurface;
        pixels->resize(static_cast<std::size_t>(ws->w) * static_cast<std::size_t>(ws->h));
        for (int y = 0; y < ws->h; ++y) {
            const auto* row = reinterpret_cast<const std::uint32_t*>(static_cast<const std::uint8_t*>(ws->pixels) +
                                                                     static_cast<std::ptrdiff_t>(y) * ws->pitch);
            for (int x = 0; x < ws->w; ++x)
                (*pixels)[static_cast<std::size_t>(y) * ws->w + x] = row[x] | 0xFF000000u;
        }
        if (width)
            *width = ws->w;
        if (height)
            *height = ws->h;
        return true;
    }
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

bool IsMinimized() { return st().minimized; }

void NoteMinimized(bool minimized)
{
    State& s = st();
    if (s.minimized && !minimized)
        s.textureStale = true;
    s.minimized = minimized;
}

void NoteExposed()
{
    st().textureStale = true;
}

Stats GetStats() { return st().stats; }

void SetPath(Path path)
{
    State& s = st();
    if (s.path == path)
        return;
    s.pathChosen = true;
    // A window keeps the way it was made with: the next one takes the new.
    DestroyWindow();
    s.path = path;
    if (s.shown && EnsureWindow(nullptr))
        SDL_ShowWindow(s.window);
}

Path GetPath() { return st().path; }

void ResetStats() { st().stats = Stats{}; }

void Reset()
{
    DestroyWindow();
    State& s = st();
    s.shown = false;
    s.currentSet = false;
    s.picture.clear();
    s.source = Source{};
    s.pictureStale = false;
    s.lastDepth = 0;
    s.stats = Stats{};
    s.picW = s.picH = 0;
    s.nearest.clear();
    s.palette.fill(0);
    s.icon.clear();
    s.iconSize = 0;
}
}  // namespace presenter
