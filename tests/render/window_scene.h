// The game's scene on a real animation window: a main window with one
// "AnimWindow" child whose callback passes the 3D services to the scene, the
// display bound to it, settings kept in memory, the stepped clock, and the
// message boxes and failed internal checks recorded.
#pragma once

#include "anim/animwin.h"
#include "anim/animwin_iface.h"
#include "anim/display.h"
#include "anim/lasterror.h"
#include "game/game.h"
#include "platform/clock/clock.h"
#include "platform/clock/crt.h"
#include "platform/d3drm/d3drm.h"
#include "platform/msgbox/msgbox.h"
#include "platform/window/window.h"
#include "tests/test_windows.h"
#include "render/scene.h"
#include "render/title.h"
#include "render/visual.h"
#include "support/textres.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace scenetest {

inline std::vector<std::string>& Checks()
{
    static std::vector<std::string> failed;
    return failed;
}

inline int RecordCheck(int fOK, const char* expression, const char*, unsigned long)
{
    if (!fOK)
        Checks().push_back(expression ? expression : "");
    return fOK;
}

inline int GameWindowCallback(ANIMWINDOW* paw, svcAnimWindow code, unsigned, long)
{
    return SceneWindowService(paw, code);
}

inline LRESULT MainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

class WindowScene : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(Display, nullptr);
        Checks().clear();
        ZephaneSetAssertFunction(RecordCheck);
        clock_control::UseSteppedClock(1000);
        crt::srand(1);
        g = GAME{};
        SettingsDefaults(&g.Settings);
        SettingsKeepInMemory(true);
        SetLanguage(1033);
        previous = msgbox::SetHandler([this](const msgbox::Request& r) {
            boxes.push_back(r.text);
            return IDOK;
        });
        window_system::Reset();
        const TestWindows t = OpenTestWindows("SceneTestMain", &MainProc, 320, 240, &GameWindowCallback);
        main = t.main;
        child = t.child;
        aw = t.aw;
        ASSERT_NE(aw, nullptr);
        g.Render.paw = aw;
    }

    void TearDown() override
    {
        HideTitleScene();
        ReleaseScene();
        if (aw && aw->fIs3dEnabled())
            aw->Enable3d(0);
        Display->RestoreVideoMode();
        Display->SetMainWindow(nullptr);
        window_system::Reset();
        msgbox::SetHandler(previous);
        SettingsKeepInMemory(false);
        clock_control::UseRealClock();
        ZephaneSetAssertFunction(nullptr);
        EXPECT_TRUE(Checks().empty()) << Checks().front();
    }

    // Does frame hang (at any depth) below ancestor?
    static bool Below(IDirect3DRMFrame2* frame, IDirect3DRMFrame2* ancestor)
    {
        for (IDirect3DRMFrame2* f = frame ? frame->GetParentFrame() : nullptr; f; f = f->GetParentFrame())
            if (f == ancestor)
                return true;
        return false;
    }

    HWND main = nullptr;
    HWND child = nullptr;
    ANIMWINDOW* aw = nullptr;
    msgbox::Handler previous;
    std::vector<std::string> boxes;
};

} // namespace scenetest
