// Where font requests become fonts of the display.
#include "support/fontdesc.h"

#include "platform/base/syserror.h"
#include "platform/gdi/gdi.h"

#include <algorithm>
#include <cstring>

HFONT CreateFontFromRequest(const FONTREQUEST* pfr)
{
    if (!pfr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // Start from the standard interface font, so that whatever the request
    // leaves open keeps its usual look.
    LOGFONTA lf{};
    if (GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf) == 0)
        lf = LOGFONTA{};
    lf.lfCharSet = pfr->bCharSet;
    if (pfr->szFace[0]) {
        const char* end = std::find(pfr->szFace, pfr->szFace + LF_FACESIZE - 1, '\0');
        const auto n = static_cast<std::size_t>(end - pfr->szFace);
        std::memcpy(lf.lfFaceName, pfr->szFace, n);
        lf.lfFaceName[n] = '\0';
    }
    if (pfr->lHeight != 0)
        lf.lfHeight = pfr->lHeight;
    lf.lfWeight = pfr->lWeight;
    lf.lfItalic = pfr->fItalic ? 1 : 0;
    lf.lfUnderline = pfr->fUnderline ? 1 : 0;
    lf.lfQuality = pfr->bQuality;
    HFONT font = CreateFontIndirectA(&lf);
    if (!font)
        return nullptr;
    // Select it once into a screen context so that it is realised before
    // its first use.
    if (HDC dc = GetDC(nullptr)) {
        HGDIOBJ old = SelectObject(dc, font);
        SelectObject(dc, old);
        ReleaseDC(nullptr, dc);
    }
    return font;
}
