// Video modes: which modes are accepted, the start-up mode and its
// fallback, the stepping commands and the settings kept with the mode.
#include "anim/display.h"
#include "game/game.h"
#include "platform/msgbox/msgbox.h"
#include "platform/registry/registry.h"
#include "platform/window/window.h"
#include "shell/settings.h"
#include "shell/videomode.h"
#include "support/textres.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

LRESULT MainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

std::vector<UINT> g_noModeMessages;
void RecordNoMode(UINT id)
{
    g_noModeMessages.push_back(id);
}

// The display bound to a main window, settings in a store of the test's
// own, and every message box recorded instead of shown.
class VideoModes : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(Display, nullptr);
        folder = std::filesystem::temp_directory_path() / ("varno-videomode-" + std::to_string(::getpid()));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
        registry_store::Reload();
        g = GAME{};
        SettingsDefaults(&g.Settings);
        SetLanguage(1033);
        window_system::Reset();
        WNDCLASSA wc{};
        wc.lpfnWndProc = MainProc;
        wc.lpszClassName = "VideoModeTestMain";
        RegisterClassA(&wc);
        main = CreateWindowExA(0, "VideoModeTestMain", "test", WS_POPUP | WS_VISIBLE, 0, 0, 320, 240, nullptr, nullptr,
                               nullptr, nullptr);
        ASSERT_EQ(Display->SetMainWindow(main), 1);
        previous = msgbox::SetHandler([this](const msgbox::Request& r) {
            boxes.push_back(r.text);
            return IDOK;
        });
        g_noModeMessages.clear();
        SetNoModeMessageProc(RecordNoMode);
    }

    void TearDown() override
    {
        SetNoModeMessageProc(nullptr);
        msgbox::SetHandler(previous);
        FreeVideoModeList();
        Display->RestoreVideoMode();
        Display->SetMainWindow(nullptr);
        window_system::Reset();
        registry_store::Reload();
        std::filesystem::remove_all(folder);
    }

    // The settings as the store holds them now.
    SETTINGS Stored()
    {
        const SETTINGS kept = g.Settings;
        g.Settings = SETTINGS{};
        EXPECT_TRUE(LoadSettings());
        const SETTINGS stored = g.Settings;
        g.Settings = kept;
        return stored;
    }

    std::filesystem::path folder;
    HWND main = nullptr;
    msgbox::Handler previous;
    std::vector<std::string> boxes;
};

} // namespace

TEST(VideoModeRules, OnlyDeepTallNarrowModesAreAccepted)
{
    EXPECT_TRUE(fAcceptableMode(640, 480, 16));
    EXPECT_TRUE(fAcceptableMode(1152, 864, 32));
    EXPECT_FALSE(fAcceptableMode(640, 480, 8));
    EXPECT_FALSE(fAcceptableMode(640, 400, 16));
    EXPECT_FALSE(fAcceptableMode(1280, 1024, 16));
}

TEST(VideoModeRules, SteppingChoosesTheNearestModeThatWay)
{
    const ACCEPTEDMODE modes[] = {{640, 480, 16}, {1024, 768, 16}, {1152, 864, 16}, {1024, 768, 32}};
    // Higher Resolution at 800 x 600 x 16: the nearest wider mode of the
    // same depth.
    EXPECT_EQ(FindSteppedMode(modes, 4, 800, 16, +1, 0), 1);
    EXPECT_EQ(FindSteppedMode(modes, 4, 800, 16, -1, 0), 0);
    EXPECT_EQ(FindSteppedMode(modes, 4, 1024, 16, 0, +1), 3);
    EXPECT_EQ(FindSteppedMode(modes, 4, 1024, 32, 0, -1), 1);
    // No deeper mode at this width, though another width has one.
    EXPECT_EQ(FindSteppedMode(modes, 4, 1152, 16, 0, +1), -1);
    EXPECT_EQ(FindSteppedMode(modes, 4, 640, 16, -1, 0), -1);
    EXPECT_EQ(FindSteppedMode(modes, 0, 640, 16, +1, 0), -1);
}

TEST(VideoModeRules, AmongEqualModesTheLaterWinsWhateverItsHeight)
{
    const ACCEPTEDMODE modes[] = {{800, 600, 16}, {800, 640, 16}, {1024, 768, 16}, {800, 480, 16}};
    EXPECT_EQ(FindSteppedMode(modes, 4, 640, 16, +1, 0), 3);
    // Nearest in both directions at once.
    const ACCEPTEDMODE both[] = {{1024, 768, 32}, {800, 600, 24}, {800, 600, 32}, {1152, 864, 24}};
    EXPECT_EQ(FindSteppedMode(both, 4, 640, 16, +1, +1), 1);
}

TEST_F(VideoModes, TheListHoldsTheAcceptedModesInTheDisplaysOrder)
{
    ASSERT_EQ(BuildVideoModeList(), 8u);
    const ACCEPTEDMODELIST& list = AcceptedVideoModes();
    ASSERT_EQ(list.count, 8u);
    EXPECT_GE(list.capacity, 8u);
    EXPECT_EQ(list.capacity % 10, 0u);
    for (unsigned i = 0; i < list.count; ++i)
        EXPECT_TRUE(fAcceptableMode(list.aModes[i].dwWidth, list.aModes[i].dwHeight, list.aModes[i].wDepth));
    EXPECT_EQ(list.aModes[0].dwWidth, 640u);
    EXPECT_EQ(list.aModes[0].wDepth, 16);
    EXPECT_EQ(list.aModes[1].wDepth, 32);
    EXPECT_EQ(list.aModes[7].dwWidth, 1152u);
    // Built again, it is not doubled.
    EXPECT_EQ(BuildVideoModeList(), 8u);
}

TEST_F(VideoModes, TheStoredModeIsSetAtStartUp)
{
    g.Settings.lVideoWidth = 1024;
    g.Settings.lVideoHeight = 768;
    g.Settings.wColourDepth = 32;
    ASSERT_TRUE(SetStartupVideoMode());
    EXPECT_EQ(Display->GetWidth(), 1024);
    EXPECT_EQ(Display->GetDepth(), 32);
    EXPECT_EQ(Display->GetAnimMethod(), amFlipTriple);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(VideoModes, AStoredModeThatNoLongerExistsFallsBackAndIsStored)
{
    g.Settings.lVideoWidth = 1000;
    g.Settings.lVideoHeight = 700;
    g.Settings.wColourDepth = 32;
    ASSERT_TRUE(SetStartupVideoMode());
    EXPECT_EQ(Display->GetWidth(), 640);
    EXPECT_EQ(Display->GetHeight(), 480);
    EXPECT_EQ(Display->GetDepth(), 16);
    EXPECT_EQ(g.Settings.lVideoWidth, 640);
    EXPECT_EQ(g.Settings.wColourDepth, 16);
    const SETTINGS stored = Stored();
    EXPECT_EQ(stored.lVideoWidth, 640);
    EXPECT_EQ(stored.lVideoHeight, 480);
    EXPECT_EQ(stored.wColourDepth, 16);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(VideoModes, WithNoModeAtAllStartUpFailsWithItsMessage)
{
    // Without a main window the display sets no mode.
    Display->SetMainWindow(nullptr);
    EXPECT_FALSE(SetStartupVideoMode());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind("Varno was unable to find any acceptable video modes.", 0), 0u) << boxes[0];
}

TEST_F(VideoModes, SteppingSetsTheNextModeAndTheChangeIsStored)
{
    BuildVideoModeList();
    ASSERT_EQ(Display->SetVideoMode(800, 600, 16, amFlipTriple), 1);
    ASSERT_TRUE(StepVideoMode(+1, 0));
    EXPECT_EQ(Display->GetWidth(), 1024);
    EXPECT_EQ(Display->GetHeight(), 768);
    EXPECT_EQ(Display->GetDepth(), 16);
    VideoModeChanged();
    EXPECT_EQ(Stored().lVideoWidth, 1024);

    ASSERT_TRUE(StepVideoMode(0, +1));
    EXPECT_EQ(Display->GetDepth(), 32);
    ASSERT_TRUE(StepVideoMode(-1, 0));
    EXPECT_EQ(Display->GetWidth(), 800);
    EXPECT_EQ(Display->GetDepth(), 32);
    VideoModeChanged();
    const SETTINGS stored = Stored();
    EXPECT_EQ(stored.lVideoWidth, 800);
    EXPECT_EQ(stored.lVideoHeight, 600);
    EXPECT_EQ(stored.wColourDepth, 32);
    EXPECT_TRUE(g_noModeMessages.empty());
}

TEST_F(VideoModes, NoModeThatWayShowsItsMessageAndKeepsTheMode)
{
    BuildVideoModeList();
    ASSERT_EQ(Display->SetVideoMode(1152, 864, 32, amFlipTriple), 1);
    EXPECT_FALSE(StepVideoMode(0, +1));
    EXPECT_FALSE(StepVideoMode(+1, 0));
    EXPECT_EQ(g_noModeMessages, (std::vector<UINT>{38, 38}));
    EXPECT_EQ(Display->GetWidth(), 1152);
    EXPECT_EQ(Display->GetDepth(), 32);

    // The 8-bit modes the display offers are never chosen.
    ASSERT_EQ(Display->SetVideoMode(640, 480, 16, amFlipTriple), 1);
    EXPECT_FALSE(StepVideoMode(0, -1));
    EXPECT_EQ(Display->GetDepth(), 16);

    // Without the on-screen box, the system box shows the message.
    SetNoModeMessageProc(nullptr);
    EXPECT_FALSE(StepVideoMode(-1, 0));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "There are no video modes which match the requested criteria.");
}
