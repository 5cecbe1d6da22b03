// The OpenGL renderer of the retained-mode scene graph.
//
// Installed as the scene graph's renderer (D3DRMSetRenderer), it draws what a
// viewport's Clear and Render ask for into an offscreen framebuffer of the
// viewport's size, with OpenGL 3.3 core in one context kept for the whole
// process (a hidden SDL window; with SDL_VIDEODRIVER=offscreen no display is
// needed). The picture is then copied into a caller's 32-bit XRGB pixel buffer
// (0x00RRGGBB, rows from the top): that is how a 3D view lands in a frame
// that is composed on the CPU.
//
// What is drawn: the frames' world transforms; the viewport's projection,
// exactly the one its Transform uses, with the front and back planes
// clipping; ambient, point and directional lights (colour, range,
// attenuation) lighting each vertex (Gouraud) or each face (flat) with the
// group's material (emissive, specular power and colour); group and vertex
// colours (a group colour other than opaque white overrides the vertex
// colours; a frame whose material mode is "from frame" or "from parent"
// supplies the colour instead); textures modulating the colour, filtered as
// the device's texture quality says, texels of a decal's transparent colour
// left out; the lower of the device's and the group's render quality (flat or
// Gouraud, lights on or off, solid, wireframe or points); back faces culled
// for solid fills; with the device's blended-transparency mode, groups whose
// colour is translucent are blended after the opaque ones (back to front
// with the sorted mode as well); the scene's background colour on Clear.
//
// GL buffers are kept per mesh and rebuilt when the mesh's version changes;
// GL textures per texture, rebuilt when its decal settings change. Both are
// dropped when the scene graph frees the mesh or texture.
//
// Everything runs on the thread that installed the renderer.
#pragma once

#include "platform/d3drm/d3drm.h"

#include <cstddef>
#include <cstdint>

// A caller's pixel buffer: width x height pixels of 0x00RRGGBB, rows from the
// top, pitch pixels from the start of one row to the next.
struct GLRENDERTARGET {
    std::uint32_t* pPixels;
    int width;
    int height;
    int pitch;
};

// Creates the process's OpenGL context if there is none yet and installs the
// renderer. False when no context can be made (GlRenderGetError says why);
// the scene graph then keeps drawing nothing.
bool GlRenderInstall();
// Removes the renderer (if it is the installed one) and frees every GL object
// it made; the context stays for a later install.
void GlRenderUninstall();
bool GlRenderIsInstalled();
// Makes GlRenderInstall fail, as on a machine without OpenGL, until called
// with false: the paths without a renderer can be tried where one exists.
void GlRenderSimulateUnavailable(bool f);
// Why the last install or draw failed ("" when nothing failed).
const char* GlRenderGetError();

// Copies what the viewport's last Clear and Render drew to target, the
// viewport's top-left pixel at (x, y); parts outside the target are left out.
// D3DRMERR_NOTFOUND when nothing was drawn for the viewport yet.
HRESULT GlReadViewport(IDirect3DRMViewport* viewport, const GLRENDERTARGET& target, int x, int y);
// Clears the viewport, renders its camera's scene and copies the picture as
// GlReadViewport does.
HRESULT GlRenderViewport(IDirect3DRMViewport* viewport, const GLRENDERTARGET& target, int x, int y);

// What the renderer keeps, for tools and tests.
struct GLRENDERSTATS {
    std::size_t nMeshes;           // meshes with GL buffers
    std::size_t nTextures;         // textures with a GL texture
    std::size_t nViewports;        // viewports with a framebuffer
    std::uint64_t nMeshUploads;    // mesh buffers filled since install
    std::uint64_t nTextureUploads; // textures filled since install
};
GLRENDERSTATS GlRenderGetStats();
