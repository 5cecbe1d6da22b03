// Resources in the best language and the texts of the string table.
#include "support/textres.h"

#include "platform/resources/resources.h"

#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

constexpr std::size_t kcbMinText = 257;
constexpr int kcStringsPerBlock = 16;

struct RESOURCEDATA {
    const BYTE* pb = nullptr;
    DWORD cb = 0;
};

RESOURCEDATA DataOf(HRSRC hrsrc)
{
    RESOURCEDATA data;
    if (!hrsrc)
        return data;
    HGLOBAL hg = LoadResource(nullptr, hrsrc);
    data.pb = static_cast<const BYTE*>(LockResource(hg));
    data.cb = data.pb ? SizeofResource(nullptr, hrsrc) : 0;
    return data;
}

// The languages to look in, best first; a language of LANG_NONE stands for
// "any language".
int LanguageOrder(WORD (&awLang)[4])
{
    const WORD wCurrent = GetLanguage();
    int n = 0;
    for (WORD w : {wCurrent, LANG_NEUTRAL_DEFAULT, LANG_ENGLISH_TEXTS}) {
        bool fSeen = false;
        for (int i = 0; i < n; ++i)
            fSeen = fSeen || awLang[i] == w;
        if (!fSeen && w != LANG_NONE)
            awLang[n++] = w;
    }
    awLang[n++] = LANG_NONE;
    return n;
}

RESOURCEDATA FindIn(const char* pszType, const char* pszName, WORD wLang)
{
    return DataOf(FindResourceExA(nullptr, pszType, pszName, wLang));
}

// Looks for a resource in the languages of the order until `accept` takes
// one. The last step, "any language", tries every language the resource
// exists in, so that a string missing from one language's block is still
// found in another's.
template <typename ACCEPT> bool FindBest(const char* pszType, const char* pszName, ACCEPT accept)
{
    WORD awLang[4];
    const int n = LanguageOrder(awLang);
    for (int i = 0; i < n; ++i) {
        if (awLang[i] != LANG_NONE) {
            const RESOURCEDATA data = FindIn(pszType, pszName, awLang[i]);
            if (data.pb && accept(data))
                return true;
            continue;
        }
        for (WORD wLang : resources::Languages(nullptr, pszType, pszName)) {
            const RESOURCEDATA data = FindIn(pszType, pszName, wLang);
            if (data.pb && accept(data))
                return true;
        }
    }
    return false;
}

// Entry `index` of a string-table block: 16 entries, each a 16-bit
// little-endian byte count followed by that many bytes. An entry that is
// empty, holds a zero byte or runs past the block counts as missing.
bool EntryOfBlock(const RESOURCEDATA& block, int index, std::string_view* pText)
{
    DWORD pos = 0;
    for (int i = 0;; ++i) {
        if (pos + 2 > block.cb)
            return false;
        const DWORD cb = block.pb[pos] | (static_cast<DWORD>(block.pb[pos + 1]) << 8);
        pos += 2;
        if (cb > block.cb - pos)
            return false;
        if (i == index) {
            const char* p = reinterpret_cast<const char*>(block.pb + pos);
            if (cb == 0 || std::memchr(p, '\0', cb) != nullptr)
                return false;
            *pText = std::string_view(p, cb);
            return true;
        }
        pos += cb;
    }
}

// The text of one string-table entry in the best language that has it.
bool FindString(UINT id, std::string_view* pText)
{
    if (id > 0xFFFF)
        return false;
    const char* pszBlock = TextId(id / kcStringsPerBlock + 1);
    return FindBest(RT_STRING, pszBlock,
                    [&](const RESOURCEDATA& block) { return EntryOfBlock(block, id % kcStringsPerBlock, pText); });
}

// The length of the first n bytes of a text, shortened so that it does not
// end inside a character of several bytes.
std::size_t WholeCharacters(std::string_view text, std::size_t n)
{
    if (n >= text.size())
        return text.size();
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
        --n;
    return n;
}

// Walks a joined text: calls take(piece) for every piece, where a piece is a
// string's text without its continuation mark; take returns how much of the
// piece it used. Stops when a piece is not used whole or does not continue.
template <typename TAKE> void WalkJoined(UINT id, TAKE take)
{
    for (; id <= 0xFFFF; ++id) {
        std::string_view text;
        if (!FindString(id, &text))
            return;
        const bool fContinues = text.back() == '+';
        if (fContinues)
            text.remove_suffix(1);
        if (take(text) < text.size() || !fContinues)
            return;
    }
}

} // namespace

const void* FindResourceData(const char* pszType, const char* pszName, DWORD* pcb)
{
    RESOURCEDATA found;
    FindBest(pszType, pszName, [&](const RESOURCEDATA& data) {
        found = data;
        return true;
    });
    if (pcb)
        *pcb = found.cb;
    return found.pb;
}

int LoadText(UINT id, char* pszBuffer, int cchBuffer)
{
    if (!pszBuffer || cchBuffer <= 0)
        return 0;
    std::size_t used = 0;
    const std::size_t room = static_cast<std::size_t>(cchBuffer) - 1;
    WalkJoined(id, [&](std::string_view piece) {
        const std::size_t n = WholeCharacters(piece, room - used);
        std::memcpy(pszBuffer + used, piece.data(), n);
        used += n;
        return n;
    });
    pszBuffer[used] = '\0';
    return static_cast<int>(used);
}

int TextLength(UINT id)
{
    std::size_t length = 0;
    WalkJoined(id, [&](std::string_view piece) {
        length += piece.size();
        return piece.size();
    });
    return static_cast<int>(length);
}

char* LoadTextAlloc(UINT id)
{
    const int cch = TextLength(id) + 1;
    char* psz = AllocText(static_cast<std::size_t>(cch));
    if (psz)
        LoadText(id, psz, cch);
    return psz;
}

char* AllocText(std::size_t cb)
{
    char* psz = static_cast<char*>(std::malloc(cb < kcbMinText ? kcbMinText : cb));
    if (psz)
        psz[0] = '\0';
    return psz;
}

void ReleaseText(char* psz)
{
    std::free(psz);
}
