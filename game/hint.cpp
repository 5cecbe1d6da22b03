#include "game/hint.h"

#include "game/game.h"
#include "platform/clock/clock.h"

HINTSEAMS& HintSeams()
{
    static HINTSEAMS seams{};
    return seams;
}

namespace {
void Changed()
{
    if (HintSeams().pfnChanged)
        HintSeams().pfnChanged();
}
} // namespace

void ShowHint(LONG titleId, LONG textId, DWORD time)
{
    if (g.Hint.fShown)
        return;
    g.Hint.fShown = TRUE;
    g.Hint.lTitleId = titleId;
    g.Hint.lTextId = textId;
    DWORD end = GetTickCount() + time;
    g.Hint.dwHideTime = time != 0 ? (end != 0 ? end : 1) : 0;
    Changed();
}

void HideHint()
{
    const bool wasShown = g.Hint.fShown != FALSE;
    g.Hint.fShown = FALSE;
    g.Hint.lTitleId = 0;
    g.Hint.lTextId = 0;
    g.Hint.dwHideTime = 0;
    if (wasShown)
        Changed();
}

void StepHint()
{
    if (g.Hint.fShown && g.Hint.dwHideTime != 0 && static_cast<LONG>(GetTickCount() - g.Hint.dwHideTime) >= 0)
        HideHint();
}
