// The title scene: five letter cubes V A R N O hanging in front of the
// camera, spinning one after the other, while a title-layout menu is shown.
#pragma once

#include "platform/base/types.h"

class ANIMWINDOW;
class IDirect3DRMFrame2;
class IDirect3DRMLight;
struct VISUAL;

constexpr int kTitleCubes = 5;

struct TITLEBIT {
    IDirect3DRMFrame2* pFrame; // child of pFrameTitle
    VISUAL* pVisual;
    DWORD dwStart; // tick the current spin of this cube began; 0 = at rest
    DWORD dwEnd;   // tick it ends
};

struct TITLEINFO {
    bool bShown;
    IDirect3DRMFrame2* pFrameTitle; // child of the camera frame at (0, 1.8, 10)
    IDirect3DRMFrame2* pFrameLight; // child of the camera frame at (0, -20, 0)
    IDirect3DRMLight* pLight;       // point light of grey 0.6
    TITLEBIT aBits[kTitleCubes];
    LONG lTurns; // full turns of the current spin (2 or 3)
    DWORD dwNextSpin;
    float fAxisX, fAxisY, fAxisZ;
};

// Builds the scene and starts a spin of 2 turns about the fixed axis;
// nothing if it is shown.
void ShowTitleScene();
// Takes the scene down; nothing if it is not shown.
void HideTitleScene();
// Once per frame (the window's begin-frame service) while shown: turns the
// cubes and starts a new spin every 4 seconds.
void StepTitleScene();
// The device was made anew: a shown scene is hidden and shown again.
void TitleSceneNewDevice();
// Starts a spin of every cube: n turns, about (-1, 0, 0) when fFixedAxis,
// else about an axis drawn by chance.
void StartTitleSpin(LONG turns, bool fFixedAxis);

// The 3D part of the game's animation-window callback: a new device
// rebuilds the scene (only while 3D is on) and the title scene; the begin-
// frame service turns the title cubes. Returns 1 for every code.
int SceneWindowService(ANIMWINDOW* paw, int code);
