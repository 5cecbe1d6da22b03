#include "shell/cursor.h"

#include "anim/display.h"
#include "platform/input/input.h"

namespace {
BOOL g_fWanted = TRUE;
} // namespace

void SetCursorWanted(BOOL fWanted)
{
    fWanted = fWanted ? TRUE : FALSE;
    if (fWanted == g_fWanted)
        return;
    if (Display && Display->fFullScreen())
        ShowCursor(fWanted);
    g_fWanted = fWanted;
}

BOOL fCursorWanted()
{
    return g_fWanted;
}
