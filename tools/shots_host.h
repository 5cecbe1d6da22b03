// What the picture-taking tools share: a folder for the pictures, a settings
// store of the tool's own, a main window holding one animation window, the
// idle step that pumps the message queue, and saving the screen as PNG.
#pragma once

#include "anim/animwin.h"
#include "anim/display.h"
#include "platform/ddraw/presenter.h"
#include "platform/window/window.h"
#include "screens/screenbox.h"
#include "tools/shots_png.h"
#include "tools/tool_window.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

namespace shots {

struct Session {
    const char* tool = "shots"; // names the tool in its messages
    std::string folder = ".";
    int failures = 0;
    // Run at every idle call before a message is pumped; a tool sets it to
    // act while a nested frame loop (a message box) runs.
    std::function<void()> onIdle;
};

inline Session& Current()
{
    static Session s;
    return s;
}

// The idle call's share of a tool's window service.
inline void IdleStep(svcAnimWindow code)
{
    if (code != svcawIdle)
        return;
    if (Current().onIdle)
        Current().onIdle();
    MSG msg;
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// The tools' main window ignores commands and closing: they end by
// themselves.
inline LRESULT QuietMainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_CLOSE || msg == WM_COMMAND)
        return 0;
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// Saves the last presented picture as folder/name.png; a failure is
// counted and reported.
inline void Shot(const char* name)
{
    Session& s = Current();
    int w = 0, h = 0;
    const auto& picture = presenter::LastPicture(&w, &h);
    const std::string path = s.folder + "/" + name + ".png";
    if (w <= 0 || !SavePng(path, picture, w, h)) {
        std::fprintf(stderr, "%s: cannot write %s\n", s.tool, path.c_str());
        ++s.failures;
        return;
    }
    std::printf("%s\n", path.c_str());
}

// Shows an on-screen message box over what is on screen, saves its picture
// once it has slid in and waited a few frames, then answers it with button
// (kBoxFirstButton or kBoxSecondButton).
inline void BoxShot(int type, LONG idText, const char* name, LONG button)
{
    int waiting = 0;
    Current().onIdle = [&] {
        if (!ScreenBox().pPanel || ScreenBox().lStep != 50 || ScreenBox().nAnswer)
            return;
        if (++waiting == 3) {
            Shot(name);
            MessageBoxCommand(button);
        }
    };
    ScreenMessageBox(type, idText, nullptr);
    Current().onIdle = nullptr;
}

// Makes the picture folder (argv[1], else the current folder) and the
// tool's settings store under the temporary folder, then a visible main
// window of width x height with an animation window filling it, served by
// service. Null after a message when any of it fails.
inline HWND OpenShotWindow(const char* tool, int argc, char** argv, int width, int height, ANIMWINDOWCALLBACK service,
                           HWND* child)
{
    Session& s = Current();
    s.tool = tool;
    s.folder = argc > 1 ? argv[1] : ".";
    std::error_code ignored;
    std::filesystem::create_directories(s.folder, ignored);
    const std::string store = (std::filesystem::temp_directory_path() / (std::string("varno-") + tool)).string();
    std::filesystem::create_directories(store, ignored);
    setenv("XDG_CONFIG_HOME", store.c_str(), 1);
    HWND main = nullptr;
    ANIMWINDOW* aw = tools::OpenToolWindow(tool, tool, "Varno", QuietMainProc, width, height, service, &main);
    if (!aw)
        return nullptr;
    *child = aw->GetWindow();
    return main;
}

} // namespace shots
