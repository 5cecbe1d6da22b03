// Text resources by language: which language the texts come in, where the
// program's resources of that language are found, and the texts of the
// string table with their continuations.
//
// The game's texts exist in English (language 1033) and Esperanto (language
// 0). The choice is kept machine-wide in the registry, one value per
// application tag and one default for all; without either, the user's locale
// decides. Any other language finds no resources of its own and falls back to
// the neutral, then the English resources.
#pragma once

#include "platform/base/types.h"

#include <cstdint>

constexpr WORD LANG_ESPERANTO_TEXTS = 0;
constexpr WORD LANG_ENGLISH_TEXTS = 1033;
// Neutral primary language with the default sublanguage.
constexpr WORD LANG_NEUTRAL_DEFAULT = 1024;
// No language chosen yet.
constexpr WORD LANG_NONE = 0xFFFF;

// Where the language values live (under HKEY_LOCAL_MACHINE) and their names.
inline constexpr const char* kszLanguageKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Nls\\Telmar";
inline constexpr const char* kszLanguageValuePrefix = "Language - ";
inline constexpr const char* kszDefaultLanguageValue = "Default Language";

// A text argument is either a pointer to text or a string id below 65536
// passed in the pointer's place.
inline const char* TextId(UINT id)
{
    return reinterpret_cast<const char*>(static_cast<std::uintptr_t>(id & 0xFFFF));
}
inline bool IsTextId(const char* psz)
{
    return reinterpret_cast<std::uintptr_t>(psz) < 0x10000;
}
inline UINT IdOfText(const char* psz)
{
    return static_cast<UINT>(reinterpret_cast<std::uintptr_t>(psz));
}

// Remembers the application tag (null or "" for none) and sets the current
// language from, in this order: the tag's registry value, the default
// registry value, the user's locale.
void ChooseLanguage(const char* pszTag);

// Makes wLang the current language at once and stores it: under the tag's
// value when a tag is known, and always as the default. When the key cannot
// be created nothing is stored, but the language is still in force.
void SetLanguage(WORD wLang);

// The current language; on the first use without a choice, chooses one with
// no tag.
WORD GetLanguage();

// The language a toggle between the game's two languages leads to: English
// texts lead to Esperanto (primary language, the low 10 bits, not 0), and
// Esperanto leads to English.
WORD ToggledLanguage(WORD wCurrent);

// The language of the user's locale: Esperanto for an "eo" locale, else
// English. Reads LC_ALL, LC_MESSAGES and LANG, the first that is set.
WORD UserDefaultLanguage();

// The data of a resource in the best language: the current one, then 1024,
// then 1033, then any. *pcb (optional) receives its size. Null when the
// resource exists in no language.
const void* FindResourceData(const char* pszType, const char* pszName, DWORD* pcb);

// Copies the text of string `id` into the buffer, with the texts of the
// following ids appended while a text ends in "+" (the "+" is dropped). At
// most cchBuffer - 1 bytes are copied, never splitting a character, and the
// text is always terminated. Returns the length; a missing string gives an
// empty text and 0.
int LoadText(UINT id, char* pszBuffer, int cchBuffer);

// The length of the whole joined text of string `id`, as LoadText would copy
// it into a buffer large enough.
int TextLength(UINT id);

// The joined text of string `id` in a new buffer of at least 257 bytes, to be
// released with ReleaseText; null when memory runs out. A missing string
// gives an empty text.
char* LoadTextAlloc(UINT id);

// Releases a text returned by this library (null is allowed).
void ReleaseText(char* psz);

// Allocates a text buffer of cb bytes (at least 257) that ReleaseText frees.
char* AllocText(std::size_t cb);
