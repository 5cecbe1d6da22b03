#include "support/format.h"
#include "support/textres.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

struct TextDeleter {
    void operator()(char* p) const { ReleaseText(p); }
};
using Text = std::unique_ptr<char, TextDeleter>;

// Formats and returns the result as a string ("<none>" for a failure).
template <typename... ARGS> std::string Fmt(const char* text, const char* descriptor, ARGS... args)
{
    Text t(FormatText(text, descriptor, args...));
    return t ? std::string(t.get()) : std::string("<none>");
}

class FormatText_ : public ::testing::Test {
protected:
    void SetUp() override { SetLanguage(LANG_ENGLISH_TEXTS); }
};

TEST_F(FormatText_, StringIdWithTwoInsertsAndWithOneArgumentOnly)
{
    EXPECT_EQ(Fmt(TextId(21), "%lu%lu", 3u, 7u), "Level 3, Puzzle 7");
    EXPECT_EQ(Fmt(TextId(21), "%lu", 3u), "Level 3, Puzzle (null)");
    EXPECT_EQ(Fmt(TextId(21), nullptr), "Level (null), Puzzle (null)");
    SetLanguage(LANG_ESPERANTO_TEXTS);
    EXPECT_EQ(Fmt(TextId(21), "%lu%lu", 3u, 7u), "Fazo 3, Konfuzo 7");
}

TEST_F(FormatText_, InsertNumbersTildeAndPercent)
{
    // The tilde ends the insert number so that a digit may follow.
    EXPECT_EQ(Fmt("%1~0", "%lu", 5u), "50");
    EXPECT_EQ(Fmt("%10", "%lu", 5u), "(null)");
    EXPECT_EQ(Fmt("%1~~", "%lu", 5u), "5~");
    EXPECT_EQ(Fmt("100%% of %1%", "%s", "it"), "100% of it");
    EXPECT_EQ(Fmt("%0 %3 %x", "%lu%lu", 1u, 2u), "(null) (null) x");
    // Inserts may repeat and come in any order.
    EXPECT_EQ(Fmt("%2-%1-%2", "%lu%lu", 1u, 2u), "2-1-2");
    // A huge insert number is simply beyond the arguments.
    EXPECT_EQ(Fmt("%99999999999999999999999", "%lu", 1u), "(null)");
}

TEST_F(FormatText_, SixteenBitLettersUseTheLowHalf)
{
    EXPECT_EQ(Fmt("%1", "%d", 0x1FFFF), "-1");
    EXPECT_EQ(Fmt("%1", "%u", 0x12345), "9029");
    EXPECT_EQ(Fmt("%1 %2", "%x%X", 0xABCDEF, 0xABCDEF), "cdef CDEF");
    EXPECT_EQ(Fmt("%1", "%i", -5), "-5");
    EXPECT_EQ(Fmt("%1", "%c", 'A'), "A");
    EXPECT_EQ(Fmt("%1", "%c", 0x109), "\xC4\x89"); // c with circumflex
}

TEST_F(FormatText_, ThirtyTwoBitLettersWidthAndFlags)
{
    EXPECT_EQ(Fmt("%1", "%ld", -70000), "-70000");
    EXPECT_EQ(Fmt("%1", "%lu", 4000000000u), "4000000000");
    EXPECT_EQ(Fmt("%1", "%lX", 0xDEADBEEFu), "DEADBEEF");
    EXPECT_EQ(Fmt("[%1]", "%5lu", 42u), "[   42]");
    EXPECT_EQ(Fmt("[%1]", "%-5lu", 42u), "[42   ]");
    EXPECT_EQ(Fmt("[%1]", "%05lu", 42u), "[00042]");
    EXPECT_EQ(Fmt("%1", "%,lu", 1234567u), "1,234,567");
    EXPECT_EQ(Fmt("%1", "%,ld", -250000), "-250,000");
    EXPECT_EQ(Fmt("[%1]", "%-,9lu", 1234u), "[1,234    ]");
    EXPECT_EQ(Fmt("%1", "%,lu", 999u), "999");
}

TEST_F(FormatText_, FixedPointIsCutNotRounded)
{
    EXPECT_EQ(Fmt("%1", "%.1lf", 0.25), ".2");
    EXPECT_EQ(Fmt("%1", "%0.1lf", 0.25), "0.2");
    EXPECT_EQ(Fmt("%1", "%.2lf", 1.999), "1.99");
    EXPECT_EQ(Fmt("%1", "%lf", 1.5), "1.50000000");
    EXPECT_EQ(Fmt("%1", "%.0lf", 12.9), "12");
    EXPECT_EQ(Fmt("%1", "%.0lf", 0.9), "");
    EXPECT_EQ(Fmt("%1", "%0.0lf", 0.9), "0");
    EXPECT_EQ(Fmt("%1", "%.1lf", -0.25), "-.2");
    EXPECT_EQ(Fmt("%1", "%+.1lf", 2.75), "+2.7");
    EXPECT_EQ(Fmt("%1", "%+.1lf", 0.0), ".0");
    EXPECT_EQ(Fmt("%1", "%.3lg", 1234.5678), "1234.567");
    EXPECT_EQ(Fmt("%1", "%.2lf", 1e20), "100000000000000000000.00");
    // Decimal values come out as written, not as the digits of their
    // binary approximation (0.3 is stored as 0.2999...).
    EXPECT_EQ(Fmt("%1", "%.1lf", 0.3), ".3");
    EXPECT_EQ(Fmt("%1", "%.1lf", 0.29996), ".2");
    // 32-bit floats: their own shortest decimal.
    EXPECT_EQ(Fmt("%1", "%.1f", static_cast<double>(2.3f)), "2.3");
    EXPECT_EQ(Fmt("%1", "%.2g", static_cast<double>(0.125f)), ".12");
    EXPECT_EQ(Fmt("%1", "%.0f", static_cast<double>(16777216.0f)), "16777216");
}

TEST_F(FormatText_, TextArguments)
{
    const char* none = nullptr;
    const wchar_t* noneWide = nullptr;
    EXPECT_EQ(Fmt("<%1>", "%s", "abc"), "<abc>");
    EXPECT_EQ(Fmt("<%1>", "%s", none), "<(null)>");
    EXPECT_EQ(Fmt("<%1>", "%ls", L"Ĉu ĝi?"), "<Ĉu ĝi?>");
    EXPECT_EQ(Fmt("<%1>", "%ls", noneWide), "<(null)>");
    EXPECT_EQ(Fmt("<%1>", "%6s", "ŝi"), "<    ŝi>"); // width counts letters
}

TEST_F(FormatText_, StringIdArguments)
{
    EXPECT_EQ(Fmt(TextId(8), "%m", 18u), "  Sound Effects (Now On)   ");
    EXPECT_EQ(Fmt(TextId(129), "%m", 134u), "  Display Quality (Now Fastest)   ");
    EXPECT_EQ(Fmt("[%1]", "%m", 9999u), "[(null)]");
    SetLanguage(LANG_ESPERANTO_TEXTS);
    EXPECT_EQ(Fmt(TextId(4), "%m", 16u), "  Elektu Stiraĵojn (Nun Stirstango)   ");
}

TEST_F(FormatText_, ErrorCodesGiveTheSystemTextOnOneLine)
{
    EXPECT_EQ(Fmt("Error %1; %2", "%lu%e", 2u, 2u), "Error 2; The file was not found.");
    SetLanguage(LANG_ESPERANTO_TEXTS);
    EXPECT_EQ(Fmt("%1", "%e", 2u), "La dosiero ne troviĝis.");
    EXPECT_EQ(Fmt("%1", "%e", 0x7777u), "Nekonata sistemeraro.");
}

TEST_F(FormatText_, UnknownLettersKeepLaterArgumentsInPlace)
{
    EXPECT_EQ(Fmt("%1|%2", "%q%lu", 1, 7u), "(null)|7");
    // Pieces of the descriptor without letters describe no argument.
    EXPECT_EQ(Fmt("%1|%2", "%%lu%lu", 4u, 5u), "4|5");
}

TEST_F(FormatText_, ResultsHaveRoomForAtLeast257Bytes)
{
    Text t(FormatText("", nullptr));
    ASSERT_TRUE(t);
    EXPECT_EQ(t.get()[0], '\0');
    t.get()[256] = 'x'; // must be inside the allocation (checked by the sanitizer build)
    const std::string long_(1000, 'a');
    EXPECT_EQ(Fmt("%1%1", "%s", long_.c_str()), long_ + long_);
}

} // namespace
