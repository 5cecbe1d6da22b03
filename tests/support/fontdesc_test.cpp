#include "support/fontdesc.h"
#include "support/format.h"
#include "support/textres.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

FONTREQUEST Request(const char* desc, int dpi = 96)
{
    FONTREQUEST fr;
    EXPECT_TRUE(FontRequestFromSpec(desc, &fr, dpi));
    return fr;
}

TEST(FontSpec, PixelHeightBoldItalicFromAFormattedSpec)
{
    SetLanguage(LANG_ENGLISH_TEXTS);
    char* desc = FormatText(TextId(1), "%lu", 22u);
    ASSERT_STREQ(desc, "Times New Roman,-22,BI");
    const FONTREQUEST fr = Request(desc);
    ReleaseText(desc);
    EXPECT_STREQ(fr.szFace, "Times New Roman");
    EXPECT_EQ(fr.lSize, -22);
    EXPECT_EQ(fr.lHeight, -22); // a pixel size is the character height unchanged
    EXPECT_EQ(fr.lWeight, FW_BOLD);
    EXPECT_TRUE(fr.fItalic);
    EXPECT_FALSE(fr.fUnderline);
    EXPECT_EQ(fr.bCharSet, DEFAULT_CHARSET);
    EXPECT_EQ(fr.bQuality, ANTIALIASED_QUALITY);
}

TEST(FontSpec, PointsBecomePixelsRoundedAtTheScreenResolution)
{
    EXPECT_EQ(Request("Arial,14,BI").lHeight, -19);      // 14 * 96 / 72 = 18.67
    EXPECT_EQ(Request("Arial,14,BI", 120).lHeight, -23); // 23.33
    EXPECT_EQ(Request("Times New Roman,36").lHeight, -48);
    EXPECT_EQ(Request("Arial,9").lHeight, -12);    // exactly 12
    EXPECT_EQ(Request("Arial,3").lHeight, -4);     // 4.0
    EXPECT_EQ(Request("Arial,5", 96).lHeight, -7); // 6.67
}

TEST(FontSpec, FieldsInAnyOrderStyleLettersInEitherCase)
{
    FONTREQUEST fr = Request("u, 12 ,Courier New");
    EXPECT_STREQ(fr.szFace, "Courier New");
    EXPECT_EQ(fr.lSize, 12);
    EXPECT_TRUE(fr.fUnderline);
    EXPECT_EQ(fr.lWeight, FW_NORMAL);
    EXPECT_FALSE(fr.fItalic);

    fr = Request("bIu");
    EXPECT_EQ(fr.szFace[0], '\0');
    EXPECT_EQ(fr.lWeight, FW_BOLD);
    EXPECT_TRUE(fr.fItalic && fr.fUnderline);
    EXPECT_EQ(fr.lHeight, klDefaultFontHeight); // no size: the standard height

    // "default" keeps the standard face; letters other than B, I, U make a face.
    EXPECT_STREQ(Request("Arial,DEFAULT,10").szFace, "");
    EXPECT_STREQ(Request("BX,10").szFace, "BX");
    // A zero size is no size; a sign alone is no number.
    EXPECT_EQ(Request("Arial,0").lSize, 0);
    EXPECT_STREQ(Request("-,10").szFace, "-");
    EXPECT_EQ(Request("").lHeight, klDefaultFontHeight);
}

TEST(FontSpec, LongFaceNamesAreCutAtALetterBoundary)
{
    // 30 ASCII letters and then two-byte letters: the cut must not split one.
    const std::string face = std::string(30, 'a') + "ĉĉĉ";
    const FONTREQUEST fr = Request(face.c_str());
    EXPECT_EQ(std::strlen(fr.szFace), 30u);
    EXPECT_EQ(std::string(fr.szFace), std::string(30, 'a'));
}

TEST(FontSpec, SpecsByStringIdInBothLanguages)
{
    SetLanguage(LANG_ENGLISH_TEXTS);
    FONTREQUEST fr = Request(TextId(43));
    EXPECT_STREQ(fr.szFace, "Arial");
    EXPECT_EQ(fr.lSize, 14);
    SetLanguage(LANG_ESPERANTO_TEXTS);
    fr = Request(TextId(43));
    EXPECT_STREQ(fr.szFace, "Arial Eo");
    EXPECT_EQ(fr.lWeight, FW_BOLD);
    EXPECT_TRUE(fr.fItalic);
}

TEST(FontSpec, NoRecordNoRequest)
{
    EXPECT_FALSE(FontRequestFromSpec("Arial,10", nullptr));
}

} // namespace

TEST(FontFromSpecMakesFonts, RequestedLookReachesTheDisplaysFont)
{
    HFONT font = FontFromSpec("Times New Roman,-22,BI");
    ASSERT_NE(font, nullptr);
    LOGFONTA lf{};
    ASSERT_NE(GetObjectA(font, sizeof lf, &lf), 0);
    EXPECT_EQ(lf.lfHeight, -22);
    EXPECT_EQ(lf.lfWeight, 700);
    EXPECT_EQ(lf.lfItalic, 1);
    EXPECT_EQ(lf.lfUnderline, 0);
    EXPECT_STREQ(lf.lfFaceName, "Times New Roman");
    DeleteObject(font);
}

TEST(FontFromSpecMakesFonts, EsperantoFaceMeasuresLikeItsFamily)
{
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_NE(dc, nullptr);
    auto width = [&](const char* desc) {
        HFONT font = FontFromSpec(desc);
        EXPECT_NE(font, nullptr);
        HGDIOBJ old = SelectObject(dc, font);
        SIZE size{};
        GetTextExtentPoint32A(dc, "Ekludu!", 7, &size);
        SelectObject(dc, old);
        DeleteObject(font);
        return size.cx;
    };
    const LONG plain = width("Times New Roman,-22,BI");
    EXPECT_GT(plain, 0);
    EXPECT_EQ(width("Times New Roman Eo,-22,BI"), plain);
    EXPECT_GT(width("Times New Roman,-44,BI"), plain);
}
