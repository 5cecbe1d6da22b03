// System message boxes whose caption and text are string ids, with inserts
// filled as FormatText fills them.
#pragma once

#include "platform/base/types.h"

// Style bit that shows the box on a thread of its own and returns at once.
constexpr UINT MB_SUPPORT_ASYNC = 0x80000000u;

// Formats the caption and the text (both with the same arguments) and shows
// them in a system message box without owner. Without an icon in the style
// (bits 4 to 7), boxes with buttons other than OK alone get the question
// icon, the others the information icon. Returns the button chosen; -1 at
// once with MB_SUPPORT_ASYNC (the box is then shown on its own thread, which
// releases the texts when it closes); 2 (cancel) with nothing shown when a
// text cannot be formatted.
int MessageBoxIds(UINT uFlags, UINT idCaption, UINT idText, const char* pszDescriptor, ...);

// The style a box is shown with: the icon rule applied, the thread bit removed.
UINT MessageBoxStyle(UINT uFlags);
