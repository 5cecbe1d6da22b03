// The 3D scene's skeleton as the game rules use it: the primary frame every
// game visual hangs in, its lights, and the camera that follows the play.
#pragma once

#include "platform/base/types.h"
#include "platform/d3drm/d3dtypes.h"

struct IDirect3DRMFrame2;
struct IDirect3DRMLight;
struct IDirect3DRMMaterial;
struct IDirect3DRMTexture;

constexpr int kTextureCount = 12;

struct RENDER {
    IDirect3DRMFrame2* pFrameRoot;
    IDirect3DRMFrame2* pFrameCamera;
    IDirect3DRMFrame2* pFrameCameraLight;
    IDirect3DRMFrame2* pFrameCameraLight2;
    IDirect3DRMFrame2* pFrameCameraLight3;
    IDirect3DRMFrame2* pFramePrimary;
    IDirect3DRMLight* pLightAmbient;
    IDirect3DRMLight* pLightCamera;
    IDirect3DRMLight* pLightCamera2;
    IDirect3DRMLight* pLightCamera3;
    float fAmbient;
    IDirect3DRMMaterial* pMaterial;
    IDirect3DRMTexture* aTextures[kTextureCount];
    D3DVECTOR vecCameraSource;
    D3DVECTOR vecCameraTarget;
    D3DVECTOR vecCameraSourceGoal;
    D3DVECTOR vecCameraTargetGoal;
};
