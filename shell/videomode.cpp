#include "shell/videomode.h"

#include "anim/display.h"
#include "anim/memmgr.h"
#include "game/game.h"
#include "platform/msgbox/msgbox.h"
#include "shell/settings.h"
#include "support/sysmsgbox.h"

namespace {

constexpr const char* kModule = "videomode.cpp";
constexpr UINT idsErrorCaption = 44;
constexpr UINT idsNoMatchingMode = 38;
constexpr UINT idsNoAcceptableMode = 120;

ACCEPTEDMODELIST s_list{0, 0, nullptr};

void SystemNoModeMessage(UINT idText)
{
    MessageBoxIds(MB_OK | MB_ICONINFORMATION, idsErrorCaption, idText, "");
}

NOMODEMESSAGEPROC s_pfnNoMode = SystemNoModeMessage;

// Sets a mode; a refusal of any kind counts as failure.
bool TryMode(long width, long height, unsigned short depth)
{
    return Display && Display->SetVideoMode(width, height, depth, amFlipTriple) == 1;
}

// Does value v pass one direction's test against the current value and the
// best candidate so far (none: any value in the right direction passes)?
bool Nearer(DWORD v, DWORD current, int direction, bool haveBest, DWORD best)
{
    if (direction == 0)
        return v == current;
    if (direction < 0)
        return v < current && (!haveBest || v >= best);
    return v > current && (!haveBest || v <= best);
}

} // namespace

bool fAcceptableMode(long width, long height, unsigned short depth)
{
    return depth > 8 && height >= 480 && width < 1280;
}

unsigned BuildVideoModeList()
{
    FreeVideoModeList();
    VIDEOMODELIST* list = Display ? Display->GetVideoModeList() : nullptr;
    if (!list)
        return 0;
    for (std::uint32_t i = 0; i < list->count; ++i) {
        const VIDEOMODE& m = list->entries[i];
        if (!fAcceptableMode(m.lWidth, m.lHeight, m.wDepth))
            continue;
        if (!GrowTable(&s_list.aModes, &s_list.capacity, s_list.count + 1, 10, kModule, __LINE__))
            break; // what was gathered so far is kept
        s_list.aModes[s_list.count++] =
            ACCEPTEDMODE{static_cast<DWORD>(m.lWidth), static_cast<DWORD>(m.lHeight), m.wDepth};
    }
    DISPLAY::FreeVideoModeList(list);
    return s_list.count;
}

const ACCEPTEDMODELIST& AcceptedVideoModes()
{
    return s_list;
}

void FreeVideoModeList()
{
    if (s_list.aModes)
        MemMgr_FreeMemory(s_list.aModes, kModule, __LINE__);
    s_list = ACCEPTEDMODELIST{0, 0, nullptr};
}

bool SetStartupVideoMode()
{
    SETTINGS& s = g.Settings;
    if (TryMode(s.lVideoWidth, s.lVideoHeight, s.wColourDepth))
        return true;
    if (TryMode(kFallbackWidth, kFallbackHeight, kFallbackDepth)) {
        s.lVideoWidth = kFallbackWidth;
        s.lVideoHeight = kFallbackHeight;
        s.wColourDepth = kFallbackDepth;
        SaveSettings();
        return true;
    }
    MessageBoxIds(MB_OK | MB_ICONINFORMATION, idsErrorCaption, idsNoAcceptableMode, "");
    return false;
}

int FindSteppedMode(const ACCEPTEDMODE* aModes, unsigned count, DWORD W, WORD D, int dw, int dd)
{
    int best = -1;
    for (unsigned i = 0; i < count && aModes; ++i) {
        const ACCEPTEDMODE& m = aModes[i];
        const bool have = best >= 0;
        const DWORD bestWidth = have ? aModes[best].dwWidth : 0;
        const DWORD bestDepth = have ? aModes[best].wDepth : 0;
        if (Nearer(m.dwWidth, W, dw, have, bestWidth) && Nearer(m.wDepth, D, dd, have, bestDepth))
            best = static_cast<int>(i);
    }
    return best;
}

bool StepVideoMode(int dw, int dd)
{
    if (!Display)
        return false;
    const DWORD W = static_cast<DWORD>(Display->GetWidth());
    const WORD D = Display->GetDepth();
    const int i = FindSteppedMode(s_list.aModes, s_list.count, W, D, dw, dd);
    if (i < 0) {
        (s_pfnNoMode ? s_pfnNoMode : SystemNoModeMessage)(idsNoMatchingMode);
        return false;
    }
    const ACCEPTEDMODE& m = s_list.aModes[i];
    // A refused mode leaves whatever mode the display keeps; no message.
    return TryMode(static_cast<long>(m.dwWidth), static_cast<long>(m.dwHeight), m.wDepth);
}

void VideoModeChanged()
{
    if (!Display)
        return;
    g.Settings.lVideoWidth = Display->GetWidth();
    g.Settings.lVideoHeight = Display->GetHeight();
    g.Settings.wColourDepth = Display->GetDepth();
    SaveSettings();
}

NOMODEMESSAGEPROC SetNoModeMessageProc(NOMODEMESSAGEPROC proc)
{
    NOMODEMESSAGEPROC previous = s_pfnNoMode;
    s_pfnNoMode = proc ? proc : SystemNoModeMessage;
    return previous;
}
