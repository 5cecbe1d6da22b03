#include "anim/debug.h"

#include "platform/base/syserror.h"
#include "platform/gdi/gdi.h"
#include "platform/resources/resources.h"
#include "platform/window/toolctl.h"
#include "platform/window/toolwin.h"
#include "platform/window/window.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace {
constexpr const char* kClassName = "DebugClass";
constexpr const char* kTitle = "debug++";
// Carries a copy of the text to the window, which appends it.
constexpr UINT kAppend = 0x0499;
constexpr double kDegreesPerRadian = 57.29577951308402;

bool RegisterDebugClass()
{
    WNDCLASSA existing{};
    if (GetClassInfoA(nullptr, kClassName, &existing))
        return true;
    WNDCLASSA wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = &Debug::WndProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<std::uintptr_t>(COLOR_BTNFACE + 1));
    wc.lpszClassName = kClassName;
    return RegisterClassA(&wc) != 0;
}

// Line feeds without a carriage return before them get one.
std::string WithCarriageReturns(const char* text)
{
    std::string out;
    out.reserve(std::strlen(text) + 16);
    for (const char* p = text; *p; ++p) {
        if (*p == '\n' && (p == text || p[-1] != '\r'))
            out += '\r';
        out += *p;
    }
    return out;
}
}  // namespace

Debug debug;

const char* FormatDebugDouble(double d, bool angles, char* out)
{
    if (std::isnan(d)) {
        std::snprintf(out, 64, "nan");
        return out;
    }
    if (std::isinf(d)) {
        std::snprintf(out, 64, d < 0 ? "-inf" : "inf");
        return out;
    }
    if (angles) {
        d = std::fmod(d * kDegreesPerRadian, 360.0);
        if (d < 0)
            d += 360.0;
        if (d >= 360.0)
            d -= 360.0;
    }
    const bool negative = d < 0;
    const double a = std::fabs(d);
    double whole = std::floor(a);
    long long fraction = std::llround((a - whole) * 1000000.0);
    if (fraction >= 1000000) {
        whole += 1;
        fraction -= 1000000;
    }
    // Rounding up to a full turn is no turn.
    if (angles && whole >= 360.0)
        whole -= 360.0;
    const char* sign = negative && (whole != 0 || fraction != 0) ? "-" : "";
    int n = std::snprintf(out, 64, "%s%.0f", sign, whole);
    if (fraction != 0 && n > 0 && n < 56) {
        std::snprintf(out + n, 64 - static_cast<std::size_t>(n), ".%06lld", fraction);
        char* end = out + std::strlen(out) - 1;
        while (*end == '0')
            *end-- = '\0';
    }
    return out;
}

Debug::Debug() : fWindowMade(0), hwnd(nullptr), hwndEdit(nullptr), szText{}, fAngles(0)
{
    // The window system's tables are made now, before this object, so that
    // they still exist when its destructor closes the window.
    window_system::WindowCount();
    GetFocus();
}

Debug::~Debug()
{
    if (hwnd && IsWindow(hwnd))
        DestroyWindow(hwnd);
    hwnd = hwndEdit = nullptr;
    for (char* copy : pending)
        delete[] copy;
    pending.clear();
}

bool Debug::MakeWindow()
{
    fWindowMade = 1;
    RegisterToolControls();
    if (!RegisterDebugClass())
        return false;
    RECT area{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    const int width = (area.right - area.left) / 3;
    const HWND made = CreateWindowExA(0, kClassName, kTitle, WS_OVERLAPPEDWINDOW, area.right - width, area.top, width,
                                      area.bottom - area.top, nullptr, nullptr, GetModuleHandleA(nullptr), this);
    if (!made)
        return false;
    hwnd = made;
    toolwin::Attach(hwnd);
    RECT rc;
    GetClientRect(hwnd, &rc);
    hwndEdit = CreateWindowExA(0, TOOLCTL_TEXTVIEW, "", WS_CHILD | WS_VISIBLE, 0, 0, rc.right, rc.bottom, hwnd, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    if (hwndEdit)
        SendMessageA(hwndEdit, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    return true;
}

void Debug::Post(const char* text)
{
    // Diagnostics leave the program's last error as they found it.
    const DWORD lastError = GetLastError();
    struct KeepLastError {
        DWORD code;
        ~KeepLastError() { SetLastError(code); }
    } keep{lastError};
    if (!fWindowMade)
        MakeWindow();
    if (hwnd && !IsWindow(hwnd))
        hwnd = hwndEdit = nullptr;
    // Closed by the user: nothing is shown any more.
    if (!hwnd)
        return;
    const std::size_t n = std::strlen(text);
    char* copy = new char[n + 1];
    std::memcpy(copy, text, n + 1);
    pending.insert(copy);
    if (!PostMessageA(hwnd, kAppend, 0, reinterpret_cast<LPARAM>(copy))) {
        pending.erase(copy);
        delete[] copy;
    }
}

void Debug::Append(const char* text)
{
    std::string add = WithCarriageReturns(text ? text : "(null)");
    // Text longer than the window holds keeps its end, from a line start
    // where there is one.
    if (add.size() >= cchLimit) {
        std::size_t from = add.size() - (cchLimit - 1);
        const std::size_t lineStart = add.find('\n', from);
        if (lineStart != std::string::npos && lineStart + 1 < add.size())
            from = lineStart + 1;
        add.erase(0, from);
        szText[0] = '\0';
    }
    // The oldest lines go until the new text fits; the new text stays whole.
    std::size_t length = std::strlen(szText);
    while (length > 0 && length + add.size() >= cchLimit) {
        const char* lf = std::strchr(szText, '\n');
        const std::size_t drop = lf ? static_cast<std::size_t>(lf - szText) + 1 : length;
        std::memmove(szText, szText + drop, length - drop + 1);
        length -= drop;
    }
    std::memcpy(szText + length, add.c_str(), add.size() + 1);
    if (hwndEdit) {
        SendMessageA(hwndEdit, WM_SETREDRAW, FALSE, 0);
        SendMessageA(hwndEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(szText));
        SendMessageA(hwndEdit, TVM_SCROLLTOEND, 0, 0);
        SendMessageA(hwndEdit, WM_SETREDRAW, TRUE, 0);
    }
}

LRESULT Debug::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCCREATE) {
        const auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongA(hwnd, GWL_USERDATA, reinterpret_cast<LONG_PTR>(cs ? cs->lpCreateParams : nullptr));
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    auto* self = reinterpret_cast<Debug*>(GetWindowLongA(hwnd, GWL_USERDATA));
    switch (msg) {
    case kAppend: {
        auto* text = reinterpret_cast<char*>(lParam);
        if (self && self->pending.erase(text)) {
            self->Append(text);
            delete[] text;
        }
        return 0;
    }
    case WM_SIZE:
        if (self && self->hwndEdit)
            MoveWindow(self->hwndEdit, 0, 0, LOWORD(static_cast<std::uintptr_t>(lParam)),
                       HIWORD(static_cast<std::uintptr_t>(lParam)), TRUE);
        return 0;
    case WM_DESTROY:
        if (self && self->hwnd == hwnd)
            self->hwnd = self->hwndEdit = nullptr;
        return 0;
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

// ---- output -----------------------------------------------------------------------------

Debug& Debug::operator<<(const char* text)
{
    if (text && std::strcmp(text, "[AnglesOn]") == 0) {
        fAngles = 1;
        return *this;
    }
    if (text && std::strcmp(text, "[AnglesOff]") == 0) {
        fAngles = 0;
        return *this;
    }
    if (text && std::strcmp(text, "[LastError]") == 0) {
        const DWORD code = GetLastError();
        char message[512] = "";
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                       MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), message, sizeof message, nullptr);
        // Looking the text up leaves the last error as it was.
        SetLastError(code);
        char out[600];
        std::snprintf(out, sizeof out, "#%lu (%s)", static_cast<unsigned long>(code), message);
        Post(out);
        return *this;
    }
    Post(text ? text : "(null)");
    return *this;
}

Debug& Debug::operator<<(const void* p)
{
    char out[32];
    const auto v = static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(p));
    std::snprintf(out, sizeof out, v > 0xFFFF ? "0x%08lX" : "0x%04lX", v);
    return *this << static_cast<const char*>(out);
}

Debug& Debug::operator<<(char c)
{
    const char out[2] = {c, '\0'};
    return *this << static_cast<const char*>(out);
}

Debug& Debug::operator<<(unsigned char c) { return *this << static_cast<char>(c); }

Debug& Debug::operator<<(short n) { return *this << static_cast<long>(n); }
Debug& Debug::operator<<(unsigned short n) { return *this << static_cast<unsigned long>(n); }
Debug& Debug::operator<<(int n) { return *this << static_cast<long>(n); }
Debug& Debug::operator<<(unsigned n) { return *this << static_cast<unsigned long>(n); }

Debug& Debug::operator<<(long n)
{
    char out[32];
    std::snprintf(out, sizeof out, "%ld", n);
    return *this << static_cast<const char*>(out);
}

Debug& Debug::operator<<(unsigned long n)
{
    char out[32];
    std::snprintf(out, sizeof out, "%lu", n);
    return *this << static_cast<const char*>(out);
}

Debug& Debug::operator<<(double d)
{
    char out[64];
    return *this << FormatDebugDouble(d, fAngles != 0, out);
}

Debug& Debug::operator<<(RECT rc)
{
    char out[96];
    std::snprintf(out, sizeof out, "{ x=%ld..%ld, y=%ld..%ld }", static_cast<long>(rc.left), static_cast<long>(rc.right),
                  static_cast<long>(rc.top), static_cast<long>(rc.bottom));
    return *this << static_cast<const char*>(out);
}
