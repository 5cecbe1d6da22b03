// What a frame brings to the screen in full screen with page flipping, the
// way the game runs: only the rectangles that changed are uploaded to the
// screen's texture (counted by the presenter), the 3D picture is read back
// only when the scene changed, and nothing is drawn while the window is
// minimised.
#include "animwin_support.h"
#include "platform/d3drm/d3drm.h"
#include "platform/ddraw/presenter.h"
#include "platform/glrender/glrender.h"

#include <memory>

using namespace animtest;

namespace {
constexpr long kModeWidth = 640, kModeHeight = 480;

class AnimPresentTest : public AnimWindowTest {
protected:
    void SetUp() override
    {
        AnimWindowTest::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_EQ(Display->SetVideoMode(kModeWidth, kModeHeight, 32, amFlipTriple), 1);
        if (aw->Enable3d(1) != 1 && !GlRenderIsInstalled())
            GTEST_SKIP() << "No OpenGL renderer here: " << GlRenderGetError();
        ASSERT_TRUE(aw->fIs3dEnabled());
        OPTIONS3D unlit{1, 0, 128, 0, 0};
        ASSERT_EQ(aw->Set3dOptions(&unlit), 1);
        IDirect3DRMFrame2* root = aw->Get3dRootFrame();
        root->SetSceneBackground(0xFF102030);
        square = AddSquare(root, 0, 0, 10, 1.0f, 0xFFFF0000);
        red = std::unique_ptr<GRAPHIC>(SolidGraphic(10, 10, RGB(0xF0, 0x20, 0x20)));
        green = std::unique_ptr<GRAPHIC>(SolidGraphic(8, 6, RGB(0x12, 0x34, 0x56)));
        a = std::make_unique<ANIMOBJECT>(aw, 100, red.get(), 0);
        b = std::make_unique<ANIMOBJECT>(aw, 100, green.get(), 0);
        a->SetPosition(20, 20);
        b->SetPosition(300, 200);
        // Two frames: the first brings everything to the screen.
        aw->RenderFrame();
        aw->RenderFrame();
        if (presenter::GetStats().shows == 0)
            GTEST_SKIP() << "The presenter shows nothing here (no window or renderer)";
    }
    void TearDown() override
    {
        a.reset();
        b.reset();
        presenter::NoteMinimized(false);
        AnimWindowTest::TearDown();
    }

    // The colour the screen shows at a display point (before scaling).
    static std::uint32_t OnScreen(int x, int y)
    {
        int w = 0, h = 0;
        const auto& picture = presenter::LastPicture(&w, &h);
        return picture[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + x];
    }

    IDirect3DRMFrame2* square = nullptr;
    std::unique_ptr<GRAPHIC> red, green;
    std::unique_ptr<ANIMOBJECT> a, b;
};
} // namespace

TEST_F(AnimPresentTest, OneMovedObjectUploadsOnlyItsRectanglesAndTheSceneIsNotReadBack)
{
    const GLRENDERSTATS before = GlRenderGetStats();
    presenter::ResetStats();
    // From (20,20)-(30,30) to (40,25)-(50,35): two rectangles of 100 pixels.
    a->SetPosition(40, 25);
    aw->RenderFrame();
    const presenter::Stats stats = presenter::GetStats();
    EXPECT_EQ(stats.uploadedPixels, 200u);
    EXPECT_EQ(stats.uploads, 2u);
    EXPECT_EQ(stats.shows, 1u);
    EXPECT_FALSE(stats.lastWasWhole);
    const GLRENDERSTATS after = GlRenderGetStats();
    EXPECT_EQ(after.nReadBacks, before.nReadBacks) << "nothing in the scene changed";
    EXPECT_EQ(after.nSkippedRenders, before.nSkippedRenders + 1);
    // The screen shows the object at its new place and the scene's
    // background where it was; the scene is still in the middle.
    EXPECT_EQ(OnScreen(45, 30), 0xF02020u);
    EXPECT_EQ(OnScreen(25, 22), 0x102030u);
    EXPECT_EQ(OnScreen(kModeWidth / 2, kModeHeight / 2), 0xFF0000u);
    EXPECT_EQ(OnScreen(304, 203), 0x123456u);

    // A frame in which nothing changed sends nothing and shows nothing anew.
    presenter::ResetStats();
    aw->RenderFrame();
    EXPECT_EQ(presenter::GetStats().uploadedPixels, 0u);
    EXPECT_EQ(presenter::GetStats().shows, 0u);
    EXPECT_EQ(GlRenderGetStats().nReadBacks, before.nReadBacks);
}

TEST_F(AnimPresentTest, AChangedSceneIsReadBackOnceAndOnlyItsChangedPartUploaded)
{
    const GLRENDERSTATS before = GlRenderGetStats();
    presenter::ResetStats();
    // The square moves a little to the right: the part of the picture that
    // changed lies around it, far from the edges.
    square->SetPosition(aw->Get3dRootFrame(), 0.5f, 0, 10);
    aw->RenderFrame();
    EXPECT_EQ(GlRenderGetStats().nReadBacks, before.nReadBacks + 1);
    const presenter::Stats stats = presenter::GetStats();
    EXPECT_GT(stats.uploadedPixels, 0u);
    EXPECT_LT(stats.uploadedPixels, static_cast<std::uint64_t>(kModeWidth * kModeHeight / 4));
    long sx = 0, sy = 0;
    ASSERT_EQ(aw->FrameToScreen(square, 0, 0, 0, &sx, &sy), 1);
    EXPECT_EQ(OnScreen(sx, sy), 0xFF0000u);
    EXPECT_EQ(OnScreen(5, 5), 0x102030u);

    // A frame that rotates the square by a step changes it again; one that
    // leaves it alone reads nothing back.
    aw->RenderFrame();
    EXPECT_EQ(GlRenderGetStats().nReadBacks, before.nReadBacks + 1);
    square->SetRotation(aw->Get3dRootFrame(), 0, 0, 1, 0.1f);
    aw->RenderFrame();
    aw->RenderFrame();
    EXPECT_EQ(GlRenderGetStats().nReadBacks, before.nReadBacks + 3) << "a turning square changes every frame";
}

TEST_F(AnimPresentTest, SixteenBitModesQuantiseOnlyTheChangedRectangles)
{
    ASSERT_EQ(Display->SetVideoMode(kModeWidth, kModeHeight, 16, amFlipTriple), 1);
    aw->RenderFrame();
    EXPECT_TRUE(presenter::GetStats().lastWasWhole) << "a new mode shows the whole picture";
    presenter::ResetStats();
    b->SetPosition(310, 200);
    aw->RenderFrame();
    // (300,200)-(308,206) and (310,200)-(318,206) do not meet.
    EXPECT_EQ(presenter::GetStats().uploadedPixels, 96u);
    // 0x12,0x34,0x56 kept to 5, 6 and 5 bits, widened again.
    EXPECT_EQ(OnScreen(312, 203), 0x103452u);
    // The mode made the scene anew, empty and black, where the object was.
    EXPECT_EQ(OnScreen(302, 203), 0u);
}

TEST_F(AnimPresentTest, NothingIsDrawnWhileMinimisedAndAllOfItAfterwards)
{
    const GLRENDERSTATS before = GlRenderGetStats();
    presenter::ResetStats();
    presenter::NoteMinimized(true);
    EXPECT_TRUE(IsIconic(m_main));
    host.calls.clear();
    square->SetPosition(aw->Get3dRootFrame(), 0.5f, 0, 10);
    a->SetPosition(60, 60);
    aw->RenderFrame();
    aw->RenderFrame();
    // The host still has its frames; nothing reached the screen or GL.
    EXPECT_EQ(host.Count(svcawBeginFrame), 2);
    EXPECT_EQ(host.Count(svcawEndFrame), 2);
    EXPECT_EQ(presenter::GetStats().shows, 0u);
    EXPECT_EQ(presenter::GetStats().uploadedPixels, 0u);
    EXPECT_EQ(GlRenderGetStats().nReadBacks, before.nReadBacks);

    presenter::NoteMinimized(false);
    aw->RenderFrame();
    EXPECT_EQ(presenter::GetStats().shows, 1u);
    EXPECT_TRUE(presenter::GetStats().lastWasWhole);
    EXPECT_EQ(presenter::GetStats().uploadedPixels, static_cast<std::uint64_t>(kModeWidth * kModeHeight));
    EXPECT_EQ(OnScreen(65, 65), 0xF02020u);
}
