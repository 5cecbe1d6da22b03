// The frame operations of the rules, over the scene graph's frames.
#include "anim/lasterror.h"
#include "game/game.h"
#include "platform/d3drm/d3drm.h"
#include "render/visual.h"

#include <cmath>

IDirect3DRMFrame2* CreateFrame(IDirect3DRMFrame2* parent)
{
    if (!ZASSERT(g.Render.pd3d, "render"))
        return nullptr;
    IDirect3DRMFrame2* frame = nullptr;
    if (FAILED(g.Render.pd3d->CreateFrame(parent, &frame)))
        return nullptr;
    return frame;
}

void ReleaseFrame(IDirect3DRMFrame2** ppFrame)
{
    IDirect3DRMFrame2* frame = *ppFrame;
    if (!frame)
        return;
    *ppFrame = nullptr;
    if (IDirect3DRMFrame2* parent = frame->GetParentFrame())
        parent->DeleteChild(frame);
    frame->Release();
}

void SetFramePosition(IDirect3DRMFrame2* frame, float x, float y, float z)
{
    if (frame)
        frame->SetPosition(nullptr, x, y, z);
}

D3DVECTOR GetFramePosition(IDirect3DRMFrame2* frame)
{
    D3DVECTOR p{0, 0, 0};
    if (frame)
        frame->GetPosition(nullptr, &p);
    return p;
}

void SetFrameRotated(IDirect3DRMFrame2* frame, D3DVECTOR axis, float angle)
{
    if (!frame)
        return;
    D3DMATRIX local;
    frame->GetTransform(&local);
    const D3DVECTOR position{local._41, local._42, local._43};
    // No axis means no turn: the plain orientation.
    if (axis.x == 0 && axis.y == 0 && axis.z == 0)
        frame->AddTransform(D3DRMCOMBINE_REPLACE, D3DMATRIX{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
    else
        frame->AddRotation(D3DRMCOMBINE_REPLACE, axis.x, axis.y, axis.z, angle);
    frame->AddTranslation(D3DRMCOMBINE_AFTER, position.x, position.y, position.z);
}

void SetFrameOrientation(IDirect3DRMFrame2* frame, D3DVECTOR dir, D3DVECTOR up)
{
    if (frame)
        frame->SetOrientation(nullptr, dir.x, dir.y, dir.z, up.x, up.y, up.z);
}

void GetFrameOrientation(IDirect3DRMFrame2* frame, D3DVECTOR* dir, D3DVECTOR* up)
{
    *dir = {0, 0, 1};
    *up = {0, 1, 0};
    if (frame)
        frame->GetOrientation(nullptr, dir, up);
}

void SetFrameSpin(IDirect3DRMFrame2* frame, D3DVECTOR axis, float theta)
{
    if (frame)
        frame->SetRotation(nullptr, axis.x, axis.y, axis.z, theta);
}
