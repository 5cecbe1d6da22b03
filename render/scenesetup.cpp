// The scene on the game's animation window: set up once at start-up with
// its failure stages, and built again whenever the window makes its 3D
// device anew.
#include "anim/animwin.h"
#include "anim/display.h"
#include "anim/graphic.h"
#include "anim/lasterror.h"
#include "game/game.h"
#include "platform/d3drm/d3drm.h"
#include "platform/msgbox/msgbox.h"
#include "render/scene.h"
#include "render/visual.h"
#include "shell/videomode.h"
#include "support/sysmsgbox.h"

#include <vector>

namespace {

constexpr UINT idsErrorCaption = 44;
constexpr UINT idsNoDirect3d = 121;
constexpr WORD kFlagEsperanto = 120;
constexpr WORD kFlagEnglish = 121;
constexpr WORD kBitmapType = 2; // the resource type of bitmaps
// Blended, sorted transparency: the glassy field and the markers blend
// over what lies behind them.
constexpr DWORD kRenderMode = D3DRMRENDERMODE_BLENDEDTRANSPARENCY | D3DRMRENDERMODE_SORTEDTRANSPARENCY;

int LibraryEnable3d(ANIMWINDOW* paw)
{
    return paw ? paw->Enable3d(TRUE) : 0;
}
IDirect3DRM2* LibraryGetDirect3d()
{
    return Display ? Display->GetDirect3d() : nullptr;
}
IDirect3DRMFrame2* LibraryGetRoot(ANIMWINDOW* paw)
{
    return paw ? paw->Get3dRootFrame() : nullptr;
}
IDirect3DRMFrame2* LibraryGetCamera(ANIMWINDOW* paw)
{
    return paw ? paw->Get3dCameraFrame() : nullptr;
}

SCENESERVICES s_services{};

int Enable3d(ANIMWINDOW* paw)
{
    return (s_services.pfnEnable3d ? s_services.pfnEnable3d : LibraryEnable3d)(paw);
}
IDirect3DRM2* GetDirect3d()
{
    return (s_services.pfnGetDirect3d ? s_services.pfnGetDirect3d : LibraryGetDirect3d)();
}
IDirect3DRMFrame2* GetRoot(ANIMWINDOW* paw)
{
    return (s_services.pfnGetRootFrame ? s_services.pfnGetRootFrame : LibraryGetRoot)(paw);
}
IDirect3DRMFrame2* GetCamera(ANIMWINDOW* paw)
{
    return (s_services.pfnGetCameraFrame ? s_services.pfnGetCameraFrame : LibraryGetCamera)(paw);
}

// Transparency and the texture look of the device: linear filtering and
// dithering, the other options as the window keeps them.
void SetDeviceLook(ANIMWINDOW* paw)
{
    if (!paw)
        return;
    if (IDirect3DRMDevice2* device = paw->Get3dDevice())
        device->SetRenderMode(kRenderMode);
    OPTIONS3D options{};
    if (paw->Get3dOptions(&options)) {
        options.textureQuality = D3DRMTEXTURE_LINEAR;
        options.dither = 1;
        paw->Set3dOptions(&options);
    }
}

void ReleaseFlags()
{
    delete g.Render.pgrFlagEsperanto;
    delete g.Render.pgrFlagEnglish;
    g.Render.pgrFlagEsperanto = nullptr;
    g.Render.pgrFlagEnglish = nullptr;
}

GRAPHIC* LoadFlag(WORD id)
{
    auto* graphic = new GRAPHIC(nullptr, MAKEINTRESOURCEA(id), 0xFFFFFFFFul);
    if (graphic->fEmpty()) {
        delete graphic;
        return nullptr;
    }
    return graphic;
}

// The twelve textures in table order, then the two flags. False at the
// first that cannot be loaded.
bool LoadSceneResources(IDirect3DRM2* pd3d)
{
    ReleaseSceneTextures();
    ReleaseFlags();
    for (int i = 0; i < kTextureCount; ++i)
        if (FAILED(pd3d->LoadTextureFromResource(nullptr, MAKEINTRESOURCEA(kTextureBitmaps[i]),
                                                 MAKEINTRESOURCEA(kBitmapType), &g.Render.aTextures[i])))
            return false;
    g.Render.pgrFlagEsperanto = LoadFlag(kFlagEsperanto);
    g.Render.pgrFlagEnglish = LoadFlag(kFlagEnglish);
    return g.Render.pgrFlagEsperanto && g.Render.pgrFlagEnglish;
}

bool Fail(int stage)
{
    const int error = ZephaneGetLastError();
    ReleaseScene();
    if (g.Render.paw && g.Render.paw->fIs3dEnabled())
        g.Render.paw->Enable3d(FALSE);
    if (Display)
        Display->RestoreVideoMode();
    MessageBoxIds(MB_OK | MB_ICONINFORMATION, idsErrorCaption, idsNoDirect3d, "%lu%lu",
                  static_cast<unsigned long>(stage), static_cast<unsigned long>(static_cast<DWORD>(error)));
    return false;
}

} // namespace

SCENESERVICES SetSceneServices(const SCENESERVICES* services)
{
    const SCENESERVICES previous = s_services;
    s_services = services ? *services : SCENESERVICES{};
    return previous;
}

bool InitScene()
{
    RENDER& r = g.Render;
    r.fSetUp = FALSE;
    if (!SetStartupVideoMode())
        return false;
    if (!Enable3d(r.paw))
        return Fail(1);
    IDirect3DRM2* pd3d = GetDirect3d();
    if (!pd3d)
        return Fail(2);
    IDirect3DRMFrame2* root = GetRoot(r.paw);
    if (!root)
        return Fail(3);
    IDirect3DRMFrame2* camera = GetCamera(r.paw);
    if (!camera)
        return Fail(4);
    // Enabling 3D already reported a new device; the skeleton is made here.
    InitSceneFrames(pd3d, root, camera, true);
    SetDeviceLook(r.paw);
    if (!LoadSceneResources(pd3d))
        return Fail(5);
    r.fSetUp = TRUE;
    return true;
}

void ReleaseScene()
{
    ReleaseSceneFrames();
    ReleaseSceneTextures();
    ReleaseFlags();
    g.Render.fSetUp = FALSE;
}

// ---- the rebuild after a new device ---------------------------------------------------------

namespace {

// What a cube showed before the rebuild: its frame's place and turn, the
// box's size, and whether it was shown and reflected.
struct KEPTCUBE {
    CUBE* pCell;
    D3DMATRIX transform;
    float sx, sy, sz;
    bool fShown;
    bool fReflected;
};

// Frees a visual's reflection while the old scene still holds its frame;
// true if it had one.
bool DropReflection(VISUAL* v)
{
    if (!v || !v->pReflection)
        return false;
    SetReflection(v, false);
    return true;
}

// A frame that hung in the old scene hangs in a new parent, where it was.
void Rehang(IDirect3DRMFrame2* frame, IDirect3DRMFrame2* parent)
{
    if (frame && parent)
        parent->AddChild(frame);
}

} // namespace

void RebuildScene()
{
    RENDER& r = g.Render;
    if (!r.fSetUp)
        return;
    ACTIVEPUZZLE& ap = g.ActivePuzzle;
    const bool fCameraLights = r.pLightCamera != nullptr;

    // First everything that hangs in the old primary frame lets go of it,
    // while that frame still exists.
    std::vector<KEPTCUBE> cubes;
    for (auto& row : ap.aCubes)
        for (CUBE& c : row) {
            if (!c.pVisual)
                continue;
            KEPTCUBE k{&c,
                       {},
                       c.pVisual->fSizeX,
                       c.pVisual->fSizeY,
                       c.pVisual->fSizeZ,
                       c.pVisual->pShowingIn != nullptr,
                       c.pVisual->pReflection != nullptr};
            k.transform = D3DMATRIX{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
            if (c.pFrame)
                c.pFrame->GetTransform(&k.transform);
            FreeVisual(c.pVisual);
            c.pVisual = nullptr;
            ReleaseFrame(&c.pFrame);
            cubes.push_back(k);
        }
    std::vector<VISUAL*> reflectedGravel;
    for (auto& row : ap.aCubes)
        for (CUBE& c : row)
            if (c.pExp)
                for (GRAVEL& piece : c.pExp->aGravel)
                    if (DropReflection(piece.pVisual))
                        reflectedGravel.push_back(piece.pVisual);
    const bool fForbiddenReflected = DropReflection(ap.pVisualForbidden);
    std::vector<MINE*> mines;
    for (MINE& m : ap.aMines)
        if (m.bActive && m.aSquares[0].pVisual) {
            FreeMineVisuals(&m);
            mines.push_back(&m);
        }
    const bool fFloor = ap.pFloor != nullptr;
    FreeVisual(ap.pFloor);
    ap.pFloor = nullptr;
    AvatarReleaseVisuals();
    std::vector<VISUAL*> flakes;
    for (VISUAL* flake : g.LevelIntro.aFlakes)
        if (flake && flake->pShowingIn) {
            ShowVisual(flake, nullptr);
            flakes.push_back(flake);
        }

    // The skeleton in the new scene.
    IDirect3DRM2* pd3d = GetDirect3d();
    IDirect3DRMFrame2* root = GetRoot(r.paw);
    IDirect3DRMFrame2* camera = GetCamera(r.paw);
    if (!pd3d || !root || !camera || !InitSceneFrames(pd3d, root, camera, fCameraLights)) {
        // No new scene (yet): the old one is let go; the next new device
        // tries again. The cells keep no visual.
        ReleaseSceneFrames();
        return;
    }
    SetDeviceLook(r.paw);

    // Then what the game showed, built again in it.
    if (fFloor) {
        ap.pFloor = MakeFloor(ap.lWidth, ap.lLength);
        ShowVisual(ap.pFloor, r.pFramePrimary);
    }
    AvatarRebuildVisuals();
    for (const KEPTCUBE& k : cubes) {
        CUBE& c = *k.pCell;
        c.pVisual = MakeBox(0, 0, 0, k.sx, k.sy, k.sz, ColourForKind(c.lKind), false);
        ApplyKindLook(c.pVisual, c.lKind);
        c.pFrame = CreateFrame(r.pFramePrimary);
        if (c.pFrame)
            c.pFrame->AddTransform(D3DRMCOMBINE_REPLACE, k.transform);
        if (k.fShown)
            ShowVisual(c.pVisual, c.pFrame);
        if (k.fReflected)
            SetReflection(c.pVisual, true);
    }
    for (MINE* m : mines)
        CreateMineVisuals(m);
    for (auto& row : ap.aCubes)
        for (CUBE& c : row)
            if (c.pExp)
                for (GRAVEL& piece : c.pExp->aGravel)
                    Rehang(piece.pFrame, r.pFramePrimary);
    for (VISUAL* v : reflectedGravel)
        SetReflection(v, true);
    Rehang(ap.pFrameForbidden, root);
    if (fForbiddenReflected)
        SetReflection(ap.pVisualForbidden, true);
    for (VISUAL* flake : flakes)
        ShowVisual(flake, r.pFramePrimary);
}
