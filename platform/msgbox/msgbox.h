// System message boxes: a caption, a text, an icon kind and a set of buttons,
// answered with the button chosen. Without a display the text goes to
// standard error and the default button is the answer.
#pragma once

#include "platform/base/types.h"

#include <functional>
#include <string>

constexpr UINT MB_OK = 0x0000;
constexpr UINT MB_OKCANCEL = 0x0001;
constexpr UINT MB_ABORTRETRYIGNORE = 0x0002;
constexpr UINT MB_YESNOCANCEL = 0x0003;
constexpr UINT MB_YESNO = 0x0004;
constexpr UINT MB_RETRYCANCEL = 0x0005;
constexpr UINT MB_TYPEMASK = 0x000F;
constexpr UINT MB_ICONHAND = 0x0010;
constexpr UINT MB_ICONERROR = MB_ICONHAND;
constexpr UINT MB_ICONSTOP = MB_ICONHAND;
constexpr UINT MB_ICONQUESTION = 0x0020;
constexpr UINT MB_ICONEXCLAMATION = 0x0030;
constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
constexpr UINT MB_ICONASTERISK = 0x0040;
constexpr UINT MB_ICONINFORMATION = MB_ICONASTERISK;
constexpr UINT MB_ICONMASK = 0x00F0;
constexpr UINT MB_DEFBUTTON1 = 0x0000;
constexpr UINT MB_DEFBUTTON2 = 0x0100;
constexpr UINT MB_DEFBUTTON3 = 0x0200;
constexpr UINT MB_DEFMASK = 0x0F00;
constexpr UINT MB_APPLMODAL = 0x0000;
constexpr UINT MB_SYSTEMMODAL = 0x1000;
constexpr UINT MB_TASKMODAL = 0x2000;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type);
BOOL MessageBeep(UINT type);

namespace msgbox {
// The buttons of a style, in their order, and the one that is the default.
struct Buttons {
    int ids[3] = {0, 0, 0};
    int count = 0;
    int defaultId = IDOK;
};
Buttons ButtonsFor(UINT type);

// What a shown box carried; tests install a handler to see boxes and answer
// them, instead of a window or standard error.
struct Request {
    std::string text;
    std::string caption;
    UINT type = 0;
};
using Handler = std::function<int(const Request&)>;
// Installs a handler (an empty one restores the normal behaviour); returns
// the previous one.
Handler SetHandler(Handler handler);

// Number of beeps asked for so far (there is no sound for them).
int BeepCount();
}  // namespace msgbox
