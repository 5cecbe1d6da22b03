#include "support/format.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr const char* kszNull = "(null)";

// One descriptor piece of the argument descriptor.
struct ARGPIECE {
    bool fLeft = false;  // "-"
    bool fGroup = false; // ","
    bool fPlus = false;  // "+"
    bool fZero = false;  // "0"
    bool fSpace = false; // " "
    bool fAlt = false;   // "#"
    int nWidth = 0;
    int nPrecision = -1; // -1: none given
    std::string letters;
};

// Numbers in a descriptor are bounded so that a damaged descriptor cannot ask
// for absurd amounts of padding.
constexpr int kMaxField = 512;

int ReadNumber(const char*& p, const char* end)
{
    int n = 0;
    while (p < end && *p >= '0' && *p <= '9') {
        n = std::min(kMaxField, n * 10 + (*p - '0'));
        ++p;
    }
    return n;
}

bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Splits the descriptor: each descriptor piece runs from a "%" to the next.
// Pieces without letters describe no argument and are skipped.
std::vector<ARGPIECE> ParseDescriptor(const char* pszDescriptor)
{
    std::vector<ARGPIECE> pieces;
    if (!pszDescriptor)
        return pieces;
    const char* p = std::strchr(pszDescriptor, '%');
    while (p) {
        const char* next = std::strchr(p + 1, '%');
        const char* end = next ? next : p + std::strlen(p);
        ARGPIECE piece;
        const char* q = p + 1;
        for (; q < end; ++q) {
            if (*q == '-')
                piece.fLeft = true;
            else if (*q == ',')
                piece.fGroup = true;
            else if (*q == '+')
                piece.fPlus = true;
            else if (*q == '0')
                piece.fZero = true;
            else if (*q == ' ')
                piece.fSpace = true;
            else if (*q == '#')
                piece.fAlt = true;
            else
                break;
        }
        piece.nWidth = ReadNumber(q, end);
        if (q < end && *q == '.') {
            ++q;
            piece.nPrecision = ReadNumber(q, end);
        }
        while (q < end && IsLetter(*q))
            piece.letters += *q++;
        if (!piece.letters.empty())
            pieces.push_back(std::move(piece));
        p = next;
    }
    return pieces;
}

void AppendUtf8(std::string& out, std::uint32_t cp)
{
    if (cp >= 0xD800 && cp <= 0xDFFF)
        cp = '?';
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x110000) {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += '?';
    }
}

std::string WideToText(const wchar_t* psz)
{
    std::string out;
    for (; *psz; ++psz) {
        std::uint32_t cp = static_cast<std::uint32_t>(*psz);
        // A 16-bit wide character type carries surrogate pairs.
        if constexpr (sizeof(wchar_t) == 2) {
            if (cp >= 0xD800 && cp <= 0xDBFF && psz[1] >= 0xDC00 && psz[1] <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (static_cast<std::uint32_t>(psz[1]) - 0xDC00);
                ++psz;
            }
        }
        AppendUtf8(out, cp);
    }
    return out;
}

std::size_t CodePoints(const std::string& s)
{
    std::size_t n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80)
            ++n;
    return n;
}

// Pads a text with blanks to the width of the descriptor piece.
std::string Pad(std::string text, const ARGPIECE& piece)
{
    const std::size_t n = CodePoints(text);
    if (piece.nWidth > 0 && n < static_cast<std::size_t>(piece.nWidth)) {
        const std::string blanks(piece.nWidth - n, ' ');
        text = piece.fLeft ? text + blanks : blanks + text;
    }
    return text;
}

// Inserts a comma between each group of three digits of the first run of
// digits.
std::string Group(const std::string& number)
{
    std::size_t first = number.find_first_of("0123456789");
    if (first == std::string::npos)
        return number;
    std::size_t last = number.find_first_not_of("0123456789", first);
    if (last == std::string::npos)
        last = number.size();
    std::string out = number.substr(0, first);
    const std::size_t digits = last - first;
    for (std::size_t i = 0; i < digits; ++i) {
        if (i > 0 && (digits - i) % 3 == 0)
            out += ',';
        out += number[first + i];
    }
    out += number.substr(last);
    return out;
}

// An integer as the C formatter writes it under the flags, width and precision
// of the descriptor piece; `conv` is d, u, x or X.
std::string FormatInteger(long long value, char conv, const ARGPIECE& piece)
{
    std::string fmt = "%";
    if (piece.fPlus)
        fmt += '+';
    if (piece.fSpace)
        fmt += ' ';
    if (piece.fAlt)
        fmt += '#';
    const bool fGroup = piece.fGroup && (conv == 'd' || conv == 'u');
    if (!fGroup) {
        if (piece.fLeft)
            fmt += '-';
        if (piece.fZero)
            fmt += '0';
        if (piece.nWidth > 0)
            fmt += std::to_string(piece.nWidth);
    }
    if (piece.nPrecision >= 0)
        fmt += "." + std::to_string(piece.nPrecision);
    fmt += "ll";
    fmt += conv;
    char buf[2 * kMaxField + 64];
    if (conv == 'd')
        std::snprintf(buf, sizeof buf, fmt.c_str(), value);
    else
        std::snprintf(buf, sizeof buf, fmt.c_str(), static_cast<unsigned long long>(value));
    return fGroup ? Pad(Group(buf), piece) : std::string(buf);
}

// A fixed-point number: see the header. The digits are those of the shortest
// decimal that reads back as the same value, so 0.3 shows as .3 and not as
// the .2999... of its binary form; `fSingle` takes the shortest decimal of
// the 32-bit float instead.
std::string FormatFixedPoint(double value, bool fSingle, const ARGPIECE& piece)
{
    if (std::isnan(value))
        return "nan";
    std::string out;
    if (value < 0)
        out += '-';
    else if (piece.fPlus && value > 0)
        out += '+';
    if (std::isinf(value))
        return out + "inf";

    const double magnitude = std::fabs(value);
    char buf[64];
    std::to_chars_result r =
        fSingle ? std::to_chars(buf, buf + sizeof buf, static_cast<float>(magnitude), std::chars_format::scientific)
                : std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific);
    const std::string_view sci(buf, r.ptr - buf);
    // sci is d[.ddd]e[+-]xx: the digits D and the exponent E of D[0].D[1..].
    const std::size_t ePos = sci.find('e');
    std::string digits;
    for (char c : sci.substr(0, ePos))
        if (c != '.')
            digits += c;
    int exponent = 0;
    std::from_chars(sci.data() + ePos + 1 + (sci[ePos + 1] == '+' ? 1 : 0), sci.data() + sci.size(), exponent);
    if (magnitude == 0)
        exponent = 0;
    auto digitAt = [&](long long place) { // place 0 is the units digit, -1 the first after the point
        const long long index = exponent - place;
        return index >= 0 && index < static_cast<long long>(digits.size()) ? digits[index] : '0';
    };

    if (magnitude >= 1 || piece.fZero) {
        if (exponent < 0 || magnitude == 0) {
            out += '0';
        } else {
            for (long long place = exponent; place >= 0; --place)
                out += digitAt(place);
        }
    }
    const int precision = piece.nPrecision >= 0 ? piece.nPrecision : 8;
    if (precision > 0) {
        out += '.';
        for (int i = 1; i <= precision; ++i)
            out += digitAt(-i);
    }
    return out;
}

std::string FormatMegabytes(double bytes)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.1f MB", bytes / (1024.0 * 1024.0));
    return Group(buf);
}

// Days since 1970-01-01 to a civil date (proleptic Gregorian calendar).
void CivilFromDays(long long days, long long* year, unsigned* month, unsigned* day)
{
    days += 719468;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(days - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    *day = doy - (153 * mp + 2) / 5 + 1;
    *month = mp < 10 ? mp + 3 : mp - 9;
    *year = static_cast<long long>(yoe) + era * 400 + (*month <= 2 ? 1 : 0);
}

std::string FormatDateTime(long long seconds)
{
    long long days = seconds / 86400;
    long long rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    long long year;
    unsigned month, day;
    CivilFromDays(days, &year, &month, &day);
    char buf[96];
    std::snprintf(buf, sizeof buf, "%04lld-%02u-%02u %02lld:%02lld:%02lld", year, month, day, rest / 3600,
                  rest / 60 % 60, rest % 60);
    return buf;
}

std::string FormatDuration(DWORD ms)
{
    const DWORD seconds = ms / 1000;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%lu:%02lu:%02lu", static_cast<unsigned long>(seconds / 3600),
                  static_cast<unsigned long>(seconds / 60 % 60), static_cast<unsigned long>(seconds % 60));
    return buf;
}

std::string ErrorText(DWORD code)
{
    std::string out;
    for (const char* p = SystemErrorText(code, GetLanguage()); *p; ++p) {
        if (*p == '\r')
            continue;
        out += *p == '\n' ? ' ' : *p;
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

// Reads one argument as its descriptor piece says and turns it into text;
// nullopt for letters this formatter does not know (the argument is still
// consumed as an int, so that the ones after it stay in place).
std::optional<std::string> ArgumentText(const ARGPIECE& piece, va_list& args)
{
    const std::string& l = piece.letters;
    if (l == "d" || l == "i" || l == "li" || l == "h")
        return FormatInteger(static_cast<SHORT>(va_arg(args, int)), 'd', piece);
    if (l == "u" || l == "x" || l == "X")
        return FormatInteger(static_cast<WORD>(va_arg(args, int)), l == "u" ? 'u' : l[0], piece);
    if (l == "c") {
        std::string text;
        AppendUtf8(text, static_cast<WORD>(va_arg(args, int)));
        return Pad(text, piece);
    }
    if (l == "ld")
        return FormatInteger(static_cast<std::int32_t>(va_arg(args, int)), 'd', piece);
    if (l == "lu" || l == "lx" || l == "lX")
        return FormatInteger(static_cast<DWORD>(va_arg(args, unsigned)), l == "lu" ? 'u' : l[1], piece);
    if (l == "f" || l == "g")
        return FormatFixedPoint(va_arg(args, double), true, piece);
    if (l == "lf" || l == "lg")
        return FormatFixedPoint(va_arg(args, double), false, piece);
    if (l == "s") {
        const char* psz = va_arg(args, const char*);
        return Pad(psz ? psz : kszNull, piece);
    }
    if (l == "ls") {
        const wchar_t* psz = va_arg(args, const wchar_t*);
        return Pad(psz ? WideToText(psz) : kszNull, piece);
    }
    if (l == "m") {
        const UINT id = va_arg(args, unsigned);
        const int cch = TextLength(id);
        if (cch <= 0)
            return Pad(kszNull, piece);
        std::string text(cch + 1, '\0');
        text.resize(LoadText(id, text.data(), cch + 1));
        return Pad(text, piece);
    }
    if (l == "e")
        return Pad(ErrorText(va_arg(args, unsigned)), piece);
    if (l == "b")
        return Pad(FormatMegabytes(va_arg(args, unsigned)), piece);
    if (l == "B")
        return Pad(FormatMegabytes(va_arg(args, double)), piece);
    if (l == "t")
        return Pad(FormatDateTime(va_arg(args, long long)), piece);
    if (l == "et")
        return Pad(FormatDuration(va_arg(args, unsigned)), piece);
    (void)va_arg(args, int);
    return std::nullopt;
}

// Fills the inserts of the text with the argument texts.
std::string Assemble(const char* pszText, const std::vector<std::optional<std::string>>& argTexts)
{
    std::string out;
    for (const char* p = pszText; *p;) {
        if (*p != '%') {
            out += *p++;
            continue;
        }
        ++p;
        if (*p >= '0' && *p <= '9') {
            std::size_t n = 0;
            while (*p >= '0' && *p <= '9') {
                if (n <= argTexts.size())
                    n = n * 10 + static_cast<std::size_t>(*p - '0');
                ++p;
            }
            if (*p == '~')
                ++p;
            if (n >= 1 && n <= argTexts.size() && argTexts[n - 1])
                out += *argTexts[n - 1];
            else
                out += kszNull;
        } else if (*p) {
            out += *p++;
        }
    }
    return out;
}

} // namespace

char* FormatTextV(const char* pszText, const char* pszDescriptor, va_list args)
{
    char* pszLoaded = nullptr;
    try {
        if (IsTextId(pszText)) {
            pszLoaded = LoadTextAlloc(IdOfText(pszText));
            if (!pszLoaded)
                return nullptr;
            pszText = pszLoaded;
        }
        std::vector<std::optional<std::string>> argTexts;
        va_list ap;
        va_copy(ap, args);
        for (const ARGPIECE& piece : ParseDescriptor(pszDescriptor))
            argTexts.push_back(ArgumentText(piece, ap));
        va_end(ap);
        const std::string result = Assemble(pszText, argTexts);
        ReleaseText(pszLoaded);
        pszLoaded = nullptr;
        char* psz = AllocText(result.size() + 1);
        if (psz)
            std::memcpy(psz, result.c_str(), result.size() + 1);
        return psz;
    } catch (const std::bad_alloc&) {
        ReleaseText(pszLoaded);
        return nullptr;
    }
}

char* FormatText(const char* pszText, const char* pszDescriptor, ...)
{
    va_list args;
    va_start(args, pszDescriptor);
    char* psz = FormatTextV(pszText, pszDescriptor, args);
    va_end(args);
    return psz;
}
