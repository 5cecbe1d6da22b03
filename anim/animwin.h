// ANIMWINDOW: one window turned into an animated scene. A background
// picture, animated objects layered by depth and (later) a 3D viewport are
// composed off-screen and presented once per frame. The frame loop paces
// frames to a target rate and lets the host take part in every frame
// through one callback; a sequencer schedules object changes and messages
// for given frame numbers.
#pragma once

#include "anim/display.h"
#include "platform/base/types.h"
#include "platform/window/window.h"

#include <cstdint>
#include <vector>

class ANIMOBJECT;
class ANIMWINDOW;
class GRAPHIC;
class PALETTEGROUP;
class IDirectDrawClipper;
class IDirectDrawSurface;
class IDirect3DRMFrame2;
class IDirect3DRMDevice2;
class IDirect3DRMViewport;
struct GUID;
enum svcAnimObject : int;

// The services the window asks of its host.
enum svcAnimWindow : int {
    svcawCreate = 0,
    svcawDestroy = 1,
    svcawSize = 2,
    svcawBeginFrame = 3,
    svcawDrawFrame = 4,
    svcawEndFrame = 5,
    svcawSequence = 6,
    svcawVideoMode = 7,
    svcawIdle = 8,
    svcawBackground = 9,
    svcaw3dDevice = 10,
};

using ANIMWINDOWCALLBACK = int (*)(ANIMWINDOW* window, svcAnimWindow code, unsigned wParam, long lParam);

// A set of rectangles in client coordinates; no two of them intersect.
struct DIRTYREGION {
    unsigned count;    // rectangles in use
    unsigned capacity; // rectangles allocated
    RECT* rects;
};

// Render options of the 3D device.
struct OPTIONS3D {
    std::uint32_t shade; // 0 flat, 1 Gouraud, 2 Phong
    std::uint32_t light; // 0 off, 8 on
    std::uint32_t fill;  // 0 points, 64 wireframe, 128 solid
    std::uint32_t textureQuality;
    std::uint32_t dither;
};

// One scheduled change: an object change (kind 0) or a message (kind 1).
struct SEQUENCEENTRY {
    long frame; // -1: free
    int kind;
    ANIMOBJECT* pObject;
    unsigned wParam;
    GRAPHIC* pGraphic;
    long lParam;
    RECT rect; // empty: the object is not moved
};

// A message hook: a window procedure told of the messages of its classes.
struct HOOKENTRY {
    WNDPROC proc; // null: free slot
    unsigned short mask;
    int refs;
    unsigned short priority;
};

class ANIMWINDOW {
public:
    explicit ANIMWINDOW(ANIMWINDOWCALLBACK callback);
    ANIMWINDOW(HWND hwnd, ANIMWINDOWCALLBACK callback);
    ~ANIMWINDOW();
    ANIMWINDOW(const ANIMWINDOW&) = delete;
    ANIMWINDOW& operator=(const ANIMWINDOW&) = delete;

    // ---- binding ----
    int SetWindow(HWND hwnd);
    static ANIMWINDOW* GetAnimWindow(HWND hwnd);
    HWND GetWindow();
    int GetRect(RECT* rc);
    int GetSize(long* w, long* h);
    long GetWidth();
    long GetHeight();
    int ClientToScreen(POINT* pt);
    int ScreenToClient(POINT* pt);
    ANIMWINDOWCALLBACK GetCallback() { return m_pfnCallback; }
    int SetCallback(ANIMWINDOWCALLBACK callback);
    int CallService(svcAnimWindow code, unsigned wParam, long lParam);
    static LRESULT AnimWindowClassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    // ---- frame loop ----
    int Animate(long count);
    int AnimateSequence();
    int BeginFrame();
    int EndFrame();
    int RenderFrame();
    void CountFrame();
    double GetActualFrameRate();
    double GetTargetFrameRate();
    double SetTargetFrameRate(double fps);

    // ---- sequencer ----
    int SetSequence(long frame, ANIMOBJECT* object, RECT* rect, GRAPHIC* graphic);
    int SetSequence(long frame, unsigned wParam, long lParam);
    int JumpToFrame(long frame);
    int ClearSequencer(long frame);
    int ClearSequencer(ANIMOBJECT* object);
    long GetNextFrameNumber() { return m_lNextFrame; }
    long GetNextClearFrameNumber() { return m_lNextClearFrame; }

    // ---- 3D without a renderer ----
    // By default enabling 3D fails where no renderer can be made; a host
    // that wants the scene graph alone (tools, headless tests) allows it.
    static void Allow3dWithoutRenderer(int f);

    // ---- display interplay ----
    static void ChangedVideoModes();
    int ShowMenu(int fShow);
    static void UnsetPaletteGroup(PALETTEGROUP* group);

    // ---- depths and objects ----
    unsigned short FindDepth(unsigned short depth);
    unsigned short FindDepthInReverse(unsigned short depth);
    ANIMOBJECT* FindObject(ANIMOBJECT* object);
    ANIMOBJECT* FindObjectByDepth(unsigned short depth, ANIMOBJECT* object);
    int Touch(RECT* rc, int fFixed);

    // ---- hooks ----
    int SetHook(WNDPROC proc, unsigned long mask);
    int RemoveHook(WNDPROC proc) { return SetHook(proc, 0); }
    int NotifyHooks(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    // ---- data area (offsets from byte 8; -8 to -1 address the reserved head) ----
    void* GetData(unsigned offset, unsigned size);
    int SetData(unsigned offset, const void* src, unsigned size);
    long GetLong(unsigned offset);
    int SetLong(unsigned offset, long value);

    // ---- background and palette ----
    int SetBackground(GRAPHIC* graphic, int x, int y, int width, int height, int srcX, int srcY);
    int SetBackground(COLORREF colour, int x, int y, int width, int height);
    GRAPHIC* GetBackgroundGraphic() { return m_pgrBackground; }
    int ReleaseBackgroundGraphic(int fChanged);
    COLORREF GetBackgroundColor() const { return m_clrBackground; }
    int SetPaletteGroup(PALETTEGROUP* group);
    PALETTEGROUP* GetPaletteGroup() { return m_pPaletteGroup; }
    int fHasPalette();
    HPALETTE GetGDIPalette();

    // ---- 3D: one scene drawn by the object at depth 0x7FFF ----
    int Enable3d(int f);
    int fIs3dEnabled() const { return m_fIs3dEnabled; }
    ANIMOBJECT* Get3dObject() const { return m_po3d; }
    IDirect3DRMDevice2* Get3dDevice();
    IDirect3DRMViewport* Get3dViewport();
    IDirect3DRMFrame2* Get3dRootFrame();
    IDirect3DRMFrame2* Get3dCameraFrame();
    int Set3dDevice(const GUID* guid);
    int Set3dOptions(OPTIONS3D* options) { return Update3dOptions(options, 0); }
    int Get3dOptions(OPTIONS3D* options);
    int Update3dOptions(OPTIONS3D* options, int fAll);
    int FrameToScreen(IDirect3DRMFrame2* frame, float x, float y, float z, long* sx, long* sy);
    int ScreenToFrame(IDirect3DRMFrame2* frame, float* x, float* y, float* z, float depth1, float depth2, long sx,
                      long sy);
    static int AnimObject3dCallback(ANIMOBJECT* object, svcAnimObject code, long lParam);

    // The list of all animation windows (free slots null, reused).
    static ANIMWINDOW** apawList;
    static unsigned npawList;

private:
    friend class ANIMOBJECT;
    // Tests look at the regions and tables through this.
    friend struct AnimWindowProbe;

    void CommonInit(ANIMWINDOWCALLBACK callback);
    void Bind(HWND hwnd);
    void Unbind();
    int ReallocBackground();
    // Makes the device, frames and viewport anew (0 on failure, the getters
    // then answer null until the next success); Release3d lets them go.
    int Create3dDevice();
    void Release3d();
    void ReleaseClipper();
    int EnsureClipper(HWND bindTo);
    // One pass of the frame loop: the next frame, then idle calls until the
    // frame period is over (0 when the host stops or the window went).
    int PlayOneFrame();

    // chains
    int AddToOChain(ANIMOBJECT* object);
    int RemoveFromOChain(ANIMOBJECT* object);
    int FindIndexByDepth(unsigned short depth);
    // The first object of the nearest used depth in front of depth.
    ANIMOBJECT* FirstObjectAfterDepth(unsigned short depth);

    // regions and drawing
    int AddToDirtyRegion(DIRTYREGION* region, RECT* rc);
    int ExpandDirtyRegions(DIRTYREGION* region, int fFixed);
    static void EmptyDirtyRegion(DIRTYREGION* region) { region->count = 0; }
    static void FreeDirtyRegion(DIRTYREGION* region);
    int DrawObjectsTo(IDirectDrawSurface* target, DIRTYREGION* region, int fFixed);
    int DrawObjectsTo(HDC target, DIRTYREGION* region, int fFixed);
    // Calls draw(object, clip) for each object of the fixed or the moving
    // kind, in the order of their depths, that meets the region (clip null:
    // no region, draw all of it).
    template <class Draw> void ForEachObjectIn(DIRTYREGION* region, int fFixed, Draw draw);
    int fIsObscured();
    void DetectCollisions();
    void ComposeAndPresent(int fVisible, int fFlipping, int fObscured, double* msCompose, double* msPresent);
    // Touch without the present region (fShown 0): the scene object's own
    // touch each frame, whose picture says itself what changed.
    int TouchRegions(RECT* rc, int fFixed, int fShown);
    void Touch3dObject();
    void WaitToPresent();

    HWND m_hwnd = nullptr;
    WNDPROC m_pfnPrevProc = nullptr;
    LONG_PTR m_lPrevLong0 = 0;
    RECT m_rcClient{0, 0, 0, 0};
    double m_dFramePeriod = 1000.0 / 30.0;
    // When the current frame was due: a tick and the milliseconds after it
    // (frames are due a period apart, not a period after the last one
    // began). No frame is due yet while m_fCadence is 0.
    int m_fCadence = 0;
    DWORD m_dwCadenceTick = 0;
    double m_dCadenceOffset = 0;
    // Set while the frame loop renders its frame: the picture then goes to
    // the screen at a steady point of the period (see WaitToPresent).
    int m_fPacedPresent = 0;
    DWORD m_adwFrameTimes[10] = {};
    unsigned m_iFrameTime = 0;
    int m_nFreeze = 0;
    int m_fRendering = 0;
    GRAPHIC* m_pgrBackground = nullptr;
    GRAPHIC* m_pgrCompose = nullptr;
    GRAPHIC* m_pgrWindowImage = nullptr;
    DIRTYREGION m_drBackground{0, 0, nullptr};
    DIRTYREGION m_drScreen{0, 0, nullptr};
    // What changed since the picture was last brought to the screen, in
    // every display method: the screen is sent only these rectangles.
    DIRTYREGION m_drPresent{0, 0, nullptr};
    IDirectDrawClipper* m_pClipper = nullptr;
    int m_fBlitPending = 0;
    int m_fWasVisible = 1;
    // depth table: used entries sorted by depth, greatest first; empty
    // entries (null head) trail
    unsigned m_nDepths = 0;
    unsigned m_nDepthCapacity = 0;
    unsigned m_nHeadCapacity = 0;
    unsigned short* m_awDepths = nullptr;
    ANIMOBJECT** m_apoHeads = nullptr;
    // sequencer
    unsigned m_nSequence = 0;
    unsigned m_nSequenceCapacity = 0;
    SEQUENCEENTRY* m_aSequence = nullptr;
    long m_lNextFrame = 0;
    long m_lNextClearFrame = 0;
    PALETTEGROUP* m_pPaletteGroup = nullptr;
    ANIMWINDOWCALLBACK m_pfnCallback = nullptr;
    unsigned m_nHooks = 0;
    unsigned m_nHookCapacity = 0;
    HOOKENTRY* m_aHooks = nullptr;
    unsigned m_cbData = 0;
    unsigned char* m_pData = nullptr;
    int m_fIs3dEnabled = 0;
    ANIMOBJECT* m_po3d = nullptr;
    OPTIONS3D m_options3d{1, 8, 128, 0, 0};
    IDirect3DRMFrame2* m_pfrRoot = nullptr;
    IDirect3DRMFrame2* m_pfrCamera = nullptr;
    GUID* m_pDeviceGuid = nullptr; // null: chosen automatically
    COLORREF m_clrBackground = 0xFFFFFFFF;
    int m_fMenuShown = 0;
    unsigned m_uTimerPeriod = 0;
    // frame statistics: when the previous frame was rendered and the time
    // spent in the 3D object's drawing during this one
    DWORD m_dwLastRendered = 0;
    double m_dMs3d = 0;

    static unsigned npawCapacity;

public:
    // Marks a stretch of code that calls the host: the host may destroy the
    // window (and this object with it) from any callback, which the guard
    // notices, so the caller returns without touching the object again.
    // Guards nest; the destructor marks every guard still open.
    class LIFEGUARD {
    public:
        explicit LIFEGUARD(ANIMWINDOW* w) : m_pw(w), m_pPrev(w->m_pGuards) { w->m_pGuards = this; }
        ~LIFEGUARD()
        {
            if (m_fAlive)
                m_pw->m_pGuards = m_pPrev;
        }
        LIFEGUARD(const LIFEGUARD&) = delete;
        LIFEGUARD& operator=(const LIFEGUARD&) = delete;
        bool Alive() const { return m_fAlive; }

    private:
        friend class ANIMWINDOW;
        ANIMWINDOW* m_pw;
        LIFEGUARD* m_pPrev;
        bool m_fAlive = true;
    };

private:
    LIFEGUARD* m_pGuards = nullptr;
};

// Rectangle helpers shared by the window, its objects and the collision tests.
namespace animrect {
inline bool Empty(const RECT& r)
{
    return r.right <= r.left || r.bottom <= r.top;
}
// The intersection of a and b; false (and *out empty) when they do not overlap.
bool Intersect(RECT* out, const RECT& a, const RECT& b);
RECT Union(const RECT& a, const RECT& b);
inline bool Contains(const RECT& outer, const RECT& inner)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}
} // namespace animrect
