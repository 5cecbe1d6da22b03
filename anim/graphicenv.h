// What GRAPHIC takes from its surroundings: device-independent bitmap
// sections and the device contexts drawn on them, the display's depth and
// palette, the system palette, and the palette group a graphic belongs to.
// Every call that GRAPHIC makes outside itself for these passes through
// here, so the graphic's own rules stay the same whichever drawing services
// are underneath.
#pragma once

#include "platform/base/types.h"
#include "platform/gdi/dib.h"

class GRAPHIC;
class PALETTEGROUP;

namespace graphicenv {

// ---- bitmap sections --------------------------------------------------------
// Creates a bitmap from a header and (for depths up to 8) its colour table,
// with zeroed pixels; *bits receives the pixel buffer it owns. Null when the
// memory cannot be had.
HBITMAP CreateDIBSection(const BITMAPINFO* info, void** bits);
void DeleteBitmap(HBITMAP bitmap);
// The bitmap's own colour table: count entries from start; the number of
// entries read or written (0 on failure).
UINT GetDIBColorTable(HBITMAP bitmap, UINT start, UINT count, RGBQUAD* colours);
UINT SetDIBColorTable(HBITMAP bitmap, UINT start, UINT count, const RGBQUAD* colours);

// ---- device contexts on bitmap sections -------------------------------------------
// A device context that draws on the bitmap's picture. The drawing services
// work on 32-bit colour, so the context holds the picture in that form;
// closing it with fWriteBack puts what was drawn back into the bitmap (at
// palette depths as the nearest colour of its table).
HDC OpenDIBContext(HBITMAP bitmap);
void CloseDIBContext(HDC dc, HBITMAP bitmap, int fWriteBack);

// ---- the display -----------------------------------------------------------------
// Bits per pixel of the display's mode; 0 when there is no display.
unsigned short DisplayDepth();
// The display's palette group when the display shows a palette, else null.
PALETTEGROUP* DisplayPaletteGroup();
// The palette the system starts with.
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

} // namespace graphicenv
