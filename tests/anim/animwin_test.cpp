// The frame loop, its pacing on the stepped clock, the sequencer, frame
// rates, binding and the window's services.
#include "animwin_support.h"

#include <memory>

using namespace animtest;

namespace {
int Rendered(const Host& h)
{
    return h.Count(svcawEndFrame);
}
} // namespace

TEST_F(AnimWindowTest, CreationFromTheClassBindsTheWindowAndBuildsItsBuffers)
{
    EXPECT_EQ(aw->GetWindow(), m_child);
    EXPECT_EQ(aw->GetWidth(), kWidth);
    EXPECT_EQ(aw->GetHeight(), kHeight);
    EXPECT_NE(aw->GetBackgroundGraphic(), nullptr);
    EXPECT_EQ(aw->GetTargetFrameRate(), 1000.0 / (1000.0 / 30.0));
    EXPECT_NEAR(aw->SetTargetFrameRate(40), 30.0, 1e-9);
    EXPECT_NEAR(aw->GetTargetFrameRate(), 40.0, 1e-9);

    EXPECT_EQ(ANIMWINDOW::GetAnimWindow(nullptr), nullptr);
    EXPECT_EQ(ZephaneGetLastError(), 87);
    EXPECT_EQ(ANIMWINDOW::GetAnimWindow(m_main), nullptr);
    EXPECT_EQ(ZephaneGetLastError(), errNotAnimWindow);
}

TEST_F(AnimWindowTest, AnUnboundWindowRefusesTheFrameLoop)
{
    host.calls.clear();
    auto* unbound = new ANIMWINDOW(&HostCallback);
    ASSERT_EQ(host.calls.size(), 1u);
    EXPECT_EQ(host.calls[0], svcawCreate);
    EXPECT_EQ(unbound->Animate(1), 0);
    EXPECT_EQ(ZephaneGetLastError(), errNoWindow);
    EXPECT_EQ(unbound->RenderFrame(), 0);
    EXPECT_EQ(unbound->GetWidth(), -1);
    EXPECT_EQ(unbound->ClearSequencer(-1L), 0);
    delete unbound;
    EXPECT_EQ(host.calls.back(), svcawDestroy);
}

TEST_F(AnimWindowTest, AnimateZeroRendersNothingAndThreeRendersThreeWithIdleCallsBetween)
{
    EXPECT_EQ(aw->Animate(0), 1);
    EXPECT_TRUE(host.calls.empty());

    const DWORD start = GetTickCount();
    EXPECT_EQ(aw->Animate(3), 1);
    EXPECT_EQ(Rendered(host), 3);
    EXPECT_EQ(host.Count(svcawBeginFrame), 3);
    EXPECT_GE(host.Count(svcawIdle), 3);
    // Each frame's period passed on the stepped clock through the waits, not
    // through the idle calls spinning.
    EXPECT_GE(GetTickCount() - start, 3 * 33u);
    EXPECT_LE(host.Count(svcawIdle), 3 * 3);
    EXPECT_EQ(aw->GetNextFrameNumber(), 3);
    // The order of one frame's services.
    const std::vector<svcAnimWindow> first(host.calls.begin(), host.calls.begin() + 4);
    EXPECT_EQ(first, (std::vector<svcAnimWindow>{svcawBeginFrame, svcawDrawFrame, svcawEndFrame, svcawIdle}));
}

TEST_F(AnimWindowTest, AnIdleAnswerOfZeroEndsTheLoopAfterTheCurrentFrame)
{
    host.answer = [](ANIMWINDOW*, svcAnimWindow code, unsigned, long) { return code == svcawIdle ? 0 : 1; };
    EXPECT_EQ(aw->Animate(-1), 0);
    EXPECT_EQ(Rendered(host), 1);
    EXPECT_EQ(host.Count(svcawIdle), 1);
}

TEST_F(AnimWindowTest, ALateFrameGetsOneIdleCallAndTheNextFrameFollowsAtOnce)
{
    aw->SetTargetFrameRate(40);
    host.answer = [](ANIMWINDOW*, svcAnimWindow code, unsigned, long) {
        if (code == svcawDrawFrame)
            clock_control::Advance(60); // drawing takes longer than the period
        return 1;
    };
    EXPECT_EQ(aw->Animate(2), 1);
    EXPECT_EQ(host.Count(svcawIdle), 2);
    EXPECT_EQ(Rendered(host), 2);

    // With no target every frame gets exactly one idle call.
    host.calls.clear();
    host.answer = nullptr;
    aw->SetTargetFrameRate(0);
    const DWORD start = GetTickCount();
    EXPECT_EQ(aw->Animate(4), 1);
    EXPECT_EQ(host.Count(svcawIdle), 4);
    EXPECT_EQ(GetTickCount(), start);
}

TEST_F(AnimWindowTest, FramesAreDueAPeriodApartAndTheirPicturesGoAtAFixedPointOfIt)
{
    aw->SetTargetFrameRate(40); // 25 ms
    std::vector<DWORD> begun, ended;
    int idles = 0;
    const DWORD start = GetTickCount();
    // The first frame's idle time overruns its period by 5 ms (a late
    // wake-up); the third frame's work takes 15 ms, past the present point.
    // Every frame has something to show.
    host.answer = [&](ANIMWINDOW* w, svcAnimWindow code, unsigned, long) {
        if (code == svcawBeginFrame)
            begun.push_back(GetTickCount());
        if (code == svcawDrawFrame)
            w->Touch(nullptr, 0);
        if (code == svcawDrawFrame && begun.size() == 3)
            clock_control::Advance(15);
        if (code == svcawEndFrame)
            ended.push_back(GetTickCount());
        if (code == svcawIdle && ++idles == 1)
            clock_control::SetTick(start + 30);
        return 1;
    };
    ASSERT_EQ(aw->Animate(4), 1);
    ASSERT_EQ(begun.size(), 4u);
    ASSERT_EQ(ended.size(), 4u);
    // The late second frame leaves the third less to wait: it is due 50 ms
    // after the first, not 25 ms after the second began.
    EXPECT_EQ(begun[0] - start, 0u);
    EXPECT_EQ(begun[1] - start, 30u);
    EXPECT_EQ(begun[2] - start, 50u);
    EXPECT_EQ(begun[3] - start, 75u);
    // Each picture goes 10 ms after its frame was due (two fifths of the
    // period), or as soon as it is ready when the work took longer.
    EXPECT_EQ(ended[0] - start, 10u);
    EXPECT_EQ(ended[1] - start, 35u);
    EXPECT_EQ(ended[2] - start, 65u);
    EXPECT_EQ(ended[3] - start, 85u);

    // Falling more than a period behind starts the count again from there.
    begun.clear();
    ended.clear();
    idles = 0;
    host.answer = [&](ANIMWINDOW*, svcAnimWindow code, unsigned, long) {
        if (code == svcawBeginFrame)
            begun.push_back(GetTickCount());
        if (code == svcawIdle && ++idles == 1)
            clock_control::Advance(100);
        return 1;
    };
    ASSERT_EQ(aw->Animate(3), 1);
    ASSERT_EQ(begun.size(), 3u);
    EXPECT_EQ(begun[1] - begun[0], 100u);
    EXPECT_EQ(begun[2] - begun[1], 25u);
}

TEST_F(AnimWindowTest, WaitingForTheNextFrameWakesForInputAndTheHostPumpsIt)
{
    aw->SetTargetFrameRate(40);
    std::vector<DWORD> idleTicks;
    int pumped = 0;
    host.answer = [&](ANIMWINDOW*, svcAnimWindow code, unsigned, long) {
        if (code != svcawIdle)
            return 1;
        idleTicks.push_back(GetTickCount());
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            pumped += msg.message == WM_USER;
            DispatchMessageA(&msg);
        }
        if (idleTicks.size() == 1)
            PostMessageA(m_main, WM_USER, 0, 0); // arrives while the frame waits
        return 1;
    };
    const DWORD start = GetTickCount();
    EXPECT_EQ(aw->Animate(1), 1);
    EXPECT_EQ(pumped, 1);
    ASSERT_GE(idleTicks.size(), 3u);
    // The message woke the wait at once; the next wait ran to the deadline.
    EXPECT_EQ(idleTicks[1], idleTicks[0]);
    EXPECT_GE(idleTicks.back() - start, 25u);
}

TEST_F(AnimWindowTest, TheSequencerSendsItsMessageDuringTheLastScheduledFrame)
{
    ASSERT_EQ(aw->SetSequence(5, 77u, 88L), 1);
    EXPECT_EQ(aw->GetNextClearFrameNumber(), 6);
    unsigned seenW = 0;
    long seenL = 0;
    int framesBefore = -1;
    host.answer = [&](ANIMWINDOW*, svcAnimWindow code, unsigned w, long l) {
        if (code == svcawSequence) {
            seenW = w;
            seenL = l;
            framesBefore = Rendered(host);
        }
        return 1;
    };
    EXPECT_EQ(aw->AnimateSequence(), 1);
    EXPECT_EQ(Rendered(host), 6);
    EXPECT_EQ(framesBefore, 5);
    EXPECT_EQ(seenW, 77u);
    EXPECT_EQ(seenL, 88L);
    EXPECT_EQ(aw->GetNextFrameNumber(), 6);
}

TEST_F(AnimWindowTest, JumpToFrameFiresEveryEntryOnTheWayButRendersOnce)
{
    ASSERT_EQ(aw->JumpToFrame(1), 1);
    host.calls.clear();
    auto g = std::unique_ptr<GRAPHIC>(SolidGraphic(8, 8, RGB(1, 2, 3)));
    ANIMOBJECT o(aw, 10, static_cast<ANIMOBJECTCALLBACK>(nullptr), 0);
    o.SetFixState(1);
    RECT to{30, 40, 38, 48};
    aw->SetSequence(4, &o, &to, nullptr);
    aw->SetSequence(9, &o, nullptr, g.get());
    std::vector<unsigned> messages;
    for (long f : {2L, 6L, 10L, 11L})
        aw->SetSequence(f, static_cast<unsigned>(f), 0L);
    host.answer = [&](ANIMWINDOW*, svcAnimWindow code, unsigned w, long) {
        if (code == svcawSequence)
            messages.push_back(w);
        return 1;
    };
    EXPECT_EQ(aw->JumpToFrame(10), 1);
    EXPECT_EQ(messages, (std::vector<unsigned>{2, 6, 10}));
    EXPECT_EQ(Rendered(host), 1);
    EXPECT_EQ(aw->GetNextFrameNumber(), 11);
    EXPECT_EQ(o.GetFixState(), 0); // the sequencer unfixes before it moves
    RECT r;
    o.GetRect(&r);
    EXPECT_EQ(r.left, 30);
    EXPECT_EQ(r.top, 40);
    EXPECT_EQ(o.GetGraphic(), g.get());
}

TEST_F(AnimWindowTest, ASequenceMessageAnsweredZeroStopsWithoutRendering)
{
    aw->SetSequence(0, 1u, 0L);
    aw->SetSequence(0, 2u, 0L);
    std::vector<unsigned> messages;
    host.answer = [&](ANIMWINDOW*, svcAnimWindow code, unsigned w, long) {
        if (code == svcawSequence)
            messages.push_back(w);
        return code == svcawSequence ? 0 : 1;
    };
    EXPECT_EQ(aw->JumpToFrame(0), 0);
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(Rendered(host), 0);
    EXPECT_EQ(aw->GetNextFrameNumber(), 1);
}

TEST_F(AnimWindowTest, ClearingTheSequencerFreesTheNextFramesEntriesNotTheNamedOnes)
{
    aw->SetSequence(0, 100u, 0L);
    aw->SetSequence(7, 107u, 0L);
    ASSERT_EQ(aw->ClearSequencer(7L), 1);
    std::vector<unsigned> messages;
    host.answer = [&](ANIMWINDOW*, svcAnimWindow code, unsigned w, long) {
        if (code == svcawSequence)
            messages.push_back(w);
        return 1;
    };
    aw->JumpToFrame(-1);
    EXPECT_EQ(messages, std::vector<unsigned>{107});

    // Freed entries are reused: the table does not grow past what is live.
    messages.clear();
    for (int i = 0; i < 40; ++i)
        aw->SetSequence(aw->GetNextFrameNumber(), static_cast<unsigned>(i), 0L);
    aw->ClearSequencer(-1L);
    aw->JumpToFrame(aw->GetNextFrameNumber());
    EXPECT_TRUE(messages.empty());
}

TEST_F(AnimWindowTest, TheActualRateAveragesOverTheFramesRecorded)
{
    // A window bound afresh has recorded no frame yet.
    WNDCLASSA wc{};
    wc.lpfnWndProc = MainProc;
    wc.cbWndExtra = 4;
    wc.lpszClassName = "AnimTestPlain";
    RegisterClassA(&wc);
    HWND plain =
        CreateWindowExA(0, "AnimTestPlain", "", WS_CHILD | WS_VISIBLE, 0, 0, 40, 30, m_main, nullptr, nullptr, nullptr);
    auto w = std::make_unique<ANIMWINDOW>(plain, &HostCallback);
    EXPECT_EQ(ANIMWINDOW::GetAnimWindow(plain), w.get());
    EXPECT_EQ(w->GetActualFrameRate(), 0.0);
    for (int i = 0; i < 5; ++i) {
        w->RenderFrame();
        clock_control::Advance(25);
    }
    // Five frames at 1000, 1025, ... 1100: (1125 - 1000) / 5 = 25 ms.
    EXPECT_NEAR(w->GetActualFrameRate(), 40.0, 1e-9);
    for (int i = 0; i < 10; ++i) {
        w->RenderFrame();
        clock_control::Advance(50);
    }
    EXPECT_NEAR(w->GetActualFrameRate(), 20.0, 1e-9);
    w.reset();
    // The window is given back its own procedure.
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongA(plain, GWL_WNDPROC)), &MainProc);
    EXPECT_EQ(ANIMWINDOW::GetAnimWindow(plain), nullptr);
}

TEST_F(AnimWindowTest, FreezingDefersRenderingToTheLastEndFrame)
{
    EXPECT_EQ(aw->BeginFrame(), 1);
    EXPECT_EQ(aw->BeginFrame(), 2);
    EXPECT_EQ(aw->RenderFrame(), 1);
    EXPECT_EQ(aw->EndFrame(), 1);
    EXPECT_EQ(Rendered(host), 0);
    EXPECT_EQ(aw->EndFrame(), 1);
    EXPECT_EQ(Rendered(host), 1);
    EXPECT_EQ(aw->EndFrame(), 1); // not below zero: renders again
    EXPECT_EQ(Rendered(host), 2);
}

TEST_F(AnimWindowTest, AnswersOfTheFrameServicesDecideTheResult)
{
    host.answer = [](ANIMWINDOW*, svcAnimWindow code, unsigned, long) { return code == svcawBeginFrame ? 0 : 1; };
    EXPECT_EQ(aw->RenderFrame(), 0);
    EXPECT_EQ(host.Count(svcawDrawFrame), 0);
    host.answer = [](ANIMWINDOW*, svcAnimWindow code, unsigned, long) { return code == svcawEndFrame ? 0 : 1; };
    EXPECT_EQ(aw->RenderFrame(), 0);
    // A frame rendered from inside a callback returns at once.
    int inner = -1;
    host.answer = [&](ANIMWINDOW* w, svcAnimWindow code, unsigned, long) {
        if (code == svcawDrawFrame)
            inner = w->RenderFrame();
        return 1;
    };
    host.calls.clear();
    EXPECT_EQ(aw->RenderFrame(), 1);
    EXPECT_EQ(inner, 1);
    EXPECT_EQ(Rendered(host), 1);
}

TEST_F(AnimWindowTest, SizingRebuildsTheBuffersAndTellsTheHost)
{
    MoveWindow(m_child, 0, 0, 100, 80, TRUE);
    EXPECT_EQ(aw->GetWidth(), 100);
    EXPECT_EQ(aw->GetHeight(), 80);
    ASSERT_GE(host.calls.size(), 3u);
    EXPECT_EQ(host.Count(svcawSize), 1);
    EXPECT_EQ(host.Count(svcawBackground), 1);
    EXPECT_EQ(Rendered(host), 1);
}

TEST_F(AnimWindowTest, AModeChangeRebuildsEveryWindowAtTheDisplaySize)
{
    ASSERT_EQ(Display->SetVideoMode(640, 480, 16, amFlip), 1);
    EXPECT_EQ(host.Count(svcawVideoMode), 1);
    EXPECT_EQ(aw->GetWidth(), 640);
    EXPECT_EQ(aw->GetHeight(), 480);
    EXPECT_GE(Rendered(host), 1);
    ASSERT_EQ(Display->RestoreVideoMode(), 1);
    EXPECT_EQ(host.Count(svcawVideoMode), 2);
    EXPECT_EQ(aw->GetWidth(), kWidth);
}

TEST_F(AnimWindowTest, DestroyingTheWindowDestroysTheAnimationWindowAndItsListSlot)
{
    unsigned live = 0;
    for (unsigned i = 0; i < ANIMWINDOW::npawList; ++i)
        live += ANIMWINDOW::apawList[i] == aw;
    EXPECT_EQ(live, 1u);
    DestroyWindow(m_child);
    EXPECT_EQ(host.calls.back(), svcawDestroy);
    for (unsigned i = 0; i < ANIMWINDOW::npawList; ++i)
        EXPECT_NE(ANIMWINDOW::apawList[i], aw);
    EXPECT_EQ(clock_control::RaisedPeriods(), 0);
}

// Objects belong to the host and may outlive their window: once the window
// is gone they hold no pointer to it, and deleting or moving them is safe.
TEST_F(AnimWindowTest, ObjectsOutlivingTheirWindowForgetIt)
{
    const ANIMOBJECTCALLBACK none = nullptr;
    auto* near = new ANIMOBJECT(aw, 10, none, 0);
    auto* far = new ANIMOBJECT(aw, 20, none, 0);
    auto* sameDepth = new ANIMOBJECT(aw, 10, none, 0);
    ASSERT_EQ(aw->SetSequence(aw->GetNextFrameNumber() + 3, near, nullptr, nullptr), 1);
    DestroyWindow(m_child);
    EXPECT_EQ(near->GetAnimWindow(), nullptr);
    EXPECT_EQ(far->GetAnimWindow(), nullptr);
    EXPECT_EQ(sameDepth->GetAnimWindow(), nullptr);
    EXPECT_EQ(far->SetDepth(30), 1);
    delete near;
    delete far;
    delete sameDepth;
}

// The host may destroy the window from any frame service; the frame then
// ends at once and the loop reports it, without touching the freed window.
TEST_F(AnimWindowTest, TheHostMayDestroyTheWindowFromAnyFrameService)
{
    for (svcAnimWindow code : {svcawBeginFrame, svcawDrawFrame, svcawEndFrame, svcawSequence, svcawIdle}) {
        SCOPED_TRACE(static_cast<int>(code));
        if (!aw) {
            const TestWindows t = OpenTestWindows("AnimTestMain", &MainProc, kWidth, kHeight, &HostCallback);
            m_main = t.main;
            m_child = t.child;
            aw = t.aw;
            ASSERT_NE(aw, nullptr);
        }
        const HWND child = m_child;
        int destroyed = 0;
        host.answer = [&](ANIMWINDOW*, svcAnimWindow c, unsigned, long) {
            if (c == code && !destroyed) {
                destroyed = 1;
                DestroyWindow(child);
            }
            return 1;
        };
        if (code == svcawSequence) {
            ASSERT_EQ(aw->SetSequence(aw->GetNextFrameNumber(), 1u, 0), 1);
        }
        EXPECT_EQ(aw->Animate(3), 0);
        EXPECT_EQ(destroyed, 1);
        EXPECT_FALSE(IsWindow(child));
        host.answer = nullptr;
        aw = nullptr;
        m_child = nullptr;
    }
}
