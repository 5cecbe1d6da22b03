// PALETTEGROUP. Members are taken into the shared palette ("incorporated")
// lazily: adding a member incorporates everything pending, and so does every
// request for the palette. Members with a fixed index go first, so a colour
// at any index never holds a slot that a fixed member needs; when one did
// (it was there first), the palette is rebuilt from scratch once.
#include "anim/palette.h"

#include "anim/animwin_iface.h"
#include "anim/display.h"
#include "anim/graphic.h"
#include "anim/lasterror.h"
#include "anim/memmgr.h"
#include "platform/base/syserror.h"
#include "platform/ddraw/ddraw.h"
#include "platform/window/window.h"

#include <cstddef>
#include <cstring>

namespace {
constexpr const char* kModule = "palette.cpp";
constexpr unsigned long kNone = 0xFFFFFFFFul;
// Marks an entry that a member holds, so that a black one is not taken for a
// free one. Never handed out: every palette made from the entries, and every
// copy of them, has its flags cleared.
constexpr BYTE kClaimed = 0x01;
// The most members added in one step (the system colours).
constexpr unsigned kMostAtOnce = 18;

// The 16 standard colours, at indices 0 to 15.
constexpr COLORREF kStandardColours[16] = {
    0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0,
    0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF,
};

COLORREF EntryColour(const PALETTEENTRY& e)
{
    return RGB(e.peRed, e.peGreen, e.peBlue);
}

bool fSameColour(COLORREF a, COLORREF b)
{
    return (a & 0xFFFFFF) == (b & 0xFFFFFF);
}

unsigned Hash(COLORREF c)
{
    return GetRValue(c) + GetGValue(c) + GetBValue(c);
}

bool fFree(const PALETTEENTRY& e)
{
    return e.peRed == 0 && e.peGreen == 0 && e.peBlue == 0 && !(e.peFlags & kClaimed);
}

COLORREF MemberColour(const PALETTEGROUPMEMBER& m)
{
    if (m.type == pgmColor)
        return m.value.clr & 0xFFFFFF;
    if (m.type == pgmEntry)
        return EntryColour(m.value.entry);
    return kNone;
}

PALETTEGROUPMEMBER ColourMember(std::int16_t index, COLORREF colour)
{
    PALETTEGROUPMEMBER m{};
    m.type = pgmColor;
    m.index = index;
    m.value.clr = colour & 0xFFFFFF;
    return m;
}

PALETTEGROUPMEMBER EntryMember(std::int16_t index, const PALETTEENTRY& entry)
{
    PALETTEGROUPMEMBER m{};
    m.type = pgmEntry;
    m.index = index;
    m.value.entry = PALETTEENTRY{entry.peRed, entry.peGreen, entry.peBlue, 0};
    return m;
}

// Keeps the last error across calls that may leave their own.
class KeepLastError {
public:
    KeepLastError() : m_code(ZephaneGetLastError()) {}
    ~KeepLastError() { ZephaneSetLastError(m_code); }
    KeepLastError(const KeepLastError&) = delete;
    KeepLastError& operator=(const KeepLastError&) = delete;

private:
    int m_code;
};
} // namespace

unsigned short PALETTEGROUP::hashtable[766] = {};

// The display's hooks.
void PaletteGroup_NewDisplayMode(PALETTEGROUP* group)
{
    if (group)
        group->NewDisplayMode();
}

IDirectDrawPalette* PaletteGroup_GetDDPalette(PALETTEGROUP* group)
{
    return group ? group->GetDDPalette() : nullptr;
}

HPALETTE PaletteGroup_GetGDIPalette(PALETTEGROUP* group)
{
    return group ? group->GetGDIPalette() : nullptr;
}

PALETTEGROUP::PALETTEGROUP()
{
    AddSpecific(255, RGB(255, 255, 255));
}

PALETTEGROUP::~PALETTEGROUP()
{
    for (unsigned i = 0; i < nMembers; ++i)
        if (aMembers[i].type == pgmGraphic && aMembers[i].value.pGraphic->GetPaletteGroup() == this)
            aMembers[i].value.pGraphic->SetPaletteGroupLink(nullptr);
    DropPalettes();
    if (Display && Display->GetPaletteGroup() == this)
        Display->SetPaletteGroup(nullptr);
    if (AnimWindow_UnsetPaletteGroup)
        AnimWindow_UnsetPaletteGroup(this);
    if (aMembers)
        MemMgr_FreeMemory(aMembers, kModule, __LINE__);
}

// ---- members -------------------------------------------------------------------

PALETTEGROUPMEMBER* PALETTEGROUP::FindGraphic(GRAPHIC* graphic)
{
    for (unsigned i = 0; i < nMembers; ++i)
        if (aMembers[i].type == pgmGraphic && aMembers[i].value.pGraphic == graphic)
            return &aMembers[i];
    return nullptr;
}

// The first free slot takes m; the slot number, or -1 without memory.
int PALETTEGROUP::NewMember(const PALETTEGROUPMEMBER& m)
{
    unsigned slot = 0;
    while (slot < nMembers && aMembers[slot].type != pgmFree)
        ++slot;
    if (slot == nMembers) {
        if (!GrowTable(&aMembers, &nMemberCapacity, nMembers + 1, 32, kModule, __LINE__))
            return -1;
        ++nMembers;
    }
    aMembers[slot] = m;
    aMembers[slot].fIncorporated = 0;
    if (m.type == pgmGraphic)
        m.value.pGraphic->SetPaletteGroupLink(this);
    return static_cast<int>(slot);
}

// Another member holds the fixed index with a different colour.
int PALETTEGROUP::fSlotTaken(std::int16_t index, COLORREF colour) const
{
    for (unsigned i = 0; i < nMembers; ++i) {
        const PALETTEGROUPMEMBER& m = aMembers[i];
        if (m.type != pgmFree && m.index == index && !fSameColour(MemberColour(m), colour))
            return 1;
    }
    return 0;
}

void PALETTEGROUP::FreeMember(unsigned slot)
{
    PALETTEGROUPMEMBER& m = aMembers[slot];
    if (m.type == pgmGraphic && m.value.pGraphic->GetPaletteGroup() == this)
        m.value.pGraphic->SetPaletteGroupLink(nullptr);
    m = PALETTEGROUPMEMBER{};
    fRebuild = 1;
}

// Adds the members of list as one step: all of them or none. When the step
// fails and nothing else was pending, the palette is put back as it was.
int PALETTEGROUP::AddMembers(const PALETTEGROUPMEMBER* list, unsigned count)
{
    if (count == 0 || count > kMostAtOnce)
        return FALSE_SetLastError(ERROR_INVALID_PARAMETER);
    for (unsigned i = 0; i < count; ++i)
        if (list[i].index >= 0 && fSlotTaken(list[i].index, MemberColour(list[i])))
            return FALSE_SetLastError(errPaletteSlotTaken);

    bool fPending = false;
    for (unsigned i = 0; i < nMembers; ++i)
        fPending = fPending || (aMembers[i].type != pgmFree && !aMembers[i].fIncorporated);
    PALETTEENTRY before[256];
    std::memcpy(before, aPalette, sizeof before);
    const int fRebuildBefore = fRebuild;
    const unsigned rebuildsBefore = nRebuilds;

    int slots[kMostAtOnce];
    unsigned added = 0;
    for (; added < count; ++added) {
        slots[added] = NewMember(list[added]);
        if (slots[added] < 0)
            break;
    }
    int ok = 0;
    if (added < count)
        ZephaneSetLastError(ERROR_NOT_ENOUGH_MEMORY);
    else if (list[0].type == pgmGraphic)
        ok = ExportChanges(list[0].value.pGraphic);
    else
        ok = IncorporateAllMembers();
    if (ok)
        return 1;

    KeepLastError keep;
    for (unsigned i = 0; i < added; ++i)
        FreeMember(static_cast<unsigned>(slots[i]));
    if (!fPending && nRebuilds == rebuildsBefore) {
        // Every other member is incorporated at the index it had before, so
        // the entries the failed step claimed can be given back.
        fRebuild = fRebuildBefore;
        if (std::memcmp(before, aPalette, sizeof before) != 0) {
            std::memcpy(aPalette, before, sizeof before);
            PaletteChanged();
        }
    } else {
        // The palette was rebuilt with the new members in it: it is built
        // once more without them, so that they hold no entries.
        IncorporateAllMembers(1);
    }
    return 0;
}

int PALETTEGROUP::Add(GRAPHIC* graphic, int fRemap)
{
    if (graphic && graphic->fEmpty())
        return FALSE_SetLastError(errEmptyGraphic);
    if (!graphic || graphic->GetDepth() < 8) {
        PALETTEGROUPMEMBER standard[16];
        for (unsigned i = 0; i < 16; ++i)
            standard[i] = ColourMember(static_cast<std::int16_t>(i), kStandardColours[i]);
        return AddMembers(standard, 16);
    }
    // A view into another graphic shares its parent's pixels and colour
    // table: only the parent can join.
    if (graphic->fChild())
        return FALSE_SetLastError(errChildGraphic);
    const unsigned short displayDepth = Display ? Display->GetDepth() : 0;
    if (displayDepth != 0 && displayDepth != 0xFFFF && graphic->GetDepth() > displayDepth)
        return FALSE_SetLastError(errDepthTooGreat);
    if (!graphic->fHasPalette())
        return FALSE_SetLastError(errNoPalette);

    if (PALETTEGROUPMEMBER* m = FindGraphic(graphic)) {
        // Already a member: it is taken in again as it is now.
        m->fNoRemap = !fRemap;
        m->fIncorporated = 0;
        return ExportChanges(graphic);
    }
    if (PALETTEGROUP* other = graphic->GetPaletteGroup(); other && other != this)
        other->Remove(graphic);
    PALETTEGROUPMEMBER m{};
    m.type = pgmGraphic;
    m.index = -1;
    m.fNoRemap = !fRemap;
    m.value.pGraphic = graphic;
    return AddMembers(&m, 1);
}

int PALETTEGROUP::Remove(GRAPHIC* graphic)
{
    if (graphic) {
        if (PALETTEGROUPMEMBER* m = FindGraphic(graphic)) {
            FreeMember(static_cast<unsigned>(m - aMembers));
            return 1;
        }
        if (!graphic->fEmpty() && graphic->GetDepth() >= 8)
            return FALSE_SetLastError(errNotFound);
    }
    int removed = 0;
    for (unsigned i = 0; i < nMembers; ++i)
        if (aMembers[i].type == pgmColor && aMembers[i].index >= 0 && aMembers[i].index < 16) {
            FreeMember(i);
            removed = 1;
        }
    return removed ? 1 : FALSE_SetLastError(errNotFound);
}

int PALETTEGROUP::Add(COLORREF colour)
{
    const PALETTEGROUPMEMBER m = ColourMember(-1, colour);
    return AddMembers(&m, 1);
}

int PALETTEGROUP::Remove(COLORREF colour)
{
    for (unsigned i = 0; i < nMembers; ++i)
        if (aMembers[i].type == pgmColor && aMembers[i].index < 0 && fSameColour(aMembers[i].value.clr, colour)) {
            FreeMember(i);
            return 1;
        }
    return FALSE_SetLastError(errNotFound);
}

int PALETTEGROUP::AddSpecific(unsigned short index, COLORREF colour)
{
    if (index > 255)
        return FALSE_SetLastError(ERROR_INVALID_PARAMETER);
    for (unsigned i = 0; i < nMembers; ++i)
        if (aMembers[i].type != pgmFree && aMembers[i].index == static_cast<std::int16_t>(index))
            FreeMember(i);
    const PALETTEGROUPMEMBER m = ColourMember(static_cast<std::int16_t>(index), colour);
    return AddMembers(&m, 1);
}

int PALETTEGROUP::RemoveSpecific(unsigned short index)
{
    int removed = 0;
    for (unsigned i = 0; i < nMembers; ++i)
        if (aMembers[i].type != pgmFree && aMembers[i].index >= 0 && aMembers[i].index == index) {
            FreeMember(i);
            removed = 1;
        }
    return removed ? 1 : FALSE_SetLastError(errNotFound);
}

int PALETTEGROUP::Add(PALETTEENTRY* entries, unsigned short count)
{
    if (!entries || count == 0)
        return FALSE_SetLastError(ERROR_INVALID_PARAMETER);
    for (unsigned short i = 0; i < count; ++i) {
        const PALETTEGROUPMEMBER m = EntryMember(-1, entries[i]);
        if (!AddMembers(&m, 1))
            return 0;
    }
    return 1;
}

int PALETTEGROUP::Remove(PALETTEENTRY* entries, unsigned short count)
{
    if (!entries || count == 0)
        return FALSE_SetLastError(ERROR_INVALID_PARAMETER);
    int removedAll = 1;
    for (unsigned short e = 0; e < count; ++e) {
        int removed = 0;
        for (unsigned i = 0; i < nMembers && !removed; ++i)
            if (aMembers[i].type == pgmEntry && aMembers[i].index < 0 &&
                fSameColour(EntryColour(aMembers[i].value.entry), EntryColour(entries[e]))) {
                FreeMember(i);
                removed = 1;
            }
        removedAll = removedAll && removed;
    }
    return removedAll ? 1 : FALSE_SetLastError(errNotFound);
}

int PALETTEGROUP::AddSystemColors()
{
    PALETTEENTRY system[256];
    GetSystemPaletteEntries(nullptr, 0, 256, system);
    PALETTEGROUPMEMBER members[kMostAtOnce];
    unsigned n = 0;
    for (unsigned i = 1; i < 255; i = i == 9 ? 246 : i + 1)
        members[n++] = EntryMember(static_cast<std::int16_t>(i), system[i]);
    return AddMembers(members, n);
}

int PALETTEGROUP::RemoveSystemColors()
{
    for (unsigned i = 0; i < nMembers; ++i)
        if (aMembers[i].type == pgmEntry && aMembers[i].index >= 0 &&
            (aMembers[i].index < 10 || aMembers[i].index > 245))
            FreeMember(i);
    return 1;
}

int PALETTEGROUP::Unincorporate(GRAPHIC* graphic)
{
    PALETTEGROUPMEMBER* m = FindGraphic(graphic);
    if (!m)
        return FALSE_SetLastError(errNotFound);
    m->fIncorporated = 0;
    return 1;
}

int PALETTEGROUP::ExportChanges(GRAPHIC* graphic)
{
    const int ok = IncorporateAllMembers();
    // A member graphic that could not be taken in keeps its own colours: its
    // pixels were not moved onto the shared palette.
    if (graphic) {
        const PALETTEGROUPMEMBER* m = FindGraphic(graphic);
        if ((!m || m->fIncorporated) && !graphic->fEmpty() && graphic->fHasPalette())
            WriteTable(graphic, 0);
    } else {
        for (unsigned i = 0; i < nMembers; ++i)
            if (aMembers[i].type == pgmGraphic && aMembers[i].fIncorporated &&
                aMembers[i].value.pGraphic->fHasPalette())
                WriteTable(aMembers[i].value.pGraphic, 0);
    }
    return ok;
}

// ---- incorporation -------------------------------------------------------------

int PALETTEGROUP::IncorporateAllMembers(int fFromScratch)
{
    if (fBusy) {
        for (unsigned i = 0; i < nMembers; ++i)
            if (aMembers[i].type != pgmFree && !aMembers[i].fIncorporated)
                return 0;
        return 1;
    }
    fBusy = 1;
    PALETTEENTRY before[256];
    std::memcpy(before, aPalette, sizeof before);
    int ok = fFromScratch ? 0 : IncorporatePass();
    if (!ok && (fRebuild || fFromScratch)) {
        for (unsigned i = 0; i < nMembers; ++i)
            aMembers[i].fIncorporated = 0;
        std::memset(aPalette, 0, sizeof aPalette);
        fRebuild = 0;
        ++nRebuilds;
        ok = IncorporatePass();
    }
    if (std::memcmp(before, aPalette, sizeof before) != 0) {
        KeepLastError keep;
        PaletteChanged();
    }
    fBusy = 0;
    return ok;
}

// Pending members with a fixed index, then the others, in slot order; stops
// at the first that fails.
int PALETTEGROUP::IncorporatePass()
{
    for (int fixed = 1; fixed >= 0; --fixed)
        for (unsigned i = 0; i < nMembers; ++i) {
            PALETTEGROUPMEMBER& m = aMembers[i];
            if (m.type == pgmFree || m.fIncorporated || (m.index >= 0) != (fixed == 1))
                continue;
            if (!IncorporateMember(m))
                return 0;
        }
    return 1;
}

int PALETTEGROUP::IncorporateMember(PALETTEGROUPMEMBER& m)
{
    if (m.type == pgmGraphic)
        return IncorporateGraphic(m);
    const COLORREF colour = MemberColour(m);
    if (m.index >= 0) {
        PALETTEENTRY& e = aPalette[m.index];
        if (!fFree(e) && !fSameColour(EntryColour(e), colour)) {
            fRebuild = 1;
            return FALSE_SetLastError(errPaletteSlotTaken);
        }
        e = PALETTEENTRY{GetRValue(colour), GetGValue(colour), GetBValue(colour), kClaimed};
        hashtable[Hash(colour)] = static_cast<unsigned short>(m.index);
    } else {
        int index = -1;
        if (!IncorporateColor(colour, &index))
            return 0;
    }
    m.fIncorporated = 1;
    return 1;
}

// Moves the graphic's pixels onto the shared palette (unless it keeps its
// values) and gives it the shared colour table. Its pixels are rewritten only
// once every colour it uses has found an index, so a full palette leaves the
// graphic as it was.
int PALETTEGROUP::IncorporateGraphic(PALETTEGROUPMEMBER& m)
{
    GRAPHIC* g = m.value.pGraphic;
    // An image that lost its palette has nothing to give.
    if (g->fEmpty() || !g->fHasPalette() || g->GetDepth() != 8) {
        m.fIncorporated = 1;
        return 1;
    }
    int fRemapped = 0;
    if (!m.fNoRemap) {
        PALETTEENTRY table[256];
        if (g->GetPaletteEntries(0, 256, table) != 256)
            return 0;
        int map[256];
        for (int& v : map)
            v = -1;
        auto* bits = static_cast<unsigned char*>(g->GetPixelBuffer());
        const unsigned long stride = g->GetBytesPerLine();
        const long w = g->GetWidth();
        const long h = g->GetHeight();
        for (long y = 0; y < h; ++y) {
            const unsigned char* row = bits + static_cast<std::size_t>(y) * stride;
            for (long x = 0; x < w; ++x)
                if (map[row[x]] < 0 && !IncorporateColor(EntryColour(table[row[x]]), &map[row[x]]))
                    return 0;
        }
        for (long y = 0; y < h; ++y) {
            unsigned char* row = bits + static_cast<std::size_t>(y) * stride;
            for (long x = 0; x < w; ++x)
                if (map[row[x]] != row[x]) {
                    row[x] = static_cast<unsigned char>(map[row[x]]);
                    fRemapped = 1;
                }
        }
    }
    WriteTable(g, fRemapped);
    m.fIncorporated = 1;
    return 1;
}

// The index of colour in the palette: the cached one when it still holds the
// colour, else the first entry holding it, else the first free entry from 1
// on. Fails with errPaletteSlotTaken when every entry is taken.
int PALETTEGROUP::IncorporateColor(COLORREF colour, int* index)
{
    colour &= 0xFFFFFF;
    const unsigned h = Hash(colour);
    int found = -1;
    const unsigned cached = hashtable[h];
    if (cached < 256 && (aPalette[cached].peFlags & kClaimed) && fSameColour(EntryColour(aPalette[cached]), colour))
        found = static_cast<int>(cached);
    for (int i = 0; i < 256 && found < 0; ++i)
        if ((aPalette[i].peFlags & kClaimed) && fSameColour(EntryColour(aPalette[i]), colour))
            found = i;
    for (int i = 1; i < 256 && found < 0; ++i)
        if (fFree(aPalette[i]))
            found = i;
    if (found < 0)
        return FALSE_SetLastError(errPaletteSlotTaken);
    aPalette[found] = PALETTEENTRY{GetRValue(colour), GetGValue(colour), GetBValue(colour), kClaimed};
    hashtable[h] = static_cast<unsigned short>(found);
    *index = found;
    return 1;
}

// Writes the shared palette into the graphic's colour table (only when it
// differs, unless fForce: then the graphic's pictures are made again too).
// The graphic tells its group that its table changed; that is this write, so
// its member stays as incorporated as it was.
void PALETTEGROUP::WriteTable(GRAPHIC* graphic, int fForce)
{
    PALETTEENTRY shared[256];
    for (int i = 0; i < 256; ++i)
        shared[i] = PALETTEENTRY{aPalette[i].peRed, aPalette[i].peGreen, aPalette[i].peBlue, 0};
    const unsigned n = static_cast<unsigned>(graphic->GetNumColors());
    const unsigned count = n < 256 ? n : 256;
    if (!fForce) {
        PALETTEENTRY current[256];
        if (graphic->GetPaletteEntries(0, static_cast<unsigned short>(count), current) == static_cast<int>(count)) {
            bool same = true;
            for (unsigned i = 0; i < count && same; ++i)
                same = fSameColour(EntryColour(current[i]), EntryColour(shared[i]));
            if (same)
                return;
        }
    }
    PALETTEGROUPMEMBER* m = FindGraphic(graphic);
    const std::int32_t fWasIncorporated = m ? m->fIncorporated : 0;
    graphic->SetPaletteEntries(0, static_cast<unsigned short>(count), shared);
    if (m)
        m->fIncorporated = fWasIncorporated;
}

void PALETTEGROUP::DropPalettes()
{
    if (hpal)
        DeleteObject(hpal);
    hpal = nullptr;
    if (pddpal)
        pddpal->Release();
    pddpal = nullptr;
}

// The palettes made from the old entries go; the display, when it shows this
// group, takes the new ones.
void PALETTEGROUP::PaletteChanged()
{
    DropPalettes();
    if (Display && Display->GetPaletteGroup() == this)
        Display->SetPaletteGroup(this);
}

void PALETTEGROUP::NewDisplayMode()
{
    DropPalettes();
}

// ---- the palette ----------------------------------------------------------------

HPALETTE PALETTEGROUP::GetGDIPalette()
{
    if (!Display || Display->GetDepth() != 8) {
        ZephaneSetLastError(errNoPalette);
        return nullptr;
    }
    IncorporateAllMembers();
    if (!hpal) {
        // The record with its 256 entries in one block.
        alignas(LOGPALETTE) unsigned char block[offsetof(LOGPALETTE, palPalEntry) + 256 * sizeof(PALETTEENTRY)] = {};
        auto* logical = reinterpret_cast<LOGPALETTE*>(block);
        logical->palVersion = 0x300;
        logical->palNumEntries = 256;
        for (int i = 0; i < 256; ++i) {
            const PALETTEENTRY e{aPalette[i].peRed, aPalette[i].peGreen, aPalette[i].peBlue, 0};
            std::memcpy(block + offsetof(LOGPALETTE, palPalEntry) + i * sizeof(PALETTEENTRY), &e, sizeof e);
        }
        hpal = CreatePalette(logical);
        if (!hpal) {
            ZephaneSetLastError(-1);
            return nullptr;
        }
        const HDC screen = ::GetDC(nullptr);
        SelectPalette(screen, hpal, FALSE);
        RealizePalette(screen);
        ::ReleaseDC(nullptr, screen);
    }
    return hpal;
}

IDirectDrawPalette* PALETTEGROUP::GetDDPalette()
{
    if (!Display || Display->GetDepth() != 8) {
        ZephaneSetLastError(errNoPalette);
        return nullptr;
    }
    IncorporateAllMembers();
    if (!pddpal) {
        IDirectDraw* dd = Display->GetDirectDraw();
        if (!dd) {
            ZephaneSetLastError(errNoDirectDraw);
            return nullptr;
        }
        PALETTEENTRY entries[256];
        for (int i = 0; i < 256; ++i)
            entries[i] = PALETTEENTRY{aPalette[i].peRed, aPalette[i].peGreen, aPalette[i].peBlue, 0};
        IDirectDrawPalette* p = nullptr;
        const HRESULT hr = dd->CreatePalette(DDPCAPS_8BIT, entries, &p, nullptr);
        if (hr != DD_OK || !p) {
            ZephaneSetLastError(hr != DD_OK ? hr : errNoDirectDraw);
            return nullptr;
        }
        pddpal = p;
    }
    return pddpal;
}

COLORREF PALETTEGROUP::GetPaletteColor(unsigned short i)
{
    if (i > 255)
        return clrOPAQUE_SetLastError(ERROR_INVALID_PARAMETER);
    return EntryColour(aPalette[i]);
}

unsigned short PALETTEGROUP::GetPaletteIndex(COLORREF colour, unsigned short after)
{
    if (colour == kNone || (after != 0xFFFF && after > 255)) {
        ZephaneSetLastError(ERROR_INVALID_PARAMETER);
        return 0xFFFF;
    }
    const unsigned first = after == 0xFFFF ? 0 : after + 1u;
    const unsigned h = Hash(colour);
    const unsigned cached = hashtable[h];
    if (cached >= first && cached < 256 && fSameColour(EntryColour(aPalette[cached]), colour))
        return static_cast<unsigned short>(cached);
    for (unsigned i = first; i < 256; ++i)
        if (fSameColour(EntryColour(aPalette[i]), colour)) {
            hashtable[h] = static_cast<unsigned short>(i);
            return static_cast<unsigned short>(i);
        }
    ZephaneSetLastError(errNotFound);
    return 0xFFFF;
}

int PALETTEGROUP::GetPaletteEntries(unsigned short start, unsigned short count, PALETTEENTRY* entries)
{
    if (start > 255 || !entries)
        return FALSE_SetLastError(ERROR_INVALID_PARAMETER);
    if (count > 256 - start)
        count = static_cast<unsigned short>(256 - start);
    if (count == 0)
        return FALSE_SetLastError(ERROR_INVALID_PARAMETER);
    for (unsigned i = 0; i < count; ++i) {
        const PALETTEENTRY& e = aPalette[start + i];
        entries[i] = PALETTEENTRY{e.peRed, e.peGreen, e.peBlue, 0};
    }
    return count;
}
