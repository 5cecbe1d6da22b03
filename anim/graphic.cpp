#include "anim/graphic.h"

#include "anim/filemap.h"
#include "anim/graphicenv.h"
#include "anim/lasterror.h"
#include "anim/memmgr.h"
#include "anim/readgif.h"
#include "platform/base/syserror.h"
#include "platform/ddraw/ddraw.h"
#include "platform/resources/resources.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {
constexpr const char* kModule = "graphic.cpp";
constexpr unsigned long kNone = 0xFFFFFFFFul;
constexpr unsigned kHeaderSize = 40;
constexpr unsigned kFileHeaderSize = 14;

unsigned RowSize(long w, unsigned depth)
{
    return static_cast<unsigned>((static_cast<std::uint64_t>(w) * depth + 31) / 32 * 4);
}

bool fValidDepth(unsigned d)
{
    return d == 1 || d == 4 || d == 8 || d == 16 || d == 24 || d == 32;
}

WORD Le16(const unsigned char* p)
{
    return static_cast<WORD>(p[0] | (p[1] << 8));
}
DWORD Le32(const unsigned char* p)
{
    return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8) | (static_cast<DWORD>(p[2]) << 16) |
           (static_cast<DWORD>(p[3]) << 24);
}
void Put16(unsigned char* p, unsigned v)
{
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}
void Put32(unsigned char* p, DWORD v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}

COLORREF FromQuad(const RGBQUAD& q)
{
    return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
}

bool fSameColour(COLORREF a, COLORREF b)
{
    return (a & 0xFFFFFF) == (b & 0xFFFFFF);
}

unsigned Hash(COLORREF c)
{
    return GetRValue(c) + GetGValue(c) + GetBValue(c);
}

// 16-bit pixels of a bitmap are 5-5-5: red in bits 10 to 14.
unsigned long Pack555(COLORREF c)
{
    return ((GetRValue(c) >> 3) << 10) | ((GetGValue(c) >> 3) << 5) | (GetBValue(c) >> 3);
}
COLORREF Unpack555(unsigned long v)
{
    auto widen = [](unsigned c5) { return static_cast<BYTE>((c5 << 3) | (c5 >> 2)); };
    return RGB(widen((v >> 10) & 31), widen((v >> 5) & 31), widen(v & 31));
}
} // namespace

GRAPHIC** GRAPHIC::apgrList = nullptr;
unsigned GRAPHIC::npgrList = 0;
unsigned GRAPHIC::npgrCapacity = 0;
unsigned short GRAPHIC::hashtable[766] = {};

// ---- construction and the list of all graphics ------------------------------------

void GRAPHIC::Init()
{
    pbmi = nullptr;
    pColors = nullptr;
    hbm = nullptr;
    pBits = nullptr;
    pOrigin = nullptr;
    lStep = 0;
    pSurface = nullptr;
    fSurfaceStale = 0;
    pParent = nullptr;
    rcChild = RECT{0, 0, 0, 0};
    nChildren = 0;
    nChildCapacity = 0;
    apChildren = nullptr;
    nColors = 0;
    hdc = nullptr;
    hbmDisplaced = nullptr;
    nDCUses = 0;
    fSurfaceDC = 0;
    fDCChanged = 0;
    pGroup = nullptr;
    clrTransparent = kNone;
    clrKeySet = kNone;
    alphaInfo = ALPHAINFO{atNone, 128, nullptr, 0, 0};
    pTexture = nullptr;
}

void GRAPHIC::AddToList()
{
    for (unsigned i = 0; i < npgrList; ++i)
        if (!apgrList[i]) {
            apgrList[i] = this;
            return;
        }
    if (!GrowTable(&apgrList, &npgrCapacity, npgrList + 1, 16, kModule, __LINE__))
        return;
    apgrList[npgrList++] = this;
}

void GRAPHIC::RemoveFromList()
{
    for (unsigned i = 0; i < npgrList; ++i)
        if (apgrList[i] == this)
            apgrList[i] = nullptr;
}

GRAPHIC::GRAPHIC()
{
    Init();
    AddToList();
}

GRAPHIC::GRAPHIC(long w, long h, unsigned short depth, unsigned long transparent)
{
    Init();
    AddToList();
    if (Realloc(w, h, depth, transparent))
        ZephaneSetLastError(0);
}

GRAPHIC::GRAPHIC(long w, long h, unsigned short depth, PALETTEGROUP* group, unsigned long transparent)
{
    Init();
    AddToList();
    if (Realloc(w, h, depth, group, transparent))
        ZephaneSetLastError(0);
}

GRAPHIC::GRAPHIC(long w, long h, unsigned short depth, RGBQUAD* colours, unsigned long transparent)
{
    Init();
    AddToList();
    if (Realloc(w, h, depth, colours, transparent))
        ZephaneSetLastError(0);
}

GRAPHIC::GRAPHIC(GRAPHIC* parent, RECT* r, unsigned long transparent)
{
    Init();
    AddToList();
    if (Load(parent, r, transparent))
        ZephaneSetLastError(0);
}

GRAPHIC::GRAPHIC(FILEMAP& f, unsigned long transparent)
{
    Init();
    AddToList();
    if (Load(f, transparent))
        ZephaneSetLastError(0);
}

GRAPHIC::GRAPHIC(HINSTANCE module, const char* name, unsigned long transparent)
{
    Init();
    AddToList();
    if (Load(module, name, transparent))
        ZephaneSetLastError(0);
}

GRAPHIC::GRAPHIC(const char* path, unsigned long transparent)
{
    Init();
    AddToList();
    if (Load(path, transparent))
        ZephaneSetLastError(0);
}

GRAPHIC::GRAPHIC(int hFile, unsigned long transparent)
{
    Init();
    AddToList();
    if (Load(hFile, transparent))
        ZephaneSetLastError(0);
}

GRAPHIC::~GRAPHIC()
{
    Release();
    if (apChildren)
        MemMgr_FreeMemory(apChildren, kModule, __LINE__);
    RemoveFromList();
}

// ---- children -------------------------------------------------------------------

int GRAPHIC::AddChild(GRAPHIC* child)
{
    for (unsigned i = 0; i < nChildren; ++i)
        if (!apChildren[i]) {
            apChildren[i] = child;
            return 1;
        }
    if (!GrowTable(&apChildren, &nChildCapacity, nChildren + 1, 8, kModule, __LINE__))
        return FALSE_SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    apChildren[nChildren++] = child;
    return 1;
}

void GRAPHIC::RemoveChild(GRAPHIC* child)
{
    for (unsigned i = 0; i < nChildren; ++i)
        if (apChildren[i] == child)
            apChildren[i] = nullptr;
}

// ---- allocation -----------------------------------------------------------------

void GRAPHIC::FreeAlphaMap()
{
    if (alphaInfo.map)
        MemMgr_FreeMemory(alphaInfo.map, kModule, __LINE__);
    alphaInfo = ALPHAINFO{atNone, 128, nullptr, 0, 0};
}

// Frees the image of a parent (its children become empty); the palette group
// link stays.
void GRAPHIC::FreeImage()
{
    for (unsigned i = 0; i < nChildren; ++i)
        if (apChildren[i])
            apChildren[i]->Release();
    nChildren = 0;
    if (hdc) {
        if (fSurfaceDC)
            pSurface->ReleaseDC(hdc);
        else
            graphicenv::CloseDIBContext(hdc, hbm, 0);
        hdc = nullptr;
        hbmDisplaced = nullptr;
        nDCUses = 0;
        fSurfaceDC = 0;
        fDCChanged = 0;
    }
    pTexture = nullptr;
    ReleaseSurface();
    if (hbm)
        graphicenv::DeleteBitmap(hbm);
    if (pbmi)
        MemMgr_FreeMemory(pbmi, kModule, __LINE__);
    hbm = nullptr;
    pBits = nullptr;
    pbmi = nullptr;
    pColors = nullptr;
    pOrigin = nullptr;
    lStep = 0;
    nColors = 0;
}

int GRAPHIC::Release()
{
    FreeAlphaMap();
    if (pParent) {
        pParent->RemoveChild(this);
        pParent = nullptr;
        rcChild = RECT{0, 0, 0, 0};
    } else {
        if (pGroup) {
            PALETTEGROUP* group = pGroup;
            pGroup = nullptr;
            graphicenv::LeaveGroup(group, this);
        }
        FreeImage();
    }
    clrTransparent = kNone;
    clrKeySet = kNone;
    return 1;
}

int GRAPHIC::Realloc(long w, long h, unsigned short depth, RGBQUAD* colours, unsigned long transparent)
{
    if (depth == 0)
        depth = graphicenv::DisplayDepth();
    if (w <= 0 || h == 0 || h == LONG(0x80000000) || !fValidDepth(depth))
        return FALSE_SetLastError(ERROR_INVALID_PARAMETER);
    const long rows = h < 0 ? -h : h;
    const std::uint64_t dataSize = static_cast<std::uint64_t>(RowSize(w, depth)) * rows;
    if (static_cast<std::uint64_t>(w) * depth > 0xFFFFFFFFull || dataSize > 0x7FFFFFFFull)
        return FALSE_SetLastError(ERROR_NOT_ENOUGH_MEMORY);

    // The colour table, blue-green-red, before anything is freed: colours may
    // point into this graphic's own table.
    const unsigned tableSize = depth <= 8 ? (1u << depth) : 0;
    RGBQUAD table[256] = {};
    if (tableSize) {
        if (colours) {
            std::memcpy(table, colours, tableSize * sizeof(RGBQUAD));
        } else {
            PALETTEENTRY entries[256];
            PALETTEGROUP* group = pGroup ? pGroup : graphicenv::DisplayPaletteGroup();
            if (!group || !graphicenv::GetGroupEntries(group, entries))
                graphicenv::GetSystemPalette(entries);
            for (unsigned i = 0; i < tableSize; ++i)
                table[i] = RGBQUAD{entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
        }
    }

    if (pParent) {
        pParent->RemoveChild(this);
        pParent = nullptr;
        rcChild = RECT{0, 0, 0, 0};
    }
    FreeAlphaMap();
    FreeImage();

    const unsigned infoSize = kHeaderSize + tableSize * sizeof(RGBQUAD);
    pbmi = static_cast<BITMAPINFO*>(
        MemMgr_AllocateMemory(static_cast<int>(infoSize), "GRAPHIC header", kModule, __LINE__));
    if (!pbmi)
        return FALSE_SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    std::memset(pbmi, 0, infoSize);
    BITMAPINFOHEADER& hdr = pbmi->bmiHeader;
    hdr.biSize = kHeaderSize;
    hdr.biWidth = w;
    hdr.biHeight = h;
    hdr.biPlanes = 1;
    hdr.biBitCount = depth;
    hdr.biCompression = BI_RGB;
    hdr.biSizeImage = static_cast<DWORD>(dataSize);
    hdr.biClrUsed = tableSize;
    if (tableSize) {
        pColors = pbmi->bmiColors;
        std::memcpy(pColors, table, tableSize * sizeof(RGBQUAD));
    }
    nColors = depth <= 24 ? (1ul << depth) : 0xFFFFFFFFul;

    void* bits = nullptr;
    hbm = graphicenv::CreateDIBSection(pbmi, &bits);
    if (!hbm) {
        FreeImage();
        return FALSE_SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    }
    pBits = static_cast<unsigned char*>(bits);
    const unsigned rowSize = RowSize(w, depth);
    if (h > 0) {
        pOrigin = pBits + static_cast<std::size_t>(rows - 1) * rowSize;
        lStep = static_cast<long>(rowSize);
    } else {
        pOrigin = pBits;
        lStep = -static_cast<long>(rowSize);
    }
    fSurfaceStale = 1;
    return SetTransparentColor(transparent);
}

int GRAPHIC::Realloc(long w, long h, unsigned short depth, PALETTEGROUP* group, unsigned long transparent)
{
    RGBQUAD table[256] = {};
    PALETTEENTRY entries[256];
    PALETTEGROUP* source = group ? group : graphicenv::DisplayPaletteGroup();
    if (!source || !graphicenv::GetGroupEntries(source, entries))
        graphicenv::GetSystemPalette(entries);
    for (int i = 0; i < 256; ++i)
        table[i] = RGBQUAD{entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
    if (!Realloc(w, h, depth, table, transparent))
        return 0;
    if (group && !graphicenv::JoinGroup(group, this))
        return 0;
    return 1;
}

int GRAPHIC::Realloc(long w, long h, unsigned short depth, unsigned long transparent)
{
    if (depth == 0)
        depth = graphicenv::DisplayDepth();
    if (!pParent && pbmi && GetWidth() >= w && GetHeight() >= h && GetDepth() >= depth && w > 0 && h > 0 && depth > 0)
        return 1;
    return Realloc(w, h, depth, static_cast<RGBQUAD*>(nullptr), transparent);
}

// ---- loading ---------------------------------------------------------------------

int GRAPHIC::Load(const char* path, unsigned long transparent)
{
    FILEMAP f;
    if (!f.Open(path, 0)) {
        const int error = ZephaneGetLastError();
        Release();
        return FALSE_SetLastError(error);
    }
    return Load(f, transparent);
}

int GRAPHIC::Load(HINSTANCE module, const char* name, unsigned long transparent)
{
    FILEMAP f;
    if (!f.Open(module, name, RT_BITMAP)) {
        const int error = ZephaneGetLastError();
        Release();
        return FALSE_SetLastError(error);
    }
    return Load(f, transparent);
}

int GRAPHIC::Load(int hFile, unsigned long transparent)
{
    FILEMAP f;
    if (!f.Open(hFile, 0)) {
        const int error = ZephaneGetLastError();
        Release();
        return FALSE_SetLastError(error);
    }
    return Load(f, transparent);
}

int GRAPHIC::Load(FILEMAP& f, unsigned long transparent)
{
    unsigned char sig[2];
    if (!f.ReadNoMove(sig, 2)) {
        Release();
        return FALSE_SetLastError(ERROR_BAD_FORMAT);
    }
    if (sig[0] == 'G' && sig[1] == 'I')
        return LoadGifFirstFrame(f, transparent);
    return LoadBitmap(f, transparent);
}

int GRAPHIC::LoadGifFirstFrame(FILEMAP& f, unsigned long transparent)
{
    GRAPHIC** frames = nullptr;
    unsigned count = 0;
    if (!ReadGIF(f, &frames, &count)) {
        const int error = ZephaneGetLastError();
        Release();
        return FALSE_SetLastError(error);
    }
    GRAPHIC* first = frames[0];
    // The frame's own colour table goes with it at every palette depth.
    const unsigned long key = first->clrTransparent != kNone ? first->clrTransparent : transparent;
    int ok = Realloc(first->GetWidth(), first->GetHeight(), first->GetDepth(), first->pColors, key);
    if (ok)
        std::memcpy(pBits, first->pBits, GetDataSize());
    for (unsigned i = 0; i < count; ++i)
        delete frames[i];
    MemMgr_FreeMemory(frames, kModule, __LINE__);
    return ok;
}

int GRAPHIC::LoadBitmap(FILEMAP& f, unsigned long transparent)
{
    auto badFormat = [this](int error) {
        Release();
        return FALSE_SetLastError(error);
    };
    const long start = f.GetPosition();
    unsigned char buf[40];
    long pixelOffset = 0;
    if (!f.ReadNoMove(buf, 2))
        return badFormat(ERROR_BAD_FORMAT);
    if (buf[0] == 'B' && buf[1] == 'M') {
        if (!f.Read(buf, kFileHeaderSize))
            return badFormat(ERROR_BAD_FORMAT);
        pixelOffset = static_cast<long>(Le32(buf + 10));
    }
    if (!f.Read(buf, 4))
        return badFormat(ERROR_BAD_FORMAT);
    const DWORD headerSize = Le32(buf);
    long w = 0, h = 0;
    unsigned depth = 0;
    DWORD used = 0, important = 0;
    const bool core = headerSize == 12;
    if (core) {
        if (!f.Read(buf, 8))
            return badFormat(ERROR_BAD_FORMAT);
        w = Le16(buf);
        h = Le16(buf + 2);
        depth = Le16(buf + 6);
    } else if (headerSize == kHeaderSize) {
        if (!f.Read(buf, 36))
            return badFormat(ERROR_BAD_FORMAT);
        w = static_cast<LONG>(Le32(buf));
        h = static_cast<LONG>(Le32(buf + 4));
        depth = Le16(buf + 10);
        if (Le32(buf + 12) != BI_RGB)
            return badFormat(errUnsupportedBitmap);
        used = Le32(buf + 28);
        important = Le32(buf + 32);
    } else {
        return badFormat(ERROR_BAD_FORMAT);
    }
    if (w <= 0 || h == 0 || h == LONG(0x80000000) || !fValidDepth(depth))
        return badFormat(ERROR_BAD_FORMAT);

    // A damaged header must not make us allocate more than the data can fill.
    const std::uint64_t rows = h < 0 ? -static_cast<std::int64_t>(h) : h;
    const std::uint64_t dataSize = static_cast<std::uint64_t>(RowSize(w, depth)) * rows;
    const long total = f.GetSize();
    const long here = f.GetPosition();
    if (total >= 0 && here >= 0 && dataSize > static_cast<std::uint64_t>(total - here))
        return badFormat(ERROR_BAD_FORMAT);

    int ok;
    if (depth <= 8) {
        const unsigned maxEntries = 1u << depth;
        unsigned entries = used ? used : important;
        if (entries == 0 || entries > maxEntries)
            entries = maxEntries;
        RGBQUAD table[256] = {};
        // Core headers store three-byte entries, information headers four.
        const unsigned entrySize = core ? 3 : 4;
        unsigned char raw[256 * 4];
        if (!f.Read(raw, entries * entrySize))
            return badFormat(ERROR_BAD_FORMAT);
        for (unsigned i = 0; i < entries; ++i)
            table[i] = RGBQUAD{raw[i * entrySize], raw[i * entrySize + 1], raw[i * entrySize + 2], 0};
        ok = Realloc(w, h, static_cast<unsigned short>(depth), table, kNone);
    } else {
        ok = Realloc(w, h, static_cast<unsigned short>(depth), static_cast<RGBQUAD*>(nullptr), transparent);
    }
    if (!ok) {
        const int error = ZephaneGetLastError();
        Release();
        return FALSE_SetLastError(error);
    }
    // Pixels normally follow the colour table; a file header that places
    // them further on is followed there.
    if (pixelOffset > 0 && start >= 0) {
        const long now = f.GetPosition();
        if (now >= 0 && start + pixelOffset > now && !f.Seek(start + pixelOffset - now, 1))
            return badFormat(ERROR_BAD_FORMAT);
    }
    if (!f.Read(pBits, GetDataSize()))
        return badFormat(ERROR_BAD_FORMAT);
    return SetTransparentColor(transparent);
}

int GRAPHIC::Load(GRAPHIC* parent, RECT* r, unsigned long transparent)
{
    Release();
    if (!parent)
        return 1;
    if (parent == this)
        return FALSE_SetLastError(ERROR_INVALID_PARAMETER);
    if (parent->pParent)
        return FALSE_SetLastError(errChildGraphic);
    if (!parent->pbmi)
        return FALSE_SetLastError(errEmptyGraphic);
    if (!parent->AddChild(this))
        return 0;
    pParent = parent;
    const long pw = parent->GetWidth(), ph = parent->GetHeight();
    RECT c = r ? *r : RECT{0, 0, static_cast<LONG>(pw), static_cast<LONG>(ph)};
    c.left = static_cast<LONG>(std::clamp<long>(c.left, 0, pw));
    c.right = static_cast<LONG>(std::clamp<long>(c.right, c.left, pw));
    c.top = static_cast<LONG>(std::clamp<long>(c.top, 0, ph));
    c.bottom = static_cast<LONG>(std::clamp<long>(c.bottom, c.top, ph));
    rcChild = c;
    return SetTransparentColor(transparent);
}

// ---- saving ----------------------------------------------------------------------

int GRAPHIC::Save(FILEMAP& f, int fFileHeader)
{
    if (fEmpty())
        return FALSE_SetLastError(errEmptyGraphic);
    if (pParent) {
        const long w = GetWidth(), h = GetHeight();
        GRAPHIC copy(w, h, GetDepth(), pParent->pColors, kNone);
        if (copy.fEmpty())
            return 0;
        for (long y = 0; y < h; ++y)
            for (long x = 0; x < w; ++x)
                copy.SetPixelValue(x, y, GetPixelValue(x, y), 0);
        return copy.Save(f, fFileHeader);
    }
    const DWORD paletteSize = GetPaletteSize();
    const DWORD dataSize = GetDataSize();
    if (fFileHeader) {
        unsigned char fh[kFileHeaderSize] = {'B', 'M'};
        Put32(fh + 2, kFileHeaderSize + kHeaderSize + paletteSize + dataSize);
        Put32(fh + 10, kFileHeaderSize + kHeaderSize + paletteSize);
        if (!f.Write(fh, sizeof fh))
            return 0;
    }
    const BITMAPINFOHEADER& hdr = pbmi->bmiHeader;
    unsigned char ih[kHeaderSize];
    Put32(ih, hdr.biSize);
    Put32(ih + 4, static_cast<DWORD>(hdr.biWidth));
    Put32(ih + 8, static_cast<DWORD>(hdr.biHeight));
    Put16(ih + 12, hdr.biPlanes);
    Put16(ih + 14, hdr.biBitCount);
    Put32(ih + 16, hdr.biCompression);
    Put32(ih + 20, hdr.biSizeImage);
    Put32(ih + 24, static_cast<DWORD>(hdr.biXPelsPerMeter));
    Put32(ih + 28, static_cast<DWORD>(hdr.biYPelsPerMeter));
    Put32(ih + 32, hdr.biClrUsed);
    Put32(ih + 36, hdr.biClrImportant);
    if (!f.Write(ih, sizeof ih))
        return 0;
    if (paletteSize && !f.Write(pColors, paletteSize))
        return 0;
    return f.Write(pBits, dataSize);
}

// ---- queries ---------------------------------------------------------------------

int GRAPHIC::fEmpty() const
{
    return pParent ? pParent->pbmi == nullptr : pbmi == nullptr;
}

long GRAPHIC::GetWidth()
{
    if (fEmpty())
        return ZERO_SetLastError(errEmptyGraphic);
    if (pParent)
        return rcChild.right - rcChild.left;
    return pbmi->bmiHeader.biWidth;
}

long GRAPHIC::GetHeight()
{
    if (fEmpty())
        return ZERO_SetLastError(errEmptyGraphic);
    if (pParent)
        return rcChild.bottom - rcChild.top;
    const long h = pbmi->bmiHeader.biHeight;
    return h < 0 ? -h : h;
}

unsigned short GRAPHIC::GetDepth()
{
    if (fEmpty())
        return static_cast<unsigned short>(ZERO_SetLastError(errEmptyGraphic));
    return Root()->pbmi->bmiHeader.biBitCount;
}

int GRAPHIC::GetSize(long* w, long* h)
{
    if (fEmpty())
        return FALSE_SetLastError(errEmptyGraphic);
    if (w)
        *w = GetWidth();
    if (h)
        *h = GetHeight();
    return 1;
}

int GRAPHIC::GetRect(RECT* r)
{
    if (!r)
        return FALSE_SetLastError(ERROR_INVALID_PARAMETER);
    if (fEmpty())
        return FALSE_SetLastError(errEmptyGraphic);
    *r = RECT{0, 0, static_cast<LONG>(GetWidth()), static_cast<LONG>(GetHeight())};
    return 1;
}

HBITMAP GRAPHIC::GetBitmap()
{
    if (fEmpty()) {
        ZephaneSetLastError(errEmptyGraphic);
        return nullptr;
    }
    return Root()->hbm;
}

unsigned long GRAPHIC::GetNumColors()
{
    if (fEmpty())
        return static_cast<unsigned long>(ZERO_SetLastError(errEmptyGraphic));
    return Root()->nColors;
}

int GRAPHIC::fHasPalette()
{
    if (fEmpty())
        return FALSE_SetLastError(errEmptyGraphic);
    return GetDepth() <= 8;
}

int GRAPHIC::fTopDown()
{
    if (fEmpty())
        return FALSE_SetLastError(errEmptyGraphic);
    return Root()->pbmi->bmiHeader.biHeight < 0;
}

unsigned long GRAPHIC::GetHeaderSize()
{
    if (fEmpty())
        return static_cast<unsigned long>(ZERO_SetLastError(errEmptyGraphic));
    return kHeaderSize;
}

unsigned long GRAPHIC::GetPaletteSize()
{
    if (fEmpty())
        return static_cast<unsigned long>(ZERO_SetLastError(errEmptyGraphic));
    return GetDepth() <= 8 ? 4ul << GetDepth() : 0;
}

unsigned long GRAPHIC::GetBytesPerLine()
{
    if (fEmpty())
        return static_cast<unsigned long>(ZERO_SetLastError(errEmptyGraphic));
    return RowSize(GetWidth(), GetDepth());
}

unsigned long GRAPHIC::GetDataSize()
{
    if (fEmpty())
        return static_cast<unsigned long>(ZERO_SetLastError(errEmptyGraphic));
    return GetBytesPerLine() * static_cast<unsigned long>(GetHeight());
}

void* GRAPHIC::GetPixelBuffer()
{
    if (fEmpty()) {
        ZephaneSetLastError(errEmptyGraphic);
        return nullptr;
    }
    return Root()->pBits;
}

unsigned long GRAPHIC::GetPixelMask()
{
    if (fEmpty())
        return static_cast<unsigned long>(ZERO_SetLastError(errEmptyGraphic));
    const unsigned d = GetDepth();
    return d >= 32 ? 0xFFFFFFFFul : (1ul << d) - 1;
}

BITMAPINFO* GRAPHIC::GetBitmapInfo()
{
    if (fEmpty()) {
        ZephaneSetLastError(errEmptyGraphic);
        return nullptr;
    }
    return Root()->pbmi;
}

// ---- transparency and translucency ------------------------------------------------

int GRAPHIC::fTransparent()
{
    return !fEmpty() && clrTransparent != kNone;
}

unsigned long GRAPHIC::GetTransparentColor()
{
    if (fEmpty())
        return clrOPAQUE_SetLastError(errEmptyGraphic);
    if (clrTransparent == kNone)
        return clrOPAQUE_SetLastError(errNoTransparentColor);
    return clrTransparent;
}

int GRAPHIC::SetTransparentColor(unsigned long colour)
{
    // The surface's colour key follows on its next use; collision meshes
    // built for the old colour would no longer match the picture.
    clrTransparent = colour;
    return 1;
}

int GRAPHIC::fTranslucent()
{
    if (alphaInfo.type == atConstant)
        return alphaInfo.alpha != 0;
    if (alphaInfo.type == atMap)
        return alphaInfo.map != nullptr;
    return 0;
}

ALPHAINFO* GRAPHIC::GetTranslucencyInfo()
{
    return &alphaInfo;
}

int GRAPHIC::SetTranslucent(ALPHATYPE type, unsigned char alpha)
{
    if (type == alphaInfo.type)
        return 1;
    if (type != atNone && type != atConstant && type != atMap)
        return FALSE_SetLastError(ERROR_INVALID_PARAMETER);
    FreeAlphaMap();
    alphaInfo = ALPHAINFO{type, alpha, nullptr, 0, 0};
    if (type == atMap) {
        if (fEmpty())
            return FALSE_SetLastError(errEmptyGraphic);
        const long w = GetWidth(), h = GetHeight();
        const std::uint64_t bytes = static_cast<std::uint64_t>(w) * h;
        auto* map = static_cast<unsigned char*>(MemMgr_AllocateMemory(
            static_cast<int>(std::max<std::uint64_t>(bytes, 1)), "GRAPHIC alpha map", kModule, __LINE__));
        if (!map)
            return FALSE_SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        std::memset(map, 128, static_cast<std::size_t>(bytes));
        alphaInfo.map = map;
        alphaInfo.width = w;
        alphaInfo.height = h;
    }
    return 1;
}

// ---- pixels ---------------------------------------------------------------------

unsigned char* GRAPHIC::RowAddress(long y)
{
    if (pParent)
        return pParent->RowAddress(y + rcChild.top);
    return pOrigin - static_cast<std::ptrdiff_t>(y) * lStep;
}

unsigned long GRAPHIC::GetPixelValue(long x, long y)
{
    if (fEmpty())
        return static_cast<unsigned long>(ZERO_SetLastError(errEmptyGraphic));
    if (pParent)
        x += rcChild.left;
    const unsigned char* row = RowAddress(y);
    switch (GetDepth()) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4: return (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
    case 8: return row[x];
    case 16: return Le16(row + 2 * x);
    case 24: return reinterpret_cast<std::uintptr_t>(row + 3 * x);
    default: return reinterpret_cast<std::uintptr_t>(row + 4 * x);
    }
}

void GRAPHIC::PixelsChanged(int)
{
    Root()->fSurfaceStale = 1;
}

int GRAPHIC::SetPixelValue(long x, long y, unsigned long value, int fMeshes)
{
    if (fEmpty())
        return FALSE_SetLastError(errEmptyGraphic);
    if (pParent)
        x += rcChild.left;
    unsigned char* row = RowAddress(y);
    switch (GetDepth()) {
    case 1: {
        const unsigned char bit = static_cast<unsigned char>(0x80 >> (x & 7));
        row[x >> 3] = static_cast<unsigned char>((value & 1) ? row[x >> 3] | bit : row[x >> 3] & ~bit);
        break;
    }
    case 4: {
        unsigned char& b = row[x >> 1];
        b = (x & 1) ? static_cast<unsigned char>((b & 0xF0) | (value & 0x0F))
                    : static_cast<unsigned char>((b & 0x0F) | ((value & 0x0F) << 4));
        break;
    }
    case 8: row[x] = static_cast<unsigned char>(value); break;
    case 16: Put16(row + 2 * x, static_cast<unsigned>(value & 0xFFFF)); break;
    case 24: std::memcpy(row + 3 * x, reinterpret_cast<const void*>(value), 3); break;
    default: std::memcpy(row + 4 * x, reinterpret_cast<const void*>(value), 3); break;
    }
    PixelsChanged(fMeshes);
    return 1;
}

COLORREF GRAPHIC::GetPixel(long x, long y)
{
    if (fEmpty())
        return clrOPAQUE_SetLastError(errEmptyGraphic);
    const unsigned d = GetDepth();
    const unsigned long v = GetPixelValue(x, y);
    if (d <= 8)
        return FromQuad(Root()->pColors[v]);
    if (d == 16)
        return Unpack555(v);
    const auto* p = reinterpret_cast<const unsigned char*>(v);
    return RGB(p[2], p[1], p[0]);
}

int GRAPHIC::SetPixel(long x, long y, COLORREF colour, int fMeshes)
{
    if (fEmpty())
        return FALSE_SetLastError(errEmptyGraphic);
    const unsigned d = GetDepth();
    if (d <= 8) {
        const unsigned short index = GetPaletteIndex(colour, 0xFFFF);
        if (index == 0xFFFF)
            return 0;
        return SetPixelValue(x, y, index, fMeshes);
    }
    if (d == 16)
        return SetPixelValue(x, y, Pack555(colour), fMeshes);
    const unsigned char bytes[3] = {GetBValue(colour), GetGValue(colour), GetRValue(colour)};
    return SetPixelValue(x, y, reinterpret_cast<std::uintptr_t>(bytes), fMeshes);
}

int GRAPHIC::fPixelIsTransparent(long x, long y)
{
    const unsigned d = GetDepth();
    if (d == 16)
        return GetPixelValue(x, y) == Pack555(clrTransparent);
    return fSameColour(GetPixel(x, y), clrTransparent);
}

int GRAPHIC::HitTest(long x, long y)
{
    if (fEmpty())
        return TRUE_SetLastError(errEmptyGraphic);
    if (clrTransparent == kNone)
        return TRUE_SetLastError(errNoTransparentColor);
    ZephaneSetLastError(0);
    // A point outside the picture hits nothing.
    if (x < 0 || y < 0 || x >= GetWidth() || y >= GetHeight())
        return 0;
    return !fPixelIsTransparent(x, y);
}

// ---- palette ---------------------------------------------------------------------

COLORREF GRAPHIC::GetPaletteColor(unsigned short i)
{
    if (fEmpty())
        return clrOPAQUE_SetLastError(errEmptyGraphic);
    if (!fHasPalette())
        return clrOPAQUE_SetLastError(errNoPalette);
    if (i >= GetNumColors())
        return clrOPAQUE_SetLastError(ERROR_INVALID_PARAMETER);
    return FromQuad(Root()->pColors[i]);
}

unsigned short GRAPHIC::GetPaletteIndex(COLORREF colour, unsigned short after)
{
    if (fEmpty()) {
        ZephaneSetLastError(errEmptyGraphic);
        return 0xFFFF;
    }
    if (!fHasPalette()) {
        ZephaneSetLastError(errNoPalette);
        return 0xFFFF;
    }
    const unsigned n = GetNumColors();
    if (colour == kNone || (after != 0xFFFF && after >= n)) {
        ZephaneSetLastError(ERROR_INVALID_PARAMETER);
        return 0xFFFF;
    }
    const RGBQUAD* table = Root()->pColors;
    const int first = after == 0xFFFF ? 0 : after + 1;
    const unsigned h = Hash(colour);
    const unsigned cached = hashtable[h];
    if (static_cast<int>(cached) >= first && cached < n && fSameColour(FromQuad(table[cached]), colour))
        return static_cast<unsigned short>(cached);
    for (unsigned i = static_cast<unsigned>(first); i < n; ++i)
        if (fSameColour(FromQuad(table[i]), colour)) {
            hashtable[h] = static_cast<unsigned short>(i);
            return static_cast<unsigned short>(i);
        }
    ZephaneSetLastError(errNotFound);
    return 0xFFFF;
}

unsigned long GRAPHIC::CalculateColorKey(COLORREF colour)
{
    const unsigned displayDepth = graphicenv::DisplayDepth();
    if (displayDepth == 24 || displayDepth == 32)
        return (static_cast<unsigned long>(GetRValue(colour)) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
    // At 16 bits and below the key is the value the display's surfaces use
    // for the colour, as the surface itself tells.
    return FindColorKey(colour);
}

unsigned long GRAPHIC::GetColorValue(COLORREF colour)
{
    if (fEmpty())
        return clrOPAQUE_SetLastError(errEmptyGraphic);
    const unsigned d = GetDepth();
    if (d <= 8) {
        const unsigned short index = GetPaletteIndex(colour, 0xFFFF);
        return index == 0xFFFF ? clrOPAQUE : index;
    }
    if (d == 16)
        return CalculateColorKey(colour);
    return colour;
}

int GRAPHIC::GetPaletteEntries(unsigned short start, unsigned short count, PALETTEENTRY* entries)
{
    if (fEmpty())
        return FALSE_SetLastError(errEmptyGraphic);
    if (!fHasPalette())
        return FALSE_SetLastError(errNoPalette);
    GRAPHIC* root = Root();
    const unsigned n = static_cast<unsigned>(root->nColors);
    const unsigned first = std::min<unsigned>(start, n);
    const unsigned take = std::min<unsigned>(count, n - first);
    if (take == 0 || !entries)
        return FALSE_SetLastError(ERROR_INVALID_PARAMETER);
    // The table is read from the bitmap itself.
    RGBQUAD quads[256];
    const UINT got = graphicenv::GetDIBColorTable(root->hbm, first, take, quads);
    if (got != take)
        return FALSE_SetLastError(ERROR_INVALID_PARAMETER);
    for (unsigned i = 0; i < take; ++i)
        entries[i] = PALETTEENTRY{quads[i].rgbRed, quads[i].rgbGreen, quads[i].rgbBlue, 0};
    return static_cast<int>(take);
}

int GRAPHIC::SetPaletteEntries(unsigned short start, unsigned short count, PALETTEENTRY* entries)
{
    if (fEmpty())
        return FALSE_SetLastError(errEmptyGraphic);
    if (!fHasPalette())
        return FALSE_SetLastError(errNoPalette);
    GRAPHIC* root = Root();
    const unsigned n = static_cast<unsigned>(root->nColors);
    const unsigned first = std::min<unsigned>(start, n);
    const unsigned take = std::min<unsigned>(count, n - first);
    if (take == 0 || !entries)
        return FALSE_SetLastError(ERROR_INVALID_PARAMETER);
    RGBQUAD quads[256];
    for (unsigned i = 0; i < take; ++i)
        quads[i] = RGBQUAD{entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
    const UINT put = graphicenv::SetDIBColorTable(root->hbm, first, take, quads);
    // The header copy follows the bitmap's own table.
    graphicenv::GetDIBColorTable(root->hbm, 0, n, root->pColors);
    if (put != take)
        return FALSE_SetLastError(ERROR_INVALID_PARAMETER);
    root->PixelsChanged(0);
    if (root->pGroup)
        graphicenv::GroupUnincorporate(root->pGroup, root);
    return static_cast<int>(take);
}

// ---- device contexts -----------------------------------------------------------------

HDC GRAPHIC::GetDIBDC()
{
    if (fEmpty()) {
        ZephaneSetLastError(errEmptyGraphic);
        return nullptr;
    }
    GRAPHIC* root = Root();
    if (root->pGroup)
        graphicenv::GroupExportChanges(root->pGroup, root);
    if (root->nDCUses > 0) {
        if (root->fSurfaceDC) {
            ZephaneSetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        ++root->nDCUses;
        return root->hdc;
    }
    HDC dc = graphicenv::OpenDIBContext(root->hbm);
    if (!dc) {
        ZephaneSetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    root->hdc = dc;
    root->nDCUses = 1;
    root->fSurfaceDC = 0;
    root->fDCChanged = 0;
    return dc;
}

int GRAPHIC::ReleaseDC(HDC dc, int fChanged)
{
    GRAPHIC* root = Root();
    if (!dc || dc != root->hdc || root->nDCUses <= 0)
        return FALSE_SetLastError(ERROR_INVALID_PARAMETER);
    if (fChanged) {
        // A change through the bitmap's context reaches the surface when it
        // is next refilled; one through the surface's context is already
        // there. Either way the texture is made again.
        if (!root->fSurfaceDC)
            root->PixelsChanged(1);
        root->pTexture = nullptr;
        root->fDCChanged = 1;
    }
    if (--root->nDCUses == 0) {
        if (root->fSurfaceDC)
            root->pSurface->ReleaseDC(dc);
        else
            graphicenv::CloseDIBContext(dc, root->hbm, root->fDCChanged);
        root->hdc = nullptr;
        root->hbmDisplaced = nullptr;
        root->fSurfaceDC = 0;
        root->fDCChanged = 0;
    }
    return 1;
}
