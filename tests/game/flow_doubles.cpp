// Stand-ins for the controls and the tutorial, which the flow calls: they
// record what they were asked. The game's own definitions replace them where
// they are linked in.
#include "flow_doubles.h"

#include "editor/tutorial.h"
#include "input/controls.h"

FLOWCALLS g_flowCalls;

__attribute__((weak)) void PollControls() { ++g_flowCalls.cPolls; }
__attribute__((weak)) void BeginMouseCapture(LONG, LONG) { ++g_flowCalls.cCaptures; }
__attribute__((weak)) void EndMouseCapture() { ++g_flowCalls.cReleases; }
__attribute__((weak)) void TutorialStep() { ++g_flowCalls.cTutorialSteps; }
__attribute__((weak)) void StartTutorialPuzzle(LONG lPuzzle) { g_flowCalls.tutorialPuzzles.push_back(lPuzzle); }
