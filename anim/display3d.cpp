// The display's retained-mode 3D object: made on first request and kept
// until the display goes.
#include "anim/animwin_iface.h"
#include "platform/d3drm/d3drm.h"
#include "platform/resources/dibimage.h"

// Textures of the display's scene load from the bitmap resources of the
// program, as they do on the system's own retained-mode object.
HRESULT Display3d_CreateRM(IDirect3DRM2** out)
{
    D3DRMSetResourceImageLoader(LoadResourceImage);
    return Direct3DRMCreate(out);
}

void Display3d_ReleaseRM(IDirect3DRM2* rm)
{
    if (rm)
        rm->Release();
}

// The viewport holds the device, so the device goes with it.
void Display3d_ReleaseViewport(IDirect3DRMViewport* viewport)
{
    if (viewport)
        viewport->Release();
}
