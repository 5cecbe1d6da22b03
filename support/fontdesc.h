// Fonts from short text descriptions such as "Arial,14,BI" or
// "Times New Roman,-22,BI": comma-separated fields, each one of
//   - a non-zero integer: the size, positive in points, negative as the
//     character height in pixels;
//   - only the letters B, I and U (either case): bold, italic, underline;
//   - "default" (either case): the standard face;
//   - anything else: the face name.
// A font description first becomes a FONTREQUEST, a plain record of what is
// asked for; CreateFontFromRequest turns that into a font of the display.
#pragma once

#include "platform/base/types.h"
#include "platform/gdi/gdi.h"

constexpr BYTE ANTIALIASED_QUALITY = 4;

// Height of the standard interface font when a font description gives no size.
constexpr LONG klDefaultFontHeight = -11;
// Vertical pixels per inch of the screen used for sizes in points.
constexpr int knScreenPixelsPerInch = 96;

struct FONTREQUEST {
    char szFace[LF_FACESIZE]; // empty: the standard face
    LONG lSize;               // as given: > 0 points, < 0 pixels, 0 none
    LONG lHeight;             // logical height: negative = character height in pixels
    LONG lWeight;             // FW_NORMAL or FW_BOLD
    BOOL fItalic;
    BOOL fUnderline;
    BYTE bCharSet; // DEFAULT_CHARSET
    BYTE bQuality; // ANTIALIASED_QUALITY
};

// Reads a font description (a pointer to text, or a string id made by TextId,
// loaded up to 256 bytes) into *pfr, with sizes in points converted at
// nPixelsPerInch. Returns FALSE only for a null pfr.
BOOL FontRequestFromSpec(const char* pszSpec, FONTREQUEST* pfr, int nPixelsPerInch = knScreenPixelsPerInch);

// The font of a font description, owned by the caller; null when no font could
// be made.
HFONT FontFromSpec(const char* pszSpec);

// Makes the font a request describes. This is the one place where requests
// meet the display's font service.
HFONT CreateFontFromRequest(const FONTREQUEST* pfr);
