// The memory manager's statistics window: the totals of live blocks in a
// group, a list of every block with its place of allocation, and the Tare,
// Restore and Close buttons. It is a tool window of its own on the desktop.
#include "anim/memmgr.h"

#include "anim/memmgr_internal.h"
#include "platform/clock/clock.h"
#include "platform/gdi/gdi.h"
#include "platform/input/input.h"
#include "platform/registry/registry.h"
#include "platform/window/toolctl.h"
#include "platform/window/toolwin.h"
#include "platform/window/window.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <thread>
#include <vector>

using namespace memmgr_internal;

namespace {
constexpr const char* kClassName = "MemMgrClass";
constexpr const char* kTitle = "Memory Manager";
constexpr const char* kSettingsKey = "Software\\Telmar\\MemMgr";
constexpr const char* kSettingsValue = "Settings";
constexpr DWORD kSettingsSize = 48;
constexpr int kColumns = 6;
constexpr UINT kRefresh = WM_USER + 1;
constexpr UINT_PTR kTimer = 1;
constexpr UINT kTimerPeriod = 500;
// The list is built again at most this often for changes posted to it.
constexpr DWORD kListPeriod = 250;

enum : int {
    idGroup = 100,
    idRowLabel = 101,      // four, one per row
    idColumnLabel = 105,   // three
    idValue = 110,         // four rows of three
    idDetails = 130,
    idList = 131,
    idTare = 132,
    idRestore = 133,
    idClose = 2,           // Escape closes
};

const char* const kColumnTitles[kColumns] = {"Address", "Size", "Location", "Expression", "Flags", "Time"};
const char* const kRowLabels[4] = {"Objects:", "Dynamic:", "Combined:", "Tared:"};
const char* const kValueTitles[3] = {"Count", "Size", "Average"};

struct WindowState {
    HWND hwnd = nullptr;
    SETTINGS settings{};
    std::vector<BLOCKINFO> blocks;
    unsigned long listedChanges = ~0ul;
    DWORD listedAt = 0;
    std::atomic<bool> refreshPosted{false};
    std::thread::id owner;
};

WindowState& win()
{
    static WindowState w;
    return w;
}

// The list's columns run Address to Time; the sort codes run the other way.
int SortCodeOfColumn(int column) { return kColumns - 1 - column; }
int ColumnOfSortCode(long code) { return kColumns - 1 - static_cast<int>(code); }

const char* BaseName(const char* file)
{
    const char* base = file;
    for (const char* p = file; *p; ++p)
        if (*p == ':' || *p == '\\' || *p == '/')
            base = p + 1;
    return base;
}

long MsOfDayNow()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    const std::tm* local = std::localtime(&t);
    const long ms = static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000);
    if (!local)
        return 0;
    return ((local->tm_hour * 60L + local->tm_min) * 60L + local->tm_sec) * 1000L + ms;
}

int CompareBlocks(LPARAM a, LPARAM b, int column, void* context)
{
    const auto& blocks = *static_cast<const std::vector<BLOCKINFO>*>(context);
    const BLOCKINFO& x = blocks[static_cast<std::size_t>(a)];
    const BLOCKINFO& y = blocks[static_cast<std::size_t>(b)];
    auto order = [](auto p, auto q) { return p < q ? -1 : (q < p ? 1 : 0); };
    int c = 0;
    switch (SortCodeOfColumn(column)) {
    case 0: c = order(static_cast<std::int32_t>(x.tick - y.tick), 0); break;  // the oldest first
    case 1: c = order(x.fObject * 2 + x.fFreed, y.fObject * 2 + y.fFreed); break;
    case 2: c = std::strcmp(x.name ? x.name : "", y.name ? y.name : ""); break;
    case 3:
        c = std::strcmp(x.file ? BaseName(x.file) : "", y.file ? BaseName(y.file) : "");
        if (c == 0)
            c = order(x.line, y.line);
        break;
    case 4: c = order(y.size, x.size); break;  // the biggest first
    default: break;
    }
    if (c == 0)
        c = order(x.address, y.address);
    return c != 0 ? c : order(a, b);
}

HWND Item(int id) { return GetDlgItem(win().hwnd, id); }

void SetText(int id, const char* text)
{
    char now[128] = "";
    GetWindowTextA(Item(id), now, sizeof now);
    if (std::strcmp(now, text) != 0)
        SendMessageA(Item(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

void RefreshTotals()
{
    const TOTALS t = GetTotals();
    const COUNTS rows[4] = {t.objects, t.dynamic, t.combined, t.tared};
    for (int r = 0; r < 4; ++r) {
        char text[64];
        std::snprintf(text, sizeof text, "%lld", rows[r].count);
        SetText(idValue + r * 3, text);
        SetText(idValue + r * 3 + 1, FormatSize(rows[r].bytes, text));
        SetText(idValue + r * 3 + 2, FormatSize(rows[r].count ? rows[r].bytes / rows[r].count : 0, text));
    }
}

void RebuildList()
{
    WindowState& w = win();
    const HWND list = Item(idList);
    if (!list)
        return;
    w.listedChanges = ChangeCount();
    w.listedAt = GetTickCount();
    const int top = static_cast<int>(SendMessageA(list, TLM_GETTOPINDEX, 0, 0));
    const int sortColumn = static_cast<int>(SendMessageA(list, TLM_GETSORTCOLUMN, 0, 0));
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, TLM_DELETEALLITEMS, 0, 0);
    // Rows go in unsorted and are sorted once.
    SendMessageA(list, TLM_SETSORTCOLUMN, static_cast<WPARAM>(-1), 0);
    Snapshot(&w.blocks, true);
    const long nowMs = MsOfDayNow();
    const DWORD nowTick = GetTickCount();
    for (std::size_t i = 0; i < w.blocks.size(); ++i) {
        const BLOCKINFO& b = w.blocks[i];
        char address[32], size[64], location[320], flags[8], time[32];
        std::snprintf(address, sizeof address, "0x%08lX", static_cast<unsigned long>(b.address));
        FormatSize(static_cast<long long>(b.size), size);
        FormatLocation(b.file, b.line, location);
        FormatFlags(b.fObject, b.fFreed, flags);
        constexpr long kDay = 24L * 60 * 60 * 1000;
        const long age = static_cast<long>(static_cast<DWORD>(nowTick - b.tick) % static_cast<DWORD>(kDay));
        FormatTimeOfDay(((nowMs - age) % kDay + kDay) % kDay, time);
        const char* texts[kColumns] = {address, size, location, b.name ? b.name : "unknown", flags, time};
        const TLITEM item{kColumns, texts, static_cast<LPARAM>(i)};
        SendMessageA(list, TLM_INSERTITEM, 0, reinterpret_cast<LPARAM>(&item));
    }
    SendMessageA(list, TLM_SETSORTCOLUMN, static_cast<WPARAM>(sortColumn), 0);
    SendMessageA(list, TLM_SETTOPINDEX, static_cast<WPARAM>(std::max(0, top)), 0);
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
}

// Every allocation and free lands here; the window looks again when its
// thread reads its messages. Changes on other threads wait for the timer.
void OnChange()
{
    WindowState& w = win();
    if (!w.hwnd || std::this_thread::get_id() != w.owner || w.refreshPosted.exchange(true))
        return;
    PostMessageA(w.hwnd, kRefresh, 0, 0);
}

void LayOut(HWND hwnd)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    const int w = rc.right, h = rc.bottom;
    constexpr int margin = 8, rowH = 18, labelW = 76, valueW = 96;
    const int groupH = rowH + 5 * rowH + 6;
    MoveWindow(Item(idGroup), margin, 4, std::max(0, w - 2 * margin), groupH, TRUE);
    const int x0 = margin + 10, y0 = 4 + rowH;
    for (int c = 0; c < 3; ++c)
        MoveWindow(Item(idColumnLabel + c), x0 + labelW + c * valueW, y0, valueW - 8, rowH, TRUE);
    for (int r = 0; r < 4; ++r) {
        const int y = y0 + (r + 1) * rowH;
        MoveWindow(Item(idRowLabel + r), x0, y, labelW, rowH, TRUE);
        for (int c = 0; c < 3; ++c)
            MoveWindow(Item(idValue + r * 3 + c), x0 + labelW + c * valueW, y, valueW - 8, rowH, TRUE);
    }
    const int by = 4 + groupH + 6, bh = 24, bw = 72;
    MoveWindow(Item(idDetails), margin, by, 80, bh, TRUE);
    MoveWindow(Item(idClose), w - margin - bw, by, bw, bh, TRUE);
    MoveWindow(Item(idRestore), w - margin - 2 * bw - 6, by, bw, bh, TRUE);
    MoveWindow(Item(idTare), w - margin - 3 * bw - 12, by, bw, bh, TRUE);
    const int ly = by + bh + 8;
    MoveWindow(Item(idList), margin, ly, std::max(0, w - 2 * margin), std::max(0, h - ly - margin), TRUE);
}

void MakeControls(HWND hwnd)
{
    RegisterToolControls();
    auto make = [&](const char* cls, const char* text, DWORD style, int id) {
        return CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, hwnd,
                               reinterpret_cast<HMENU>(static_cast<std::uintptr_t>(id)), nullptr, nullptr);
    };
    // The group box is made first, so that it lies above the labels it holds
    // and is painted after them; it lets clicks through.
    make(TOOLCTL_BUTTON, "Allocation Statistics", BS_GROUPBOX, idGroup);
    for (int r = 0; r < 4; ++r)
        make(TOOLCTL_STATIC, kRowLabels[r], SS_LEFT, idRowLabel + r);
    for (int c = 0; c < 3; ++c)
        make(TOOLCTL_STATIC, kValueTitles[c], SS_RIGHT, idColumnLabel + c);
    for (int i = 0; i < 12; ++i)
        make(TOOLCTL_STATIC, "", SS_RIGHT, idValue + i);
    make(TOOLCTL_BUTTON, "Details", BS_AUTOCHECKBOX | WS_TABSTOP, idDetails);
    make(TOOLCTL_BUTTON, "Tare", BS_PUSHBUTTON | WS_TABSTOP, idTare);
    make(TOOLCTL_BUTTON, "Restore", BS_PUSHBUTTON | WS_TABSTOP, idRestore);
    make(TOOLCTL_BUTTON, "Close", BS_DEFPUSHBUTTON | WS_TABSTOP, idClose);
    const HWND list = make(TOOLCTL_LIST, "", WS_TABSTOP, idList);
    const SETTINGS& s = win().settings;
    for (int c = 0; c < kColumns; ++c) {
        const TLCOLUMN col{kColumnTitles[c], static_cast<int>(s.widths[c])};
        SendMessageA(list, TLM_INSERTCOLUMN, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&col));
    }
    SendMessageA(list, TLM_SETCOMPARE, reinterpret_cast<WPARAM>(&win().blocks), reinterpret_cast<LPARAM>(&CompareBlocks));
    SendMessageA(list, TLM_SETSORTCOLUMN, static_cast<WPARAM>(ColumnOfSortCode(s.sortBy)), 0);
    SendMessageA(Item(idDetails), BM_SETCHECK, s.fDetails ? BST_CHECKED : BST_UNCHECKED, 0);
    ShowWindow(list, s.fDetails ? SW_SHOWNA : SW_HIDE);
}

void SaveSettings(HWND hwnd)
{
    SETTINGS& s = win().settings;
    GetWindowRect(hwnd, &s.rc);
    if (const HWND list = Item(idList)) {
        for (int c = 0; c < kColumns; ++c)
            s.widths[c] = static_cast<long>(SendMessageA(list, TLM_GETCOLUMNWIDTH, static_cast<WPARAM>(c), 0));
        const int column = static_cast<int>(SendMessageA(list, TLM_GETSORTCOLUMN, 0, 0));
        if (column >= 0)
            s.sortBy = SortCodeOfColumn(column);
    }
    WriteSettings(s);
}

LRESULT CALLBACK_WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    WindowState& w = win();
    switch (msg) {
    case WM_CREATE:
        w.hwnd = hwnd;
        MakeControls(hwnd);
        SetTimer(hwnd, kTimer, kTimerPeriod, nullptr);
        return 0;
    case WM_SIZE: LayOut(hwnd); return 0;
    case WM_TIMER:
        if (wParam == kTimer) {
            RefreshTotals();
            if (ChangeCount() != w.listedChanges && IsWindowVisible(Item(idList)))
                RebuildList();
        }
        return 0;
    case kRefresh:
        w.refreshPosted = false;
        RefreshTotals();
        if (IsWindowVisible(Item(idList)) && GetTickCount() - w.listedAt >= kListPeriod)
            RebuildList();
        return 0;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case idTare: Tare(); RefreshTotals(); return 0;
        case idRestore: Restore(); RefreshTotals(); return 0;
        case idClose: DestroyWindow(hwnd); return 0;
        case idDetails: {
            const bool on = SendMessageA(Item(idDetails), BM_GETCHECK, 0, 0) == BST_CHECKED;
            w.settings.fDetails = on ? 1 : 0;
            ShowWindow(Item(idList), on ? SW_SHOWNA : SW_HIDE);
            InvalidateRect(hwnd, nullptr, TRUE);
            if (on)
                RebuildList();
            return 0;
        }
        default: return 0;
        }
    case WM_NOTIFY: {
        const auto* nm = reinterpret_cast<const NMTOOLLIST*>(lParam);
        if (nm && nm->hdr.code == TLN_COLUMNCLICK)
            w.settings.sortBy = SortCodeOfColumn(nm->iColumn);
        return 0;
    }
    case WM_DESTROY:
        KillTimer(hwnd, kTimer);
        SaveSettings(hwnd);
        w.hwnd = nullptr;
        w.blocks.clear();
        SetChangeListener(nullptr);
        return 0;
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

bool RegisterWindowClass()
{
    WNDCLASSA existing{};
    if (GetClassInfoA(nullptr, kClassName, &existing))
        return true;
    WNDCLASSA wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = CALLBACK_WindowProc;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<std::uintptr_t>(COLOR_BTNFACE + 1));
    wc.lpszClassName = kClassName;
    return RegisterClassA(&wc) != 0;
}

void Put32(BYTE* p, long v)
{
    const auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<BYTE>(u >> (8 * i));
}

long Get32(const BYTE* p)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                                     (static_cast<std::uint32_t>(p[2]) << 16) |
                                     (static_cast<std::uint32_t>(p[3]) << 24));
}
}  // namespace

// ---- row formats ------------------------------------------------------------------------

namespace memmgr_internal {
const char* FormatSize(long long bytes, char* out)
{
    const char* sign = bytes < 0 ? "-" : "";
    const unsigned long long n = bytes < 0 ? 0ull - static_cast<unsigned long long>(bytes) : static_cast<unsigned long long>(bytes);
    if (n < 3072)
        std::snprintf(out, 64, "%s%llu b", sign, n);
    else if (n < 1024ull * 1024)
        std::snprintf(out, 64, "%s%llu.%02llu kb", sign, n / 1024, n % 1024 * 100 / 1024);
    else
        std::snprintf(out, 64, "%s%llu.%02llu MB", sign, n / (1024 * 1024), n % (1024 * 1024) * 100 / (1024 * 1024));
    return out;
}

const char* FormatLocation(const char* file, long line, char* out)
{
    if (!file || !*file)
        std::snprintf(out, 64, "unknown");
    else
        std::snprintf(out, 64, "%.48s, %ld", BaseName(file), line);
    return out;
}

const char* FormatFlags(bool fObject, bool fFreed, char* out)
{
    out[0] = fObject ? 'C' : ' ';
    out[1] = ' ';
    out[2] = fFreed ? 'F' : ' ';
    out[3] = '\0';
    return out;
}

const char* FormatTimeOfDay(long msOfDay, char* out)
{
    const long s = msOfDay / 1000;
    std::snprintf(out, 64, "%ld:%02ld:%02ld.%02ld", s / 3600, s / 60 % 60, s % 60, msOfDay % 1000 / 10);
    return out;
}

SETTINGS DefaultSettings()
{
    SETTINGS s{};
    s.rc = {0, 0, 510, 440};
    const long widths[kColumns] = {70, 40, 100, 110, 50, 80};
    std::copy(widths, widths + kColumns, s.widths);
    s.sortBy = 4;
    s.fDetails = 1;
    return s;
}

SETTINGS ReadSettings()
{
    SETTINGS s = DefaultSettings();
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return s;
    BYTE data[kSettingsSize] = {};
    DWORD size = sizeof data, type = 0;
    const LSTATUS status = RegQueryValueExA(key, kSettingsValue, nullptr, &type, data, &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_BINARY || size != kSettingsSize)
        return s;
    const RECT rc{static_cast<LONG>(Get32(data)), static_cast<LONG>(Get32(data + 4)), static_cast<LONG>(Get32(data + 8)),
                  static_cast<LONG>(Get32(data + 12))};
    const long width = static_cast<long>(rc.right) - rc.left, height = static_cast<long>(rc.bottom) - rc.top;
    if (width >= 200 && width <= 8000 && height >= 150 && height <= 8000 && rc.left > -8000 && rc.left < 8000 &&
        rc.top > -8000 && rc.top < 8000)
        s.rc = rc;
    for (int c = 0; c < kColumns; ++c) {
        const long w = Get32(data + 16 + 4 * c);
        if (w >= 0 && w <= 2000)
            s.widths[c] = w;
    }
    const long sortBy = Get32(data + 40);
    if (sortBy >= 0 && sortBy < kColumns)
        s.sortBy = sortBy;
    const long details = Get32(data + 44);
    if (details == 0 || details == 1)
        s.fDetails = details;
    return s;
}

bool WriteSettings(const SETTINGS& s)
{
    BYTE data[kSettingsSize];
    Put32(data, s.rc.left);
    Put32(data + 4, s.rc.top);
    Put32(data + 8, s.rc.right);
    Put32(data + 12, s.rc.bottom);
    for (int c = 0; c < kColumns; ++c)
        Put32(data + 16 + 4 * c, s.widths[c]);
    Put32(data + 40, s.sortBy);
    Put32(data + 44, s.fDetails);
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return false;
    const LSTATUS status = RegSetValueExA(key, kSettingsValue, 0, REG_BINARY, data, kSettingsSize);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}
}  // namespace memmgr_internal

// ---- entry points -----------------------------------------------------------------------

int ShowMemoryManager()
{
    WindowState& w = win();
    if (w.hwnd && IsWindow(w.hwnd))
        return 1;
    w.hwnd = nullptr;
    if (!RegisterWindowClass())
        return 0;
    w.settings = ReadSettings();
    w.owner = std::this_thread::get_id();
    w.refreshPosted = false;
    w.listedChanges = ~0ul;
    const RECT& rc = w.settings.rc;
    const HWND hwnd = CreateWindowExA(0, kClassName, kTitle, WS_OVERLAPPEDWINDOW, rc.left, rc.top, rc.right - rc.left,
                                      rc.bottom - rc.top, nullptr, nullptr, nullptr, nullptr);
    if (!hwnd)
        return 0;
    toolwin::Attach(hwnd);
    RefreshTotals();
    if (w.settings.fDetails)
        RebuildList();
    SetChangeListener(OnChange);
    ShowWindow(hwnd, SW_SHOW);
    return 1;
}

int WhileMemoryManagerShowing()
{
    MSG msg{};
    while (win().hwnd && IsWindow(win().hwnd)) {
        if (!GetMessageA(&msg, nullptr, 0, 0)) {
            // The quit request is for the host's own loop.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (win().hwnd && IsToolDialogMessage(win().hwnd, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

int IsMemoryManagerMessage(MSG* msg)
{
    constexpr WPARAM kF8 = 0x77;
    if (!msg || msg->message != WM_KEYDOWN || msg->wParam != kF8)
        return 0;
    if (win().hwnd && IsWindow(win().hwnd))
        return 0;
    ShowMemoryManager();
    return 1;
}

HWND MemoryManagerWindow()
{
    WindowState& w = win();
    return w.hwnd && IsWindow(w.hwnd) ? w.hwnd : nullptr;
}
