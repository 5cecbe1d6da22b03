// Whole games on the headless play field: a level list, the flow's seams
// recorded, frames run through the frame order of play.
#pragma once

#include "editor/editor.h"
#include "fixture.h"
#include "editor/tutorial.h"
#include "input/controls.h"
#include "game/flow.h"
#include "game/frame.h"
#include "game/hint.h"
#include "game/levelintro.h"
#include "levelfile/datafile.h"

class Flow : public PlayField {
protected:
    void SetUp() override
    {
        PlayField::SetUp();
        SettingsKeepInMemory(true);
        FlowSeams() = FLOWSEAMS{};
        s_questions = 0;
        s_answer = false;
        g.Settings.fShowTutorial = FALSE;
        g.lLevel = 0;
        g.lPuzzle = 0;
    }
    void TearDown() override
    {
        g.Editor.bModified = FALSE;
        CloseEditor();
        EndGame(false);
        // The screens switch the tutorial's display off in the game; here no
        // seam does, so its narration is freed by hand.
        SetTutorialDisplay(FALSE);
        ReleaseLevelList(&g.Levels);
        FlowSeams() = FLOWSEAMS{};
        SettingsKeepInMemory(false);
        PlayField::TearDown();
    }

    void Levels(const char* text) { ASSERT_TRUE(ParseLevelText(text, &g.Levels)); }

    // Frames of play until the state is reached; false when it never was.
    bool RunUntil(LONG state, int limit = 3000)
    {
        for (int i = 0; i < limit; ++i) {
            if (g.lGameState == state)
                return true;
            clock_control::Advance(25);
            PlayFrame();
        }
        return g.lGameState == state;
    }
    void RunFrames(int n)
    {
        for (int i = 0; i < n; ++i) {
            clock_control::Advance(25);
            PlayFrame();
        }
    }
    // The timed state ends at the next tick.
    void ExpireState()
    {
        g.ActivePuzzle.dwStateEnd = GetTickCount();
        GameTick();
    }

    static bool Ask(LONG id)
    {
        ++s_questions;
        s_lastQuestion = id;
        return s_answer;
    }
    static inline int s_questions = 0;
    static inline LONG s_lastQuestion = 0;
    static inline bool s_answer = false;
};

constexpr const char* kTwoLevels = "Level { Width = 5 Length = 9 Speed = -100\n"
                                   "  Puzzle { Mines = 2 Cubes { . n . n . } }\n"
                                   "  Puzzle { Mines = 3 Cubes { n . n . n } } }\n"
                                   "Level { Width = 6 Length = 10\n"
                                   "  Puzzle { Mines = 1 Cubes { . . n . . . } } }\n";
