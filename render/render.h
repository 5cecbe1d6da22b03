// The 3D scene's skeleton as the game sets it up: the primary frame every
// game visual hangs in, its lights, the shared material, the textures and the
// camera that follows the play.
#pragma once

#include "platform/base/types.h"
#include "platform/d3drm/d3dtypes.h"

class IDirect3DRM2;
class IDirect3DRMFrame2;
class IDirect3DRMLight;
class IDirect3DRMMaterial;
class IDirect3DRMTexture;
class ANIMWINDOW;
class GRAPHIC;

// Textures 1 to 6 dress the cube kinds and the field squares, 7 to 11 the
// front faces of the title cubes and 12 their plain faces.
constexpr int kTextureCount = 12;

// Every pointer holds one reference owned by this record, except pd3d,
// pFrameRoot and pFrameCamera, which are borrowed from the window that owns
// the device.
struct RENDER {
    // The game's animation window whose 3D device carries the scene
    // (borrowed; the shell sets it before InitScene).
    ANIMWINDOW* paw;
    BOOL fSetUp; // InitScene succeeded: device re-creations rebuild the scene
    IDirect3DRM2* pd3d;
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
    float fAmbient; // percent of full intensity
    IDirect3DRMMaterial* pMaterial;
    // Texture n is aTextures[n - 1]; a null entry is a texture that is not
    // loaded, and its representative colour stands in for it.
    IDirect3DRMTexture* aTextures[kTextureCount];
    // The flags of the language button, loaded with the textures (owned).
    GRAPHIC* pgrFlagEsperanto; // bitmap 120
    GRAPHIC* pgrFlagEnglish;   // bitmap 121
    D3DVECTOR vecCameraSource;
    D3DVECTOR vecCameraTarget;
    D3DVECTOR vecCameraSourceGoal;
    D3DVECTOR vecCameraTargetGoal;
};
