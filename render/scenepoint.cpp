// Window points and the field: a square's place on the screen, the square
// under the mouse, and the cube picked at a point.
#include "anim/animwin.h"
#include "game/game.h"
#include "platform/d3drm/d3drm.h"
#include "render/scene.h"
#include "render/visual.h"

bool SquareToScreen(LONG x, LONG z, long* psx, long* psy)
{
    const RENDER& r = g.Render;
    return r.paw && r.pFramePrimary &&
           r.paw->FrameToScreen(r.pFramePrimary, SquareCentreX(x), 0, SquareCentreZ(z), psx, psy) == 1;
}

bool ScreenToSquare(long sx, long sy, LONG* px, LONG* pz)
{
    const RENDER& r = g.Render;
    float x = 0, y = 0, z = 0;
    if (!r.paw || !r.pFramePrimary || r.paw->ScreenToFrame(r.pFramePrimary, &x, &y, &z, 0.0f, 1.0f, sx, sy) != 1)
        return false;
    *px = SceneToColumn(x);
    *pz = SceneToRow(z);
    return true;
}

bool CubeAtScreen(long sx, long sy, LONG* px, LONG* pz)
{
    const RENDER& r = g.Render;
    IDirect3DRMViewport* viewport = r.paw ? r.paw->Get3dViewport() : nullptr;
    IDirect3DRMPickedArray* picked = nullptr;
    if (!viewport || FAILED(viewport->Pick(sx, sy, &picked)) || !picked)
        return false;
    bool found = false;
    // Nearest first: the first pick that is a cube's mesh names the cell;
    // anything else in front (the figure, gravel) does not hide the cube.
    for (DWORD i = 0; i < picked->GetSize() && !found; ++i) {
        IDirect3DRMVisual* visual = nullptr;
        if (FAILED(picked->GetPick(i, &visual, nullptr, nullptr)) || !visual)
            continue;
        const ACTIVEPUZZLE& ap = g.ActivePuzzle;
        for (LONG z = 0; z < kGridRows && !found; ++z)
            for (LONG x = 0; x < kGridCols && !found; ++x) {
                const VISUAL* v = ap.aCubes[z][x].pVisual;
                if (v && static_cast<IDirect3DRMVisual*>(v->pMesh) == visual) {
                    *px = x;
                    *pz = z;
                    found = true;
                }
            }
        visual->Release();
    }
    picked->Release();
    return found;
}
