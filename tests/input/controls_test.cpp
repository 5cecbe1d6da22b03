#include "game/fixture.h"
#include "input/controls.h"
#include "input/gameinput.h"
#include "platform/input/input.h"
#include "shell/cursor.h"

#include <cmath>
#include <initializer_list>

namespace {

constexpr float kNormalStep = 0.075f;

class Controls : public PlayField {
protected:
    void SetUp() override
    {
        PlayField::SetUp();
        input_store::Reset();
        SetCursorWanted(TRUE);
        // An open field: one Gray cube far away at the start, the figure in
        // the middle with room on every side.
        Start(5, 10, 0, 3, {{0, 0, ckGray}});
        g.Settings.dwDifficulty = diffNormal;
        startX = g.Avatar.X;
        startZ = g.Avatar.Z;
    }
    void TearDown() override
    {
        EndMouseCapture();
        input_store::Reset();
        PlayField::TearDown();
    }

    void Keys(std::initializer_list<int> keys)
    {
        input_store::ReleaseAllKeys();
        for (int vk : keys)
            input_store::SetKeyDown(vk, true);
    }

    // One keyboard poll with exactly these keys down.
    void PollKeys(std::initializer_list<int> keys)
    {
        g.Settings.ControlDevice = cdKeyboard;
        Keys(keys);
        PollControls();
    }

    // One mouse poll after the real cursor moved by (dx, dy) from the centre
    // of its box; the re-centring then reaches the message position, as the
    // window system's move message does.
    void MouseMove(int dx, int dy)
    {
        input_store::SetMessagePos(kMouseBoxCentre + dx, kMouseBoxCentre + dy);
        PollControls();
        input_store::SetMessagePos(kMouseBoxCentre, kMouseBoxCentre);
    }

    float Moved() const { return std::hypot(g.Avatar.X - startX, g.Avatar.Z - startZ); }

    bool MineActive() const
    {
        for (const MINE& m : g.ActivePuzzle.aMines)
            if (m.bActive)
                return true;
        return false;
    }

    float startX = 0, startZ = 0;
};

TEST_F(Controls, HeldActionKeyActsOncePerPress)
{
    for (int frame = 0; frame < 30; ++frame)
        PollKeys({VK_SPACE});
    // One plant; a repeat would have detonated the mine at once.
    EXPECT_TRUE(MineActive());
    EXPECT_EQ(g.lMinesRemaining, 2);
    EXPECT_EQ(Count("place.wav"), 1);

    PollKeys({});
    PollKeys({VK_SPACE}); // a new press detonates
    EXPECT_FALSE(MineActive());
    EXPECT_EQ(Count("hitnone.wav"), 1);
    EXPECT_EQ(Count("place.wav"), 1);
}

TEST_F(Controls, ActionCommandsComeInTheirOrder)
{
    // Plant and clear in the same frame: the planted mine is cleared and
    // given back. The other order would leave a mine on the field.
    PollKeys({VK_SPACE, VK_CONTROL});
    EXPECT_FALSE(MineActive());
    EXPECT_EQ(g.lMinesRemaining, 3);
    EXPECT_EQ(Count("place.wav"), 1);

    // Return rolls the cubes on at once, with a short roll.
    ASSERT_EQ(g.ActivePuzzle.fRollAngle, 0.0f);
    PollKeys({VK_RETURN});
    EXPECT_NE(g.ActivePuzzle.fRollAngle, 0.0f);
    EXPECT_EQ(g.ActivePuzzle.lStepTime, 300);
}

TEST_F(Controls, EachDeviceRemembersItsOwnButtons)
{
    PollKeys({VK_SPACE});
    ASSERT_EQ(g.lMinesRemaining, 2);
    // On the joystick nothing is pressed; back on the keyboard, the Space
    // held all along is no new press.
    g.Settings.ControlDevice = cdJoystick;
    PollControls();
    g.Settings.ControlDevice = cdKeyboard;
    PollControls();
    EXPECT_TRUE(MineActive());
    EXPECT_EQ(Count("place.wav"), 1);

    // The mouse's first press counts even though the keyboard's button is
    // still held.
    input_store::SetKeyDown(VK_LBUTTON, true);
    g.Settings.ControlDevice = cdMouse;
    PollControls();
    EXPECT_FALSE(MineActive()); // detonated
}

TEST_F(Controls, KeyboardDirectionsFollowTheFirstMatchingRule)
{
    const float pi = kPi;
    struct {
        std::initializer_list<int> keys;
        float heading;
    } cases[] = {
        {{VK_RIGHT, VK_UP}, pi / 4},
        {{VK_NUMPAD9}, pi / 4},
        {{VK_RIGHT, VK_DOWN}, 7 * pi / 4},
        {{VK_NUMPAD3}, 7 * pi / 4},
        {{VK_RIGHT}, 0},
        {{VK_NUMPAD6}, 0},
        {{VK_RIGHT, VK_NUMPAD7}, 0},
        {{VK_LEFT, VK_UP}, 3 * pi / 4},
        {{VK_NUMPAD7}, 3 * pi / 4},
        {{VK_LEFT, VK_DOWN}, 5 * pi / 4},
        {{VK_NUMPAD1}, 5 * pi / 4},
        {{VK_LEFT}, pi},
        {{VK_NUMPAD4}, pi},
        {{VK_UP}, pi / 2},
        {{VK_NUMPAD8}, pi / 2},
        {{VK_DOWN}, 3 * pi / 2},
        {{VK_NUMPAD2}, 3 * pi / 2},
        {{VK_UP, VK_NUMPAD4}, pi},
        {{VK_DOWN, VK_NUMPAD9}, pi / 4},
    };
    int i = 0;
    for (const auto& c : cases) {
        g.Avatar.X = startX;
        g.Avatar.Z = startZ;
        PollKeys(c.keys);
        EXPECT_NEAR(g.Avatar.fHeading, c.heading, 1e-6) << "case " << i;
        // Full step from the first frame.
        EXPECT_NEAR(g.Avatar.X - startX, kNormalStep * std::cos(c.heading), 1e-5) << "case " << i;
        EXPECT_NEAR(g.Avatar.Z - startZ, kNormalStep * std::sin(c.heading), 1e-5) << "case " << i;
        ++i;
    }
}

TEST_F(Controls, OppositeKeysOrNoKeysStopTheFigure)
{
    for (auto keys : {std::initializer_list<int>{VK_LEFT, VK_RIGHT, VK_UP},
                      {VK_UP, VK_DOWN, VK_RIGHT},
                      std::initializer_list<int>{}}) {
        PollKeys({VK_UP});
        PollKeys({VK_UP});
        ASSERT_TRUE(g.Avatar.fWalking);
        const float x = g.Avatar.X, z = g.Avatar.Z;
        PollKeys(keys);
        EXPECT_FALSE(g.Avatar.fWalking);
        EXPECT_EQ(g.Avatar.X, x);
        EXPECT_EQ(g.Avatar.Z, z);
        // It keeps facing the way it last walked.
        EXPECT_NEAR(g.Avatar.fHeading, kPi / 2, 1e-6);
    }
}

TEST_F(Controls, MouseCaptureHoldsTheCursorInItsBox)
{
    LONG x = -1, y = -1;
    ReadMouse(&x, &y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);

    input_store::SetCursor(600, 400);
    BeginMouseCapture(5, 10);
    RECT clip{};
    ASSERT_TRUE(input_store::ClipActive(&clip));
    EXPECT_EQ(clip.left, 0);
    EXPECT_EQ(clip.top, 0);
    EXPECT_EQ(clip.right, 256);
    EXPECT_EQ(clip.bottom, 256);
    POINT p{};
    GetCursorPos(&p);
    EXPECT_EQ(p.x, 128);
    EXPECT_EQ(p.y, 128);
    EXPECT_FALSE(fCursorWanted());
    ReadMouse(&x, &y);
    EXPECT_EQ(x, 500); // the field's centre
    EXPECT_EQ(y, 1000);

    // A new puzzle ends the capture still active first: one End gives the
    // mouse back.
    BeginMouseCapture(4, 8);
    ReadMouse(&x, &y);
    EXPECT_EQ(x, 400);
    EXPECT_EQ(y, 800);
    EndMouseCapture();
    EXPECT_FALSE(input_store::ClipActive(nullptr));
    EXPECT_TRUE(fCursorWanted());
    EXPECT_FALSE(InputMouseActive());
    // Without a capture the virtual cursor cannot be moved.
    SetMousePosition(10, 10);
    ReadMouse(&x, &y);
    EXPECT_EQ(x, 0);
}

TEST_F(Controls, VirtualCursorMovesByRawDeltasInsideTheField)
{
    g.Settings.ControlDevice = cdMouse;
    BeginMouseCapture(5, 10);
    SetMousePosition(500, 1000);
    input_store::SetCursor(140, 100);
    MouseMove(12, -28);
    LONG x, y;
    ReadMouse(&x, &y);
    EXPECT_EQ(x, 512);
    EXPECT_EQ(y, 972);
    POINT p{};
    GetCursorPos(&p);
    EXPECT_EQ(p.x, 128); // put back to the box centre
    EXPECT_EQ(p.y, 128);
    // Far beyond the edges: held at the last unit inside the field.
    for (int i = 0; i < 20; ++i)
        MouseMove(127, -127);
    ReadMouse(&x, &y);
    EXPECT_EQ(x, 999);
    EXPECT_EQ(y, 0);
    for (int i = 0; i < 30; ++i)
        MouseMove(-128, 127);
    ReadMouse(&x, &y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 1999);
    SetMousePosition(-50, 5000);
    ReadMouse(&x, &y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 1999);
}

TEST_F(Controls, MouseTargetWithinOneStepStopsFurtherWalks)
{
    g.Settings.ControlDevice = cdMouse;
    BeginMouseCapture(5, 10);
    // Placing the figure puts the mouse target under it.
    SetUpField();
    g.lGameState = gsPlaying;
    startX = g.Avatar.X;
    startZ = g.Avatar.Z;
    LONG x, y;
    ReadMouse(&x, &y);
    EXPECT_EQ(x, static_cast<LONG>((2.5f + startX) * 200));
    EXPECT_EQ(y, static_cast<LONG>((0.01f - startZ) * 200));

    // 0.07 across and 0.05 along from a target 0.01 behind the figure: both
    // within the step of 0.075.
    MouseMove(14, -10);
    EXPECT_EQ(g.Avatar.X, startX);
    EXPECT_EQ(g.Avatar.Z, startZ);
    EXPECT_FALSE(g.Avatar.fWalking);
    EXPECT_EQ(g.Avatar.pVisualTarget, nullptr);
    // The figure turns to face the target.
    EXPECT_NEAR(g.Avatar.fHeading, std::atan2(0.05f - 0.01f, 0.07f), 0.03);

    // 0.08 across: one full step towards the target, which is shown.
    MouseMove(2, 0);
    EXPECT_NEAR(Moved(), kNormalStep, 1e-5);
    EXPECT_GT(g.Avatar.X, startX);
    ASSERT_NE(g.Avatar.pVisualTarget, nullptr);
    EXPECT_NEAR(g.Avatar.fTargetX, startX + 0.08f, 0.006);

    // Further along the field only: a full step again, mostly along Z.
    startX = g.Avatar.X;
    startZ = g.Avatar.Z;
    MouseMove(0, 60);
    EXPECT_NEAR(Moved(), kNormalStep, 1e-5);
    EXPECT_LT(g.Avatar.Z, startZ - 0.05f);

    // Arrived: the marker goes.
    SetMousePosition(static_cast<LONG>((2.5f + g.Avatar.X) * 200), static_cast<LONG>(-g.Avatar.Z * 200));
    MouseMove(0, 0);
    EXPECT_EQ(g.Avatar.pVisualTarget, nullptr);
}

TEST_F(Controls, ResumingWithTheMouseStartsAtTheFieldCentre)
{
    g.Settings.ControlDevice = cdMouse;
    BeginMouseCapture(5, 10);
    SetUpField();
    g.lGameState = gsPlaying;
    for (int i = 0; i < 5; ++i)
        MouseMove(40, 30);
    // Pause, then resume with the same field.
    EndMouseCapture();
    EXPECT_FALSE(input_store::ClipActive(nullptr));
    BeginMouseCapture(5, 10);
    LONG x, y;
    ReadMouse(&x, &y);
    EXPECT_EQ(x, 500);
    EXPECT_EQ(y, 1000);
    EXPECT_TRUE(input_store::ClipActive(nullptr));
}

TEST_F(Controls, RepollAtACommitDoesNotTakeTheSameMouseMoveTwice)
{
    g.Settings.ControlDevice = cdMouse;
    BeginMouseCapture(5, 10);
    SetMousePosition(500, 1000);
    input_store::SetMessagePos(128 + 30, 128);
    PollControls();
    InputPollFigure(); // the message position is still the old one
    LONG x, y;
    ReadMouse(&x, &y);
    EXPECT_EQ(x, 530);
}

TEST_F(Controls, JoystickDiagonalWalksFartherThanTheKeyboard)
{
    PollKeys({VK_RIGHT, VK_UP});
    const float keyboard = Moved();
    ASSERT_NEAR(keyboard, kNormalStep, 1e-5);

    g.Avatar.X = startX;
    g.Avatar.Z = startZ;
    input_store::JoystickState j;
    j.present = true;
    j.xmax = j.ymax = 65535;
    j.x = 65535; // right
    j.y = 0;     // away from the player: up the screen
    input_store::SetJoystick(j);
    g.Settings.ControlDevice = cdJoystick;
    PollControls();
    EXPECT_NEAR(Moved() / keyboard, std::sqrt(2.0f), 1e-3);
    EXPECT_NEAR(g.Avatar.fHeading, kPi / 4, 1e-6);
    EXPECT_TRUE(g.Avatar.fWalking);
}

TEST_F(Controls, JoystickDeadZoneAndScaling)
{
    g.Settings.ControlDevice = cdJoystick;
    input_store::JoystickState j;
    j.present = true;
    j.xmin = 1000;
    j.xmax = 3000; // half 1000, dead within 100 of the centre 2000
    j.ymin = 0;
    j.ymax = 2000;
    // Just inside the dead zone on both axes: no move, facing angle 0.
    j.x = 2099;
    j.y = 901;
    input_store::SetJoystick(j);
    g.Avatar.fHeading = kPi;
    PollControls();
    EXPECT_EQ(g.Avatar.X, startX);
    EXPECT_EQ(g.Avatar.Z, startZ);
    EXPECT_FALSE(g.Avatar.fWalking);
    EXPECT_NEAR(g.Avatar.fHeading, 0, 1e-6);

    // Halfway out of the dead zone to the left: half a step.
    j.x = 1000 + 1000 - 550;
    j.y = 1000;
    input_store::SetJoystick(j);
    PollControls();
    EXPECT_NEAR(g.Avatar.X - startX, -kNormalStep * 0.5f, 1e-5);
    EXPECT_NEAR(g.Avatar.Z, startZ, 1e-6);

    // Pulled towards the player: down the screen.
    j.x = 2000;
    j.y = 2000;
    input_store::SetJoystick(j);
    PollControls();
    EXPECT_NEAR(std::cos(g.Avatar.fHeading), 0, 1e-6);
    EXPECT_NEAR(std::sin(g.Avatar.fHeading), -1, 1e-6);

    // Button 1 plants, button 2 clears, button 3 rolls; held buttons repeat
    // nothing.
    j.buttons = JOY_BUTTON1;
    input_store::SetJoystick(j);
    PollControls();
    PollControls();
    EXPECT_TRUE(MineActive());
    j.buttons = JOY_BUTTON1 | JOY_BUTTON2 | JOY_BUTTON3;
    input_store::SetJoystick(j);
    PollControls();
    EXPECT_FALSE(MineActive());
    EXPECT_EQ(g.lMinesRemaining, 3);
    EXPECT_NE(g.ActivePuzzle.fRollAngle, 0.0f);
}

TEST_F(Controls, EmptyJoystickRangesOrNoJoystickDoNothing)
{
    g.Settings.ControlDevice = cdJoystick;
    PollControls(); // none plugged in
    EXPECT_EQ(g.Avatar.X, startX);
    EXPECT_EQ(g.Avatar.Z, startZ);

    input_store::JoystickState j;
    j.present = true;
    j.xmax = 65535; // the Y range is empty
    j.x = 65535;
    j.buttons = JOY_BUTTON1;
    input_store::SetJoystick(j);
    g.Avatar.fHeading = 1.0f;
    PollControls();
    EXPECT_EQ(g.Avatar.X, startX);
    EXPECT_EQ(g.Avatar.fHeading, 1.0f);
    EXPECT_TRUE(MineActive()); // the buttons still count
}

TEST_F(Controls, UnknownDevicePollsNothing)
{
    BeginMouseCapture(5, 10);
    input_store::JoystickState j;
    j.present = true;
    j.xmax = j.ymax = 100;
    j.x = 100;
    j.buttons = JOY_BUTTON1;
    input_store::SetJoystick(j);
    Keys({VK_RIGHT, VK_SPACE, VK_LBUTTON, VK_RETURN});
    input_store::SetMessagePos(250, 250);
    g.Settings.ControlDevice = 3;
    for (int i = 0; i < 3; ++i)
        PollControls();
    EXPECT_EQ(g.Avatar.X, startX);
    EXPECT_EQ(g.Avatar.Z, startZ);
    EXPECT_FALSE(MineActive());
    EXPECT_EQ(g.ActivePuzzle.fRollAngle, 0.0f);
    LONG x, y;
    ReadMouse(&x, &y);
    EXPECT_EQ(x, 500);
}

TEST(StepLength, ByDifficultyWithNormalForUnknownValues)
{
    EXPECT_FLOAT_EQ(StepLength(diffEasy), 0.07f);
    EXPECT_FLOAT_EQ(StepLength(diffNormal), 0.075f);
    EXPECT_FLOAT_EQ(StepLength(diffHard), 0.08f);
    EXPECT_FLOAT_EQ(StepLength(diffImpossible), 0.085f);
    EXPECT_FLOAT_EQ(StepLength(4), 0.075f);
    EXPECT_FLOAT_EQ(StepLength(0xFFFFFFFF), 0.075f);
}

} // namespace
