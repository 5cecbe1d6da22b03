// The controls of tool windows, as far as the library's diagnostic windows
// need them: push buttons, check boxes and group boxes; text labels; a
// scrolling read-only text view; a list of rows with columns that keeps its
// rows sorted by a chosen column. They draw with the device contexts of the
// window system, in the default GUI font unless given another.
//
// Each control tells its parent what happened: buttons and check boxes with
// WM_COMMAND (BN_CLICKED), the list with WM_NOTIFY. Tab, Return and Escape
// move between controls and press buttons when the host passes its messages
// through IsToolDialogMessage.
#pragma once

#include "platform/base/types.h"
#include "platform/window/window.h"

// Class names; RegisterToolControls makes them known (again after a reset of
// the window system).
constexpr const char* TOOLCTL_BUTTON = "ToolButton";
constexpr const char* TOOLCTL_STATIC = "ToolStatic";
constexpr const char* TOOLCTL_TEXTVIEW = "ToolTextView";
constexpr const char* TOOLCTL_LIST = "ToolList";
bool RegisterToolControls();

// Messages shared with the rest of the window system's controls.
constexpr UINT WM_SETREDRAW = 0x000B;
constexpr UINT WM_GETTEXTLENGTH = 0x000E;
constexpr UINT WM_SETFONT = 0x0030;
constexpr UINT WM_GETFONT = 0x0031;
constexpr UINT WM_NOTIFY = 0x004E;
constexpr UINT WM_NCHITTEST = 0x0084;
constexpr UINT WM_MOUSEWHEEL = 0x020A;
constexpr LRESULT HTTRANSPARENT = -1;
constexpr int WHEEL_DELTA = 120;

// Buttons: the style picks the kind.
constexpr DWORD BS_PUSHBUTTON = 0x0;
constexpr DWORD BS_DEFPUSHBUTTON = 0x1;
constexpr DWORD BS_AUTOCHECKBOX = 0x3;
constexpr DWORD BS_GROUPBOX = 0x7;
constexpr DWORD BS_TYPEMASK = 0xF;
constexpr UINT BM_GETCHECK = 0x00F0;
constexpr UINT BM_SETCHECK = 0x00F1;
constexpr UINT BM_CLICK = 0x00F5;
constexpr WPARAM BST_UNCHECKED = 0;
constexpr WPARAM BST_CHECKED = 1;
constexpr WORD BN_CLICKED = 0;

// Labels.
constexpr DWORD SS_LEFT = 0x0;
constexpr DWORD SS_RIGHT = 0x2;

// The text view: WM_SETTEXT replaces the text (lines end in "\r\n" or
// "\n"); it scrolls both ways with its scroll bars, the wheel and the
// cursor keys.
constexpr UINT TVM_SCROLLTOEND = WM_USER + 0x100;     // the last line comes into view
constexpr UINT TVM_GETLINECOUNT = WM_USER + 0x101;
constexpr UINT TVM_GETFIRSTVISIBLE = WM_USER + 0x102; // the topmost line shown
constexpr UINT TVM_GETVISIBLELINES = WM_USER + 0x103; // the lines that fit

// The list.
struct TLCOLUMN {
    const char* text;
    int width;
};
struct TLITEM {
    int nTexts;
    const char* const* apszText; // one text per column
    LPARAM lParam;               // the caller's value of the row
};
struct TLTEXT {
    char* buffer;
    int cch;
};
// Orders two rows by a column: < 0, 0 or > 0.
using TLCOMPAREPROC = int (*)(LPARAM a, LPARAM b, int column, void* context);

constexpr UINT TLM_INSERTCOLUMN = WM_USER + 0x200;   // wParam index, lParam TLCOLUMN*
constexpr UINT TLM_GETCOLUMNCOUNT = WM_USER + 0x201;
constexpr UINT TLM_GETCOLUMNWIDTH = WM_USER + 0x202; // wParam column
constexpr UINT TLM_SETCOLUMNWIDTH = WM_USER + 0x203; // wParam column, lParam width
constexpr UINT TLM_DELETEALLITEMS = WM_USER + 0x204;
constexpr UINT TLM_INSERTITEM = WM_USER + 0x205;     // lParam TLITEM*; returns the row it went to
constexpr UINT TLM_GETITEMCOUNT = WM_USER + 0x206;
constexpr UINT TLM_GETITEMTEXT = WM_USER + 0x207;    // wParam MAKEWPARAM(row, column), lParam TLTEXT*
constexpr UINT TLM_GETITEMPARAM = WM_USER + 0x208;   // wParam row
constexpr UINT TLM_SETSORTCOLUMN = WM_USER + 0x209;  // wParam column (-1: unsorted); sorts now
constexpr UINT TLM_GETSORTCOLUMN = WM_USER + 0x20A;
constexpr UINT TLM_SETCOMPARE = WM_USER + 0x20B;     // wParam context, lParam TLCOMPAREPROC
constexpr UINT TLM_GETTOPINDEX = WM_USER + 0x20C;
constexpr UINT TLM_SETTOPINDEX = WM_USER + 0x20D;    // wParam row

// What the list tells its parent through WM_NOTIFY.
struct NMHDR {
    HWND hwndFrom;
    UINT_PTR idFrom;
    UINT code;
};
struct NMTOOLLIST {
    NMHDR hdr;
    int iColumn;
};
constexpr UINT TLN_COLUMNCLICK = 1;   // a column header was clicked; the list is sorted by it now
constexpr UINT TLN_COLUMNRESIZED = 2; // a column's width was dragged

// Dialog keys for a window holding controls: Tab and Shift+Tab move the
// focus between WS_TABSTOP controls, Return presses the default push button,
// Escape sends WM_COMMAND with IDCANCEL (2) to the window, Space presses the
// focused button. True when the message was such a key and was handled.
bool IsToolDialogMessage(HWND window, MSG* msg);
