// Shared state of the window system, between the window objects and the
// message queue. Not for use outside platform/window.
#pragma once

#include "platform/window/window.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace window_internal {
struct ClassInfo {
    std::string name;
    std::string menuName;
    WNDCLASSA wc{};
    ATOM atom = 0;
    bool system = false;
    int windowCount = 0;
};

struct Window {
    ClassInfo* cls = nullptr;
    std::string className;
    WNDPROC proc = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    bool exStyleDialogFrame = false;
    HWND parent = nullptr;  // the parent of a child, the owner of a top-level window
    std::vector<HWND> children;  // z-order, top first
    RECT rect{};  // relative to the parent's client area (children) or the screen
    std::string text;
    std::vector<LONG_PTR> extra;
    LONG_PTR userData = 0;
    HINSTANCE instance = nullptr;
    HMENU menu = nullptr;
    int id = 0;
    bool destroying = false;
    bool hasUpdate = false;
    bool erase = false;
    RECT update{};
    bool isDialog = false;
    HWND savedFocus = nullptr;
    // A top-level window shown in a real window of its own (the library's
    // tool windows): the real window's frame is its frame, and the display's
    // mouse input never reaches it.
    bool ownScreen = false;
};

struct State {
    std::map<HWND, std::unique_ptr<Window>> windows;
    std::vector<HWND> topLevel;  // z-order, top first
    std::vector<std::unique_ptr<ClassInfo>> classes;
    bool systemClassesMade = false;
    unsigned nextAtom = 1;
    std::uintptr_t nextWindow = 1;
};

State& state();
Window* Find(HWND hwnd);
ClassInfo* FindClass(const char* name);
std::vector<HWND>& Siblings(HWND parent);
HWND TopLevelOf(HWND hwnd);
bool IsAncestorOrSelf(HWND ancestor, HWND hwnd);
LRESULT CallProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
void NonClient(const Window& w, int* border, int* caption);
POINT ClientOrigin(HWND hwnd);
RECT ScreenRect(HWND hwnd);
SIZE ClientSize(const Window& w);
bool IsShownOnScreen(HWND hwnd);
}  // namespace window_internal

namespace queue_internal {
// A window is going away: its timers stop, and it loses capture, focus and
// activation.
void ForgetWindow(HWND hwnd);
// A window was hidden: focus and capture inside it are dropped.
void WindowHidden(HWND hwnd);
void Reset();
}  // namespace queue_internal
