// ANIMWINDOW drawing: the objects' chains by depth, the two dirty regions,
// and the composition and presentation of a frame in the blitting and the
// flipping path.
//
// The compose graphic holds the background with the fixed objects; the
// background region says which parts of it must be rebuilt. With blitting,
// the window-image graphic holds the finished picture and the screen region
// says which parts of it must be rebuilt and shown; with flipping the whole
// back buffer is rebuilt every frame.
#include "anim/animobj.h"
#include "anim/animwin.h"
#include "anim/collision.h"
#include "anim/display.h"
#include "anim/framelog.h"
#include "anim/graphic.h"
#include "anim/lasterror.h"
#include "anim/memmgr.h"
#include "platform/base/syserror.h"
#include "platform/ddraw/ddraw.h"

#include <algorithm>

namespace {
constexpr const char* kModule = "animwindraw.cpp";
constexpr int kToEdge = static_cast<int>(0x80000000u);
} // namespace

// ---- chains ------------------------------------------------------------------------

int ANIMWINDOW::FindIndexByDepth(unsigned short depth)
{
    for (unsigned i = 0; i < m_nDepths; ++i)
        if (m_awDepths[i] == depth)
            return static_cast<int>(i);
    ZephaneSetLastError(errNotFound);
    return -1;
}

int ANIMWINDOW::AddToOChain(ANIMOBJECT* object)
{
    int i = FindIndexByDepth(object->m_wDepth);
    if (i < 0) {
        if (m_nDepths == 0 || m_apoHeads[m_nDepths - 1]) {
            if (!GrowTable(&m_awDepths, &m_nDepthCapacity, m_nDepths + 1, 16, kModule, __LINE__) ||
                !GrowTable(&m_apoHeads, &m_nHeadCapacity, m_nDepths + 1, 16, kModule, __LINE__))
                return FALSE_SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            m_awDepths[m_nDepths] = 0;
            m_apoHeads[m_nDepths] = nullptr;
            ++m_nDepths;
        }
        unsigned firstEmpty = 0;
        while (m_apoHeads[firstEmpty])
            ++firstEmpty;
        unsigned pos = firstEmpty;
        for (unsigned j = 0; j < firstEmpty; ++j)
            if (m_awDepths[j] < object->m_wDepth) {
                pos = j;
                break;
            }
        for (unsigned j = firstEmpty; j > pos; --j) {
            m_awDepths[j] = m_awDepths[j - 1];
            m_apoHeads[j] = m_apoHeads[j - 1];
        }
        m_awDepths[pos] = object->m_wDepth;
        m_apoHeads[pos] = nullptr;
        i = static_cast<int>(pos);
    }
    object->m_pNext = m_apoHeads[i];
    m_apoHeads[i] = object;
    object->Touch();
    return 1;
}

int ANIMWINDOW::RemoveFromOChain(ANIMOBJECT* object)
{
    object->Touch();
    int i = -1;
    for (unsigned j = 0; j < m_nDepths && i < 0; ++j)
        if (m_apoHeads[j] && m_awDepths[j] == object->m_wDepth)
            i = static_cast<int>(j);
    if (i < 0)
        return FALSE_SetLastError(errNotFound);
    ANIMOBJECT** link = &m_apoHeads[i];
    while (*link && *link != object)
        link = &(*link)->m_pNext;
    if (!*link)
        return FALSE_SetLastError(errNotFound);
    *link = object->m_pNext;
    object->m_pNext = nullptr;
    if (!m_apoHeads[i]) {
        for (unsigned j = static_cast<unsigned>(i); j + 1 < m_nDepths; ++j) {
            m_awDepths[j] = m_awDepths[j + 1];
            m_apoHeads[j] = m_apoHeads[j + 1];
        }
        m_awDepths[m_nDepths - 1] = 0;
        m_apoHeads[m_nDepths - 1] = nullptr;
    }
    return 1;
}

ANIMOBJECT* ANIMWINDOW::FirstObjectAfterDepth(unsigned short depth)
{
    for (unsigned i = 0; i < m_nDepths; ++i)
        if (m_apoHeads[i] && m_awDepths[i] < depth)
            return m_apoHeads[i];
    return nullptr;
}

unsigned short ANIMWINDOW::FindDepth(unsigned short depth)
{
    int i = static_cast<int>(m_nDepths);
    if (depth != 0xFFFF) {
        i = FindIndexByDepth(depth);
        if (i < 0) {
            ZephaneSetLastError(ERROR_INVALID_PARAMETER);
            return 0xFFFF;
        }
    }
    for (int j = i - 1; j >= 0; --j)
        if (m_apoHeads[j])
            return m_awDepths[j];
    ZephaneSetLastError(errNotFound);
    return 0xFFFF;
}

unsigned short ANIMWINDOW::FindDepthInReverse(unsigned short depth)
{
    int i = -1;
    if (depth != 0xFFFF) {
        i = FindIndexByDepth(depth);
        if (i < 0) {
            ZephaneSetLastError(ERROR_INVALID_PARAMETER);
            return 0xFFFF;
        }
    }
    if (static_cast<unsigned>(i + 1) >= m_nDepths) {
        ZephaneSetLastError(errNotFound);
        return 0xFFFF;
    }
    return m_awDepths[i + 1];
}

ANIMOBJECT* ANIMWINDOW::FindObject(ANIMOBJECT* object)
{
    if (!object) {
        for (unsigned i = 0; i < m_nDepths; ++i)
            if (m_apoHeads[i])
                return m_apoHeads[i];
        ZephaneSetLastError(errNotFound);
        return nullptr;
    }
    if (FindIndexByDepth(object->m_wDepth) < 0) {
        ZephaneSetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    ANIMOBJECT* next = object->m_pNext ? object->m_pNext : FirstObjectAfterDepth(object->m_wDepth);
    if (!next)
        ZephaneSetLastError(errNotFound);
    return next;
}

ANIMOBJECT* ANIMWINDOW::FindObjectByDepth(unsigned short depth, ANIMOBJECT* object)
{
    const int i = FindIndexByDepth(depth);
    if (i < 0) {
        ZephaneSetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    ANIMOBJECT* found = object && object->m_wDepth == depth ? object->m_pNext : m_apoHeads[i];
    if (!found)
        ZephaneSetLastError(errNotFound);
    return found;
}

// ---- dirty regions ------------------------------------------------------------------------

int ANIMWINDOW::Touch(RECT* rc, int fFixed)
{
    return TouchRegions(rc, fFixed, 1);
}

int ANIMWINDOW::TouchRegions(RECT* rc, int fFixed, int fShown)
{
    if (!m_hwnd)
        return FALSE_SetLastError(errNoWindow);
    RECT r = rc && !animrect::Empty(*rc) ? *rc : m_rcClient;
    if (!animrect::Intersect(&r, r, m_rcClient))
        return 1;
    if (Display && Display->GetAnimMethod() == amBlit)
        AddToDirtyRegion(&m_drScreen, &r);
    if (fFixed)
        AddToDirtyRegion(&m_drBackground, &r);
    if (fShown)
        AddToDirtyRegion(&m_drPresent, &r);
    return 1;
}

void ANIMWINDOW::Touch3dObject()
{
    if (!m_po3d)
        return;
    RECT r{};
    m_po3d->GetRect(&r);
    TouchRegions(&r, m_po3d->GetFixState(), 0);
}

int ANIMWINDOW::AddToDirtyRegion(DIRTYREGION* region, RECT* rc)
{
    if (region == &m_drScreen && Display && Display->GetAnimMethod() != amBlit)
        return 1;
    if (!rc || animrect::Empty(*rc))
        return 1;
    RECT u = *rc;
    unsigned slot = region->count;
    for (unsigned k = 0; k < region->count; ++k)
        if (animrect::Intersect(nullptr, region->rects[k], u)) {
            slot = k;
            break;
        }
    if (slot == region->count) {
        if (!GrowTable(&region->rects, &region->capacity, region->count + 1, 128, kModule, __LINE__))
            return FALSE_SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        region->rects[region->count++] = u;
        return 1;
    }
    // The union grows until it meets no other rectangle; each rectangle it
    // takes in gives its slot to the last one.
    u = animrect::Union(region->rects[slot], u);
    region->rects[slot] = u;
    for (unsigned k = 0; k < region->count;) {
        if (k == slot || !animrect::Intersect(nullptr, region->rects[k], u)) {
            ++k;
            continue;
        }
        u = animrect::Union(u, region->rects[k]);
        region->rects[slot] = u;
        const unsigned last = region->count - 1;
        region->rects[k] = region->rects[last];
        if (slot == last)
            slot = k;
        --region->count;
        k = 0;
    }
    return 1;
}

int ANIMWINDOW::ExpandDirtyRegions(DIRTYREGION* region, int fFixed)
{
    // Flipping redraws the whole back buffer, so no screen region is kept
    // then; what it still holds from a blitting mode before a mode change
    // is dropped here. (Growing it would add nothing, and the loop below
    // would wait for a rectangle that never comes.)
    if (region == &m_drScreen && Display && Display->GetAnimMethod() != amBlit) {
        EmptyDirtyRegion(region);
        return 1;
    }
    bool again = region->count > 0;
    while (again) {
        again = false;
        for (unsigned i = 0; i < m_nDepths && !again; ++i)
            for (ANIMOBJECT* o = m_apoHeads[i]; o && !again; o = o->m_pNext) {
                if ((o->m_fFixed != 0) != (fFixed != 0))
                    continue;
                RECT r = o->m_rc;
                r.left = std::max<LONG>(r.left, 0);
                r.top = std::max<LONG>(r.top, 0);
                if (animrect::Empty(r))
                    continue;
                for (unsigned k = 0; k < region->count; ++k)
                    if (animrect::Intersect(nullptr, region->rects[k], r) && !animrect::Contains(region->rects[k], r)) {
                        if (!AddToDirtyRegion(region, &r))
                            return 0;
                        again = true;
                        break;
                    }
            }
    }
    return 1;
}

void ANIMWINDOW::FreeDirtyRegion(DIRTYREGION* region)
{
    if (region->rects)
        MemMgr_FreeMemory(region->rects, kModule, __LINE__);
    *region = DIRTYREGION{0, 0, nullptr};
}

// ---- drawing --------------------------------------------------------------------------------

template <class Draw> void ANIMWINDOW::ForEachObjectIn(DIRTYREGION* region, int fFixed, Draw draw)
{
    for (unsigned i = 0; i < m_nDepths; ++i)
        for (ANIMOBJECT* o = m_apoHeads[i]; o; o = o->m_pNext) {
            if ((o->m_fFixed != 0) != (fFixed != 0))
                continue;
            RECT clip;
            RECT* use = nullptr;
            if (region) {
                unsigned k = 0;
                while (k < region->count && !animrect::Intersect(&clip, region->rects[k], o->m_rc))
                    ++k;
                if (k == region->count)
                    continue;
                use = &clip;
            }
            draw(o, use);
        }
}

int ANIMWINDOW::DrawObjectsTo(IDirectDrawSurface* target, DIRTYREGION* region, int fFixed)
{
    ForEachObjectIn(region, fFixed, [&](ANIMOBJECT* o, RECT* clip) {
        if (o == m_po3d) {
            framelog::Timer t;
            o->DrawTo(target, clip);
            m_dMs3d += t.Lap();
        } else {
            o->DrawTo(target, clip);
        }
    });
    return 1;
}

int ANIMWINDOW::DrawObjectsTo(HDC target, DIRTYREGION* region, int fFixed)
{
    ForEachObjectIn(region, fFixed, [&](ANIMOBJECT* o, RECT* clip) { o->DrawTo(target, clip); });
    return 1;
}

int ANIMWINDOW::fIsObscured()
{
    const HWND main = Display ? Display->GetMainWindow() : nullptr;
    if (!main || !IsWindow(main))
        return 0;
    RECT m{};
    GetWindowRect(main, &m);
    for (HWND h = ::GetWindow(main, GW_HWNDPREV); h; h = ::GetWindow(h, GW_HWNDPREV)) {
        if (!IsWindowVisible(h))
            continue;
        RECT r{};
        GetWindowRect(h, &r);
        if (animrect::Intersect(nullptr, r, m))
            return 1;
    }
    return 0;
}

void ANIMWINDOW::ReleaseClipper()
{
    if (m_pClipper)
        m_pClipper->Release();
    m_pClipper = nullptr;
}

int ANIMWINDOW::EnsureClipper(HWND bindTo)
{
    if (m_pClipper)
        return 1;
    IDirectDraw* dd = Display ? Display->GetDirectDraw() : nullptr;
    IDirectDrawClipper* clipper = nullptr;
    if (!dd || DirectDrawCreateClipper(0, &clipper, nullptr) != DD_OK || !clipper)
        return 0;
    if (clipper->Initialize(dd, 0) != DD_OK || clipper->SetHWnd(0, bindTo) != DD_OK) {
        clipper->Release();
        return 0;
    }
    m_pClipper = clipper;
    return 1;
}

// ---- composing and presenting a frame --------------------------------------------------------

void ANIMWINDOW::ComposeAndPresent(int fVisible, int fFlipping, int fObscured, double* msCompose, double* msPresent)
{
    framelog::Timer timer;
    *msCompose = 0;
    *msPresent = 0;
    if (!m_pgrBackground || !m_pgrCompose || (!fFlipping && !m_pgrWindowImage))
        return;
    // What was drawn into the bitmaps while the window could not be seen is
    // not in the surfaces: the first visible frame rebuilds all.
    if (fVisible && !m_fWasVisible)
        Touch(nullptr, 1);
    m_fWasVisible = fVisible;

    // The scene changes every frame; the touch its drawing leaves behind
    // goes with the emptied screen region, so it is made here.
    Touch3dObject();
    ExpandDirtyRegions(&m_drBackground, 1);
    ExpandDirtyRegions(&m_drScreen, 0);

    if (m_drBackground.count) {
        if (!m_fIs3dEnabled) {
            for (unsigned k = 0; k < m_drBackground.count; ++k) {
                const RECT& r = m_drBackground.rects[k];
                const int w = r.right - r.left, h = r.bottom - r.top;
                if (fVisible)
                    m_pgrBackground->DrawTo(m_pgrCompose, r.left, r.top, w, h, r.left, r.top);
                else
                    m_pgrBackground->DrawToDIB(m_pgrCompose, r.left, r.top, w, h, r.left, r.top);
            }
            if (fVisible) {
                if (IDirectDrawSurface* s = m_pgrCompose->GetSurface())
                    DrawObjectsTo(s, &m_drBackground, 1);
            } else if (HDC dc = m_pgrCompose->GetDIBDC()) {
                DrawObjectsTo(dc, &m_drBackground, 1);
                m_pgrCompose->ReleaseDC(dc, 1);
            }
        }
        for (unsigned k = 0; k < m_drBackground.count; ++k) {
            if (!fFlipping)
                AddToDirtyRegion(&m_drScreen, &m_drBackground.rects[k]);
            AddToDirtyRegion(&m_drPresent, &m_drBackground.rects[k]);
        }
        EmptyDirtyRegion(&m_drBackground);
    }

    if (fFlipping) {
        if (!fVisible)
            return;
        IDirectDrawSurface* back = Display->GetSurface(0);
        if (!back)
            return;
        if (!m_fIs3dEnabled)
            m_pgrCompose->DrawTo(back, 0, 0, kToEdge, kToEdge, 0, 0);
        DrawObjectsTo(back, nullptr, 0);
        *msCompose = timer.Lap();
        WaitToPresent();
        timer.Lap();
        // The whole back buffer is drawn anew, but only what changed since
        // the last frame needs to reach the screen.
        back->SetChangedRects(m_drPresent.rects, m_drPresent.count);
        EmptyDirtyRegion(&m_drPresent);
        IDirectDrawSurface* primary = Display->GetSurface(1);
        if ((fObscured || Display->GetMenuCount() > 0) && primary && EnsureClipper(Display->GetMainWindow())) {
            primary->SetClipper(m_pClipper);
            back->SetClipper(nullptr);
            primary->Blt(nullptr, back, nullptr, DDBLT_WAIT, nullptr);
        } else {
            Display->Flip();
        }
        *msPresent = timer.Lap();
        return;
    }

    const int fScreenDirty = m_drScreen.count > 0;
    if (fScreenDirty) {
        // Background rectangles joined the screen region after it was
        // expanded; objects must still be redrawn whole.
        ExpandDirtyRegions(&m_drScreen, 0);
        for (unsigned k = 0; k < m_drScreen.count && !m_fIs3dEnabled; ++k) {
            const RECT& r = m_drScreen.rects[k];
            const int w = r.right - r.left, h = r.bottom - r.top;
            if (fVisible)
                m_pgrCompose->DrawTo(m_pgrWindowImage, r.left, r.top, w, h, r.left, r.top);
            else
                m_pgrCompose->DrawDIBTo(m_pgrWindowImage, r.left, r.top, w, h, r.left, r.top);
        }
        if (fVisible) {
            if (IDirectDrawSurface* s = m_pgrWindowImage->GetSurface())
                DrawObjectsTo(s, &m_drScreen, 0);
        } else if (HDC dc = m_pgrWindowImage->GetDIBDC()) {
            DrawObjectsTo(dc, &m_drScreen, 0);
            m_pgrWindowImage->ReleaseDC(dc, 1);
        }
    }
    *msCompose = timer.Lap();
    if (fVisible && (fScreenDirty || (m_fBlitPending && !fObscured))) {
        WaitToPresent();
        timer.Lap();
        IDirectDrawSurface* primary = Display->GetSurface(1);
        IDirectDrawSurface* image = m_pgrWindowImage->GetSurface();
        if (primary && image) {
            if (EnsureClipper(m_hwnd))
                primary->SetClipper(m_pClipper);
            POINT origin{0, 0};
            ::ClientToScreen(m_hwnd, &origin);
            RECT dest{origin.x, origin.y, origin.x + m_rcClient.right, origin.y + m_rcClient.bottom};
            image->SetChangedRects(m_drPresent.rects, m_drPresent.count);
            EmptyDirtyRegion(&m_drPresent);
            primary->Blt(&dest, image, &m_rcClient, DDBLT_WAIT, nullptr);
        }
        m_fBlitPending = fObscured && fScreenDirty;
    }
    *msPresent = timer.Lap();
}

// ---- collisions ------------------------------------------------------------------------------

void ANIMWINDOW::DetectCollisions()
{
    OBJECTCOLLISION oc{};
    for (unsigned i = 0; i < m_nDepths; ++i)
        for (ANIMOBJECT* o = m_apoHeads[i]; o; o = o->m_pNext) {
            const unsigned long flags = o->m_dwCollision;
            if (!(flags & 3))
                continue;
            const bool sameDepth = (flags & 1) != 0;
            for (unsigned j = 0; j < m_nDepths; ++j) {
                if (sameDepth && j != i)
                    continue;
                for (ANIMOBJECT* p = m_apoHeads[j]; p; p = p->m_pNext) {
                    if (p == o)
                        continue;
                    RECT* last1 = animrect::Empty(o->m_rcLast) ? nullptr : &o->m_rcLast;
                    RECT* last2 = animrect::Empty(p->m_rcLast) ? nullptr : &p->m_rcLast;
                    oc = OBJECTCOLLISION{};
                    if (ZephaneCheckCollision(&o->m_rc, last1, o->m_pGraphic, &p->m_rc, last2, p->m_pGraphic, &oc) ==
                        1) {
                        oc.window = this;
                        oc.object = o;
                        oc.other = p;
                        o->CallService(svcaoCollision, reinterpret_cast<long>(&oc));
                    }
                }
            }
        }
}
