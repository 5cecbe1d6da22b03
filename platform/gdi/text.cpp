// Fonts and text: face names resolved through fontconfig, faces opened with
// SDL_ttf at the pixel size asked for, strings rendered once into coverage
// masks and kept, so that text drawn every frame is only blended.
#include "platform/gdi/gdi.h"

#include "platform/gdi/gdi_internal.h"

#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cstring>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <strings.h>
#include <tuple>
#include <unordered_map>
#include <vector>

using namespace gdi_internal;

namespace {
struct OpenFace {
    TTF_Font* font = nullptr;
    int height = 0;
    int ascent = 0;
    int descent = 0;
    bool bold = false;
    bool italic = false;
};

struct Mask {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> alpha;
};

struct Fonts {
    bool ready = false;
    bool failed = false;
    std::map<std::tuple<std::string, bool, bool>, std::pair<std::string, int>> resolved;
    std::map<std::tuple<std::string, int, int, int>, OpenFace> faces;  // file, index, size, style
    // Rendered strings, most recently used first.
    using Key = std::pair<TTF_Font*, std::string>;
    std::list<std::pair<Key, Mask>> masks;
    std::map<Key, std::list<std::pair<Key, Mask>>::iterator> maskIndex;
};

Fonts& fonts()
{
    static Fonts f;
    return f;
}

constexpr std::size_t kMaxMasks = 512;

bool Ready()
{
    Fonts& f = fonts();
    if (f.ready)
        return true;
    if (f.failed)
        return false;
    if (!TTF_WasInit() && TTF_Init() != 0) {
        f.failed = true;
        return false;
    }
    if (!FcInit()) {
        f.failed = true;
        return false;
    }
    f.ready = true;
    return true;
}

// The family a requested face name stands for.
std::string FamilyFor(std::string name)
{
    constexpr std::string_view suffix = " Eo";
    if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
        name.erase(name.size() - suffix.size());
    static const std::pair<const char*, const char*> twins[] = {
        {"Times New Roman", "Liberation Serif"}, {"Times", "Liberation Serif"},
        {"Arial", "Liberation Sans"},            {"Helvetica", "Liberation Sans"},
        {"MS Sans Serif", "Liberation Sans"},    {"MS Shell Dlg", "Liberation Sans"},
        {"Tahoma", "Liberation Sans"},           {"Courier New", "Liberation Mono"},
        {"Courier", "Liberation Mono"},
    };
    for (const auto& [from, to] : twins)
        if (strcasecmp(name.c_str(), from) == 0)
            return to;
    return name.empty() ? std::string("Liberation Sans") : name;
}

bool Resolve(const std::string& face, bool bold, bool italic, std::string* file, int* index, bool* realBold,
             bool* realItalic)
{
    if (!Ready())
        return false;
    Fonts& f = fonts();
    const auto key = std::make_tuple(face, bold, italic);
    auto it = f.resolved.find(key);
    if (it == f.resolved.end()) {
        const std::string family = FamilyFor(face);
        FcPattern* pat = FcPatternCreate();
        FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
        FcPatternAddInteger(pat, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
        FcPatternAddInteger(pat, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
        FcPatternAddBool(pat, FC_SCALABLE, FcTrue);
        FcConfigSubstitute(nullptr, pat, FcMatchPattern);
        FcDefaultSubstitute(pat);
        FcResult result;
        FcPattern* match = FcFontMatch(nullptr, pat, &result);
        std::pair<std::string, int> found{"", 0};
        if (match) {
            FcChar8* path = nullptr;
            int idx = 0;
            if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path)
                found.first = reinterpret_cast<const char*>(path);
            if (FcPatternGetInteger(match, FC_INDEX, 0, &idx) == FcResultMatch)
                found.second = idx;
            int weight = 0, slant = 0;
            FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
            FcPatternGetInteger(match, FC_SLANT, 0, &slant);
            // The style bits record whether the face itself is bold or
            // italic; otherwise the renderer makes it so.
            found.second |= (weight >= FC_WEIGHT_DEMIBOLD ? 0x10000 : 0) | (slant != FC_SLANT_ROMAN ? 0x20000 : 0);
            FcPatternDestroy(match);
        }
        FcPatternDestroy(pat);
        it = f.resolved.emplace(key, found).first;
    }
    if (it->second.first.empty())
        return false;
    *file = it->second.first;
    *index = it->second.second & 0xFFFF;
    *realBold = (it->second.second & 0x10000) != 0;
    *realItalic = (it->second.second & 0x20000) != 0;
    return true;
}

OpenFace* FaceFor(const LOGFONTA& lf)
{
    const bool bold = lf.lfWeight >= 600;
    const bool italic = lf.lfItalic != 0;
    std::string file;
    int index = 0;
    bool realBold = false, realItalic = false;
    if (!Resolve(lf.lfFaceName, bold, italic, &file, &index, &realBold, &realItalic))
        return nullptr;
    int style = TTF_STYLE_NORMAL;
    if (bold && !realBold)
        style |= TTF_STYLE_BOLD;
    if (italic && !realItalic)
        style |= TTF_STYLE_ITALIC;
    if (lf.lfUnderline)
        style |= TTF_STYLE_UNDERLINE;
    if (lf.lfStrikeOut)
        style |= TTF_STYLE_STRIKETHROUGH;
    // Negative heights are the character (em) height in pixels; positive
    // ones the cell height, ascent plus descent.
    int size = lf.lfHeight < 0 ? -lf.lfHeight : (lf.lfHeight > 0 ? lf.lfHeight : 16);
    Fonts& f = fonts();
    const auto key = std::make_tuple(file, index, lf.lfHeight, style);
    auto it = f.faces.find(key);
    if (it != f.faces.end())
        return it->second.font ? &it->second : nullptr;
    OpenFace face;
    face.font = TTF_OpenFontIndex(file.c_str(), size, index);
    if (face.font && lf.lfHeight > 0) {
        const int cell = TTF_FontHeight(face.font);
        if (cell > 0 && cell != lf.lfHeight) {
            const int scaled = std::max(1, (size * lf.lfHeight + cell / 2) / cell);
            TTF_CloseFont(face.font);
            face.font = TTF_OpenFontIndex(file.c_str(), scaled, index);
        }
    }
    if (face.font) {
        TTF_SetFontStyle(face.font, style);
        TTF_SetFontHinting(face.font, TTF_HINTING_LIGHT);
        face.height = TTF_FontHeight(face.font);
        face.ascent = TTF_FontAscent(face.font);
        face.descent = -TTF_FontDescent(face.font);
        face.bold = bold;
        face.italic = italic;
    }
    it = f.faces.emplace(key, face).first;
    return it->second.font ? &it->second : nullptr;
}

OpenFace* FaceOf(Context& dc)
{
    Object* font = FontOf(dc);
    return font ? FaceFor(font->lf) : nullptr;
}

int Measure(OpenFace* face, const std::string& text)
{
    if (!face || text.empty())
        return 0;
    int w = 0, h = 0;
    if (TTF_SizeUTF8(face->font, text.c_str(), &w, &h) != 0)
        return 0;
    return w;
}

const Mask* Render(OpenFace* face, const std::string& text)
{
    Fonts& f = fonts();
    const Fonts::Key key{face->font, text};
    if (auto it = f.maskIndex.find(key); it != f.maskIndex.end()) {
        f.masks.splice(f.masks.begin(), f.masks, it->second);
        return &it->second->second;
    }
    Mask m;
    SDL_Surface* s = TTF_RenderUTF8_Blended(face->font, text.c_str(), SDL_Color{255, 255, 255, 255});
    if (s) {
        SDL_Surface* conv = SDL_ConvertSurfaceFormat(s, SDL_PIXELFORMAT_ARGB8888, 0);
        SDL_FreeSurface(s);
        if (conv) {
            m.width = conv->w;
            m.height = conv->h;
            m.alpha.resize(static_cast<std::size_t>(m.width) * static_cast<std::size_t>(m.height));
            SDL_LockSurface(conv);
            for (int y = 0; y < m.height; ++y) {
                const auto* row = reinterpret_cast<const std::uint32_t*>(static_cast<const std::uint8_t*>(conv->pixels) +
                                                                          static_cast<std::ptrdiff_t>(y) * conv->pitch);
                for (int x = 0; x < m.width; ++x)
                    m.alpha[static_cast<std::size_t>(y) * m.width + x] = static_cast<std::uint8_t>(row[x] >> 24);
            }
            SDL_UnlockSurface(conv);
            SDL_FreeSurface(conv);
        }
    }
    f.masks.emplace_front(key, std::move(m));
    f.maskIndex[key] = f.masks.begin();
    while (f.masks.size() > kMaxMasks) {
        f.maskIndex.erase(f.masks.back().first);
        f.masks.pop_back();
    }
    return &f.masks.front().second;
}

// Draws one line with its top-left at (x, y), clipped to clip and the
// context.
void DrawLine(Context& dc, OpenFace* face, const std::string& text, int x, int y, const RECT* clip)
{
    if (!face || text.empty() || !dc.pixels)
        return;
    RECT c{0, 0, dc.width, dc.height};
    if (clip) {
        c.left = std::max(c.left, clip->left);
        c.top = std::max(c.top, clip->top);
        c.right = std::min(c.right, clip->right);
        c.bottom = std::min(c.bottom, clip->bottom);
    }
    if (dc.bkMode == OPAQUE) {
        const RECT bg{std::max<LONG>(x, c.left), std::max<LONG>(y, c.top),
                      std::min<LONG>(x + Measure(face, text), c.right), std::min<LONG>(y + face->height, c.bottom)};
        if (bg.right > bg.left && bg.bottom > bg.top)
            Fill(dc, bg, ToPixel(dc.bkColour));
    }
    const Mask* m = Render(face, text);
    if (!m || m->alpha.empty())
        return;
    const std::uint32_t col = ToPixel(dc.textColour);
    const int cr = (col >> 16) & 0xFF, cg = (col >> 8) & 0xFF, cb = col & 0xFF;
    const int y0 = std::max<int>(y, c.top), y1 = std::min<int>(y + m->height, c.bottom);
    const int x0 = std::max<int>(x, c.left), x1 = std::min<int>(x + m->width, c.right);
    for (int py = y0; py < y1; ++py) {
        const std::uint8_t* a = m->alpha.data() + static_cast<std::ptrdiff_t>(py - y) * m->width;
        std::uint32_t* out = dc.pixels + static_cast<std::ptrdiff_t>(py) * dc.pitch;
        for (int px = x0; px < x1; ++px) {
            const int alpha = a[px - x];
            if (alpha == 0)
                continue;
            if (alpha == 255) {
                out[px] = col;
                continue;
            }
            const std::uint32_t d = out[px];
            const int dr = (d >> 16) & 0xFF, dg = (d >> 8) & 0xFF, db = d & 0xFF;
            out[px] = (static_cast<std::uint32_t>(dr + (cr - dr) * alpha / 255) << 16) |
                      (static_cast<std::uint32_t>(dg + (cg - dg) * alpha / 255) << 8) |
                      static_cast<std::uint32_t>(db + (cb - db) * alpha / 255);
        }
    }
}

std::string Text(const char* text, int length)
{
    if (!text)
        return {};
    return length < 0 ? std::string(text) : std::string(text, strnlen(text, static_cast<std::size_t>(length)));
}

// "&x" marks a mnemonic, shown without the ampersand; "&&" is one.
std::string StripPrefix(const std::string& s)
{
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '&' && i + 1 < s.size()) {
            ++i;
        }
        out += s[i];
    }
    return out;
}

// Breaks text into lines: at line breaks (unless single-line) and, with
// word breaking, between words where the next word would pass the width.
std::vector<std::string> Lines(OpenFace* face, const std::string& text, UINT format, int width)
{
    std::vector<std::string> paragraphs;
    if (format & DT_SINGLELINE) {
        std::string one;
        for (char ch : text)
            if (ch != '\r' && ch != '\n')
                one += ch;
        paragraphs.push_back(one);
    } else {
        std::string cur;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\r' || text[i] == '\n') {
                paragraphs.push_back(cur);
                cur.clear();
                if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                    ++i;
            } else {
                cur += text[i];
            }
        }
        paragraphs.push_back(cur);
    }
    if (!(format & DT_WORDBREAK) || (format & DT_SINGLELINE))
        return paragraphs;
    std::vector<std::string> lines;
    for (const std::string& p : paragraphs) {
        std::string line;
        std::size_t i = 0;
        bool any = false;
        while (i < p.size()) {
            std::size_t j = p.find(' ', i);
            if (j == std::string::npos)
                j = p.size();
            const std::string word = p.substr(i, j - i);
            const std::string candidate = line.empty() && !any ? word : line + " " + word;
            if (any && Measure(face, candidate) > width) {
                lines.push_back(line);
                line = word;
            } else {
                line = candidate;
            }
            any = true;
            i = j + 1;
        }
        lines.push_back(line);
    }
    return lines;
}
}  // namespace

BOOL GetTextExtentPoint32A(HDC hdc, const char* text, int length, SIZE* size)
{
    Context* c = FindDC(hdc);
    if (!c || !size || (!text && length != 0))
        return FALSE;
    OpenFace* face = FaceOf(*c);
    if (!face) {
        *size = {0, 0};
        return FALSE;
    }
    const std::string s = Text(text, length);
    *size = {Measure(face, s), face->height};
    return TRUE;
}

BOOL GetTextMetricsA(HDC hdc, TEXTMETRICA* tm)
{
    Context* c = FindDC(hdc);
    OpenFace* face = c ? FaceOf(*c) : nullptr;
    if (!face || !tm)
        return FALSE;
    std::memset(tm, 0, sizeof(*tm));
    tm->tmHeight = face->height;
    tm->tmAscent = face->ascent;
    tm->tmDescent = face->descent;
    tm->tmAveCharWidth = Measure(face, "x");
    tm->tmMaxCharWidth = Measure(face, "W");
    tm->tmWeight = face->bold ? FW_BOLD : FW_NORMAL;
    tm->tmItalic = face->italic ? 1 : 0;
    const Object* font = FontOf(*c);
    tm->tmUnderlined = font && font->lf.lfUnderline ? 1 : 0;
    if (font && font->lf.lfHeight < 0)
        tm->tmInternalLeading = std::max<LONG>(0, face->height + font->lf.lfHeight);
    return TRUE;
}

BOOL TextOutA(HDC hdc, int x, int y, const char* text, int length)
{
    Context* c = FindDC(hdc);
    if (!c || (!text && length != 0))
        return FALSE;
    OpenFace* face = FaceOf(*c);
    if (!face)
        return FALSE;
    DrawLine(*c, face, Text(text, length), x, y, nullptr);
    return TRUE;
}

int DrawTextA(HDC hdc, const char* text, int length, RECT* rc, UINT format)
{
    Context* c = FindDC(hdc);
    if (!c || !rc || (!text && length != 0))
        return 0;
    OpenFace* face = FaceOf(*c);
    if (!face)
        return 0;
    std::string s = Text(text, length);
    if (!(format & DT_NOPREFIX))
        s = StripPrefix(s);
    const int width = rc->right - rc->left;
    const std::vector<std::string> lines = Lines(face, s, format, width);
    const int lineH = face->height;
    const int total = lineH * static_cast<int>(lines.size());
    if (format & DT_CALCRECT) {
        int widest = 0;
        for (const auto& l : lines)
            widest = std::max(widest, Measure(face, l));
        if (!(format & DT_WORDBREAK) || (format & DT_SINGLELINE))
            rc->right = rc->left + widest;
        else
            rc->right = rc->left + std::max(width, widest);
        rc->bottom = rc->top + total;
        return total;
    }
    int y = rc->top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER)
            y = rc->top + (rc->bottom - rc->top - lineH) / 2;
        else if (format & DT_BOTTOM)
            y = rc->bottom - lineH;
    }
    const RECT* clip = (format & DT_NOCLIP) ? nullptr : rc;
    for (const auto& line : lines) {
        const int w = Measure(face, line);
        int x = rc->left;
        if (format & DT_CENTER)
            x = rc->left + (width - w) / 2;
        else if (format & DT_RIGHT)
            x = rc->right - w;
        DrawLine(*c, face, line, x, y, clip);
        y += lineH;
    }
    // The height of the text, counted from the top of the rectangle.
    return y - rc->top;
}

namespace gdi {
bool ResolveFace(const char* faceName, bool bold, bool italic, char* file, int fileSize)
{
    std::string path;
    int index = 0;
    bool b = false, i = false;
    if (!Resolve(faceName ? faceName : "", bold, italic, &path, &index, &b, &i))
        return false;
    if (file && fileSize > 0) {
        std::strncpy(file, path.c_str(), static_cast<std::size_t>(fileSize) - 1);
        file[fileSize - 1] = '\0';
    }
    return true;
}

int TextCacheSize() { return static_cast<int>(fonts().masks.size()); }
}  // namespace gdi
