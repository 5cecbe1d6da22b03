#include "platform/input/input.h"
#include "platform/window/events.h"
#include "platform/window/gamepad.h"

#include <SDL.h>
#include <gtest/gtest.h>

namespace {

TEST(Gamepad, AxisValuesMapOntoTheFullUnsignedRange)
{
    EXPECT_EQ(platform_gamepad::AxisToPosition(-32768), 0u);
    EXPECT_EQ(platform_gamepad::AxisToPosition(0), 32768u);
    EXPECT_EQ(platform_gamepad::AxisToPosition(32767), 65535u);
    EXPECT_EQ(platform_gamepad::AxisToPosition(-40000), 0u);
}

// A virtual joystick stands in for a plugged-in device: it has no controller
// mapping, so the raw joystick path is used.
class VirtualJoystick : public ::testing::Test {
protected:
    void SetUp() override
    {
        input_store::Reset();
        ASSERT_TRUE(platform_events::EnsureSdl());
        ASSERT_TRUE(platform_gamepad::Start());
        index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 4, 1);
        if (index < 0)
            GTEST_SKIP() << "no virtual joystick: " << SDL_GetError();
        Pump();
        device = SDL_JoystickOpen(index);
        ASSERT_NE(device, nullptr);
    }
    void TearDown() override
    {
        if (device)
            SDL_JoystickClose(device);
        if (index >= 0)
            SDL_JoystickDetachVirtual(index);
        Pump();
        platform_gamepad::Stop();
    }
    static void Pump()
    {
        for (int i = 0; i < 3; ++i)
            platform_events::Pump(0);
    }
    int index = -1;
    SDL_Joystick* device = nullptr;
};

TEST_F(VirtualJoystick, PluggedDeviceBecomesJoystickOneWithItsAxesAndButtons)
{
    JOYCAPSA caps {};
    ASSERT_EQ(joyGetDevCapsA(JOYSTICKID1, &caps, sizeof caps), JOYERR_NOERROR);
    EXPECT_EQ(caps.wXmin, 0u);
    EXPECT_EQ(caps.wXmax, 65535u);

    SDL_JoystickSetVirtualAxis(device, 0, 32767);
    SDL_JoystickSetVirtualAxis(device, 1, -32768);
    SDL_JoystickSetVirtualButton(device, 0, 1);
    SDL_JoystickSetVirtualButton(device, 2, 1);
    Pump();
    JOYINFOEX info {};
    info.dwSize = sizeof info;
    info.dwFlags = JOY_RETURNALL;
    ASSERT_EQ(joyGetPosEx(JOYSTICKID1, &info), JOYERR_NOERROR);
    EXPECT_EQ(info.dwXpos, 65535u);
    EXPECT_EQ(info.dwYpos, 0u);
    EXPECT_EQ(info.dwButtons, 0x5u);

    // The hat overrides the stick while held and gives it back on release.
    SDL_JoystickSetVirtualHat(device, 0, SDL_HAT_LEFTDOWN);
    Pump();
    ASSERT_EQ(joyGetPosEx(JOYSTICKID1, &info), JOYERR_NOERROR);
    EXPECT_EQ(info.dwXpos, 1u);
    EXPECT_EQ(info.dwYpos, 65535u);
    SDL_JoystickSetVirtualHat(device, 0, SDL_HAT_CENTERED);
    Pump();
    ASSERT_EQ(joyGetPosEx(JOYSTICKID1, &info), JOYERR_NOERROR);
    EXPECT_EQ(info.dwXpos, 65535u);
}

TEST_F(VirtualJoystick, UnpluggingLeavesNoJoystick)
{
    SDL_JoystickClose(device);
    device = nullptr;
    SDL_JoystickDetachVirtual(index);
    index = -1;
    Pump();
    JOYINFOEX info {};
    info.dwSize = sizeof info;
    info.dwFlags = JOY_RETURNALL;
    EXPECT_EQ(joyGetPosEx(JOYSTICKID1, &info), JOYERR_UNPLUGGED);
}

} // namespace
