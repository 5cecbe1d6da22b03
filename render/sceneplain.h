// A plain in-memory scene for the rules until the retained-mode scene graph
// is connected: frames with a parent, a position and an orientation relative
// to it, the meshes added to them and lights. Only what the visuals and the
// rules need, so that their results can be inspected headless.
#pragma once

#include "platform/base/types.h"
#include "platform/d3drm/d3dtypes.h"

#include <vector>

struct IDirect3DRMMesh {
    std::vector<D3DVECTOR> aVertices;
    D3DCOLOR colour = 0;
    LONG lTexture = 0;  // texture number used on the group, 0 none
    bool fMaterial = false;
};

struct IDirect3DRMLight {
    D3DCOLOR colour = 0;
    bool fPoint = false;
};

struct IDirect3DRMFrame2 {
    IDirect3DRMFrame2* pParent = nullptr;
    std::vector<IDirect3DRMFrame2*> aChildren;
    std::vector<IDirect3DRMMesh*> aVisuals;
    std::vector<IDirect3DRMLight*> aLights;
    D3DVECTOR position{0, 0, 0};
    D3DVECTOR dir{0, 0, 1};
    D3DVECTOR up{0, 1, 0};
    D3DVECTOR spinAxis{0, 0, 0};
    float fSpin = 0;
};

// The frames alive in the plain scene (for tests that look for leaks).
int PlainSceneFrameCount();
