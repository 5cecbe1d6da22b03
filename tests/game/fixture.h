// A headless play field for scenario tests: the stepped clock, a recording
// sound device with every game sound loaded, the game's scene on a scene
// graph of its own and a puzzle driven frame by frame.
#pragma once

#include "game/field.h"
#include "game/game.h"
#include "game/mines.h"
#include "platform/clock/clock.h"
#include "platform/clock/crt.h"
#include "platform/d3drm/d3drm.h"
#include "render/scene.h"
#include "render/visual.h"
#include "sound/dxsound.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

inline void WriteTinyWave(const std::string& path)
{
    // 8 kHz mono 16-bit, 80 samples: 10 ms of silence.
    static const unsigned char kHeader[44] = {
        'R', 'I', 'F', 'F', 196, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 1, 0,
        0x40, 0x1F, 0, 0, 0x80, 0x3E, 0, 0, 2, 0, 16, 0, 'd', 'a', 't', 'a', 160, 0, 0, 0};
    static const unsigned char kSilence[160] = {};
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(kHeader, 1, sizeof kHeader, f);
    std::fwrite(kSilence, 1, sizeof kSilence, f);
    std::fclose(f);
}

class PlayField : public ::testing::Test {
protected:
    void SetUp() override
    {
        clock_control::UseSteppedClock(10000);
        crt::srand(1);
        folder = (std::filesystem::temp_directory_path() / ("varno-sounds-" + std::to_string(::getpid()))).string() + "/";
        std::filesystem::create_directories(folder);
        for (int id = 0; id < sndCount; ++id)
            WriteTinyWave(folder + GameSoundFile(id, false));
        sound_control::UseRecordingDevice();
        LoadGameSounds(folder.c_str(), false);
        sound_control::ClearCalls();
        g = GAME{};
        SettingsDefaults(&g.Settings);
        g.Settings.ControlDevice = cdMouse;  // no keyboard hint to save
        ASSERT_EQ(Direct3DRMCreate(&rm), S_OK);
        ASSERT_EQ(rm->CreateFrame(nullptr, &root), S_OK);
        ASSERT_EQ(rm->CreateFrame(root, &camera), S_OK);
        ASSERT_TRUE(InitSceneFrames(rm, root, camera));
        NewGameValues();
        g.lLevel = 1;
        g.lPuzzle = 1;
    }

    void TearDown() override
    {
        ReleaseField();
        ReleaseFloor();
        AvatarRelease();
        ReleaseSceneFrames();
        camera->Release();
        root->Release();
        rm->Release();
        FreeGameSounds();
        sound_control::UseNoDevice();
        clock_control::UseRealClock();
        std::filesystem::remove_all(folder);
    }

    // A puzzle of the given size with cells (column, row, kind).
    void Start(LONG width, LONG length, LONG speed, LONG mines, std::initializer_list<std::array<LONG, 3>> cells)
    {
        PUZZLE p{};
        p.lWidth = width;
        p.lLength = length;
        p.lSpeed = speed;
        p.lMines = mines;
        for (const auto& c : cells)
            p.aFormation[c[1]][c[0]] = c[2];
        g.ActivePuzzle.Puzzle = p;
        SetUpField();
        g.lMinesRemaining = mines;
        g.lGameState = gsPlaying;
    }

    // One frame at 40 frames per second.
    void Frame(DWORD ms = 25)
    {
        clock_control::Advance(ms);
        StepField();
        StepFieldAnimations();
    }

    // Shows the field and lets it grow; returns the frames it took.
    int Grow()
    {
        ShowField();
        int frames = 0;
        while (g.ActivePuzzle.fGrow != kNoGrow && frames < 500) {
            Frame();
            ++frames;
        }
        return frames;
    }

    // Frames until the roll in progress (or the next one) has committed.
    void RunUntilCommit()
    {
        for (int i = 0; i < 400; ++i) {
            const float before = g.ActivePuzzle.fRollAngle;
            Frame();
            const float after = g.ActivePuzzle.fRollAngle;
            // Committed: the angle passed three quarters, or a sweep that
            // began at the commit put the cubes at rest.
            if (before < 5 * kPi / 8 && (after >= 5 * kPi / 8 || (before != 0 && after == 0)))
                return;
        }
        FAIL() << "no commit";
    }

    LONG Kind(LONG x, LONG z) const { return g.ActivePuzzle.aCubes[z][x].lKind; }

    // Moves the figure to the centre of a square.
    void StandOn(LONG x, LONG z)
    {
        g.Avatar.X = SquareCentreX(x) + 0.03f;
        g.Avatar.Z = SquareCentreZ(z);
    }

    int Count(const std::string& file) const
    {
        const auto played = sound_control::Played();
        return static_cast<int>(std::count(played.begin(), played.end(), file));
    }

    // Frames hanging below a frame, at any depth.
    static int FramesBelow(const IDirect3DRMFrame2* frame)
    {
        int n = 0;
        for (const IDirect3DRMFrame2* child : frame->GetChildren())
            n += 1 + FramesBelow(child);
        return n;
    }

    std::string folder;
    IDirect3DRM2* rm = nullptr;
    IDirect3DRMFrame2* root = nullptr;
    IDirect3DRMFrame2* camera = nullptr;
};
