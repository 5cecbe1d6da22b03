// The on-screen message box: a panel with a text and one or two buttons that
// slides in from the top of the screen, waits in a nested frame loop until a
// button is chosen (by the mouse or a key), and slides out at the bottom.
// The menu entries and the editor's controls rest while it is shown.
#pragma once

#include "platform/base/types.h"

class ANIMOBJECT;
class ANIMWINDOW;
class AC_BUTTON;
enum svcAnimWindow : int;

// Box types and answers.
enum : int {
    mbtClose = 0,    // one button, Close
    mbtOkCancel = 1, // OK, Cancel
    mbtYesNo = 2,    // Yes, No
    mbtYesNoCancel = 3, // Yes, No, Cancel
};
enum : int {
    mbaOk = 1,
    mbaCancel = 2,
    mbaYes = 6,
    mbaNo = 7,
};
// Identifiers of the buttons (the first two are also the main window's
// commands for them).
constexpr LONG kBoxFirstButton = 4002;
constexpr LONG kBoxSecondButton = 4003;
constexpr LONG kBoxThirdButton = 4006;
// The panel's size.
constexpr LONG kBoxWidth = 350;
constexpr LONG kBoxHeight = 115;

// Shows the box with the text of a string id formatted with the arguments
// the descriptor describes (null: none) and returns the answer: 1 for a
// Close box; 1 or 2 for OK and Cancel; 6 or 7 for Yes and No; 6, 7 or 2 for
// Yes, No and Cancel. While the box is shown it holds the keyboard and the
// mouse: nothing behind it sees a key, and only the panel sees the mouse.
// Returns 0 when
// there is no animation window or a box is already shown. When the frame
// loop is stopped (a quit) the box goes at once and answers Close, Cancel or
// No.
int ScreenMessageBox(int type, LONG idText, const char* descriptor, ...);
// A Close box with the text of a string id (e.g. no video mode matches).
void ShowScreenMessage(LONG idText);
// A Yes/No box: true for Yes.
bool AskScreenYesNo(LONG idText);
// A Yes/No/Cancel box: mbaYes, mbaNo or mbaCancel.
int AskScreenYesNoCancel(LONG idText);

// A member of the frame chain: moves the panel on each svcawSequence with
// wParam 50 while a box is shown. Returns 1.
int MessageBoxService(ANIMWINDOW* window, svcAnimWindow code, unsigned wParam, long lParam);
// The commands 4002, 4003 and 4006 choose the first, second or third button.
void MessageBoxCommand(LONG id);

struct SCREENBOX {
    ANIMOBJECT* pPanel; // null: no box
    AC_BUTTON* apButtons[3];
    char* pszText;
    HFONT hFont;
    int nType;
    int nAnswer;   // 0 until a button is chosen
    BOOL fClosing; // the closing slide was queued
    LONG lStep;    // the last position of the slide, 0 to 100
};
const SCREENBOX& ScreenBox();
