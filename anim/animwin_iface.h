// What the display needs from the library's other parts: the animation
// windows (their window class, rendering, mode changes), the graphics (their
// surface caches), the palette groups and the 3D objects. Those parts define
// these functions; until a part is linked in, its functions are null and the
// display goes on without them.
#pragma once

#include "platform/base/types.h"

class PALETTEGROUP;
class IDirectDrawPalette;
class IDirect3DRM2;
class IDirect3DRMDevice2;
class IDirect3DRMViewport;

#define ZEPHANE_OPTIONAL __attribute__((weak))

// Animation windows.
ZEPHANE_OPTIONAL void AnimWindow_RegisterClass();
ZEPHANE_OPTIONAL void AnimWindow_UnregisterClass();
// Every animation window is touched whole and renders a frame.
ZEPHANE_OPTIONAL void AnimWindow_TouchAndRenderAll();
// Every animation window re-creates its buffers after a mode change.
ZEPHANE_OPTIONAL void AnimWindow_ChangedVideoModes();
// The animation window bound to hwnd renders one frame.
ZEPHANE_OPTIONAL void AnimWindow_Render(HWND hwnd);

// Graphics: every graphic drops its surface and texture.
ZEPHANE_OPTIONAL void Graphic_FreeAllSurfaces();

// Palette groups.
ZEPHANE_OPTIONAL void PaletteGroup_NewDisplayMode(PALETTEGROUP* group);
ZEPHANE_OPTIONAL IDirectDrawPalette* PaletteGroup_GetDDPalette(PALETTEGROUP* group);
ZEPHANE_OPTIONAL HPALETTE PaletteGroup_GetGDIPalette(PALETTEGROUP* group);

// 3D: the retained-mode object of the display, and releasing a viewport.
ZEPHANE_OPTIONAL HRESULT Display3d_CreateRM(IDirect3DRM2** out);
ZEPHANE_OPTIONAL void Display3d_ReleaseRM(IDirect3DRM2* rm);
ZEPHANE_OPTIONAL void Display3d_ReleaseViewport(IDirect3DRMViewport* viewport);
