// The scene's services: the frames and lights the game hangs in the window's
// scene, the textures of cube kinds and their representative colours, and
// the camera that follows the play.
#pragma once

#include "platform/base/types.h"
#include "render/render.h"

class IDirect3DRM2;
class IDirect3DRMFrame2;
class IDirect3DRMTexture;

// Positions of the three camera-light frames relative to the camera frame.
constexpr float kCameraLightPositions[3][3] = {{0, 3, 5}, {3, -1, 1}, {-3, -1, 1}};

// Sets up the game's part of a scene whose factory, root and camera frames
// belong to the window that owns the device (borrowed, not released here):
// the three camera-light frames, the shared material, pFramePrimary at the
// root's origin with the ambient light, and the camera lights (when
// fCameraLights). Textures are left as they are. Anything the game had set
// up before is released first, so after the window re-created its device
// this rebuilds the skeleton (pass whether the camera lights were on); the
// visuals that hung below the old pFramePrimary are the field's to rebuild.
// False when an object could not be made; the scene is then released again.
bool InitSceneFrames(IDirect3DRM2* pd3d, IDirect3DRMFrame2* root, IDirect3DRMFrame2* camera, bool fCameraLights = true);
// Releases what InitSceneFrames made (pFramePrimary goes with everything
// still hanging in it) and forgets the borrowed pointers. Textures stay.
void ReleaseSceneFrames();
// Releases the loaded textures.
void ReleaseSceneTextures();
// Removes the three camera lights if present; with fOn creates them again:
// point lights of grey 0.5, 0.3 and 0.3.
void SetCameraLights(bool fOn);

// Sets the ambient light to the stored level (fAmbient percent of full).
void ApplyAmbientLight(float level);
// The texture number (1 to 12) of a cube kind: 1 Gray, 2 Blue, 3 Black,
// 4 Red, 5 Green, 6 the field squares (and any other kind).
LONG TextureForKind(LONG kind);
// The colour that stands in for a texture when textures are off; 0 for
// textures that have none.
COLORREF RepresentativeColour(LONG texture);
// The loaded texture of a number (1 to 12); null when it is not loaded or
// the number is out of range.
IDirect3DRMTexture* SceneTexture(LONG texture);
// The number of a loaded texture; 0 for null or a texture not in the table.
LONG SceneTextureNumber(const IDirect3DRMTexture* texture);

// Camera: goals from the screen state and the figure's position, and the
// per-frame steps towards them. StepCamera returns true while the source
// was away from its goal before the step.
bool AimCameraForState(LONG state, float x, float z);
bool StepCamera();
// Puts the camera frame at the camera source, looking at the target, both
// relative to the root frame.
void PlaceCamera();

// ---- set-up of the whole scene on the game's animation window ----

class ANIMWINDOW;

// Sets the start-up video mode (failing that, message 120 and false), then
// switches 3D on in g.Render.paw and sets up the scene: the skeleton, blended
// and sorted transparency, linear texture filtering with dithering, the
// textures and the flags of the language button. A failure of the 3D part
// (stages 1 to 5: 3D on, the retained-mode object, the root frame, the
// camera frame, the textures and bitmaps) restores the video mode and shows
// message 121 with the stage and the library's last error; false.
bool InitScene();
// The window made its 3D device anew: everything the game had hung in the
// old scene is built again in the new one, as it stood (lights, material,
// the primary frame, the field, the figure, the cubes in new frames, mines,
// gravel and the falling forbidden cube, the level introduction's flakes).
// Nothing before InitScene has succeeded.
void RebuildScene();
// Lets the whole scene go: the skeleton, the textures and the flags.
void ReleaseScene();

// What InitScene asks of the library, replaceable so that each failure
// stage can be brought about; null entries use the library.
struct SCENESERVICES {
    int (*pfnEnable3d)(ANIMWINDOW* paw);
    IDirect3DRM2* (*pfnGetDirect3d)();
    IDirect3DRMFrame2* (*pfnGetRootFrame)(ANIMWINDOW* paw);
    IDirect3DRMFrame2* (*pfnGetCameraFrame)(ANIMWINDOW* paw);
};
// Installs services (null: the library's); returns the previous ones.
SCENESERVICES SetSceneServices(const SCENESERVICES* services);

// The bitmap ids of the twelve textures in table order.
constexpr WORD kTextureBitmaps[kTextureCount] = {106, 104, 107, 105, 108, 109, 110, 111, 112, 113, 114, 115};

// ---- between window points and the field ----

// The window point where the centre of field square (x, z) is seen.
bool SquareToScreen(LONG x, LONG z, long* psx, long* psy);
// The field square seen at a window point (where the line of sight meets
// the floor's plane; it may lie off the field, which the caller checks).
bool ScreenToSquare(long sx, long sy, LONG* px, LONG* pz);
// The cube seen at a window point: the grid cell of the nearest cube there
// (the figure or gravel in front of it do not hide it). False when no cube
// is seen there.
bool CubeAtScreen(long sx, long sy, LONG* px, LONG* pz);
