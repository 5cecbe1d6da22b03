// Dirty regions, depth chains and the composed picture in the blitting and
// the flipping path.
#include "animwin_support.h"

#include <memory>

using namespace animtest;

namespace {
// Records the draws of callback objects: which object, with which clip.
struct DrawLog {
    std::vector<std::pair<ANIMOBJECT*, RECT>> draws;
    int CountFor(ANIMOBJECT* o) const
    {
        int n = 0;
        for (auto& d : draws)
            n += d.first == o;
        return n;
    }
};
DrawLog* g_draws = nullptr;

int RecordingObject(ANIMOBJECT* o, svcAnimObject code, long lParam)
{
    if (code == svcaoDraw && g_draws)
        g_draws->draws.emplace_back(o, reinterpret_cast<RENDEROBJECT*>(lParam)->clip);
    return 1;
}

bool Same(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

class ComposeTest : public AnimWindowTest {
protected:
    void SetUp() override
    {
        AnimWindowTest::SetUp();
        g_draws = &log;
    }
    void TearDown() override
    {
        g_draws = nullptr;
        AnimWindowTest::TearDown();
    }
    DrawLog log;
};
} // namespace

TEST_F(ComposeTest, OverlappingRectanglesMergeAndTouchingOnesStayApart)
{
    DIRTYREGION& r = AnimWindowProbe::Background(aw);
    r.count = 0;
    AnimWindowProbe::Add(aw, &r, RECT{0, 0, 50, 50});
    AnimWindowProbe::Add(aw, &r, RECT{25, 25, 75, 75});
    ASSERT_EQ(r.count, 1u);
    EXPECT_TRUE(Same(r.rects[0], RECT{0, 0, 75, 75}));
    AnimWindowProbe::Add(aw, &r, RECT{75, 0, 100, 10}); // shares an edge only
    EXPECT_EQ(r.count, 2u);

    r.count = 0;
    AnimWindowProbe::Add(aw, &r, RECT{0, 0, 10, 10});
    AnimWindowProbe::Add(aw, &r, RECT{100, 100, 110, 110});
    AnimWindowProbe::Add(aw, &r, RECT{50, 50, 60, 60});
    AnimWindowProbe::Add(aw, &r, RECT{5, 5, 105, 105}); // meets the first two, and the third inside
    ASSERT_EQ(r.count, 1u);
    EXPECT_TRUE(Same(r.rects[0], RECT{0, 0, 110, 110}));
}

TEST_F(ComposeTest, TouchClipsToTheWindowAndAnEmptyRectangleMeansAllOfIt)
{
    aw->RenderFrame();
    DIRTYREGION& bg = AnimWindowProbe::Background(aw);
    DIRTYREGION& screen = AnimWindowProbe::Screen(aw);
    EXPECT_EQ(bg.count, 0u);
    EXPECT_EQ(screen.count, 0u);
    RECT outside{-50, -50, -10, -10};
    EXPECT_EQ(aw->Touch(&outside, 1), 1);
    EXPECT_EQ(bg.count, 0u);
    RECT partly{150, 100, 400, 400};
    aw->Touch(&partly, 0);
    ASSERT_EQ(screen.count, 1u);
    EXPECT_TRUE(Same(screen.rects[0], RECT{150, 100, kWidth, kHeight}));
    EXPECT_EQ(bg.count, 0u);
    RECT empty{0, 0, 0, 0};
    aw->Touch(&empty, 1);
    ASSERT_EQ(bg.count, 1u);
    EXPECT_TRUE(Same(bg.rects[0], RECT{0, 0, kWidth, kHeight}));
}

TEST_F(ComposeTest, OnlyChangedAreasAreRecomposedAndObjectsAreDrawnWhole)
{
    ANIMOBJECT a(aw, 10, &RecordingObject, 0);
    ANIMOBJECT b(aw, 10, &RecordingObject, 0);
    RECT ra{10, 10, 30, 30}, rb{100, 60, 120, 80};
    a.SetRect(&ra);
    b.SetRect(&rb);
    aw->RenderFrame();
    EXPECT_EQ(log.CountFor(&a), 1);
    EXPECT_EQ(log.CountFor(&b), 1);

    log.draws.clear();
    aw->RenderFrame(); // nothing changed: nothing drawn
    EXPECT_TRUE(log.draws.empty());

    a.SetPosition(14, 10);
    aw->RenderFrame();
    ASSERT_EQ(log.draws.size(), 1u);
    EXPECT_EQ(log.draws[0].first, &a);

    // A dirty area that covers part of b makes b drawn whole.
    log.draws.clear();
    RECT corner{90, 50, 105, 65};
    aw->Touch(&corner, 0);
    aw->RenderFrame();
    ASSERT_EQ(log.CountFor(&b), 1);
    EXPECT_TRUE(Same(log.draws.back().second, rb));
}

TEST_F(ComposeTest, ObjectsOfOneDepthAreDrawnFromTheChainHeadAndNearerDepthsOnTop)
{
    auto red = std::unique_ptr<GRAPHIC>(SolidGraphic(20, 20, RGB(255, 0, 0)));
    auto green = std::unique_ptr<GRAPHIC>(SolidGraphic(20, 20, RGB(0, 255, 0)));
    auto blue = std::unique_ptr<GRAPHIC>(SolidGraphic(20, 20, RGB(0, 0, 255)));
    ANIMOBJECT a(aw, 50, red.get(), 0);
    ANIMOBJECT b(aw, 50, green.get(), 0);
    ANIMOBJECT c(aw, 50, blue.get(), 0);
    a.SetPosition(10, 10);
    b.SetPosition(15, 15);
    c.SetPosition(20, 20);
    aw->RenderFrame();
    // Drawn C, B, A: the first added lies on top.
    EXPECT_EQ(aw->FindObject(nullptr), &c);
    EXPECT_EQ(Shown(22, 22), Xrgb(RGB(255, 0, 0)));
    EXPECT_EQ(Shown(32, 32), Xrgb(RGB(0, 255, 0)));
    EXPECT_EQ(Shown(38, 38), Xrgb(RGB(0, 0, 255)));

    // Depth 10 lies over depth 20 whatever the order of creation.
    auto white = std::unique_ptr<GRAPHIC>(SolidGraphic(10, 10, RGB(255, 255, 255)));
    auto black = std::unique_ptr<GRAPHIC>(SolidGraphic(10, 10, RGB(0, 0, 0)));
    ANIMOBJECT front(aw, 10, white.get(), 0);
    ANIMOBJECT back(aw, 20, black.get(), 0);
    front.SetPosition(100, 100);
    back.SetPosition(105, 105);
    aw->RenderFrame();
    EXPECT_EQ(Shown(107, 107), Xrgb(RGB(255, 255, 255)));
    EXPECT_EQ(Shown(112, 112), Xrgb(RGB(0, 0, 0)));
}

TEST_F(ComposeTest, DepthsAreFoundFrontToBackAndAnEmptiedDepthGoes)
{
    ANIMOBJECT deep(aw, 300, &RecordingObject, 0);
    auto* mid = new ANIMOBJECT(aw, 200, &RecordingObject, 0);
    ANIMOBJECT near(aw, 100, &RecordingObject, 0);
    EXPECT_EQ(aw->FindDepth(0xFFFF), 100);
    EXPECT_EQ(aw->FindDepth(100), 200);
    EXPECT_EQ(aw->FindDepth(200), 300);
    EXPECT_EQ(aw->FindDepth(300), 0xFFFF);
    EXPECT_EQ(ZephaneGetLastError(), errNotFound);
    EXPECT_EQ(aw->FindDepth(150), 0xFFFF);
    EXPECT_EQ(ZephaneGetLastError(), 87);
    EXPECT_EQ(aw->FindDepthInReverse(0xFFFF), 300);
    EXPECT_EQ(aw->FindObject(nullptr), &deep);
    EXPECT_EQ(aw->FindObject(&deep), mid);
    EXPECT_EQ(aw->FindObject(mid), &near);
    EXPECT_EQ(aw->FindObject(&near), nullptr);

    delete mid;
    EXPECT_EQ(aw->FindDepth(100), 300);
    EXPECT_EQ(aw->FindObjectByDepth(200, nullptr), nullptr);
    EXPECT_EQ(ZephaneGetLastError(), 87);
    near.SetDepth(400);
    EXPECT_EQ(aw->FindDepth(0xFFFF), 300);
    EXPECT_EQ(aw->FindObject(nullptr), &near);
    // The table keeps its entries and reuses the emptied ones.
    EXPECT_EQ(AnimWindowProbe::Depths(aw), 3u);
}

TEST_F(ComposeTest, BackgroundColourReachesTheRightEdgeAndImagesAreClamped)
{
    ASSERT_EQ(aw->SetBackground(RGB(0, 0, 0), 0, 0, 0x80000000, 0x80000000), 1);
    ASSERT_EQ(aw->SetBackground(RGB(200, 10, 10), 10, 10, 0x80000000, 20), 1);
    EXPECT_EQ(aw->GetBackgroundColor(), RGB(200, 10, 10));
    aw->RenderFrame();
    EXPECT_EQ(Shown(kWidth - 1, 15), Xrgb(RGB(200, 10, 10)));
    EXPECT_EQ(Shown(10, 29), Xrgb(RGB(200, 10, 10)));
    EXPECT_EQ(Shown(5, 15), 0u);
    EXPECT_EQ(Shown(20, 30), 0u);

    // A picture placed near the corner is cut at the window's edges.
    auto tile = std::unique_ptr<GRAPHIC>(SolidGraphic(40, 40, RGB(0, 90, 180)));
    ASSERT_EQ(aw->SetBackground(tile.get(), kWidth - 10, kHeight - 10, 0x80000000, 0x80000000, 0, 0), 1);
    EXPECT_EQ(aw->GetBackgroundColor(), 0xFFFFFFFFu);
    aw->RenderFrame();
    EXPECT_EQ(Shown(kWidth - 1, kHeight - 1), Xrgb(RGB(0, 90, 180)));
    EXPECT_EQ(Shown(kWidth - 11, kHeight - 1), 0u);

    EXPECT_EQ(aw->SetBackground(0xFFFFFFFFu, 0, 0, 1, 1), 0);
    EXPECT_EQ(ZephaneGetLastError(), 87);
    EXPECT_EQ(aw->SetBackground(static_cast<GRAPHIC*>(nullptr), 0, 0, 1, 1, 0, 0), 0);
}

TEST_F(ComposeTest, FixedObjectsJoinTheComposedBackground)
{
    aw->SetBackground(RGB(0, 0, 0), 0, 0, 0x80000000, 0x80000000);
    auto sign = std::unique_ptr<GRAPHIC>(SolidGraphic(10, 10, RGB(250, 250, 0)));
    ANIMOBJECT fixed(aw, 30, sign.get(), 0);
    fixed.SetPosition(50, 50);
    fixed.SetFixState(1);
    aw->RenderFrame();
    EXPECT_EQ(Shown(55, 55), Xrgb(RGB(250, 250, 0)));
    EXPECT_EQ(fixed.SetPosition(60, 60), 0);
    EXPECT_EQ(ZephaneGetLastError(), errObjectFixed);

    // An unfixed object passing over it leaves it whole behind.
    ANIMOBJECT mover(aw, 5, &RecordingObject, 0);
    RECT over{48, 48, 58, 58};
    mover.SetRect(&over);
    aw->RenderFrame();
    mover.SetPosition(0, 0);
    aw->RenderFrame();
    EXPECT_EQ(Shown(50, 50), Xrgb(RGB(250, 250, 0)));
    EXPECT_EQ(Shown(59, 59), Xrgb(RGB(250, 250, 0)));
}

TEST_F(ComposeTest, FlippingRedrawsUnfixedObjectsEveryFrameWithoutAScreenRegion)
{
    ASSERT_EQ(Display->SetVideoMode(640, 480, 32, amFlip), 1);
    aw->SetBackground(RGB(0, 0, 64), 0, 0, 0x80000000, 0x80000000);
    ANIMOBJECT o(aw, 10, &RecordingObject, 0);
    RECT r{10, 10, 20, 20};
    o.SetRect(&r);
    aw->RenderFrame();
    log.draws.clear();
    o.Touch();
    EXPECT_EQ(AnimWindowProbe::Screen(aw).count, 0u);
    aw->RenderFrame();
    aw->RenderFrame();
    EXPECT_EQ(log.CountFor(&o), 2);
    // The flipped picture shows the background.
    IDirectDrawSurface* primary = Display->GetSurface(1);
    EXPECT_EQ(primary->Pixels()[200 * primary->Width() + 300] & 0xFFFFFF, Xrgb(RGB(0, 0, 64)));
}

TEST_F(ComposeTest, ObjectsTouchedBeforeAChangeToFlippingAreDrawnAfterIt)
{
    // Touched while blitting in the window: the rectangle waits in the
    // screen region when the mode changes to flipping, and the frame of the
    // change draws it.
    aw->SetBackground(RGB(0, 0, 64), 0, 0, 0x80000000, 0x80000000);
    ANIMOBJECT a(aw, 10, &RecordingObject, 0);
    ANIMOBJECT b(aw, 11, &RecordingObject, 0);
    RECT ra{10, 10, 30, 30}, rb{20, 20, 60, 60};
    a.SetRect(&ra);
    b.SetRect(&rb);
    aw->RenderFrame();
    a.Touch();
    ASSERT_GT(AnimWindowProbe::Screen(aw).count, 0u);
    log.draws.clear();
    ASSERT_EQ(Display->SetVideoMode(800, 600, 32, amFlip), 1);
    EXPECT_EQ(AnimWindowProbe::Screen(aw).count, 0u);
    aw->RenderFrame();
    EXPECT_GE(log.CountFor(&a), 1);
    EXPECT_GE(log.CountFor(&b), 1);
}
