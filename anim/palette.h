// PALETTEGROUP: one shared 256-colour palette for 8-bit display modes, built
// from its members: palette graphics (their pixels remapped onto the shared
// palette), single colours at any free index or at a fixed one, palette
// entries, the 16 standard colours and the system colours. From it come the
// drawing services' palette and the display's palette (at 8 bits only), and
// the shared table is written back into the colour table of every member
// graphic.
#pragma once

#include "platform/base/types.h"
#include "platform/gdi/gdi.h"

#include <cstdint>

class GRAPHIC;
class IDirectDrawPalette;

enum PALETTEGROUPMEMBERTYPE : std::int32_t {
    pgmFree = 0,
    pgmGraphic = 1,
    pgmColor = 2,
    pgmEntry = 3,
};

#pragma pack(push, 1)
// One member. index is the fixed palette index, or -1 for any free one.
struct PALETTEGROUPMEMBER {
    std::int32_t type; // PALETTEGROUPMEMBERTYPE
    std::int16_t index;
    std::int32_t fIncorporated;
    std::int32_t fNoRemap; // graphics only: the pixels keep their values
    union {
        GRAPHIC* pGraphic;  // pgmGraphic
        COLORREF clr;       // pgmColor
        PALETTEENTRY entry; // pgmEntry
    } value;
};
#pragma pack(pop)
static_assert(sizeof(PALETTEGROUPMEMBER) == 14 + sizeof(void*), "a member is packed");

class PALETTEGROUP {
public:
    // A new group holds one member: white fixed at index 255.
    PALETTEGROUP();
    // Member graphics lose their link; the display and the animation windows
    // that use the group stop using it.
    ~PALETTEGROUP();
    PALETTEGROUP(const PALETTEGROUP&) = delete;
    PALETTEGROUP& operator=(const PALETTEGROUP&) = delete;

    // ---- members (1 on success, 0 with the last error) ----
    // A palette graphic of 8 bits or more joins (its pixels are remapped onto
    // the group's indices when fRemap is set); null or a graphic of fewer
    // bits adds the 16 standard colours at indices 0 to 15 instead.
    int Add(GRAPHIC* graphic, int fRemap);
    int Remove(GRAPHIC* graphic);
    // A colour at any free index.
    int Add(COLORREF colour);
    int Remove(COLORREF colour);
    // A colour fixed at index; whatever was fixed there before goes.
    int AddSpecific(unsigned short index, COLORREF colour);
    int RemoveSpecific(unsigned short index);
    // Entries at any free indices; adding stops at the first failure.
    int Add(PALETTEENTRY* entries, unsigned short count);
    int Remove(PALETTEENTRY* entries, unsigned short count);
    // The system palette's entries 1 to 9 and 246 to 254, at their indices.
    int AddSystemColors();
    int RemoveSystemColors();

    // The graphic's colour table changed: its colours are taken in again.
    int Unincorporate(GRAPHIC* graphic);
    // Takes in every member, then writes the shared palette into the colour
    // table of graphic (every member graphic when null).
    int ExportChanges(GRAPHIC* graphic);

    // ---- the palette ----
    // The drawing services' palette and the display's palette; made once at
    // display depth 8, null with errNoPalette at other depths.
    HPALETTE GetGDIPalette();
    IDirectDrawPalette* GetDDPalette();
    COLORREF GetPaletteColor(unsigned short i);
    unsigned short GetPaletteIndex(COLORREF colour, unsigned short after);
    int GetPaletteEntries(unsigned short start, unsigned short count, PALETTEENTRY* entries);
    // Called by the display after it made its surfaces: the palettes made for
    // the old mode are dropped.
    void NewDisplayMode();

    // Cache from red + green + blue to the palette index last found for that
    // colour; always verified before use.
    static unsigned short hashtable[766];

private:
    PALETTEGROUPMEMBER* FindGraphic(GRAPHIC* graphic);
    int NewMember(const PALETTEGROUPMEMBER& m);
    int fSlotTaken(std::int16_t index, COLORREF colour) const;
    void FreeMember(unsigned slot);
    int AddMembers(const PALETTEGROUPMEMBER* list, unsigned count);
    // fFromScratch: the palette is cleared and built again in any case.
    int IncorporateAllMembers(int fFromScratch = 0);
    int IncorporatePass();
    int IncorporateMember(PALETTEGROUPMEMBER& m);
    int IncorporateGraphic(PALETTEGROUPMEMBER& m);
    int IncorporateColor(COLORREF colour, int* index);
    void WriteTable(GRAPHIC* graphic, int fForce);
    void PaletteChanged();
    void DropPalettes();

    PALETTEGROUPMEMBER* aMembers = nullptr;
    unsigned nMembers = 0;
    unsigned nMemberCapacity = 0;
    HPALETTE hpal = nullptr;
    IDirectDrawPalette* pddpal = nullptr;
    PALETTEENTRY aPalette[256] = {};
    int fRebuild = 0;
    // Set while members are being taken in: the display, told of a change,
    // asks for the palette again from inside.
    int fBusy = 0;
    // Rebuilds so far, so that an add can tell whether the palette was
    // rebuilt while it was tried.
    unsigned nRebuilds = 0;
};
