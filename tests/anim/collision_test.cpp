// Collision meshes, overlap of graphics and the swept test between moving
// objects, alone and run by the frame loop.
#include "animwin_support.h"

#include "anim/collision.h"

#include <memory>

using namespace animtest;

namespace {
constexpr COLORREF kKey = RGB(255, 0, 255);

// A 20 x 20 graphic keyed on magenta, solid only in the 10 x 10 square at
// (sx, sy).
std::unique_ptr<GRAPHIC> Quadrant(long sx, long sy)
{
    auto g = std::make_unique<GRAPHIC>(20, 20, 32, kKey);
    for (long y = 0; y < 20; ++y)
        for (long x = 0; x < 20; ++x) {
            const bool solid = x >= sx && x < sx + 10 && y >= sy && y < sy + 10;
            g->SetPixel(x, y, solid ? RGB(10, 200, 10) : kKey, 1);
        }
    return g;
}

std::vector<OBJECTCOLLISION> g_reports;
int CollisionRecorder(ANIMOBJECT*, svcAnimObject code, long lParam)
{
    if (code == svcaoCollision)
        g_reports.push_back(*reinterpret_cast<OBJECTCOLLISION*>(lParam));
    return 1;
}
} // namespace

TEST(CollisionMesh, CellsAreSolidWhereAnyPixelIsNotTransparent)
{
    auto g = Quadrant(0, 0);
    MESH* m = CreateMesh(g.get(), 8, 8);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->columns, 3u);
    EXPECT_EQ(m->rows, 3u);
    EXPECT_EQ(TestMesh(m, 0, 0), 1);
    EXPECT_EQ(TestMesh(m, 1, 1), 1); // pixels 8..9 are solid
    EXPECT_EQ(TestMesh(m, 2, 0), 0);
    EXPECT_EQ(TestMesh(m, 2, 2), 0);
    EXPECT_EQ(TestMesh(m, 3, 0), 0); // outside the grid
    EXPECT_EQ(TestMeshPixel(m, 9, 9), 1);
    EXPECT_EQ(TestMeshPixel(m, 17, 3), 0);
    EXPECT_EQ(TestMeshPixel(m, -1, 3), 0);
    FreeMesh(m);

    // Without a transparent colour every cell is solid; cell size 0 is 1.
    GRAPHIC plain(5, 3, 32, 0xFFFFFFFFul);
    m = CreateMesh(&plain, 0, 0);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->columns, 5u);
    EXPECT_EQ(TestMesh(m, 4, 2), 1);
    FreeMesh(m);
}

TEST(CollisionMesh, LevelsFollowTheKindsAndAreRebuiltAfterPixelsChange)
{
    auto g = Quadrant(0, 0);
    ASSERT_EQ(g->SetCollisionMesh(1 | 4, 0, 0), 1);
    EXPECT_EQ(g->GetCollisionMesh(), 5u);
    EXPECT_EQ(g->GetCollisionLevelCount(), 3u); // whole, 24 x 24, 1 x 1
    MESH* pixel = g->GetCollisionMeshData(4, 0, 0);
    ASSERT_NE(pixel, nullptr);
    EXPECT_EQ(TestMeshPixel(pixel, 15, 15), 0);
    EXPECT_EQ(g->GetCollisionMeshData(2, 0, 0), nullptr);
    EXPECT_EQ(ZephaneGetLastError(), errNotFound);
    ASSERT_EQ(g->SetCollisionMesh(0x8000 | 8, 5, 4), 1);
    EXPECT_EQ(g->GetCollisionMesh(), 13u);
    MESH* given = g->GetCollisionMeshData(8, 5, 4);
    ASSERT_NE(given, nullptr);
    EXPECT_EQ(given->columns, 4u);
    EXPECT_EQ(given->rows, 5u);

    g->SetPixel(15, 15, RGB(1, 1, 1), 1);
    pixel = g->GetCollisionMeshData(4, 0, 0);
    ASSERT_NE(pixel, nullptr);
    EXPECT_EQ(TestMeshPixel(pixel, 15, 15), 1);
}

TEST(CollisionMesh, TransparentCornersCollideOnlyWithoutPixelMeshes)
{
    auto a = Quadrant(0, 0);   // solid top-left
    auto b = Quadrant(10, 10); // solid bottom-right
    RECT ra{0, 0, 20, 20}, rb{5, 5, 25, 25};
    // The solid squares (0..10) and (15..25) never meet.
    a->SetCollisionMesh(0, 0, 0);
    b->SetCollisionMesh(0, 0, 0);
    EXPECT_EQ(GRAPHIC::GraphicsIntersect(a.get(), &ra, b.get(), &rb), 1);
    a->SetCollisionMesh(4, 0, 0);
    b->SetCollisionMesh(4, 0, 0);
    EXPECT_EQ(GRAPHIC::GraphicsIntersect(a.get(), &ra, b.get(), &rb), 0);
    a->SetCollisionMesh(1 | 2 | 4, 0, 0);
    EXPECT_EQ(GRAPHIC::GraphicsIntersect(a.get(), &ra, b.get(), &rb), 0);
    RECT touching{-5, -5, 15, 15}; // b's solid square now covers (5..15)
    EXPECT_EQ(GRAPHIC::GraphicsIntersect(a.get(), &ra, b.get(), &touching), 1);
    RECT apart{30, 30, 50, 50};
    EXPECT_EQ(GRAPHIC::GraphicsIntersect(nullptr, &ra, nullptr, &apart), 0);

    EXPECT_EQ(ZephaneCheckCollision(&ra, nullptr, a.get(), &rb, nullptr, b.get(), nullptr), 0);
    EXPECT_EQ(ZephaneGetLastError(), errNoCollision);
    EXPECT_EQ(ZephaneCheckCollision(&ra, nullptr, a.get(), nullptr, nullptr, b.get(), nullptr), 0);
    EXPECT_EQ(ZephaneGetLastError(), 87);
}

TEST(CollisionMesh, AFastObjectPassingThroughAnotherIsCaughtBetweenItsPlaces)
{
    RECT last1{0, 0, 10, 10}, now1{100, 0, 110, 10};
    RECT still{50, 0, 60, 10};
    OBJECTCOLLISION oc{};
    ASSERT_EQ(ZephaneCheckCollision(&now1, &last1, nullptr, &still, nullptr, nullptr, &oc), 1);
    EXPECT_GT(oc.rcObject.left, last1.left);
    EXPECT_LT(oc.rcObject.left, now1.left);
    EXPECT_GT(oc.rcObject.right, still.left);       // overlapping at contact
    EXPECT_LE(oc.rcObjectBefore.right, still.left); // not yet just before it
    EXPECT_EQ(oc.rcOther.left, still.left);
    EXPECT_EQ(oc.dxObject, 100);
    EXPECT_EQ(oc.dxOther, 0);

    // Passing beside it is no collision.
    RECT besideLast{0, 20, 10, 30}, besideNow{100, 20, 110, 30};
    EXPECT_EQ(ZephaneCheckCollision(&besideNow, &besideLast, nullptr, &still, nullptr, nullptr, &oc), 0);

    // Diagonal motion through transparent corners is stepped through the
    // meshes: the solid parts never meet.
    auto a = Quadrant(0, 0);
    auto b = Quadrant(10, 10);
    a->SetCollisionMesh(4, 0, 0);
    b->SetCollisionMesh(4, 0, 0);
    RECT from{-40, 40, -20, 60}, to{40, -40, 60, -20};
    RECT mid{0, 0, 20, 20};
    EXPECT_EQ(ZephaneCheckCollision(&to, &from, a.get(), &mid, nullptr, b.get(), &oc), 0);
}

TEST_F(AnimWindowTest, TheFrameLoopReportsCollisionsToTheObjectsThatAsk)
{
    g_reports.clear();
    ANIMOBJECT bullet(aw, 10, &CollisionRecorder, 0);
    ANIMOBJECT wall(aw, 10, &CollisionRecorder, 0);
    ANIMOBJECT farAway(aw, 20, &CollisionRecorder, 0);
    RECT b{0, 50, 4, 54}, w{60, 40, 64, 70}, f{60, 40, 64, 70};
    bullet.SetRect(&b);
    wall.SetRect(&w);
    farAway.SetRect(&f);
    bullet.SetCollisionDetect(1);
    aw->RenderFrame();
    EXPECT_TRUE(g_reports.empty());

    host.answer = [&](ANIMWINDOW*, svcAnimWindow code, unsigned, long) {
        if (code == svcawBeginFrame)
            bullet.SetPosition(120, 50); // through the wall within one frame
        return 1;
    };
    aw->RenderFrame();
    ASSERT_EQ(g_reports.size(), 1u); // the other depth is not tested, the wall is not told
    EXPECT_EQ(g_reports[0].object, &bullet);
    EXPECT_EQ(g_reports[0].other, &wall);
    EXPECT_EQ(g_reports[0].window, aw);
    EXPECT_EQ(g_reports[0].dxObject, 120);

    // Testing all depths finds both.
    g_reports.clear();
    bullet.SetCollisionDetect(2);
    host.answer = [&](ANIMWINDOW*, svcAnimWindow code, unsigned, long) {
        if (code == svcawBeginFrame)
            bullet.SetPosition(0, 50);
        return 1;
    };
    aw->RenderFrame();
    EXPECT_EQ(g_reports.size(), 2u);

    // CheckCollision with the same-depth bit refuses other depths.
    bullet.SetCollisionDetect(1);
    EXPECT_EQ(bullet.CheckCollision(&farAway, nullptr), 0);
    EXPECT_EQ(ZephaneGetLastError(), errNoCollision);
}
