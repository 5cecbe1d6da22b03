// What the menus ask of the parts of the game around them that are built
// elsewhere: the video mode steps, the title scene, the height of the
// status bars. The program connects these at start-up; a null entry does
// nothing (or the default named with it).
#pragma once

#include "platform/base/types.h"

struct MENUHOOKS {
    // Higher or Lower Resolution (dWidth +1 or -1, dDepth 0) and Higher or
    // Lower Color Depth (dWidth 0, dDepth +1 or -1). When no mode matches,
    // the stepper shows ShowScreenMessage(38).
    void (*pfnStepVideoMode)(int dWidth, int dDepth);
    // The display changed its mode. Null: the display's width, height and
    // depth are written into the settings and saved.
    void (*pfnVideoModeChanged)();
    // The title scene behind the title-layout menus.
    void (*pfnShowTitleScene)();
    void (*pfnHideTitleScene)();
    // Height of the bottom status bar in pixels (0 without it). Null: the
    // status display's own StatusBottomBarHeight.
    LONG (*pfnStatusBarHeight)();
    // The display quality setting changed (the scene may follow it at once).
    void (*pfnDisplayQualityChanged)();
};
MENUHOOKS& MenuHooks();
