#include "shell/settings.h"

#include "game/game.h"

#include "platform/ddraw/presenter.h"
#include "platform/registry/registry.h"

#include <vector>

namespace {

void Put32(BYTE* p, DWORD v)
{
    p[0] = static_cast<BYTE>(v);
    p[1] = static_cast<BYTE>(v >> 8);
    p[2] = static_cast<BYTE>(v >> 16);
    p[3] = static_cast<BYTE>(v >> 24);
}
void Put16(BYTE* p, WORD v)
{
    p[0] = static_cast<BYTE>(v);
    p[1] = static_cast<BYTE>(v >> 8);
}
DWORD Get32(const BYTE* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<DWORD>(p[3]) << 24); }
WORD Get16(const BYTE* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }

}  // namespace

void SettingsDefaults(SETTINGS* ps)
{
    *ps = SETTINGS{};
    ps->lVideoWidth = 800;
    ps->lVideoHeight = 600;
    ps->wColourDepth = 16;
    ps->ControlDevice = cdMouse;
    ps->fSound = TRUE;
    ps->fMusic = TRUE;
    ps->dwDifficulty = diffNormal;
    ps->fShowTutorial = TRUE;
    ps->lHighScore = 250000;
    ps->lStartLevel = 1;
    ps->fKeyboardHintShown = FALSE;
    ps->dwReserved = 0;
    ps->dwDisplayQuality = 7;
}

void SettingsToBytes(const SETTINGS& s, BYTE out[kSettingsValueBytes])
{
    Put32(out, kSettingsVersion);
    BYTE* r = out + 4;
    Put32(r + 0, static_cast<DWORD>(s.lVideoWidth));
    Put32(r + 4, static_cast<DWORD>(s.lVideoHeight));
    Put16(r + 8, s.wColourDepth);
    Put32(r + 10, s.ControlDevice);
    Put32(r + 14, static_cast<DWORD>(s.fSound));
    Put32(r + 18, static_cast<DWORD>(s.fMusic));
    Put32(r + 22, s.dwDifficulty);
    Put32(r + 26, static_cast<DWORD>(s.fShowTutorial));
    Put32(r + 30, static_cast<DWORD>(s.lHighScore));
    Put32(r + 34, static_cast<DWORD>(s.lStartLevel));
    Put32(r + 38, static_cast<DWORD>(s.fKeyboardHintShown));
    Put32(r + 42, s.dwReserved);
    Put32(r + 46, s.dwDisplayQuality);
}

bool SettingsFromBytes(const BYTE* data, DWORD cb, SETTINGS* ps)
{
    if (!data || cb < static_cast<DWORD>(kSettingsValueBytes))
        return false;
    const DWORD tag = Get32(data);
    // The same major version; any minor version of it.
    if ((tag >> 16) != (kSettingsVersion >> 16))
        return false;
    const BYTE* r = data + 4;
    SETTINGS s{};
    s.lVideoWidth = static_cast<LONG>(Get32(r + 0));
    s.lVideoHeight = static_cast<LONG>(Get32(r + 4));
    s.wColourDepth = Get16(r + 8);
    s.ControlDevice = Get32(r + 10);
    s.fSound = static_cast<BOOL>(Get32(r + 14));
    s.fMusic = static_cast<BOOL>(Get32(r + 18));
    s.dwDifficulty = Get32(r + 22);
    s.fShowTutorial = static_cast<BOOL>(Get32(r + 26));
    s.lHighScore = static_cast<LONG>(Get32(r + 30));
    s.lStartLevel = static_cast<LONG>(Get32(r + 34));
    s.fKeyboardHintShown = static_cast<BOOL>(Get32(r + 38));
    s.dwReserved = Get32(r + 42);
    s.dwDisplayQuality = Get32(r + 46);
    *ps = s;
    return true;
}

int DisplayQualityLevel(DWORD mask)
{
    switch (mask) {
    case 7: return 5;
    case 5: return 4;
    case 6: return 3;
    case 4: return 2;
    default: return 1;
    }
}

DWORD DisplayQualityMask(int level)
{
    static const DWORD kMasks[6] = {0, 0, 4, 6, 5, 7};
    return level >= 1 && level <= 5 ? kMasks[level] : 0;
}

DWORD NextDisplayQualityMask(DWORD mask)
{
    const int level = DisplayQualityLevel(mask);
    return DisplayQualityMask(level == 1 ? 5 : level - 1);
}

namespace {
constexpr const char* kSettingsKey = "Software\\Telmar\\Varno";
constexpr const char* kSettingsValue = "Settings";
bool s_fInMemory = false;
}  // namespace

void SettingsKeepInMemory(bool fOn) { s_fInMemory = fOn; }

bool LoadSettings()
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD type = 0, cb = 0;
    bool ok = RegQueryValueExA(key, kSettingsValue, nullptr, &type, nullptr, &cb) == ERROR_SUCCESS &&
              cb >= static_cast<DWORD>(kSettingsValueBytes);
    if (ok) {
        // A longer value is accepted; only its first bytes are used.
        std::vector<BYTE> data(cb);
        ok = RegQueryValueExA(key, kSettingsValue, nullptr, &type, data.data(), &cb) == ERROR_SUCCESS &&
             SettingsFromBytes(data.data(), cb, &g.Settings);
    }
    RegCloseKey(key);
    return ok;
}

bool SaveSettings()
{
    if (s_fInMemory)
        return true;
    BYTE data[kSettingsValueBytes];
    SettingsToBytes(g.Settings, data);
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const bool ok = RegSetValueExA(key, kSettingsValue, 0, REG_BINARY, data, kSettingsValueBytes) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

namespace {
constexpr const char* kFullScreenValue = "FullScreen";
}  // namespace

void LoadDisplayChoice()
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    DWORD type = 0, value = 1, cb = sizeof value;
    if (RegQueryValueExA(key, kFullScreenValue, nullptr, &type, reinterpret_cast<BYTE*>(&value), &cb) ==
            ERROR_SUCCESS &&
        type == REG_DWORD && cb == sizeof value)
        presenter::SetFullScreen(value != 0);
    RegCloseKey(key);
}

bool StoreDisplayChoice()
{
    if (s_fInMemory)
        return true;
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const DWORD value = presenter::IsFullScreen() ? 1 : 0;
    const bool ok = RegSetValueExA(key, kFullScreenValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                   sizeof value) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}
