#include "game/hint.h"

#include "game/game.h"
#include "platform/clock/clock.h"

void ShowHint(LONG titleId, LONG textId, DWORD time)
{
    if (g.Hint.fShown)
        return;
    g.Hint.fShown = TRUE;
    g.Hint.lTitleId = titleId;
    g.Hint.lTextId = textId;
    DWORD end = GetTickCount() + time;
    g.Hint.dwHideTime = time != 0 ? (end != 0 ? end : 1) : 0;
}

void HideHint()
{
    g.Hint.fShown = FALSE;
    g.Hint.lTitleId = 0;
    g.Hint.lTextId = 0;
    g.Hint.dwHideTime = 0;
}

void StepHint()
{
    if (g.Hint.fShown && g.Hint.dwHideTime != 0 && static_cast<LONG>(GetTickCount() - g.Hint.dwHideTime) >= 0)
        HideHint();
}
