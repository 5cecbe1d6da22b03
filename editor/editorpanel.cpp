#include "editor/editorpanel.h"

#include <algorithm>
#include <cstdio>

namespace {

RECT Rect(LONG left, LONG top, LONG width, LONG height) { return RECT{left, top, left + width, top + height}; }

}  // namespace

EDITORPANELLAYOUT EditorPanelLayout(LONG screenWidth, LONG screenHeight)
{
    const LONG H = screenHeight;
    EDITORPANELLAYOUT out{};
    const LONG width = std::max<LONG>(47, static_cast<LONG>(static_cast<double>(H) / 20.0 * 1.5));
    const LONG right = screenWidth - 5;
    const LONG left = right - width;
    out.rcPanel = RECT{left, 0, right, H};
    out.lFontHeight = std::max<LONG>(1, H / 52);

    // Captions and texts are one line of the editor font high, across the
    // whole panel; the controls sit below them, centred.
    const LONG line = out.lFontHeight + 4;
    const LONG gap = 10;
    auto textRow = [&](LONG top) { return Rect(left, top, width, line); };
    auto centred = [&](LONG w, LONG top, LONG h) { return Rect(left + (width - w) / 2, top, w, h); };

    // The caption sits below the status bar; the cube buttons start 45
    // pixels below the caption's line.
    LONG y = H / 20;
    out.rcCubesCaption = textRow(y);
    const LONG side = std::max<LONG>(1, H / 20 - 5);
    y += 45;
    for (RECT& rc : out.aRcCubes) {
        rc = centred(side, y, side);
        y += side + 5;
    }
    y += gap - 5;

    // The value controls lie across the panel, with room for their ticks.
    const LONG controlWidth = width - 8, controlHeight = 18;
    out.rcSpeedCaption = textRow(y);
    y += line + 2;
    out.rcSpeed = centred(controlWidth, y, controlHeight);
    y += controlHeight + 2;
    out.rcSpeedText = textRow(y);
    y += line + gap;
    out.rcMinesCaption = textRow(y);
    y += line + 2;
    out.rcMines = centred(controlWidth, y, controlHeight);
    y += controlHeight + 2;
    out.rcMinesText = textRow(y);
    y += line + gap;

    // Longer and shorter (20 by 36) side by side left and right of the
    // centre line, wider and narrower (36 by 20) under them, each as large
    // as its bitmap.
    out.rcSizeCaption = textRow(y);
    y += line + 3;
    const LONG centre = left + width / 2;
    out.rcLonger = Rect(centre - 2 - 20, y, 20, 36);
    out.rcShorter = Rect(centre + 3, y, 20, 36);
    y += 36 + 5;
    out.rcWider = centred(36, y, 20);
    y += 20 + 5;
    out.rcNarrower = centred(36, y, 20);
    return out;
}

LONG CubeButtonBitmap(LONG kind)
{
    static const LONG kBitmaps[5] = {106, 108, 105, 107, 104};
    return kind >= 1 && kind <= 5 ? kBitmaps[kind - 1] : 0;
}

void FormatSpeedText(LONG speed, char* out, int cch)
{
    std::snprintf(out, static_cast<std::size_t>(cch), "%ld%%", static_cast<long>(speed));
}

void FormatMinesText(LONG mines, char* out, int cch)
{
    std::snprintf(out, static_cast<std::size_t>(cch), "%ld", static_cast<long>(mines));
}

LOADDIALOGLAYOUT LoadDialogLayout(LONG screenWidth, LONG screenHeight, LONG rows, LONG buttonHeight)
{
    LOADDIALOGLAYOUT out{};
    out.ptTitle = POINT{screenWidth / 4, screenHeight / 5};
    out.ptLoad = POINT{screenWidth / 2, static_cast<LONG>(static_cast<double>(screenHeight) * 0.4)};
    out.xLevels = screenWidth / 3;
    out.xPuzzles = screenWidth / 6 + screenWidth / 3;
    out.yFirst = screenHeight / 10 + screenHeight / 5;
    out.lGap = 5;
    // The puzzle column stands where the Load button begins: a long column
    // would run into it.
    if (rows > 0) {
        const LONG columnsBottom = out.yFirst + rows * (buttonHeight + out.lGap) - out.lGap;
        out.ptLoad.y = std::max<LONG>(out.ptLoad.y, columnsBottom + 3 * out.lGap);
    }
    return out;
}

EDITORPANELOPS& EditorPanelOps()
{
    static EDITORPANELOPS ops = ControlEditorPanelOps();
    return ops;
}
