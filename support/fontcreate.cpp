// Where font requests become fonts. The display's font service (text drawing
// with face resolution, where a face named "X Eo" is the family "X") is not
// part of the platform yet; until it is, no font can be made and callers get
// none, which they treat as "draw no text with this font".
#include "support/fontspec.h"

#include "platform/base/syserror.h"

HFONT CreateFontFromRequest(const FONTREQUEST* pfr)
{
    (void)pfr;
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
}
