#include "support/fontdesc.h"

#include "platform/base/syserror.h"
#include "support/textres.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

constexpr int kcchSpec = 257;

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// A field that reads as an integer: an optional sign and digits only.
bool ReadInteger(std::string_view s, long* value)
{
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+'))
        negative = s[i++] == '-';
    if (i == s.size())
        return false;
    long v = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9')
            return false;
        if (v < 1000000)
            v = v * 10 + (s[i] - '0');
    }
    *value = negative ? -v : v;
    return true;
}

bool IsStyleField(std::string_view s)
{
    if (s.empty())
        return false;
    for (char c : s)
        if (std::strchr("BIUbiu", c) == nullptr)
            return false;
    return true;
}

bool IsDefault(std::string_view s)
{
    constexpr std::string_view kDefault = "default";
    if (s.size() != kDefault.size())
        return false;
    for (std::size_t i = 0; i < s.size(); ++i)
        if ((s[i] | 0x20) != kDefault[i])
            return false;
    return true;
}

// a * b / c rounded to the nearest integer, halves away from zero.
LONG RoundedMulDiv(LONG a, LONG b, LONG c)
{
    const long long p = static_cast<long long>(a) * b;
    const long long half = c / 2;
    return static_cast<LONG>(p >= 0 ? (p + half) / c : (p - half) / c);
}

void CopyFace(char* dst, std::string_view face)
{
    std::size_t n = std::min<std::size_t>(face.size(), LF_FACESIZE - 1);
    // Never end inside a character of several bytes.
    if (n < face.size())
        while (n > 0 && (static_cast<unsigned char>(face[n]) & 0xC0) == 0x80)
            --n;
    std::memcpy(dst, face.data(), n);
    dst[n] = '\0';
}

} // namespace

BOOL FontRequestFromSpec(const char* pszSpec, FONTREQUEST* pfr, int nPixelsPerInch)
{
    if (!pfr)
        return FALSE;
    *pfr = FONTREQUEST{};
    pfr->lHeight = klDefaultFontHeight;
    pfr->lWeight = FW_NORMAL;
    pfr->bCharSet = DEFAULT_CHARSET;
    pfr->bQuality = ANTIALIASED_QUALITY;

    char szLoaded[kcchSpec];
    if (IsTextId(pszSpec)) {
        LoadText(IdOfText(pszSpec), szLoaded, kcchSpec);
        pszSpec = szLoaded;
    }
    std::string_view rest(pszSpec);
    while (true) {
        const std::size_t comma = rest.find(',');
        const std::string_view field = Trim(rest.substr(0, comma));
        long size = 0;
        if (ReadInteger(field, &size)) {
            if (size != 0)
                pfr->lSize = size;
        } else if (IsStyleField(field)) {
            for (char c : field) {
                if (c == 'B' || c == 'b')
                    pfr->lWeight = FW_BOLD;
                else if (c == 'I' || c == 'i')
                    pfr->fItalic = TRUE;
                else
                    pfr->fUnderline = TRUE;
            }
        } else if (IsDefault(field)) {
            pfr->szFace[0] = '\0';
        } else if (!field.empty()) {
            CopyFace(pfr->szFace, field);
        }
        if (comma == std::string_view::npos)
            break;
        rest.remove_prefix(comma + 1);
    }
    if (pfr->lSize > 0)
        pfr->lHeight = -RoundedMulDiv(pfr->lSize, nPixelsPerInch, 72);
    else if (pfr->lSize < 0)
        pfr->lHeight = pfr->lSize;
    return TRUE;
}

HFONT FontFromSpec(const char* pszSpec)
{
    FONTREQUEST fr;
    if (!FontRequestFromSpec(pszSpec, &fr))
        return nullptr;
    return CreateFontFromRequest(&fr);
}
