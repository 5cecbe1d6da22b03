// Collision meshes of graphics and the collision test between two moving
// objects.
#include "anim/collision.h"

#include "anim/animwin.h"
#include "anim/graphic.h"
#include "anim/lasterror.h"
#include "anim/memmgr.h"
#include "platform/base/syserror.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {
constexpr const char* kModule = "collision.cpp";

void SetBit(MESH* m, unsigned column, unsigned row)
{
    const unsigned bit = row * m->columns + column;
    m->cells[bit >> 5] |= 1u << (bit & 31);
}

// The rectangle of cell (column, row) of a mesh placed at (x, y), ending at
// the graphic's edge.
RECT CellRect(const MESH* m, long x, long y, unsigned column, unsigned row)
{
    const long left = x + static_cast<long>(column * m->cellWidth);
    const long top = y + static_cast<long>(row * m->cellHeight);
    return RECT{static_cast<LONG>(left), static_cast<LONG>(top),
                static_cast<LONG>(std::min<long>(left + m->cellWidth, x + static_cast<long>(m->width))),
                static_cast<LONG>(std::min<long>(top + m->cellHeight, y + static_cast<long>(m->height)))};
}

// The columns (or rows) of cells of size cell, starting at origin, that
// reach into [from, to).
void CellSpan(long origin, unsigned cell, unsigned count, long from, long to, unsigned* first, unsigned* end)
{
    const long a = std::max<long>(from - origin, 0);
    const long b = to - origin;
    if (b <= 0 || count == 0) {
        *first = *end = 0;
        return;
    }
    *first = static_cast<unsigned>(a / cell);
    *end = std::min<unsigned>(count, static_cast<unsigned>((b + cell - 1) / cell));
}

// Walks the solid cells of a mesh placed at (x, y) inside area; fn returns
// true to stop the walk, and the walk's result is then true.
template <typename Fn> bool ForSolidCells(const MESH* m, long x, long y, const RECT& area, Fn fn)
{
    unsigned c0, c1, r0, r1;
    CellSpan(x, m->cellWidth, m->columns, area.left, area.right, &c0, &c1);
    CellSpan(y, m->cellHeight, m->rows, area.top, area.bottom, &r0, &r1);
    for (unsigned r = r0; r < r1; ++r)
        for (unsigned c = c0; c < c1; ++c) {
            if (!TestMesh(const_cast<MESH*>(m), c, r))
                continue;
            RECT cell = CellRect(m, x, y, c, r);
            if (animrect::Intersect(&cell, cell, area) && fn(cell))
                return true;
        }
    return false;
}

// Coarse-to-fine overlap test of two graphics' levels inside area.
int LevelsIntersect(GRAPHIC* g1, long x1, long y1, unsigned i1, GRAPHIC* g2, long x2, long y2, unsigned i2,
                    const RECT& area)
{
    const unsigned n1 = g1->GetCollisionLevelCount(), n2 = g2->GetCollisionLevelCount();
    const MESH* m1 = g1->GetCollisionLevel(std::min(i1, n1 - 1))->mesh;
    const MESH* m2 = g2->GetCollisionLevel(std::min(i2, n2 - 1))->mesh;
    if (!m1 || !m2)
        return 1;
    const bool finer1 = i1 + 1 < n1, finer2 = i2 + 1 < n2;
    return ForSolidCells(m1, x1, y1, area,
                         [&](const RECT& cell1) {
                             return ForSolidCells(m2, x2, y2, cell1, [&](const RECT& overlap) {
                                 if (!finer1 && !finer2)
                                     return true;
                                 return LevelsIntersect(g1, x1, y1, finer1 ? i1 + 1 : i1, g2, x2, y2,
                                                        finer2 ? i2 + 1 : i2, overlap) == 1;
                             });
                         })
               ? 1
               : 0;
}

RECT Moved(const RECT& r, long dx, long dy)
{
    RECT m = r;
    ZephaneMoveRect(&m, dx, dy);
    return m;
}

// The open interval of times during which two spans, one moving with
// velocity v relative to the other, overlap; false when they never do.
bool OverlapTimes(long a0, long a1, long b0, long b1, double v, double* enter, double* exit)
{
    if (v == 0) {
        if (a0 < b1 && b0 < a1) {
            *enter = -HUGE_VAL;
            *exit = HUGE_VAL;
            return true;
        }
        return false;
    }
    const double t1 = static_cast<double>(b0 - a1) / v;
    const double t2 = static_cast<double>(b1 - a0) / v;
    *enter = std::min(t1, t2);
    *exit = std::max(t1, t2);
    return true;
}
} // namespace

// ---- meshes ----------------------------------------------------------------------------

MESH* CreateMesh(GRAPHIC* graphic, unsigned cellWidth, unsigned cellHeight)
{
    if (!graphic || graphic->fEmpty()) {
        ZephaneSetLastError(graphic ? static_cast<int>(errEmptyGraphic) : static_cast<int>(ERROR_INVALID_PARAMETER));
        return nullptr;
    }
    cellWidth = std::max(cellWidth, 1u);
    cellHeight = std::max(cellHeight, 1u);
    const unsigned width = static_cast<unsigned>(graphic->GetWidth());
    const unsigned height = static_cast<unsigned>(graphic->GetHeight());
    auto* m = new (std::nothrow) MESH{
        cellWidth, cellHeight, (width + cellWidth - 1) / cellWidth, (height + cellHeight - 1) / cellHeight, nullptr,
        width,     height};
    if (!m) {
        ZephaneSetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    const std::size_t words = (static_cast<std::size_t>(m->columns) * m->rows + 31) / 32;
    m->cells = static_cast<std::uint32_t*>(std::calloc(std::max<std::size_t>(words, 1), sizeof(std::uint32_t)));
    if (!m->cells) {
        delete m;
        ZephaneSetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    const int error = ZephaneGetLastError();
    const bool keyed = graphic->fTransparent() != 0;
    for (unsigned r = 0; r < m->rows; ++r)
        for (unsigned c = 0; c < m->columns; ++c) {
            if (!keyed) {
                SetBit(m, c, r);
                continue;
            }
            const RECT cell = CellRect(m, 0, 0, c, r);
            // The edges first (outlines decide most cells), then the inside.
            bool solid = false;
            for (long x = cell.left; x < cell.right && !solid; ++x)
                solid = graphic->HitTest(x, cell.top) || graphic->HitTest(x, cell.bottom - 1);
            for (long y = cell.top; y < cell.bottom && !solid; ++y)
                solid = graphic->HitTest(cell.left, y) || graphic->HitTest(cell.right - 1, y);
            for (long y = cell.top + 1; y < cell.bottom - 1 && !solid; ++y)
                for (long x = cell.left + 1; x < cell.right - 1 && !solid; ++x)
                    solid = graphic->HitTest(x, y) != 0;
            if (solid)
                SetBit(m, c, r);
        }
    ZephaneSetLastError(error);
    return m;
}

void FreeMesh(MESH* mesh)
{
    if (!mesh)
        return;
    std::free(mesh->cells);
    delete mesh;
}

int TestMesh(MESH* mesh, unsigned column, unsigned row)
{
    if (!mesh || column >= mesh->columns || row >= mesh->rows)
        return 0;
    const unsigned bit = row * mesh->columns + column;
    return (mesh->cells[bit >> 5] >> (bit & 31)) & 1;
}

int TestMeshPixel(MESH* mesh, long x, long y)
{
    if (!mesh || x < 0 || y < 0)
        return 0;
    return TestMesh(mesh, static_cast<unsigned>(x / mesh->cellWidth), static_cast<unsigned>(y / mesh->cellHeight));
}

int MeshesCollide(MESH* m1, long x1, long y1, MESH* m2, long x2, long y2, RECT* area)
{
    if (!m1 || !m2 || !area)
        return 0;
    return ForSolidCells(
               m1, x1, y1, *area,
               [&](const RECT& cell) { return ForSolidCells(m2, x2, y2, cell, [](const RECT&) { return true; }); })
               ? 1
               : 0;
}

// ---- graphics' mesh levels ---------------------------------------------------------------

MESHLEVEL* GRAPHIC::GetCollisionLevel(unsigned i)
{
    return i < nMeshLevels ? &aMeshLevels[i] : nullptr;
}

void GRAPHIC::DiscardCollisionMeshes()
{
    for (unsigned i = 0; i < nMeshLevels; ++i) {
        FreeMesh(aMeshLevels[i].mesh);
        aMeshLevels[i].mesh = nullptr;
    }
}

void GRAPHIC::FreeCollisionLevels()
{
    DiscardCollisionMeshes();
    if (aMeshLevels)
        MemMgr_FreeMemory(aMeshLevels, kModule, __LINE__);
    aMeshLevels = nullptr;
    nMeshLevels = 0;
    nMeshCapacity = 0;
    dwMeshKinds = 0;
}

int GRAPHIC::SetCollisionMesh(unsigned long flags, unsigned long cellWidth, unsigned long cellHeight)
{
    if (!(flags & cmAdd)) {
        DiscardCollisionMeshes();
        nMeshLevels = 0;
        dwMeshKinds = 0;
    }
    auto add = [&](unsigned long w, unsigned long h) {
        if (!GrowTable(&aMeshLevels, &nMeshCapacity, nMeshLevels + 1, 4, kModule, __LINE__))
            return false;
        aMeshLevels[nMeshLevels++] = MESHLEVEL{w, h, nullptr};
        return true;
    };
    // Zero stands for the graphic's size, known when the mesh is built.
    bool ok = add(0, 0);
    if (ok && (flags & cmCoarse))
        ok = add(24, 24);
    if (ok && (flags & cmFine))
        ok = add(8, 8);
    if (ok && (flags & cmGiven))
        ok = add(cellWidth, cellHeight);
    if (ok && (flags & cmPixel))
        ok = add(1, 1);
    if (!ok)
        return FALSE_SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    dwMeshKinds |= flags & (cmCoarse | cmFine | cmPixel | cmGiven);
    return 1;
}

int GRAPHIC::BuildCollisionMeshes()
{
    for (unsigned i = 0; i < nMeshLevels; ++i) {
        MESHLEVEL& l = aMeshLevels[i];
        if (l.mesh)
            continue;
        const unsigned w = l.cellWidth ? static_cast<unsigned>(l.cellWidth) : static_cast<unsigned>(GetWidth());
        const unsigned h = l.cellHeight ? static_cast<unsigned>(l.cellHeight) : static_cast<unsigned>(GetHeight());
        l.mesh = CreateMesh(this, w, h);
        if (!l.mesh)
            return 0;
    }
    return 1;
}

MESH* GRAPHIC::GetCollisionMeshData(unsigned long flags, unsigned long cellWidth, unsigned long cellHeight)
{
    BuildCollisionMeshes();
    unsigned long w, h;
    if (flags & cmPixel)
        w = h = 1;
    else if (flags & cmCoarse)
        w = h = 24;
    else if (flags & cmFine)
        w = h = 8;
    else if (flags & cmGiven)
        w = cellWidth, h = cellHeight;
    else {
        ZephaneSetLastError(errNotFound);
        return nullptr;
    }
    for (unsigned i = 0; i < nMeshLevels; ++i)
        if (aMeshLevels[i].cellWidth == w && aMeshLevels[i].cellHeight == h && aMeshLevels[i].mesh)
            return aMeshLevels[i].mesh;
    ZephaneSetLastError(errNotFound);
    return nullptr;
}

int GRAPHIC::GraphicsIntersect(GRAPHIC* g1, RECT* r1, GRAPHIC* g2, RECT* r2)
{
    if (!r1 || !r2)
        return FALSE_SetLastError(ERROR_INVALID_PARAMETER);
    RECT area;
    if (!animrect::Intersect(&area, *r1, *r2))
        return 0;
    if (!g1 || !g2)
        return 1;
    g1->BuildCollisionMeshes();
    g2->BuildCollisionMeshes();
    if (!g1->nMeshLevels || !g2->nMeshLevels)
        return 1;
    return LevelsIntersect(g1, r1->left, r1->top, 0, g2, r2->left, r2->top, 0, area);
}

// ---- the full test ---------------------------------------------------------------------------

void ZephaneMoveRect(RECT* rc, long dx, long dy)
{
    if (!rc)
        return;
    rc->left += dx;
    rc->right += dx;
    rc->top += dy;
    rc->bottom += dy;
}

int ZephaneCheckCollision(RECT* r1, RECT* last1, GRAPHIC* g1, RECT* r2, RECT* last2, GRAPHIC* g2, OBJECTCOLLISION* out)
{
    if (!r1 || !r2)
        return FALSE_SetLastError(ERROR_INVALID_PARAMETER);
    const RECT l1 = last1 ? *last1 : *r1;
    const RECT l2 = last2 ? *last2 : *r2;
    const long dx1 = r1->left - l1.left, dy1 = r1->top - l1.top;
    const long dx2 = r2->left - l2.left, dy2 = r2->top - l2.top;
    // The motion of the object relative to the other.
    const long vx = dx1 - dx2, vy = dy1 - dy2;
    auto report = [&](const RECT& c1, const RECT& c2, const RECT& b1, const RECT& b2) {
        if (out) {
            out->rcObject = c1;
            out->rcOther = c2;
            out->rcObjectBefore = b1;
            out->rcOtherBefore = b2;
            out->dxObject = dx1;
            out->dyObject = dy1;
            out->dxOther = dx2;
            out->dyOther = dy2;
        }
        return 1;
    };
    if (vx == 0 && vy == 0) {
        if (!GRAPHIC::GraphicsIntersect(g1, r1, g2, r2))
            return FALSE_SetLastError(errNoCollision);
        return report(*r1, *r2, *r1, *r2);
    }

    // Swept test: both rectangles move linearly from their last to their
    // current places during the frame.
    double ex, xx, ey, xy;
    double t = -1;
    if (OverlapTimes(l1.left, l1.right, l2.left, l2.right, static_cast<double>(vx), &ex, &xx) &&
        OverlapTimes(l1.top, l1.bottom, l2.top, l2.bottom, static_cast<double>(vy), &ey, &xy)) {
        const double enter = std::max(ex, ey), exit = std::min(xx, xy);
        if (enter < exit && enter <= 1.0 && exit > 0.0)
            t = std::max(enter, 0.0);
    }
    if (t < 0) {
        if (!animrect::Intersect(nullptr, l1, l2))
            return FALSE_SetLastError(errNoCollision);
        t = 0;
    }
    RECT c1 = Moved(l1, static_cast<long>(dx1 * t), static_cast<long>(dy1 * t));
    RECT c2 = Moved(l2, static_cast<long>(dx2 * t), static_cast<long>(dy2 * t));

    // Mesh stepping: from the contact places the pair is brought together
    // along the relative motion, one pixel at a time along the larger axis
    // and by the proportional fraction along the smaller, for as far as the
    // objects still go this frame.
    const long major = std::max(std::labs(vx), std::labs(vy));
    const long steps = static_cast<long>(std::ceil((1.0 - t) * static_cast<double>(major)));
    const double fx = static_cast<double>(vx) / static_cast<double>(major);
    const double fy = static_cast<double>(vy) / static_cast<double>(major);
    // The offsets go onto the object that moves more; the other stays at
    // its contact place.
    const bool moveObject = std::max(std::labs(dx1), std::labs(dy1)) >= std::max(std::labs(dx2), std::labs(dy2));
    auto place = [&](long k, RECT* a, RECT* b) {
        const long ox = static_cast<long>(std::trunc(fx * static_cast<double>(k)));
        const long oy = static_cast<long>(std::trunc(fy * static_cast<double>(k)));
        *a = c1;
        *b = c2;
        if (moveObject)
            ZephaneMoveRect(a, ox, oy);
        else
            ZephaneMoveRect(b, -ox, -oy);
    };
    for (long k = 0; k <= steps; ++k) {
        RECT a, b;
        place(k, &a, &b);
        if (GRAPHIC::GraphicsIntersect(g1, &a, g2, &b)) {
            RECT pa, pb;
            place(k - 1, &pa, &pb);
            return report(a, b, pa, pb);
        }
    }
    return FALSE_SetLastError(errNoCollision);
}
