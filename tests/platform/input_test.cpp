#include "platform/input/input.h"

#include <gtest/gtest.h>

class InputStore : public ::testing::Test {
protected:
    void SetUp() override { input_store::Reset(); }
    void TearDown() override { input_store::Reset(); }
};

TEST_F(InputStore, KeyStateHasDownBitAndToggleBit)
{
    EXPECT_EQ(GetKeyState(VK_SPACE), 0);
    input_store::SetKeyDown(VK_SPACE, true);
    EXPECT_LT(GetKeyState(VK_SPACE), 0);
    EXPECT_EQ(GetKeyState(VK_SPACE) & 1, 1);
    input_store::SetKeyDown(VK_SPACE, true);  // auto-repeat does not toggle
    EXPECT_EQ(GetKeyState(VK_SPACE) & 1, 1);
    input_store::SetKeyDown(VK_SPACE, false);
    EXPECT_EQ(GetKeyState(VK_SPACE), 1);
    input_store::SetKeyDown(VK_SPACE, true);
    EXPECT_EQ(GetKeyState(VK_SPACE) & 1, 0);
    EXPECT_EQ(GetKeyState(-1), 0);
    EXPECT_EQ(GetKeyState(300), 0);
}

TEST_F(InputStore, SidedModifiersShowInTheirCommonCode)
{
    input_store::SetKeyDown(VK_RCONTROL, true);
    EXPECT_LT(GetKeyState(VK_CONTROL), 0);
    input_store::SetKeyDown(VK_LCONTROL, true);
    input_store::SetKeyDown(VK_RCONTROL, false);
    EXPECT_LT(GetKeyState(VK_CONTROL), 0);
    input_store::SetKeyDown(VK_LCONTROL, false);
    EXPECT_GE(GetKeyState(VK_CONTROL), 0);
}

TEST_F(InputStore, CursorStaysInsideTheClipWithExclusiveEdges)
{
    const RECT box{0, 0, 256, 256};
    ASSERT_TRUE(ClipCursor(&box));
    SetCursorPos(300, -5);
    POINT p{};
    GetCursorPos(&p);
    EXPECT_EQ(p.x, 255);
    EXPECT_EQ(p.y, 0);
    RECT got{};
    GetClipCursor(&got);
    EXPECT_EQ(got.right, 256);
    ClipCursor(nullptr);
    SetCursorPos(300, 400);
    GetCursorPos(&p);
    EXPECT_EQ(p.x, 300);
    EXPECT_FALSE(input_store::ClipActive(nullptr));
}

TEST_F(InputStore, MessagePosPacksSignedWords)
{
    input_store::SetMessagePos(128, 130);
    EXPECT_EQ(GetMessagePos(), 0x00820080u);
    input_store::SetMessagePos(-2, 5);
    const DWORD pos = GetMessagePos();
    EXPECT_EQ(static_cast<SHORT>(LOWORD(pos)), -2);
    EXPECT_EQ(static_cast<SHORT>(HIWORD(pos)), 5);
}

TEST_F(InputStore, ShowCountRisesAndFalls)
{
    EXPECT_EQ(ShowCursor(FALSE), -1);
    EXPECT_EQ(ShowCursor(FALSE), -2);
    EXPECT_EQ(ShowCursor(TRUE), -1);
    EXPECT_EQ(input_store::CursorShowCount(), -1);
}

TEST_F(InputStore, JoystickAbsentFailsAndPresentReportsRangesAndButtons)
{
    JOYINFOEX info{};
    info.dwSize = sizeof info;
    info.dwFlags = JOY_RETURNALL;
    JOYCAPSA caps{};
    EXPECT_NE(joyGetPosEx(JOYSTICKID1, &info), JOYERR_NOERROR);
    EXPECT_NE(joyGetDevCapsA(JOYSTICKID1, &caps, sizeof caps), JOYERR_NOERROR);
    EXPECT_EQ(caps.wXmax, 0u);

    input_store::JoystickState j;
    j.present = true;
    j.xmax = j.ymax = 65535;
    j.x = 100;
    j.y = 65000;
    j.buttons = JOY_BUTTON1 | JOY_BUTTON3;
    j.numButtons = 4;
    input_store::SetJoystick(j);
    ASSERT_EQ(joyGetPosEx(JOYSTICKID1, &info), JOYERR_NOERROR);
    EXPECT_EQ(info.dwXpos, 100u);
    EXPECT_EQ(info.dwYpos, 65000u);
    EXPECT_EQ(info.dwButtons, 5u);
    EXPECT_EQ(info.dwButtonNumber, 2u);
    ASSERT_EQ(joyGetDevCapsA(JOYSTICKID1, &caps, sizeof caps), JOYERR_NOERROR);
    EXPECT_EQ(caps.wXmax, 65535u);
    EXPECT_EQ(joyGetDevCapsA(1, &caps, sizeof caps), JOYERR_PARMS);
}
