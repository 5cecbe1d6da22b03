// The hint panel: a title and a text line over the scene, shown for a while
// or until hidden.
#pragma once

#include "platform/base/types.h"

// String ids of the hints the rules show.
enum : LONG {
    idsHintOutOfMines = 113,
    idsHintOutOfMinesText = 114,
    idsHintCubeFell = 115,
    idsHintCubeFellText = 116,
    idsHintForbidden = 117,
    idsHintForbiddenText = 118,
    idsHintFont = 119,
    idsHintKeyboard = 122,
    idsHintKeyboardText = 123,
};

// What the panel asks of the screens: told after the panel was shown or
// hidden, they draw or remove its two lines from g.Hint. A null entry draws
// nothing (the rules run without a screen).
struct HINTSEAMS {
    void (*pfnChanged)();
};
HINTSEAMS& HintSeams();

// Shows the panel with two string ids for time ms (0 = until hidden). Does
// nothing while the panel is already shown.
void ShowHint(LONG titleId, LONG textId, DWORD time);
void HideHint();
// Hides the panel once its display time has passed (from the tick).
void StepHint();
