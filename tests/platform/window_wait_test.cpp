// Waiting for input or a deadline, on the stepped clock.
#include "platform/base/syserror.h"
#include "platform/clock/clock.h"
#include "platform/window/window.h"

#include <gtest/gtest.h>

namespace {
LRESULT Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

class WaitTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window_system::Reset();
        clock_control::UseSteppedClock(5000);
        WNDCLASSA wc{};
        wc.lpfnWndProc = Proc;
        wc.lpszClassName = "WaitTest";
        RegisterClassA(&wc);
        hwnd = CreateWindowExA(0, "WaitTest", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&m);
    }
    void TearDown() override
    {
        window_system::Reset();
        clock_control::UseRealClock();
    }
    HWND hwnd = nullptr;
};
} // namespace

TEST_F(WaitTest, WithNothingNewTheSteppedClockMovesToTheDeadline)
{
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 40, QS_ALLINPUT), WAIT_TIMEOUT);
    EXPECT_EQ(GetTickCount(), 5040u);
}

TEST_F(WaitTest, NewInputWakesAtOnceButInputAlreadySeenDoesNot)
{
    PostMessageA(hwnd, WM_USER, 0, 0);
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 40, QS_ALLINPUT), WAIT_OBJECT_0);
    EXPECT_EQ(GetTickCount(), 5000u);
    // A reader looked and left the message there: it is no longer news.
    MSG m;
    EXPECT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 40, QS_ALLINPUT), WAIT_TIMEOUT);
    EXPECT_EQ(GetTickCount(), 5040u);
    window_system::PostInput(hwnd, WM_KEYDOWN, 'A', 0);
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 40, QS_ALLINPUT), WAIT_OBJECT_0);
}

TEST_F(WaitTest, ATimerFallingDueBeforeTheDeadlineEndsTheWaitThere)
{
    SetTimer(hwnd, 1, 15, nullptr);
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 40, QS_ALLINPUT), WAIT_OBJECT_0);
    EXPECT_EQ(GetTickCount(), 5015u);
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_TIMER);
    // A timer due after the deadline does not matter.
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT), WAIT_TIMEOUT);
    EXPECT_EQ(GetTickCount(), 5025u);
}

TEST_F(WaitTest, KernelObjectsCannotBeWaitedFor)
{
    HANDLE h = nullptr;
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &h, FALSE, 10, QS_ALLINPUT), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}
