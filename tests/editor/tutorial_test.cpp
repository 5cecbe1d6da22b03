#include "editor/tutorial.h"
#include "game/fixture.h"
#include "levelfile/datafile.h"
#include "platform/registry/registry.h"
#include "support/textres.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr WORD kEnglish = 1033;
constexpr WORD kEsperanto = 0;

struct TUTORIALPUZZLE {
    LONG width, length, speed, mines;
    std::initializer_list<std::array<LONG, 3>> cells; // column, row, kind
};

// The four built-in tutorial puzzles.
const TUTORIALPUZZLE kPuzzles[4] = {
    {5, 8, -300, 2, {{1, 1, ckGray}, {3, 1, ckGray}}},
    {5, 8, -300, 2, {{1, 1, ckGray}, {2, 1, ckGray}, {3, 1, ckGray}, {2, 3, ckGreen}}},
    {4, 8, -200, 2, {{3, 0, ckGray}, {3, 1, ckGray}, {0, 2, ckBlue}, {1, 2, ckGreen}, {3, 2, ckGray}}},
    {5,
     8,
     -175,
     2,
     {{1, 0, ckGray}, {3, 0, ckGray}, {0, 2, ckRed}, {4, 2, ckRed}, {2, 2, ckGreen}, {1, 3, ckBlack}, {3, 3, ckBlack}}},
};

std::string Text(UINT id)
{
    char buffer[256];
    LoadText(id, buffer, sizeof buffer);
    return buffer;
}

class Tutorial : public PlayField {
protected:
    void SetUp() override
    {
        PlayField::SetUp();
        config = folder + "config";
        std::filesystem::create_directories(config);
        setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        registry_store::Reload();
        SetLanguage(kEnglish);
        for (int i = 1; i <= kNarrations; ++i) {
            WriteTinyWave(folder + "tutorial_" + std::to_string(i) + "_eng.wav");
            WriteTinyWave(folder + "tutorial_" + std::to_string(i) + "_esp.wav");
        }
        ResetDataFolder(folder.c_str());
        g.lLevel = 0;
        g.fTutorial = TRUE;
    }
    void TearDown() override
    {
        SetTutorialDisplay(FALSE);
        ResetDataFolder(nullptr);
        registry_store::Reload();
        PlayField::TearDown();
    }

    // Starts tutorial puzzle p as the game does and shows its field.
    void StartTutorial(LONG p)
    {
        const TUTORIALPUZZLE& t = kPuzzles[p - 1];
        g.lPuzzle = p;
        StartTutorialPuzzle(p);
        Start(t.width, t.length, t.speed, t.mines, t.cells);
        ShowField();
    }

    // One frame of a tutorial puzzle: the script, then the field.
    void TutorialFrame()
    {
        clock_control::Advance(25);
        TutorialStep();
        StepField();
        StepFieldAnimations();
    }

    // Frames until the puzzle leaves play; returns the frames taken.
    int PlayOut(int limit)
    {
        int frames = 0;
        while (g.lGameState == gsPlaying && frames < limit) {
            TutorialFrame();
            ++frames;
        }
        return frames;
    }

    const TUTORIALSTEP& Element() const { return TutorialScript(g.Tutorial.lPuzzle)[g.Tutorial.lScriptStep]; }

    std::string config;
};

TEST(TutorialScripts, FourScriptsEachEndingInItsEndElement)
{
    const int lengths[4] = {23, 16, 19, 20};
    const LONG firstText[4] = {77, 85, 91, 95};
    for (LONG p = 1; p <= 4; ++p) {
        const TUTORIALSTEP* s = TutorialScript(p);
        ASSERT_NE(s, nullptr);
        int n = 0;
        while (s[n].lKind != tsEnd)
            ++n;
        EXPECT_EQ(n + 1, lengths[p - 1]) << "puzzle " << p;
        // The first element shows the puzzle's first two lines.
        EXPECT_EQ(s[0].lKind, tsText);
        EXPECT_EQ(s[0].a, firstText[p - 1]);
        EXPECT_EQ(s[0].b, firstText[p - 1] + 1);
    }
    EXPECT_EQ(TutorialScript(0), nullptr);
    EXPECT_EQ(TutorialScript(5), nullptr);
}

class TutorialPuzzle : public Tutorial, public ::testing::WithParamInterface<LONG> {};

TEST_P(TutorialPuzzle, ScriptWinsItsPuzzle)
{
    const LONG p = GetParam();
    StartTutorial(p);
    const int frames = PlayOut(8000);
    // Each puzzle takes a while at its slow speed: at least its narration
    // texts were all reached in order.
    EXPECT_GT(frames, 300);
    EXPECT_EQ(g.lGameState, gsPuzzleWon) << "after " << frames << " frames at element " << g.Tutorial.lScriptStep;
    EXPECT_EQ(CountDestructibleCubes(), 0);
    EXPECT_FALSE(g.Avatar.fCrushed);
    // The script ran to its end; the score stays untouched in the tutorial.
    EXPECT_EQ(Element().lKind, tsEnd);
    EXPECT_EQ(g.lScore, 0);
}

INSTANTIATE_TEST_SUITE_P(AllFour, TutorialPuzzle, ::testing::Values(1, 2, 3, 4));

TEST_F(Tutorial, FirstPuzzleShowsItsLinesAndSpeaksItsNarrationInOrder)
{
    StartTutorial(1);
    PlayOut(8000);
    ASSERT_EQ(g.lGameState, gsPuzzleWon);
    EXPECT_EQ(g.Tutorial.lUpperId, 83);
    EXPECT_EQ(g.Tutorial.lLowerId, 84);
    EXPECT_STREQ(g.Tutorial.szUpper, "Be sure to destroy all the cubes in the puzzle");
    EXPECT_STREQ(g.Tutorial.szLower, "before they fall off the end of the playing field.");
    // The narration speaks even with sound effects off, which silence the
    // game's own sounds in the tutorial anyway.
    const std::vector<std::string> expected = {"tutorial_1_eng.wav", "tutorial_2_eng.wav", "tutorial_3_eng.wav",
                                               "tutorial_4_eng.wav"};
    std::vector<std::string> narration;
    for (const std::string& f : sound_control::Played())
        if (f.rfind("tutorial_", 0) == 0)
            narration.push_back(f);
    EXPECT_EQ(narration, expected);
}

TEST_F(Tutorial, NarrationIgnoresTheSoundSetting)
{
    g.Settings.fSound = FALSE;
    StartTutorial(2);
    for (int i = 0; i < 200 && g.Tutorial.lScriptStep < 1; ++i)
        TutorialFrame();
    EXPECT_EQ(Count("tutorial_5_eng.wav"), 1);
}

TEST_F(Tutorial, ScriptWaitsForTheCubesToGrow)
{
    StartTutorial(1);
    int frames = 0;
    while (g.ActivePuzzle.fGrow != kNoGrow && frames < 200) {
        TutorialFrame();
        EXPECT_EQ(g.Tutorial.lScriptStep, -1);
        ++frames;
    }
    EXPECT_EQ(g.Tutorial.lUpperId, 0);
    TutorialFrame();
    EXPECT_EQ(g.Tutorial.lScriptStep, 0);
    EXPECT_STREQ(g.Tutorial.szUpper, "The object of the game is to destroy all the cubes,");
    EXPECT_STREQ(g.Tutorial.szLower, "before they fall off the end of the playing field.");
    // Text and narration last one frame each.
    TutorialFrame();
    EXPECT_EQ(g.Tutorial.lScriptStep, 1);
    EXPECT_EQ(Count("tutorial_1_eng.wav"), 1);
    TutorialFrame();
    EXPECT_EQ(g.Tutorial.lScriptStep, 2);
}

TEST_F(Tutorial, WalkEndsWithinOneFifthOfTheCentre)
{
    StartTutorial(1);
    g.ActivePuzzle.fGrow = kNoGrow;
    g.Tutorial.lScriptStep = 2; // walk to (3, 6)
    ASSERT_EQ(Element().lKind, tsWalk);
    const float cx = SquareCentreX(3), cz = SquareCentreZ(6);

    g.Avatar.X = cx - 0.21f;
    g.Avatar.Z = cz + 0.1f;
    TutorialStep();
    EXPECT_EQ(g.Tutorial.lScriptStep, 2);
    EXPECT_GT(g.Avatar.X, cx - 0.21f); // steered towards the centre

    g.Avatar.X = cx - 0.19f;
    g.Avatar.Z = cz + 0.19f;
    g.Avatar.fWalking = TRUE;
    TutorialStep();
    EXPECT_EQ(g.Tutorial.lScriptStep, 3);
    EXPECT_FALSE(g.Avatar.fWalking);
    EXPECT_EQ(g.Avatar.X, cx - 0.19f);
}

TEST_F(Tutorial, WaitHoldsWhileARollIsUnderWay)
{
    StartTutorial(1);
    g.ActivePuzzle.fGrow = kNoGrow;
    g.Tutorial.lScriptStep = 3; // wait for a cube on (1, 3)
    ASSERT_EQ(Element().lKind, tsWaitCube);
    TutorialStep();
    EXPECT_EQ(g.Tutorial.lScriptStep, 3); // no cube there yet

    g.ActivePuzzle.aCubes[3][1].lKind = ckGray;
    g.ActivePuzzle.fRollAngle = 2.0f;
    TutorialStep();
    EXPECT_EQ(g.Tutorial.lScriptStep, 3);
    g.ActivePuzzle.fRollAngle = 0;
    TutorialStep();
    EXPECT_EQ(g.Tutorial.lScriptStep, 4);
    g.ActivePuzzle.aCubes[3][1].lKind = ckNone;
}

TEST_F(Tutorial, PlantAndDetonateElementsUseTheMineCommands)
{
    StartTutorial(1);
    g.ActivePuzzle.fGrow = kNoGrow;
    g.Tutorial.lScriptStep = 6; // the next is a plant
    TutorialStep();
    EXPECT_EQ(Element().lKind, tsPlant);
    EXPECT_EQ(g.lMinesRemaining, 1);
    bool any = false;
    for (const MINE& m : g.ActivePuzzle.aMines)
        any |= m.bActive != FALSE;
    EXPECT_TRUE(any);
    g.Tutorial.lScriptStep = 12; // the next is a detonation
    TutorialStep();
    EXPECT_EQ(Element().lKind, tsDetonate);
    any = false;
    for (const MINE& m : g.ActivePuzzle.aMines)
        any |= m.bActive != FALSE;
    EXPECT_FALSE(any);
}

TEST_F(Tutorial, LanguageChangeShowsTheSameLinesAndNarrationInTheOtherLanguage)
{
    StartTutorial(1);
    for (int i = 0; i < 400 && g.Tutorial.lUpperId != 79; ++i)
        TutorialFrame();
    ASSERT_EQ(g.Tutorial.lUpperId, 79);
    ASSERT_NE(g.Tutorial.aNarration[0], nullptr);
    EXPECT_NE(std::strstr(g.Tutorial.aNarration[0]->File(), "tutorial_1_eng.wav"), nullptr);

    SetLanguage(kEsperanto);
    const std::string upper = Text(79), lower = Text(80);
    ASSERT_NE(upper, "To destroy a cube, plant a mine on the playing field.");
    RefreshTutorialText();
    EXPECT_EQ(g.Tutorial.lUpperId, 79);
    EXPECT_EQ(g.Tutorial.szUpper, upper);
    EXPECT_EQ(g.Tutorial.szLower, lower);
    for (int i = 0; i < kNarrations; ++i) {
        ASSERT_NE(g.Tutorial.aNarration[i], nullptr);
        EXPECT_NE(
            std::strstr(g.Tutorial.aNarration[i]->File(), ("tutorial_" + std::to_string(i + 1) + "_esp.wav").c_str()),
            nullptr);
    }
    // The next narration speaks Esperanto.
    sound_control::ClearCalls();
    for (int i = 0; i < 400 && g.Tutorial.lUpperId != 81; ++i)
        TutorialFrame();
    TutorialFrame(); // the narration follows the text
    EXPECT_EQ(Count("tutorial_3_esp.wav"), 1);

    // Outside the play states a language change leaves the display alone.
    const std::string shown = g.Tutorial.szUpper;
    g.lGameState = gsMenu;
    SetLanguage(kEnglish);
    RefreshTutorialText();
    EXPECT_EQ(g.Tutorial.szUpper, shown);
    EXPECT_NE(std::strstr(g.Tutorial.aNarration[0]->File(), "_esp.wav"), nullptr);
}

TEST_F(Tutorial, MissingNarrationIsSilentAndDisplayOffFreesIt)
{
    for (int i = 1; i <= kNarrations; ++i)
        std::filesystem::remove(folder + "tutorial_" + std::to_string(i) + "_eng.wav");
    StartTutorial(1);
    for (int i = 0; i < 200 && g.Tutorial.lScriptStep < 2; ++i)
        TutorialFrame();
    EXPECT_EQ(g.Tutorial.lScriptStep, 2);
    EXPECT_EQ(Count("tutorial_1_eng.wav"), 0);
    SetTutorialDisplay(FALSE);
    for (SOUND* s : g.Tutorial.aNarration)
        EXPECT_EQ(s, nullptr);
    EXPECT_EQ(g.Tutorial.lUpperId, 77); // kept for a display rebuilt later
}

TEST_F(Tutorial, FirstPuzzleClearsTheLinesLaterOnesKeepThem)
{
    StartTutorial(2);
    for (int i = 0; i < 200 && g.Tutorial.lScriptStep < 0; ++i)
        TutorialFrame();
    ASSERT_EQ(g.Tutorial.lUpperId, 85);
    ReleaseField();
    StartTutorialPuzzle(3);
    EXPECT_EQ(g.Tutorial.lUpperId, 85);
    EXPECT_EQ(g.Tutorial.lScriptStep, -1);
    StartTutorialPuzzle(1);
    EXPECT_EQ(g.Tutorial.lUpperId, 0);
    EXPECT_STREQ(g.Tutorial.szUpper, "");
}

} // namespace
