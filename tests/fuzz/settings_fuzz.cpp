// The settings store's file: read as the game reads it at start-up (the
// store of the current user, then the game's settings record in it). A
// damaged file never stops the reading of what is still readable.
#include "fuzz/fuzz_target.h"
#include "game/game.h"
#include "platform/registry/registry.h"
#include "shell/settings.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

VARNO_FUZZ_TARGET(settings)
{
    static const std::string folder = [] {
        const std::string base = fuzzing::ScratchFolder() + "config";
        setenv("XDG_CONFIG_HOME", base.c_str(), 1);
        mkdir(base.c_str(), 0700);
        mkdir((base + "/varno").c_str(), 0700);
        return base + "/varno/";
    }();
    const std::string file = folder + "current-user.registry";
    if (!fuzzing::WriteInput(file, data, size))
        return 0;

    registry_store::Reload();
    FUZZ_CHECK(registry_store::FileOf(HKEY_CURRENT_USER) == file);
    int damaged = 0;
    const DWORD status = registry_store::LoadStatus(HKEY_CURRENT_USER, &damaged);
    FUZZ_CHECK(status == ERROR_SUCCESS || status == ERROR_INVALID_DATA);
    FUZZ_CHECK((status == ERROR_INVALID_DATA) == (damaged > 0));

    SettingsDefaults(&g.Settings);
    LoadSettings();

    // Every value of the game's key reads back with the size it reports.
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Telmar\\Varno", 0, KEY_READ, &key) == ERROR_SUCCESS) {
        for (const char* name : {"Settings", "FullScreen", ""}) {
            DWORD type = 0, cb = 0;
            if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &cb) != ERROR_SUCCESS)
                continue;
            std::vector<BYTE> value(cb + 1);
            DWORD room = cb + 1;
            FUZZ_CHECK(RegQueryValueExA(key, name, nullptr, &type, value.data(), &room) == ERROR_SUCCESS);
            FUZZ_CHECK(room == cb);
        }
        RegCloseKey(key);
    }
    return 0;
}
