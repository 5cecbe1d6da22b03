// ANIMOBJECT: one animated element of an animation window, a rectangle at a
// depth drawn from a graphic or by the host's callback. The window asks
// every object to move once per frame, draws it, and reports collisions to
// it.
#pragma once

#include "platform/base/types.h"

class ANIMOBJECT;
class ANIMWINDOW;
class GRAPHIC;
class IDirectDrawSurface;
struct OBJECTCOLLISION;

// The services an object asks of its callback. Hosts may define codes of
// their own above these for calls between their objects.
enum svcAnimObject : int {
    svcaoCreate = 0,
    svcaoMove = 1,
    svcaoDraw = 2,
    svcaoDestroy = 3,
    svcaoCollision = 4,
};

// Placement within an object's depth.
enum ZORDER : int {
    zoTop = 0,    // drawn last, over the others of its depth
    zoBottom = 1, // drawn first, beneath the others
    zoAbove = 2,  // just after the reference object
    zoBelow = 3,  // just before the reference object
};

using ANIMOBJECTCALLBACK = int (*)(ANIMOBJECT* object, svcAnimObject code, long lParam);

// What an object's callback draws on for svcaoDraw.
struct RENDEROBJECT {
    IDirectDrawSurface* surface; // null: draw on hdc
    HDC hdc;
    RECT clip;   // the part of the target to draw; empty: the whole object
    RECT object; // the object's rectangle
};

class ANIMOBJECT {
public:
    ANIMOBJECT(ANIMWINDOW* window, unsigned short depth, GRAPHIC* graphic, long lData);
    ANIMOBJECT(ANIMWINDOW* window, unsigned short depth, ANIMOBJECTCALLBACK callback, long lData);
    ~ANIMOBJECT();
    ANIMOBJECT(const ANIMOBJECT&) = delete;
    ANIMOBJECT& operator=(const ANIMOBJECT&) = delete;

    // ---- window, depth and order ----
    ANIMWINDOW* GetAnimWindow() { return m_pWindow; }
    int SetAnimWindow(ANIMWINDOW* window);
    unsigned short GetDepth() { return m_wDepth; }
    int SetDepth(unsigned short depth);
    int SetZOrder(ZORDER type, ANIMOBJECT* reference);

    // ---- geometry ----
    int SetPosition(long x, long y);
    int SetSize(long w, long h);
    int SetWidth(long w);
    int SetHeight(long h);
    int SetRect(RECT* rc);
    int GetPosition(long* x, long* y);
    int GetSize(long* w, long* h);
    long GetWidth() { return m_rc.right - m_rc.left; }
    long GetHeight() { return m_rc.bottom - m_rc.top; }
    int GetRect(RECT* rc);
    int GetLastRect(RECT* rc);
    int SetLastRect(RECT* rc);
    int Touch();

    // ---- appearance ----
    GRAPHIC* GetGraphic() { return m_pGraphic; }
    int SetGraphic(GRAPHIC* graphic, int fUse);
    ANIMOBJECTCALLBACK GetCallback() { return m_pfnCallback; }
    int SetCallback(ANIMOBJECTCALLBACK callback, int fCallbackDraws);
    int fUseGraphic() const { return m_fUseGraphic; }
    int GetFixState() { return m_fFixed; }
    int SetFixState(int fFixed);
    int RenderGraphic(RENDEROBJECT* r, GRAPHIC* graphic);
    int CallService(svcAnimObject code, long lParam);

    // ---- user data (offsets from byte 4; -4 addresses the constructor's value) ----
    void* GetData(unsigned offset, unsigned size);
    int SetData(unsigned offset, const void* src, unsigned size);
    long GetLong(unsigned offset);
    int SetLong(unsigned offset, long value);

    // ---- collisions ----
    unsigned long GetCollisionDetect() { return m_dwCollision; }
    int SetCollisionDetect(unsigned long flags);
    int CheckCollision(ANIMOBJECT* other, OBJECTCOLLISION* out);

private:
    friend class ANIMWINDOW;

    void CommonInit(unsigned short depth, long lData);
    int DrawTo(IDirectDrawSurface* target, RECT* clip);
    int DrawTo(HDC target, RECT* clip);
    int ChangeRect(const RECT& rc);

    ANIMWINDOW* m_pWindow = nullptr;
    ANIMOBJECT* m_pNext = nullptr;
    RECT m_rc{0, 0, 0, 0};
    RECT m_rcLast{0, 0, 0, 0};
    unsigned short m_wDepth = 0;
    int m_fFixed = 0;
    int m_fUseGraphic = 0;
    GRAPHIC* m_pGraphic = nullptr;
    unsigned long m_dwCollision = 0;
    ANIMOBJECTCALLBACK m_pfnCallback = nullptr;
    unsigned m_cbData = 0;
    unsigned char* m_pData = nullptr;
    long m_lData = 0;
};
