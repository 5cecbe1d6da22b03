// ANIMOBJECT: construction, its place in the window's chains, geometry,
// appearance, user data and collision checks.
#include "anim/animobj.h"

#include "anim/animwin.h"
#include "anim/collision.h"
#include "anim/dataarea.h"
#include "anim/graphic.h"
#include "anim/lasterror.h"
#include "anim/memmgr.h"
#include "platform/base/syserror.h"

#include <cstdint>
#include <cstring>

namespace {
constexpr const char* kModule = "animobj.cpp";
constexpr unsigned kHead = static_cast<unsigned>(-4);
} // namespace

ANIMOBJECT::ANIMOBJECT(ANIMWINDOW* window, unsigned short depth, GRAPHIC* graphic, long lData)
{
    CommonInit(depth, lData);
    SetAnimWindow(window);
    m_pGraphic = graphic;
    if (graphic) {
        m_fUseGraphic = 1;
        m_rc = RECT{0, 0, static_cast<LONG>(graphic->GetWidth()), static_cast<LONG>(graphic->GetHeight())};
    }
}

ANIMOBJECT::ANIMOBJECT(ANIMWINDOW* window, unsigned short depth, ANIMOBJECTCALLBACK callback, long lData)
{
    CommonInit(depth, lData);
    SetAnimWindow(window);
    m_pfnCallback = callback;
    CallService(svcaoCreate, 0);
}

void ANIMOBJECT::CommonInit(unsigned short depth, long lData)
{
    m_wDepth = depth;
    SetLong(kHead, lData);
}

ANIMOBJECT::~ANIMOBJECT()
{
    CallService(svcaoDestroy, 0);
    if (m_pWindow) {
        m_pWindow->ClearSequencer(this);
        m_pWindow->RemoveFromOChain(this);
    }
    if (m_pData)
        MemMgr_FreeMemory(m_pData, kModule, __LINE__);
}

int ANIMOBJECT::CallService(svcAnimObject code, long lParam)
{
    return m_pfnCallback ? m_pfnCallback(this, code, lParam) : 1;
}

// ---- window, depth and order -------------------------------------------------------------

int ANIMOBJECT::SetAnimWindow(ANIMWINDOW* window)
{
    if (m_fFixed)
        return FALSE_SetLastError(errObjectFixed);
    if (window == m_pWindow)
        return 1;
    if (m_pWindow) {
        m_pWindow->ClearSequencer(this);
        m_pWindow->RemoveFromOChain(this);
    }
    m_pWindow = window;
    if (window && !window->AddToOChain(this)) {
        m_pWindow = nullptr;
        return 0;
    }
    return 1;
}

int ANIMOBJECT::SetDepth(unsigned short depth)
{
    if (m_fFixed)
        return FALSE_SetLastError(errObjectFixed);
    if (depth == m_wDepth)
        return 1;
    if (!m_pWindow) {
        m_wDepth = depth;
        return 1;
    }
    m_pWindow->RemoveFromOChain(this);
    m_wDepth = depth;
    if (!m_pWindow->AddToOChain(this)) {
        m_pWindow = nullptr;
        return 0;
    }
    return 1;
}

int ANIMOBJECT::SetZOrder(ZORDER type, ANIMOBJECT* reference)
{
    if (m_fFixed)
        return FALSE_SetLastError(errObjectFixed);
    ANIMWINDOW* w = m_pWindow;
    int i = -1;
    if (w)
        for (unsigned j = 0; j < w->m_nDepths && i < 0; ++j)
            if (w->m_apoHeads[j] && w->m_awDepths[j] == m_wDepth)
                i = static_cast<int>(j);
    if (i < 0)
        return FALSE_SetLastError(errNotInWindow);
    if (reference && (reference->m_pWindow != w || reference->m_wDepth != m_wDepth || reference == this))
        return FALSE_SetLastError(errBadReference);
    ANIMOBJECT*& head = w->m_apoHeads[i];
    if (type == zoAbove || type == zoBelow || (type != zoTop && type != zoBottom)) {
        bool found = false;
        for (ANIMOBJECT* o = head; o && !found; o = o->m_pNext)
            found = o == reference;
        if (!reference || !found)
            return FALSE_SetLastError(errBadReference);
    }
    ANIMOBJECT** link = &head;
    while (*link && *link != this)
        link = &(*link)->m_pNext;
    if (!*link)
        return FALSE_SetLastError(errNotInWindow);
    *link = m_pNext;
    m_pNext = nullptr;
    if (!head) {
        head = this;
        return 1;
    }
    switch (type) {
    case zoTop: {
        ANIMOBJECT* last = head;
        while (last->m_pNext)
            last = last->m_pNext;
        last->m_pNext = this;
        break;
    }
    case zoBottom:
        m_pNext = head;
        head = this;
        break;
    case zoBelow: {
        ANIMOBJECT** at = &head;
        while (*at != reference)
            at = &(*at)->m_pNext;
        m_pNext = reference;
        *at = this;
        break;
    }
    default:
        m_pNext = reference->m_pNext;
        reference->m_pNext = this;
        break;
    }
    return 1;
}

// ---- geometry ---------------------------------------------------------------------------

int ANIMOBJECT::ChangeRect(const RECT& rc)
{
    if (m_fFixed)
        return FALSE_SetLastError(errObjectFixed);
    Touch();
    m_rc = rc;
    Touch();
    return 1;
}

int ANIMOBJECT::SetPosition(long x, long y)
{
    return ChangeRect(RECT{static_cast<LONG>(x), static_cast<LONG>(y), static_cast<LONG>(x + GetWidth()),
                           static_cast<LONG>(y + GetHeight())});
}

int ANIMOBJECT::SetSize(long w, long h)
{
    return ChangeRect(RECT{m_rc.left, m_rc.top, static_cast<LONG>(m_rc.left + w), static_cast<LONG>(m_rc.top + h)});
}

int ANIMOBJECT::SetWidth(long w)
{
    return SetSize(w, GetHeight());
}

int ANIMOBJECT::SetHeight(long h)
{
    return SetSize(GetWidth(), h);
}

int ANIMOBJECT::SetRect(RECT* rc)
{
    if (!rc)
        return FALSE_SetLastError(ERROR_INVALID_PARAMETER);
    return ChangeRect(*rc);
}

int ANIMOBJECT::GetPosition(long* x, long* y)
{
    if (x)
        *x = m_rc.left;
    if (y)
        *y = m_rc.top;
    return 1;
}

int ANIMOBJECT::GetSize(long* w, long* h)
{
    if (w)
        *w = GetWidth();
    if (h)
        *h = GetHeight();
    return 1;
}

int ANIMOBJECT::GetRect(RECT* rc)
{
    if (rc)
        *rc = m_rc;
    return 1;
}

int ANIMOBJECT::GetLastRect(RECT* rc)
{
    if (rc)
        *rc = m_rcLast;
    return 1;
}

int ANIMOBJECT::SetLastRect(RECT* rc)
{
    if (m_fFixed)
        return FALSE_SetLastError(errObjectFixed);
    if (rc)
        m_rcLast = *rc;
    return 1;
}

int ANIMOBJECT::Touch()
{
    return m_pWindow ? m_pWindow->Touch(&m_rc, m_fFixed) : 1;
}

// ---- appearance -------------------------------------------------------------------------

int ANIMOBJECT::SetGraphic(GRAPHIC* graphic, int fUse)
{
    Touch();
    m_pGraphic = graphic;
    if (graphic) {
        m_fUseGraphic = fUse ? 1 : 0;
        RECT r{};
        if (graphic->GetRect(&r) && !animrect::Empty(r) && !m_fFixed)
            SetSize(r.right - r.left, r.bottom - r.top);
    } else {
        m_fUseGraphic = 0;
    }
    Touch();
    return 1;
}

int ANIMOBJECT::SetCallback(ANIMOBJECTCALLBACK callback, int fCallbackDraws)
{
    m_pfnCallback = callback;
    m_fUseGraphic = (fCallbackDraws || !m_pGraphic) ? 0 : 1;
    return 1;
}

int ANIMOBJECT::SetFixState(int fFixed)
{
    fFixed = fFixed ? 1 : 0;
    if (fFixed != m_fFixed) {
        Touch();
        m_fFixed = fFixed;
        Touch();
    }
    return 1;
}

int ANIMOBJECT::RenderGraphic(RENDEROBJECT* r, GRAPHIC* graphic)
{
    GRAPHIC* g = graphic ? graphic : m_pGraphic;
    if (!g || !r)
        return FALSE_SetLastError(ERROR_INVALID_PARAMETER);
    const RECT clip = animrect::Empty(r->clip) ? r->object : r->clip;
    const int w = clip.right - clip.left, h = clip.bottom - clip.top;
    const int srcX = clip.left - r->object.left, srcY = clip.top - r->object.top;
    if (r->surface)
        return g->DrawTo(r->surface, clip.left, clip.top, w, h, srcX, srcY);
    return g->DrawDIBTo(r->hdc, nullptr, clip.left, clip.top, w, h, srcX, srcY);
}

int ANIMOBJECT::DrawTo(IDirectDrawSurface* target, RECT* clip)
{
    RENDEROBJECT r{target, nullptr, clip ? *clip : RECT{0, 0, 0, 0}, m_rc};
    if (m_pGraphic && m_fUseGraphic)
        return RenderGraphic(&r, m_pGraphic);
    return CallService(svcaoDraw, reinterpret_cast<long>(&r));
}

int ANIMOBJECT::DrawTo(HDC target, RECT* clip)
{
    RENDEROBJECT r{nullptr, target, clip ? *clip : RECT{0, 0, 0, 0}, m_rc};
    if (m_pGraphic && m_fUseGraphic)
        return RenderGraphic(&r, m_pGraphic);
    return CallService(svcaoDraw, reinterpret_cast<long>(&r));
}

// ---- user data ----------------------------------------------------------------------------

void* ANIMOBJECT::GetData(unsigned offset, unsigned size)
{
    // -4 addresses the constructor's value
    return dataarea::At(&m_pData, &m_cbData, offset + 4u, size, kModule, __LINE__);
}

int ANIMOBJECT::SetData(unsigned offset, const void* src, unsigned size)
{
    return dataarea::Put(GetData(offset, size), src, size);
}

long ANIMOBJECT::GetLong(unsigned offset)
{
    // The constructor's value is kept whole beside its head (it may carry a
    // pointer wider than the head's four bytes).
    if (offset == kHead)
        return m_lData;
    std::int32_t v = 0;
    if (void* p = GetData(offset, 4))
        std::memcpy(&v, p, 4);
    return v;
}

int ANIMOBJECT::SetLong(unsigned offset, long value)
{
    const std::int32_t v = static_cast<std::int32_t>(value);
    if (!SetData(offset, &v, 4))
        return 0;
    if (offset == kHead)
        m_lData = value;
    return 1;
}

// ---- collisions ---------------------------------------------------------------------------

int ANIMOBJECT::SetCollisionDetect(unsigned long flags)
{
    if (flags && !(flags & 2))
        flags |= 1;
    m_dwCollision = flags;
    return 1;
}

int ANIMOBJECT::CheckCollision(ANIMOBJECT* other, OBJECTCOLLISION* out)
{
    if (!other)
        return FALSE_SetLastError(ERROR_INVALID_PARAMETER);
    if ((m_dwCollision & 1) && m_wDepth != other->m_wDepth)
        return FALSE_SetLastError(errNoCollision);
    OBJECTCOLLISION local{};
    OBJECTCOLLISION* oc = out ? out : &local;
    // A last rectangle not yet set by a frame is absent.
    RECT* last1 = animrect::Empty(m_rcLast) ? nullptr : &m_rcLast;
    RECT* last2 = animrect::Empty(other->m_rcLast) ? nullptr : &other->m_rcLast;
    const int r = ZephaneCheckCollision(&m_rc, last1, m_fUseGraphic ? m_pGraphic : nullptr, &other->m_rc, last2,
                                        other->m_fUseGraphic ? other->m_pGraphic : nullptr, oc);
    oc->window = m_pWindow;
    oc->object = this;
    oc->other = other;
    return r;
}
