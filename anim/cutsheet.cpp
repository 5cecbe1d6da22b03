#include "anim/cutsheet.h"

#include "anim/filemap.h"
#include "anim/graphic.h"
#include "anim/lasterror.h"
#include "anim/memmgr.h"
#include "anim/palette.h"
#include "anim/readavi.h"
#include "anim/readgif.h"
#include "platform/base/syserror.h"
#include "platform/files/filehandle.h"
#include "platform/files/files.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {
constexpr const char* kModule = "cutsheet.cpp";
constexpr unsigned long kNone = 0xFFFFFFFFul;

constexpr WORD kSignatureCurrent = 0x5344;  // "DS"
constexpr WORD kSignaturePrevious = 0x5343; // "CS"
constexpr WORD kTrailer = 0x4353;           // "SC"
constexpr WORD kEmbeddedBitmap = 0xDBDB;
constexpr WORD kExternalBitmap = 0xB0B0;
constexpr unsigned kRecordSize = 32;
constexpr unsigned kNameUnits = 260;
// A "CS" record's collision flag becomes the coarse cells and the pixel mesh.
constexpr unsigned long kPreviousMeshFlags = 5;
// Frames of an animation are laid out in rows about this wide.
constexpr long kSheetRowWidth = 320;
// The largest sheet an animation is laid out on (2048 x 2048 pixels): cut
// sheets hold sprites, and a few bytes of animation claiming frames of
// millions of pixels must not make the loader copy them for seconds.
constexpr long long kMostSheetPixels = 1LL << 22;

WORD Le16(const unsigned char* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }
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
void Put32(unsigned char* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}

// The name is stored as UTF-16 and kept in memory in the platform's 8-bit
// encoding, UTF-8. Conversion stops at the terminator; what does not fit in
// `size` bytes (with the terminator) is cut at a character boundary.
void Utf16ToNarrow(const unsigned char* units, unsigned count, char* out, unsigned size)
{
    std::string s;
    for (unsigned i = 0; i < count; ++i) {
        std::uint32_t c = Le16(units + 2 * i);
        if (c == 0)
            break;
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < count) {
            const std::uint32_t low = Le16(units + 2 * (i + 1));
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (c >= 0xD800 && c < 0xE000)
            c = '?';
        std::string enc;
        if (c < 0x80) {
            enc += static_cast<char>(c);
        } else if (c < 0x800) {
            enc += static_cast<char>(0xC0 | (c >> 6));
            enc += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            enc += static_cast<char>(0xE0 | (c >> 12));
            enc += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            enc += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            enc += static_cast<char>(0xF0 | (c >> 18));
            enc += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            enc += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            enc += static_cast<char>(0x80 | (c & 0x3F));
        }
        if (s.size() + enc.size() + 1 > size)
            break;
        s += enc;
    }
    std::memcpy(out, s.c_str(), s.size() + 1);
}

// UTF-8 to the stored form: at most 259 units and the terminator, zero-filled.
void NarrowToUtf16(const char* name, unsigned char* units)
{
    std::memset(units, 0, 2 * kNameUnits);
    const auto* p = reinterpret_cast<const unsigned char*>(name);
    unsigned n = 0;
    auto put = [&](std::uint32_t u) {
        if (n + 1 < kNameUnits) {
            Put16(units + 2 * n, u);
            ++n;
            return true;
        }
        return false;
    };
    while (*p) {
        std::uint32_t c = *p++;
        int more = 0;
        if (c >= 0xF0 && c < 0xF8)
            c &= 0x07, more = 3;
        else if (c >= 0xE0)
            c &= 0x0F, more = 2;
        else if (c >= 0xC0)
            c &= 0x1F, more = 1;
        else if (c >= 0x80)
            c = '?';
        for (; more > 0 && (*p & 0xC0) == 0x80; --more)
            c = (c << 6) | (*p++ & 0x3F);
        if (more > 0)
            c = '?';
        if (c >= 0x10000) {
            if (n + 2 >= kNameUnits)
                break;
            put(0xD800 + ((c - 0x10000) >> 10));
            put(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else if (!put(c)) {
            break;
        }
    }
}

// A failed load returns the file to where loading began and keeps the
// failure's error.
int Rewind(FILEMAP& f, long start, int error)
{
    const long now = f.GetPosition();
    if (start >= 0 && now >= 0)
        f.Seek(start - now, 1);
    return FALSE_SetLastError(error);
}
}  // namespace

// ---- construction -------------------------------------------------------------------

CUTSHEET::CUTSHEET()
    : szBitmapName{}, pgrSheet(nullptr), pGroup(nullptr), aCutImages(nullptr), nCutImages(0), nCutImageCapacity(0)
{
}

CUTSHEET::CUTSHEET(int hFile, PALETTEGROUP* group) : CUTSHEET()
{
    if (Load(hFile, group))
        ZephaneSetLastError(0);
}

CUTSHEET::CUTSHEET(const char* path, PALETTEGROUP* group) : CUTSHEET()
{
    if (Load(path, group))
        ZephaneSetLastError(0);
}

CUTSHEET::CUTSHEET(HINSTANCE module, const char* name, PALETTEGROUP* group) : CUTSHEET()
{
    if (Load(module, name, group))
        ZephaneSetLastError(0);
}

CUTSHEET::CUTSHEET(FILEMAP& f, PALETTEGROUP* group) : CUTSHEET()
{
    if (Load(f, group))
        ZephaneSetLastError(0);
}

CUTSHEET::~CUTSHEET() { Release(); }

void CUTSHEET::Release()
{
    if (pGroup && pgrSheet)
        pGroup->Remove(pgrSheet);
    pGroup = nullptr;
    for (unsigned i = 0; i < nCutImages; ++i)
        delete aCutImages[i].pgr;
    if (aCutImages)
        MemMgr_FreeMemory(aCutImages, kModule, __LINE__);
    aCutImages = nullptr;
    nCutImages = nCutImageCapacity = 0;
    delete pgrSheet;
    pgrSheet = nullptr;
}

// ---- loading --------------------------------------------------------------------------

int CUTSHEET::Load(int hFile, PALETTEGROUP* group)
{
    FILEMAP f;
    if (!f.Open(hFile, OF_READ)) {
        const int error = ZephaneGetLastError();
        Release();
        return FALSE_SetLastError(error);
    }
    return Load(f, group);
}

int CUTSHEET::Load(const char* path, PALETTEGROUP* group)
{
    FILEMAP f;
    if (!f.Open(path, OF_READ)) {
        const int error = ZephaneGetLastError();
        Release();
        return FALSE_SetLastError(error);
    }
    return Load(f, group);
}

int CUTSHEET::Load(HINSTANCE module, const char* name, PALETTEGROUP* group)
{
    FILEMAP f;
    if (!f.Open(module, name, "CutSheet")) {
        const int error = ZephaneGetLastError();
        Release();
        return FALSE_SetLastError(error);
    }
    return Load(f, group);
}

int CUTSHEET::Load(FILEMAP& f, PALETTEGROUP* group)
{
    Release();
    const long start = f.GetPosition();
    unsigned char sig[2];
    if (!f.Read(sig, 2))
        return Rewind(f, start, errBadCutSheet);
    if ((sig[0] == 'G' && sig[1] == 'I') || (sig[0] == 'R' && sig[1] == 'I')) {
        f.Seek(-2, 1);
        return LoadAnimation(f, group, start);
    }
    if (sig[0] == 'B' && sig[1] == 'M') {
        f.Seek(-2, 1);
        auto* sheet = new GRAPHIC();
        if (!sheet->Load(f, kNone)) {
            const int error = ZephaneGetLastError();
            delete sheet;
            return Rewind(f, start, error);
        }
        if (!AdoptSheet(sheet, group)) {
            const int error = ZephaneGetLastError();
            Release();
            return Rewind(f, start, error);
        }
        return 1;
    }
    const WORD signature = Le16(sig);
    if (signature != kSignatureCurrent && signature != kSignaturePrevious)
        return Rewind(f, start, errBadCutSheet);
    if (!LoadCutSheetFile(f, group, signature == kSignatureCurrent)) {
        const int error = ZephaneGetLastError();
        Release();
        return Rewind(f, start, error);
    }
    return 1;
}

// The sheet must be able to make a surface; it joins the group. On failure
// the sheet is destroyed.
int CUTSHEET::AdoptSheet(GRAPHIC* sheet, PALETTEGROUP* group)
{
    pgrSheet = sheet;
    if (!sheet->GetSurface())
        return 0;
    if (group) {
        if (!group->Add(sheet, 1))
            return 0;
        pGroup = group;
    }
    return 1;
}

int CUTSHEET::LoadAnimation(FILEMAP& f, PALETTEGROUP* group, long start)
{
    GRAPHIC** frames = nullptr;
    unsigned count = 0;
    unsigned char sig[2] = {};
    f.ReadNoMove(sig, 2);
    const int ok = sig[0] == 'G' ? ReadGIF(f, &frames, &count) : ReadAVI(f, &frames, &count);
    if (!ok)
        return Rewind(f, start, ZephaneGetLastError());
    auto freeFrames = [&]() {
        for (unsigned i = 0; i < count; ++i)
            delete frames[i];
        if (frames)
            MemMgr_FreeMemory(frames, kModule, __LINE__);
    };
    // Frames that could not be read at the end are dropped.
    unsigned used = count;
    while (used > 0 && (!frames[used - 1] || frames[used - 1]->fEmpty()))
        --used;
    if (used == 0) {
        freeFrames();
        return 1;
    }
    GRAPHIC* first = frames[0];
    const long w = first && !first->fEmpty() ? first->GetWidth() : 0;
    const long h = first && !first->fEmpty() ? first->GetHeight() : 0;
    if (w <= 0 || h <= 0) {
        freeFrames();
        return Rewind(f, start, errBadCutSheet);
    }
    long columns = (w + kSheetRowWidth - 1) / w;
    if (columns > static_cast<long>(used))
        columns = static_cast<long>(used);
    const long rows = (static_cast<long>(used) + columns - 1) / columns;
    if (static_cast<long long>(columns) * w * rows * h > kMostSheetPixels) {
        freeFrames();
        return Rewind(f, start, errBadCutSheet);
    }
    const unsigned short depth = first->GetDepth();
    RGBQUAD* colours = depth <= 8 && first->GetBitmapInfo() ? first->GetBitmapInfo()->bmiColors : nullptr;
    auto* sheet = new GRAPHIC(columns * w, rows * h, depth, colours, kNone);
    if (sheet->fEmpty()) {
        const int error = ZephaneGetLastError();
        delete sheet;
        freeFrames();
        return Rewind(f, start, error ? error : ERROR_NOT_ENOUGH_MEMORY);
    }
    auto fail = [&]() {
        const int error = ZephaneGetLastError();
        freeFrames();
        Release();
        return Rewind(f, start, error);
    };
    pgrSheet = sheet;
    for (unsigned k = 0; k < used; ++k) {
        GRAPHIC* frame = frames[k];
        if (!frame || frame->fEmpty())
            continue;
        const long x = static_cast<long>(k % columns) * w;
        const long y = static_cast<long>(k / columns) * h;
        if (!frame->DrawDIBTo(sheet, static_cast<int>(x), static_cast<int>(y), static_cast<int>(w),
                              static_cast<int>(h), 0, 0))
            return fail();
    }
    pgrSheet = nullptr;
    if (!AdoptSheet(sheet, group))
        return fail();
    for (unsigned k = 0; k < used; ++k) {
        const long x = static_cast<long>(k % columns) * w;
        const long y = static_cast<long>(k / columns) * h;
        const COLORREF key = frames[k] && frames[k]->fTransparent() ? frames[k]->GetTransparentColor() : kNone;
        const RECT rc{static_cast<LONG>(x), static_cast<LONG>(y), static_cast<LONG>(x + w), static_cast<LONG>(y + h)};
        if (CreateCutImage(rc, key, static_cast<long>(k)) != static_cast<long>(k))
            return fail();
    }
    freeFrames();
    return 1;
}

int CUTSHEET::LoadCutSheetFile(FILEMAP& f, PALETTEGROUP* group, bool current)
{
    // The name.
    if (current) {
        unsigned char units[2 * kNameUnits];
        if (!f.Read(units, sizeof units))
            return FALSE_SetLastError(errBadCutSheet);
        Utf16ToNarrow(units, kNameUnits, szBitmapName, cchBitmapName);
    } else {
        if (!f.Read(szBitmapName, cchBitmapName))
            return FALSE_SetLastError(errBadCutSheet);
        szBitmapName[cchBitmapName - 1] = '\0';
    }
    // The record count and the bitmap marker.
    unsigned char buf[kRecordSize];
    long count = 0;
    if (current) {
        if (!f.Read(buf, 4))
            return FALSE_SetLastError(errBadCutSheet);
        count = static_cast<std::int32_t>(Le32(buf));
    } else {
        if (!f.Read(buf, 2))
            return FALSE_SetLastError(errBadCutSheet);
        count = static_cast<std::int16_t>(Le16(buf));
    }
    if (count < 0 || !f.Read(buf, 2))
        return FALSE_SetLastError(errBadCutSheet);
    const WORD marker = Le16(buf);
    auto* sheet = new GRAPHIC();
    if (marker == kEmbeddedBitmap) {
        if (!sheet->Load(f, kNone)) {
            delete sheet;
            return 0;
        }
    } else if (marker == kExternalBitmap) {
        FILEMAP external;
        if (!external.Open(szBitmapName, OF_READ) || !sheet->Load(external, kNone)) {
            delete sheet;
            return 0;
        }
    } else {
        delete sheet;
        return FALSE_SetLastError(errBadCutSheet);
    }
    if (!AdoptSheet(sheet, group))
        return 0;
    // A damaged count must not make us allocate more than the file can hold.
    const long size = f.GetSize(), here = f.GetPosition();
    if (size >= 0 && here >= 0 && static_cast<std::uint64_t>(count) * kRecordSize > static_cast<std::uint64_t>(size - here))
        return FALSE_SetLastError(errBadCutSheet);
    if (count > 0 && !GrowRecords(static_cast<unsigned>(count)))
        return 0;
    std::vector<bool> exists(static_cast<std::size_t>(count));
    for (long i = 0; i < count; ++i) {
        if (!f.Read(buf, kRecordSize))
            return FALSE_SetLastError(errBadCutSheet);
        CUTIMAGE& r = aCutImages[i];
        r.rc = {static_cast<LONG>(Le32(buf)), static_cast<LONG>(Le32(buf + 4)), static_cast<LONG>(Le32(buf + 8)),
                static_cast<LONG>(Le32(buf + 12))};
        r.clrTransparent = Le32(buf + 16);
        r.pgr = nullptr;
        if (current) {
            r.lData = static_cast<std::int32_t>(Le32(buf + 20));
            exists[static_cast<std::size_t>(i)] = Le32(buf + 24) != 0;
            r.dwMeshFlags = Le32(buf + 28);
        } else {
            r.dwMeshFlags = Le32(buf + 20) ? kPreviousMeshFlags : 0;
            r.lData = static_cast<std::int32_t>(Le32(buf + 24));
            exists[static_cast<std::size_t>(i)] = Le32(buf + 28) != 0;
        }
        nCutImages = static_cast<unsigned>(i + 1);
    }
    for (long i = 0; i < count; ++i)
        if (exists[static_cast<std::size_t>(i)] && !SyncOne(aCutImages[i]))
            return 0;
    if (!f.Read(buf, 2) || Le16(buf) != kTrailer)
        return FALSE_SetLastError(errBadCutSheet);
    return 1;
}

// ---- saving ---------------------------------------------------------------------------

int CUTSHEET::Save(int hFile)
{
    FILEMAP f;
    if (!f.Open(hFile, OF_READWRITE))
        return 0;
    return Save(f);
}

int CUTSHEET::Save(const char* path)
{
    if (!path)
        return FALSE_SetLastError(ERROR_INVALID_PARAMETER);
    if (!pgrSheet || pgrSheet->fEmpty())
        return FALSE_SetLastError(errEmptyGraphic);
    // The whole file is made in memory first, then replaces the old one in
    // one step, so that a failure never leaves a torn file.
    const std::size_t bitmapSize =
        14 + 40 + static_cast<std::size_t>(pgrSheet->GetPaletteSize()) + pgrSheet->GetDataSize();
    const std::size_t total = 2 + 2 * kNameUnits + 4 + 2 + bitmapSize + kRecordSize * nCutImages + 2;
    std::vector<unsigned char> bytes(total);
    FILEMAP f;
    if (!f.Open(bytes.data(), static_cast<unsigned>(bytes.size())) || !Save(f))
        return 0;
    const long written = f.GetPosition();
    const std::string target = files::PathForNewFile("", path);
    if (target.empty() || written < 0)
        return FALSE_SetLastError(-1);
    if (!files::WriteFileAtomically(target, bytes.data(), static_cast<std::size_t>(written)))
        return FALSE_SetLastError(-1);
    return 1;
}

int CUTSHEET::Save(FILEMAP& f)
{
    if (!pgrSheet || pgrSheet->fEmpty())
        return FALSE_SetLastError(errEmptyGraphic);
    unsigned char head[2 + 2 * kNameUnits + 4 + 2];
    Put16(head, kSignatureCurrent);
    NarrowToUtf16(szBitmapName, head + 2);
    Put32(head + 2 + 2 * kNameUnits, nCutImages);
    Put16(head + 2 + 2 * kNameUnits + 4, kEmbeddedBitmap);
    if (!f.Write(head, sizeof head) || !pgrSheet->Save(f, 1))
        return 0;
    for (unsigned i = 0; i < nCutImages; ++i) {
        const CUTIMAGE& r = aCutImages[i];
        unsigned char rec[kRecordSize];
        Put32(rec, static_cast<std::uint32_t>(r.rc.left));
        Put32(rec + 4, static_cast<std::uint32_t>(r.rc.top));
        Put32(rec + 8, static_cast<std::uint32_t>(r.rc.right));
        Put32(rec + 12, static_cast<std::uint32_t>(r.rc.bottom));
        Put32(rec + 16, r.clrTransparent);
        Put32(rec + 20, static_cast<std::uint32_t>(r.lData));
        Put32(rec + 24, r.pgr ? 1 : 0);
        Put32(rec + 28, static_cast<std::uint32_t>(r.pgr ? r.pgr->GetCollisionMesh() : r.dwMeshFlags));
        if (!f.Write(rec, sizeof rec))
            return 0;
    }
    unsigned char trailer[2];
    Put16(trailer, kTrailer);
    return f.Write(trailer, 2) ? 1 : 0;
}

// ---- the sheet --------------------------------------------------------------------------

int CUTSHEET::GetBitmapName(char* name)
{
    if (!name)
        return FALSE_SetLastError(ERROR_INVALID_PARAMETER);
    std::memcpy(name, szBitmapName, cchBitmapName);
    return 1;
}

int CUTSHEET::SetBitmapName(const char* name)
{
    std::memset(szBitmapName, 0, cchBitmapName);
    if (name) {
        std::strncpy(szBitmapName, name, cchBitmapName - 1);
        szBitmapName[cchBitmapName - 1] = '\0';
    }
    return 1;
}

GRAPHIC* CUTSHEET::GetGraphic()
{
    if (!pgrSheet)
        return reinterpret_cast<GRAPHIC*>(ZERO_SetLastError(errEmptyGraphic));
    return pgrSheet;
}

int CUTSHEET::SetGraphic(GRAPHIC* graphic)
{
    if (!graphic)
        return FALSE_SetLastError(ERROR_INVALID_PARAMETER);
    if (graphic == pgrSheet)
        return Sync(-1);
    if (!graphic->GetSurface())
        return 0;
    GRAPHIC* old = pgrSheet;
    PALETTEGROUP* group = pGroup;
    if (group && old)
        group->Remove(old);
    pGroup = nullptr;
    pgrSheet = graphic;
    if (group && group->Add(graphic, 1))
        pGroup = group;
    const int ok = Sync(-1);
    delete old;
    return ok;
}

int CUTSHEET::SetPaletteGroup(PALETTEGROUP* group)
{
    if (group && !pgrSheet)
        return FALSE_SetLastError(errEmptyGraphic);
    if (group == pGroup)
        return 1;
    if (pGroup && pgrSheet)
        pGroup->Remove(pgrSheet);
    pGroup = nullptr;
    if (!group)
        return 1;
    if (!group->Add(pgrSheet, 1))
        return 0;
    pGroup = group;
    return 1;
}

// ---- cut images -------------------------------------------------------------------------

int CUTSHEET::GrowRecords(unsigned needed) { return GrowTable(&aCutImages, &nCutImageCapacity, needed, 8, kModule, __LINE__) ? 1 : 0; }

long CUTSHEET::CreateCutImage(RECT rc, COLORREF transparent, long data)
{
    if (!pgrSheet)
        return MINUSONE_SetLastError(errEmptyGraphic);
    unsigned index = 0;
    while (index < nCutImages && aCutImages[index].pgr)
        ++index;
    if (index == nCutImages) {
        if (!GrowRecords(nCutImages + 1))
            return MINUSONE_SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        ++nCutImages;
    }
    CUTIMAGE& r = aCutImages[index];
    r = CUTIMAGE{rc, transparent, data, nullptr, 0};
    if (!SyncOne(r))
        return -1;
    return static_cast<long>(index);
}

int CUTSHEET::FreeCutImage(long index)
{
    if (!fIsValidCutImage(index))
        return FALSE_SetLastError(ERROR_INVALID_PARAMETER);
    CUTIMAGE& r = aCutImages[index];
    delete r.pgr;
    r.pgr = nullptr;
    return 1;
}

int CUTSHEET::fIsValidCutImage(long index) const
{
    return pgrSheet && index >= 0 && static_cast<unsigned long>(index) < nCutImages && aCutImages[index].pgr;
}

long CUTSHEET::FindCutImage(long after) const
{
    for (long i = after < 0 ? 0 : after + 1; i < static_cast<long>(nCutImages); ++i)
        if (fIsValidCutImage(i))
            return i;
    return -1;
}

long CUTSHEET::FindCutImageByData(long data, long after) const
{
    for (long i = FindCutImage(after); i >= 0; i = FindCutImage(i))
        if (aCutImages[i].lData == data)
            return i;
    return -1;
}

int CUTSHEET::GetCutImageRect(long index, RECT* rc)
{
    if (!fIsValidCutImage(index))
        return FALSE_SetLastError(ERROR_INVALID_PARAMETER);
    if (rc)
        *rc = aCutImages[index].rc;
    return 1;
}

int CUTSHEET::SetCutImageRect(long index, RECT* rc)
{
    if (!fIsValidCutImage(index) || !rc)
        return FALSE_SetLastError(ERROR_INVALID_PARAMETER);
    aCutImages[index].rc = *rc;
    return Sync(index);
}

long CUTSHEET::GetCutImageData(long index)
{
    if (!fIsValidCutImage(index)) {
        ZephaneSetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return aCutImages[index].lData;
}

int CUTSHEET::SetCutImageData(long index, long data)
{
    if (!fIsValidCutImage(index))
        return FALSE_SetLastError(ERROR_INVALID_PARAMETER);
    aCutImages[index].lData = data;
    return 1;
}

GRAPHIC* CUTSHEET::GetCutImageGraphic(long index)
{
    if (!fIsValidCutImage(index))
        return reinterpret_cast<GRAPHIC*>(ZERO_SetLastError(ERROR_INVALID_PARAMETER));
    return aCutImages[index].pgr;
}

COLORREF CUTSHEET::GetCutImageTransparentColor(long index)
{
    if (!fIsValidCutImage(index))
        return clrOPAQUE_SetLastError(ERROR_INVALID_PARAMETER);
    return aCutImages[index].clrTransparent;
}

int CUTSHEET::SetCutImageTransparentColor(long index, COLORREF colour)
{
    if (!fIsValidCutImage(index))
        return FALSE_SetLastError(ERROR_INVALID_PARAMETER);
    CUTIMAGE& r = aCutImages[index];
    r.clrTransparent = colour;
    return r.pgr->SetTransparentColor(colour);
}

// Makes the child graphic of one record again (or of every record that has
// one, for -1), keeping the collision meshes the old graphic had.
int CUTSHEET::Sync(long index)
{
    if (index < 0) {
        int ok = 1;
        for (unsigned i = 0; i < nCutImages; ++i)
            if (aCutImages[i].pgr && !SyncOne(aCutImages[i]))
                ok = 0;
        return ok;
    }
    if (static_cast<unsigned long>(index) >= nCutImages)
        return FALSE_SetLastError(ERROR_INVALID_PARAMETER);
    return SyncOne(aCutImages[index]);
}

int CUTSHEET::SyncOne(CUTIMAGE& r)
{
    if (r.pgr) {
        r.dwMeshFlags = r.pgr->GetCollisionMesh();
        delete r.pgr;
        r.pgr = nullptr;
    }
    if (!pgrSheet)
        return FALSE_SetLastError(errEmptyGraphic);
    auto* child = new GRAPHIC();
    RECT rc = r.rc;
    if (!child->Load(pgrSheet, &rc, r.clrTransparent) ||
        (r.dwMeshFlags && !child->SetCollisionMesh(r.dwMeshFlags, 0, 0))) {
        const int error = ZephaneGetLastError();
        delete child;
        return FALSE_SetLastError(error);
    }
    r.pgr = child;
    return 1;
}
