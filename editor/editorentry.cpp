#include "editor/editorentry.h"

#include "game/game.h"

namespace {
PUZZLE s_returned;
bool s_fReturned = false;
}  // namespace

void OpenEditor(const PUZZLE& puzzle)
{
    s_returned = puzzle;
    s_fReturned = true;
    g.lGameState = gsMenu;
}

const PUZZLE* EditorReturnedPuzzle() { return s_fReturned ? &s_returned : nullptr; }
