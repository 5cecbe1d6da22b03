// The tutorial: four built-in puzzles in which a small script per puzzle,
// not the player, moves the figure, plants and detonates mines, shows two
// lines of explanation and plays a spoken narration.
#pragma once

#include "platform/base/types.h"

class SOUND;

constexpr int kTutorialPuzzles = 4;
constexpr int kTutorialScriptLength = 32;
constexpr int kNarrations = 12;
constexpr int kTutorialTextChars = 256;

// Kinds of script elements (kind, a, b).
enum : LONG {
    tsEnd = 0,       // the script stays here
    tsWalk = 1,      // walk to square (column a, row b)
    tsPlant = 2,     // plant a mine under the figure
    tsWaitCube = 3,  // wait for a cube at rest on square (column a, row b)
    tsDetonate = 4,  // detonate the mines
    tsText = 5,      // show strings a (upper line) and b (lower line)
    tsNarration = 6, // play narration a (from 0) once
};

struct TUTORIALSTEP {
    LONG lKind;
    LONG a, b;
};

struct TUTORIAL {
    BOOL fDisplay;    // the display is on
    LONG lPuzzle;     // tutorial puzzle whose script runs (1..4), 0 none
    LONG lScriptStep; // current element, -1 before the first
    LONG lUpperId;    // string ids of the two lines, 0 = none
    LONG lLowerId;
    char szUpper[kTutorialTextChars]; // the lines' texts as last set
    char szLower[kTutorialTextChars];
    SOUND* aNarration[kNarrations]; // while the display is on
};

// String ids of the display's font, the button's label and the text that
// measures a line's height.
constexpr UINT idsTutorialFont = 76; // "Arial,-%1,BI"
constexpr UINT idsSkipTutorial = 99; // " Skip Tutorial (Tab) "
// Command of the " Skip Tutorial " button, handled by the main window.
constexpr LONG kSkipTutorialCommand = 1033;

// What the tutorial asks of the screens, which draw its two lines and the
// " Skip Tutorial " button over the scene. A null entry draws nothing.
struct TUTORIALSEAMS {
    // The display was switched on (missing objects are made, showing the
    // texts of g.Tutorial) or off (the objects go).
    void (*pfnDisplay)(BOOL fOn);
    // The lines' texts (szUpper, szLower) changed.
    void (*pfnText)();
};
TUTORIALSEAMS& TutorialSeams();

// The script of tutorial puzzle p (1..4); null for any other number.
const TUTORIALSTEP* TutorialScript(LONG lPuzzle);

// A tutorial puzzle starts: its script runs from the beginning once the
// cubes have grown, and the display is on; the first puzzle also clears the
// two lines.
void StartTutorialPuzzle(LONG lPuzzle);
// Once per frame while a tutorial puzzle is played.
void TutorialStep();

// On: loads the narration of the current language and makes the lines.
// Off: frees them.
void SetTutorialDisplay(BOOL fOn);
// The lines show strings upper and lower (0: an empty line), as a text
// element of a script does.
void ShowTutorialText(LONG upperId, LONG lowerId);
// Both lines empty, no text ids.
void ClearTutorialText();
// After a language change while a tutorial puzzle is on screen: the display
// is rebuilt in the new language and shows the same two lines again.
void RefreshTutorialText();
