#include "platform/msgbox/msgbox.h"

#include <SDL.h>

#include <cstdio>
#include <mutex>
#include <utility>

namespace {
msgbox::Handler& handler()
{
    static msgbox::Handler h;
    return h;
}
// Boxes may be shown from threads of their own, so the handler is read and
// replaced under a lock, and each box calls its own copy of it.
std::mutex g_handlerLock;
int g_beeps = 0;

const char* ButtonLabel(int id)
{
    switch (id) {
    case IDOK: return "OK";
    case IDCANCEL: return "Cancel";
    case IDABORT: return "Abort";
    case IDRETRY: return "Retry";
    case IDIGNORE: return "Ignore";
    case IDYES: return "Yes";
    case IDNO: return "No";
    default: return "?";
    }
}

// Only try a real window where a window system can be reached; the
// offscreen and dummy drivers have none.
bool WindowSystemAvailable()
{
    const char* driver = SDL_getenv("SDL_VIDEODRIVER");
    if (driver && (SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0))
        return false;
    return SDL_getenv("DISPLAY") || SDL_getenv("WAYLAND_DISPLAY");
}

int ShowWithSdl(const msgbox::Request& r, const msgbox::Buttons& b, bool* shown)
{
    *shown = false;
    SDL_MessageBoxButtonData data[3];
    for (int i = 0; i < b.count; ++i) {
        data[i].flags = 0;
        if (b.ids[i] == b.defaultId)
            data[i].flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
        if (b.ids[i] == IDCANCEL || b.ids[i] == IDNO)
            data[i].flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
        data[i].buttonid = b.ids[i];
        data[i].text = ButtonLabel(b.ids[i]);
    }
    Uint32 flags = SDL_MESSAGEBOX_INFORMATION;
    const UINT icon = r.type & MB_ICONMASK;
    if (icon == MB_ICONHAND)
        flags = SDL_MESSAGEBOX_ERROR;
    else if (icon == MB_ICONEXCLAMATION)
        flags = SDL_MESSAGEBOX_WARNING;
    SDL_MessageBoxData box{};
    box.flags = flags;
    box.window = nullptr;
    box.title = r.caption.c_str();
    box.message = r.text.c_str();
    box.numbuttons = b.count;
    box.buttons = data;
    int answer = b.defaultId;
    if (SDL_ShowMessageBox(&box, &answer) != 0)
        return b.defaultId;
    *shown = true;
    return answer < 0 ? b.defaultId : answer;
}
}  // namespace

namespace msgbox {
Buttons ButtonsFor(UINT type)
{
    Buttons b;
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: b.ids[0] = IDOK, b.ids[1] = IDCANCEL, b.count = 2; break;
    case MB_ABORTRETRYIGNORE: b.ids[0] = IDABORT, b.ids[1] = IDRETRY, b.ids[2] = IDIGNORE, b.count = 3; break;
    case MB_YESNOCANCEL: b.ids[0] = IDYES, b.ids[1] = IDNO, b.ids[2] = IDCANCEL, b.count = 3; break;
    case MB_YESNO: b.ids[0] = IDYES, b.ids[1] = IDNO, b.count = 2; break;
    case MB_RETRYCANCEL: b.ids[0] = IDRETRY, b.ids[1] = IDCANCEL, b.count = 2; break;
    default: b.ids[0] = IDOK, b.count = 1; break;
    }
    int index = 0;
    switch (type & MB_DEFMASK) {
    case MB_DEFBUTTON2: index = 1; break;
    case MB_DEFBUTTON3: index = 2; break;
    default: break;
    }
    if (index >= b.count)
        index = 0;
    b.defaultId = b.ids[index];
    return b;
}

Handler SetHandler(Handler h)
{
    std::lock_guard<std::mutex> lock(g_handlerLock);
    return std::exchange(handler(), std::move(h));
}

int BeepCount() { return g_beeps; }
}  // namespace msgbox

int MessageBoxA(HWND, const char* text, const char* caption, UINT type)
{
    msgbox::Request r{text ? text : "", caption ? caption : "Error", type};
    msgbox::Handler installed;
    {
        std::lock_guard<std::mutex> lock(g_handlerLock);
        installed = handler();
    }
    if (installed)
        return installed(r);
    const msgbox::Buttons b = msgbox::ButtonsFor(type);
    if (WindowSystemAvailable()) {
        bool shown = false;
        const int answer = ShowWithSdl(r, b, &shown);
        if (shown)
            return answer;
    }
    std::fprintf(stderr, "%s: %s\n", r.caption.c_str(), r.text.c_str());
    return b.defaultId;
}

BOOL MessageBeep(UINT)
{
    ++g_beeps;
    return TRUE;
}
