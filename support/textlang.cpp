// The current text language: chosen at start-up from the registry or the
// user's locale, changed and stored by SetLanguage.
#include "support/textres.h"

#include "platform/registry/registry.h"

#include <cstdlib>
#include <string>

namespace {

std::string g_strTag;
WORD g_wLanguage = LANG_NONE;
bool g_fChosen = false;

// The low word of a 32-bit registry value, or LANG_NONE when the value is
// missing or not a 32-bit value.
WORD ReadLanguageValue(HKEY key, const std::string& name)
{
    DWORD type = REG_NONE;
    DWORD value = 0;
    DWORD cb = sizeof value;
    if (RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &cb) != ERROR_SUCCESS)
        return LANG_NONE;
    if (type != REG_DWORD || cb != sizeof value)
        return LANG_NONE;
    return LOWORD(value);
}

std::string TagValueName()
{
    return std::string(kszLanguageValuePrefix) + g_strTag;
}

} // namespace

WORD UserDefaultLanguage()
{
    const char* locale = nullptr;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        locale = std::getenv(name);
        if (locale && *locale)
            break;
        locale = nullptr;
    }
    if (locale && (locale[0] == 'e' || locale[0] == 'E') && (locale[1] == 'o' || locale[1] == 'O')) {
        const char after = locale[2];
        if (after == '\0' || after == '_' || after == '.' || after == '@' || after == '-')
            return LANG_ESPERANTO_TEXTS;
    }
    return LANG_ENGLISH_TEXTS;
}

void ChooseLanguage(const char* pszTag)
{
    g_strTag = pszTag ? pszTag : "";
    g_wLanguage = LANG_NONE;
    g_fChosen = true;

    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kszLanguageKey, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
        g_wLanguage = ReadLanguageValue(key, g_strTag.empty() ? kszDefaultLanguageValue : TagValueName());
        if (g_wLanguage == LANG_NONE && !g_strTag.empty())
            g_wLanguage = ReadLanguageValue(key, kszDefaultLanguageValue);
        RegCloseKey(key);
    }
    if (g_wLanguage == LANG_NONE)
        g_wLanguage = UserDefaultLanguage();
}

void SetLanguage(WORD wLang)
{
    g_wLanguage = wLang;
    g_fChosen = true;

    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kszLanguageKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return;
    const DWORD value = wLang;
    const BYTE* data = reinterpret_cast<const BYTE*>(&value);
    if (!g_strTag.empty())
        RegSetValueExA(key, TagValueName().c_str(), 0, REG_DWORD, data, sizeof value);
    RegSetValueExA(key, kszDefaultLanguageValue, 0, REG_DWORD, data, sizeof value);
    RegCloseKey(key);
}

WORD GetLanguage()
{
    if (!g_fChosen)
        ChooseLanguage(nullptr);
    return g_wLanguage;
}

WORD ToggledLanguage(WORD wCurrent)
{
    return (wCurrent & 0x3FF) != 0 ? LANG_ESPERANTO_TEXTS : LANG_ENGLISH_TEXTS;
}
