// The editor on a real animation window with its 3D scene, headless: the
// game's scene set up in the window's frames, a level list read from a level
// file in a data folder of the test's own, and the screens around the editor
// recorded.
#pragma once

#include "anim/animwin.h"
#include "anim/animwin_iface.h"
#include "anim/display.h"
#include "anim/lasterror.h"
#include "editor/editor.h"
#include "editor/editorpanel.h"
#include "game/avatar.h"
#include "game/field.h"
#include "game/flow.h"
#include "game/game.h"
#include "levelfile/datafile.h"
#include "platform/clock/clock.h"
#include "platform/d3drm/d3drm.h"
#include "platform/input/input.h"
#include "platform/temp_folder.h"
#include "platform/window/window.h"
#include "tests/test_windows.h"
#include "render/scene.h"
#include "render/visual.h"
#include "shell/settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace edtest {

// Two levels: level 1 of three puzzles, level 2 of two.
constexpr const char* kLevels = "Level {\n"
                                "  Puzzle { Width = 5 Length = 9 Speed = -20 Mines = 3 Cubes { . n . n . } }\n"
                                "  Puzzle { Width = 7 Mines = 2 Cubes { . . b . . . . , . . . . . . # } }\n"
                                "  Puzzle { Mines = 1 Cubes { n } } }\n"
                                "Level { Width = 8 Length = 12 Speed = 40\n"
                                "  Puzzle { Mines = 5 Cubes { ! - - - - - - f } }\n"
                                "  Puzzle { Width = 9 Length = 14 Speed = -60 Mines = 7 Cubes { n } } }\n";

struct RECORD {
    std::vector<LONG> asked;     // questions, by string id
    std::vector<LONG> messages;  // one-button messages, by string id
    bool fAnswer = false;
    int menusShown = 0;
    int menusRemoved = 0;
    // The level file's text at the moment of each question.
    std::vector<std::string> fileAtQuestion;
    std::string levelFile;
};
inline RECORD* g_record = nullptr;

inline int NoService(ANIMWINDOW*, svcAnimWindow, unsigned, long) { return 1; }
inline LRESULT MainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

class EditorTest : public ::testing::Test {
protected:
    static constexpr int kWidth = 640;
    static constexpr int kHeight = 480;

    void SetUp() override
    {
        ASSERT_NE(Display, nullptr);
        clock_control::UseSteppedClock(10000);
        window_system::Reset();
        input_store::Reset();
        const TestWindows t = OpenTestWindows("EditorTestMain", &MainProc, m_width, m_height, &NoService);
        main = t.main;
        child = t.child;
        aw = t.aw;
        ASSERT_NE(aw, nullptr);
        ASSERT_EQ(aw->Enable3d(1), 1);

        g = GAME{};
        SettingsDefaults(&g.Settings);
        SettingsKeepInMemory(true);
        ASSERT_TRUE(InitSceneFrames(Display->GetDirect3d(), aw->Get3dRootFrame(), aw->Get3dCameraFrame()));

        record = RECORD{};
        g_record = &record;
        EditorSeams() = EDITORSEAMS{aw, &Ask, &Message, &ShowMenu, &RemoveMenu, nullptr, nullptr, nullptr, nullptr};
        EditorPanelOps() = EDITORPANELOPS{};
        ZephaneSetAssertFunction(&Check);
        failedChecks().clear();

        levelFile = folder / "VARNO.LEV";
        record.levelFile = levelFile;
        testfs::WriteText(levelFile, kLevels);
        ResetDataFolder((folder.path() + "/").c_str());
        ASSERT_TRUE(ParseLevelText(kLevels, &g.Levels));
    }

    void TearDown() override
    {
        g.Editor.bModified = FALSE;
        CloseEditor();
        ReleaseField();
        ReleaseFloor();
        AvatarRelease();
        ReleaseSceneFrames();
        ReleaseLevelList(&g.Levels);
        EditorSeams() = EDITORSEAMS{};
        EditorPanelOps() = EDITORPANELOPS{};
        ZephaneSetAssertFunction(nullptr);
        g_record = nullptr;
        ResetDataFolder(nullptr);
        SettingsKeepInMemory(false);
        aw->Enable3d(0);
        Display->RestoreVideoMode();
        Display->SetMainWindow(nullptr);
        window_system::Reset();
        input_store::Reset();
        clock_control::UseRealClock();
    }

    static bool Ask(LONG id)
    {
        g_record->asked.push_back(id);
        g_record->fileAtQuestion.push_back(testfs::ReadText(g_record->levelFile));
        return g_record->fAnswer;
    }
    static void Message(LONG id) { g_record->messages.push_back(id); }
    static void ShowMenu() { ++g_record->menusShown; }
    static void RemoveMenu() { ++g_record->menusRemoved; }

    static std::vector<std::string>& failedChecks()
    {
        static std::vector<std::string> failed;
        return failed;
    }
    static int Check(int fOK, const char* expression, const char*, unsigned long)
    {
        if (!fOK)
            failedChecks().push_back(expression ? expression : "");
        return fOK;
    }

    // Opens the editor at a level and puzzle of the list.
    void Open(LONG level, LONG puzzle)
    {
        g.lLevel = level;
        g.lPuzzle = puzzle;
        OpenEditor(nullptr);
        ASSERT_TRUE(fEditorOpen());
    }

    // The window pixel where a point of the scene (relative to the primary
    // frame) is seen.
    POINT Seen(float x, float y, float z)
    {
        long sx = 0, sy = 0;
        EXPECT_EQ(aw->FrameToScreen(g.Render.pFramePrimary, x, y, z, &sx, &sy), 1);
        return POINT{static_cast<LONG>(sx), static_cast<LONG>(sy)};
    }
    // The pixel of the centre of a square on the floor, and of the top of a
    // cube standing there.
    POINT SquarePixel(LONG x, LONG z)
    {
        const float w = static_cast<float>(g.Editor.Puzzle.lWidth);
        return Seen(static_cast<float>(x) - (w - 1) / 2, 0, -0.5f - static_cast<float>(z));
    }
    POINT CubeTopPixel(LONG x, LONG z)
    {
        const float w = static_cast<float>(g.Editor.Puzzle.lWidth);
        return Seen(static_cast<float>(x) - (w - 1) / 2, 0.98f, -0.5f - static_cast<float>(z));
    }
    void PickSquare(LONG x, LONG z)
    {
        const POINT p = SquarePixel(x, z);
        PickCell(p.x, p.y);
    }

    // Cubes shown by the editor, and whether each cell's object matches its
    // kind.
    int CubesShown() const
    {
        int n = 0;
        for (const auto& row : g.Editor.aCubes)
            for (const EDITORCUBE& c : row)
                n += c.pVisual != nullptr;
        return n;
    }
    void ExpectCubesMatchFormation() const
    {
        const EDITOR& e = g.Editor;
        for (LONG z = 0; z < kFormationRows; ++z)
            for (LONG x = 0; x < kMaxWidth; ++x) {
                const EDITORCUBE& c = e.aCubes[z][x];
                const bool cube = e.Puzzle.aFormation[z][x] != ckNone;
                EXPECT_EQ(c.pVisual != nullptr, cube) << x << "," << z;
                EXPECT_EQ(c.pFrame != nullptr, cube) << x << "," << z;
                if (!c.pFrame)
                    continue;
                D3DVECTOR p{};
                c.pFrame->GetPosition(g.Render.pFramePrimary, &p);
                const float w = static_cast<float>(e.Puzzle.lWidth);
                EXPECT_FLOAT_EQ(p.x, static_cast<float>(x) - (w - 1) / 2);
                EXPECT_FLOAT_EQ(p.y, 0.5f);
                EXPECT_FLOAT_EQ(p.z, -0.5f - static_cast<float>(z));
            }
    }
    D3DVECTOR CursorPosition() const
    {
        D3DVECTOR p{};
        g.Editor.pFrameSel->GetPosition(g.Render.pFramePrimary, &p);
        return p;
    }
    std::string FileText() const { return testfs::ReadText(levelFile); }

    // The animation window's size; a test of another mode sets it in its
    // constructor.
    int m_width = kWidth;
    int m_height = kHeight;
    testfs::TempFolder folder;
    std::string levelFile;
    RECORD record;
    HWND main = nullptr;
    HWND child = nullptr;
    ANIMWINDOW* aw = nullptr;
};

}  // namespace edtest
