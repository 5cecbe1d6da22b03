// The game's scene staged on a real display for pictures: a window at a
// video mode with 3D, and the moments a player sees (play on a field of
// width 6 with cubes of all five kinds rolling, the figure, a 3 x 3
// mine-field, gravel flying and reflections in the glass; the title cubes;
// the dive of the level introduction). Shared by the screenshot tool, the
// renderer benchmark and the picture test, which must stage the same frames.
#pragma once

#include "anim/animwin.h"
#include "anim/animwin_iface.h"
#include "anim/display.h"
#include "game/field.h"
#include "game/game.h"
#include "game/levelintro.h"
#include "game/mines.h"
#include "platform/clock/clock.h"
#include "platform/clock/crt.h"
#include "platform/d3drm/d3drm.h"
#include "platform/window/window.h"
#include "render/scene.h"
#include "render/title.h"
#include "render/visual.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace sceneshots {

inline int StageCallback(ANIMWINDOW* paw, svcAnimWindow code, unsigned, long)
{
    return SceneWindowService(paw, code);
}

inline LRESULT StageMainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// A picture: 0x00RRGGBB pixels, rows from the top.
struct Picture {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
};

class Stage {
public:
    // The display in a full-screen mode with the scene set up on it.
    bool Open(long width, long height, unsigned short depth)
    {
        clock_control::UseSteppedClock(100000);
        crt::srand(1);
        g = GAME{};
        SettingsDefaults(&g.Settings);
        SettingsKeepInMemory(true);
        g.Settings.lVideoWidth = width;
        g.Settings.lVideoHeight = height;
        g.Settings.wColourDepth = depth;
        g.Settings.fSound = FALSE;
        g.Settings.fMusic = FALSE;
        if (!Display)
            return false;
        AnimWindow_RegisterClass();
        WNDCLASSA wc{};
        wc.lpfnWndProc = StageMainProc;
        wc.lpszClassName = "SceneStageMain";
        RegisterClassA(&wc);
        m_main = CreateWindowExA(0, "SceneStageMain", "Varno", WS_POPUP | WS_VISIBLE, 0, 0, 320, 240, nullptr, nullptr,
                                 nullptr, nullptr);
        if (!m_main || Display->SetMainWindow(m_main) != 1)
            return false;
        m_child = CreateWindowExA(0, "AnimWindow", "", WS_CHILD | WS_VISIBLE, 0, 0, 320, 240, m_main, nullptr, nullptr,
                                  reinterpret_cast<void*>(&StageCallback));
        aw = ANIMWINDOW::GetAnimWindow(m_child);
        if (!aw)
            return false;
        aw->SetBackground(RGB(0, 0, 0), 0, 0, 0, 0);
        g.Render.paw = aw;
        return InitScene();
    }

    void Close()
    {
        HideTitleScene();
        AbandonLevelIntro();
        ReleaseField();
        ReleaseFloor();
        AvatarRelease();
        ReleaseScene();
        if (aw && aw->fIs3dEnabled())
            aw->Enable3d(0);
        if (Display) {
            Display->RestoreVideoMode();
            Display->SetMainWindow(nullptr);
        }
        if (m_child)
            DestroyWindow(m_child);
        if (m_main)
            DestroyWindow(m_main);
        m_child = m_main = nullptr;
        aw = nullptr;
        SettingsKeepInMemory(false);
        clock_control::UseRealClock();
    }

    // Draws one frame and returns what the screen shows.
    Picture Shot()
    {
        aw->RenderFrame();
        Picture p;
        IDirectDrawSurface* front = Display->GetSurface(1);
        if (!front)
            return p;
        p.width = static_cast<int>(front->Width());
        p.height = static_cast<int>(front->Height());
        p.pixels.assign(front->Pixels(), front->Pixels() + static_cast<size_t>(p.width) * p.height);
        for (std::uint32_t& px : p.pixels)
            px &= 0xFFFFFF;
        return p;
    }

    // One frame of the game's clock: the rules' field steps and the camera.
    static void Tick()
    {
        clock_control::Advance(25);
        StepField();
        StepFieldAnimations();
        AimCameraForState(g.lGameState, g.Avatar.X, g.Avatar.Z);
        PlaceCamera();
    }

    // The puzzle every picture of play shows: six columns, all five kinds.
    static PUZZLE Puzzle()
    {
        PUZZLE p{};
        p.lWidth = 6;
        p.lLength = 12;
        p.lSpeed = 0;
        p.lMines = 3;
        const LONG rows[3][6] = {{ckGray, ckGreen, ckRed, ckBlack, ckBlue, ckGray},
                                 {ckBlue, ckGray, ckNone, ckGreen, ckGray, ckBlack},
                                 {ckNone, ckRed, ckGray, ckBlue, ckNone, ckGreen}};
        for (int z = 0; z < 3; ++z)
            for (int x = 0; x < 6; ++x)
                p.aFormation[z][x] = rows[z][x];
        return p;
    }

    // Play at a display quality: the cubes grown and in the middle of a
    // roll, a 3 x 3 mine-field glowing in front of them, a cube just blown
    // up, the figure walking towards the field.
    void Play(DWORD quality)
    {
        HideTitleScene();
        ReleaseField();
        ReleaseFloor();
        AvatarRelease();
        crt::srand(1);
        g.Settings.dwDisplayQuality = quality;
        g.lGameState = gsPlaying;
        g.lLevel = 1;
        ACTIVEPUZZLE& ap = g.ActivePuzzle;
        ap.Puzzle = Puzzle();
        SetUpField();
        ShowField();
        ap.fSourceStep = 0.08f;
        ap.fTargetStep = 0.04f;
        AimCameraForState(g.lGameState, g.Avatar.X, g.Avatar.Z);
        g.Render.vecCameraSource = g.Render.vecCameraSourceGoal;
        g.Render.vecCameraTarget = g.Render.vecCameraTargetGoal;
        PlaceCamera();
        for (int i = 0; i < 400 && (ap.fGrow != kNoGrow || ap.fRollAngle == 0); ++i)
            Tick();
        AddMineRectangle(1, 3, 5, 7);
        DestroyCube(5, 1, 1);
        for (int i = 0; i < 6; ++i)
            Tick();
    }

    // The title cubes at rest after their first spin, the letters towards
    // the camera, with no field.
    void Title()
    {
        g.lGameState = gsMenu;
        HideTitleScene();
        ReleaseField();
        ReleaseFloor();
        AvatarRelease();
        g.Render.vecCameraSource = {0, 3, -20};
        g.Render.vecCameraTarget = {0, 3, 0};
        PlaceCamera();
        ShowTitleScene();
        for (int i = 0; i < 156; ++i) {
            clock_control::Advance(25);
            StepTitleScene();
        }
    }

    // The level introduction diving through its flakes onto the field.
    void Intro()
    {
        HideTitleScene();
        ReleaseField();
        ReleaseFloor();
        AvatarRelease();
        crt::srand(1);
        g.Settings.dwDisplayQuality = 7;
        g.ActivePuzzle.Puzzle = Puzzle();
        g.Render.vecCameraSource = {0, 5, -20};
        g.Render.vecCameraTarget = {0, 0, 0};
        StartLevelIntro();
        for (int i = 0; i < 2000 && g.LevelIntro.lStep != 4; ++i) {
            clock_control::Advance(25);
            StepLevelIntro();
            PlaceCamera();
        }
        while (g.LevelIntro.lStep == 4 && g.Render.vecCameraSource.y > 90) {
            clock_control::Advance(25);
            StepLevelIntro();
            PlaceCamera();
        }
    }

    ANIMWINDOW* aw = nullptr;

private:
    HWND m_main = nullptr;
    HWND m_child = nullptr;
};

// The picture made smaller by a whole factor, each pixel the mean of its
// block (which also evens out the small differences between rasterisers).
inline Picture Shrink(const Picture& in, int factor)
{
    Picture out;
    out.width = in.width / factor;
    out.height = in.height / factor;
    out.pixels.resize(static_cast<size_t>(out.width) * out.height);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) {
            unsigned r = 0, gr = 0, b = 0;
            for (int dy = 0; dy < factor; ++dy)
                for (int dx = 0; dx < factor; ++dx) {
                    const std::uint32_t p =
                        in.pixels[static_cast<size_t>(y * factor + dy) * in.width + x * factor + dx];
                    r += (p >> 16) & 0xFF;
                    gr += (p >> 8) & 0xFF;
                    b += p & 0xFF;
                }
            const unsigned n = static_cast<unsigned>(factor * factor);
            out.pixels[static_cast<size_t>(y) * out.width + x] =
                ((r + n / 2) / n) << 16 | ((gr + n / 2) / n) << 8 | ((b + n / 2) / n);
        }
    return out;
}

inline void Put16(std::string& s, unsigned v)
{
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}
inline void Put32(std::string& s, std::uint32_t v)
{
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}

// A 24-bit bottom-up BMP file of the picture.
inline bool SaveBmp(const std::string& path, const Picture& p)
{
    const size_t row = (static_cast<size_t>(p.width) * 3 + 3) & ~size_t{3};
    std::string s;
    s += "BM";
    Put32(s, static_cast<std::uint32_t>(54 + row * p.height));
    Put32(s, 0);
    Put32(s, 54);
    Put32(s, 40);
    Put32(s, static_cast<std::uint32_t>(p.width));
    Put32(s, static_cast<std::uint32_t>(p.height));
    Put16(s, 1);
    Put16(s, 24);
    Put32(s, 0);
    Put32(s, static_cast<std::uint32_t>(row * p.height));
    Put32(s, 2835);
    Put32(s, 2835);
    Put32(s, 0);
    Put32(s, 0);
    for (int y = p.height - 1; y >= 0; --y) {
        std::string line;
        for (int x = 0; x < p.width; ++x) {
            const std::uint32_t px = p.pixels[static_cast<size_t>(y) * p.width + x];
            line += static_cast<char>(px & 0xFF);
            line += static_cast<char>((px >> 8) & 0xFF);
            line += static_cast<char>((px >> 16) & 0xFF);
        }
        line.resize(row, '\0');
        s += line;
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(s.data(), 1, s.size(), f) == s.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace sceneshots
