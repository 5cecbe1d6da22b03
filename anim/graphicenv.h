// What GRAPHIC takes from its surroundings: device-independent bitmap
// sections with their device contexts, the display's depth and palette, the
// system palette, and the palette group a graphic belongs to. Every call
// that GRAPHIC makes outside itself passes through here, so the graphic's own
// rules stay the same whichever drawing services are underneath.
#pragma once

#include "platform/base/bitmaptypes.h"
#include "platform/base/types.h"

class GRAPHIC;
class PALETTEGROUP;

namespace graphicenv {

// ---- bitmap sections --------------------------------------------------------
// Creates a bitmap from a header and (for depths up to 8) its colour table,
// with zeroed pixels; *bits receives the pixel buffer it owns. Null when the
// memory cannot be had.
HBITMAP CreateDIBSection(const BITMAPINFO* info, void** bits);
void DeleteBitmap(HBITMAP bitmap);

// ---- memory device contexts ------------------------------------------------------
HDC CreateMemoryDC();
void DeleteMemoryDC(HDC dc);
// Selects bitmap into dc and returns the bitmap it displaced (null for none).
HBITMAP SelectBitmap(HDC dc, HBITMAP bitmap);
// The colour table of the bitmap selected into dc: count entries from start;
// the number of entries read or written (0 on failure).
UINT GetDIBColorTable(HDC dc, UINT start, UINT count, RGBQUAD* colours);
UINT SetDIBColorTable(HDC dc, UINT start, UINT count, const RGBQUAD* colours);

// ---- the display -----------------------------------------------------------------
// Bits per pixel of the display's mode; 0 when there is no display.
unsigned short DisplayDepth();
// The display's palette group, null when it has none.
PALETTEGROUP* DisplayPaletteGroup();
// The palette the system starts with: its static colours at both ends and a
// spread of colours between them.
void GetSystemPalette(PALETTEENTRY entries[256]);

// ---- palette groups --------------------------------------------------------------
// The group's 256 entries; 0 when they cannot be had.
int GetGroupEntries(PALETTEGROUP* group, PALETTEENTRY entries[256]);
// Membership of a graphic: joining (its colours kept as they are), leaving,
// telling the group that the graphic's colour table changed, and having the
// group write its shared palette into the graphic before it is drawn on.
int JoinGroup(PALETTEGROUP* group, GRAPHIC* graphic);
void LeaveGroup(PALETTEGROUP* group, GRAPHIC* graphic);
void GroupUnincorporate(PALETTEGROUP* group, GRAPHIC* graphic);
void GroupExportChanges(PALETTEGROUP* group, GRAPHIC* graphic);

}  // namespace graphicenv
