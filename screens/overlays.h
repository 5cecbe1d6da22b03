// The text overlays shown over the scene during play, drawn as labels and a
// button of the on-screen control toolkit:
//   - the hint panel: a title and a text line near the top of the screen,
//     following g.Hint (failure hints, the keyboard hint);
//   - the tutorial display: two lines of explanation at the bottom of the
//     screen and the " Skip Tutorial " button, following g.Tutorial;
//   - "Game Over" in the middle of the screen while the game-over wait runs.
// The rules only keep what is to be shown; this module makes, places and
// removes the objects, and rebuilds them after a change of video mode or of
// the language.
#pragma once

#include "platform/base/types.h"

class ANIMWINDOW;
class AC_LABEL;
class AC_BUTTON;
enum svcAnimWindow : int;

// Depths in the animation window: the texts over the scene, the button in
// front of them.
constexpr unsigned short kOverlayDepth = 150;
constexpr unsigned short kSkipButtonDepth = 151;

// String ids.
constexpr UINT idsGameOver = 28;  // "Game Over"
constexpr UINT idsHintPanelFont = 119; // "Times New Roman,-%1"

// Colours.
constexpr COLORREF clrHintTitle = RGB(200, 240, 230);
constexpr COLORREF clrHintText = RGB(170, 210, 200);
constexpr COLORREF clrTutorialText = RGB(200, 240, 230);
constexpr COLORREF clrSkipFace = RGB(120, 230, 140);
constexpr COLORREF clrSkipText = RGB(0, 64, 24); // dark on the light face: contrast above 7:1

// What is on screen now; null where nothing is shown.
struct OVERLAYS {
    ANIMWINDOW* pWindow;
    AC_LABEL* pHintTitle;
    AC_LABEL* pHintText;
    AC_LABEL* pGameOver;
    AC_LABEL* pTutorialUpper;
    AC_LABEL* pTutorialLower;
    AC_BUTTON* pSkip;
    LONG lTutorialLineHeight; // height of one tutorial line, from "Zg!_X"
};
const OVERLAYS& Overlays();

// The animation window the overlays are drawn in (null: none; what is shown
// is removed first, and shown again in the new window). Also connects the
// hint panel, the tutorial display and the flow's "tutorial display off" to
// this module.
void InitOverlays(ANIMWINDOW* pWindow);
// Removes every overlay and its fonts (end of the run, or before the window
// goes).
void ReleaseOverlays();

// A member of the frame chain: on svcawBeginFrame and svcawDrawFrame the
// overlays follow the game (the hint panel and "Game Over" appear and go
// with their states); on svcawVideoMode they are laid out anew for the new
// screen size. Returns 1.
int OverlayService(ANIMWINDOW* pWindow, svcAnimWindow code, unsigned wParam, long lParam);

// Makes every overlay shown again with fonts and positions for the window's
// current size.
void RelayoutOverlays();
// After a language change: the hint panel and "Game Over" show their texts
// in the new language and its fonts, and the tutorial display is refreshed
// (its lines and narration, in the states where it is on screen).
void RefreshOverlayTexts();

// Brings the hint panel and "Game Over" in line with the game's state now.
void SyncOverlays();
