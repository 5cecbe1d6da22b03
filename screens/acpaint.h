// Small drawing helpers of the on-screen controls: solid fills and lines
// written straight into the pixels of a drawing context (no brush is made
// per frame), one-line and wrapped text, and pictures scaled into a
// rectangle.
#pragma once

#include "platform/base/types.h"
#include "platform/gdi/gdi.h"

class GRAPHIC;

struct RENDEROBJECT;

namespace acpaint {
// The device context an object's draw service paints with: the target
// surface's when there is one, else the one handed in; null when there is
// none. EndObjectDraw gives a surface's context back.
HDC BeginObjectDraw(RENDEROBJECT* r);
void EndObjectDraw(RENDEROBJECT* r, HDC dc);

// Fills rc with a colour, clipped to the context.
void Fill(HDC hdc, const RECT& rc, COLORREF colour);
// A one-pixel line from x0 to x1 (inclusive) at y, or from y0 to y1 at x.
void HLine(HDC hdc, int x0, int x1, int y, COLORREF colour);
void VLine(HDC hdc, int x, int y0, int y1, COLORREF colour);
// A one-pixel frame just inside rc.
void Frame(HDC hdc, const RECT& rc, COLORREF colour);
// Text in a colour on a transparent background; format as for DrawTextA.
// With DT_WORDBREAK and DT_VCENTER the wrapped block is centred vertically.
void Text(HDC hdc, HFONT font, const char* text, RECT rc, UINT format, COLORREF colour);
// The extent of one line of text in a font.
SIZE TextExtent(HFONT font, const char* text);
// The picture scaled to fill rc (nearest pixel), clipped to the context;
// the pixels of its transparent colour, if it has one, are left out.
void Picture(HDC hdc, GRAPHIC* picture, const RECT& rc);

// Relative luminance of a colour (0 black to 1 white) and the contrast
// ratio of two colours (1 to 21), as readability guidelines measure them.
double Luminance(COLORREF colour);
double Contrast(COLORREF a, COLORREF b);
} // namespace acpaint
