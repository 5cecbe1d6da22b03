#include "support/textres.h"

#include "support_env.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

using supporttest::FreshRegistry;
using supporttest::StringTables;
using testfs::EnvVar;

std::string Load(UINT id, int cch = 1024)
{
    std::string buf(cch, '\x7F');
    const int n = LoadText(id, buf.data(), cch);
    EXPECT_EQ(static_cast<std::size_t>(n), std::strlen(buf.c_str()));
    return buf.c_str();
}

HKEY LanguageKey()
{
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kszLanguageKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    return key;
}

void WriteValue(const char* name, DWORD value, DWORD type = REG_DWORD)
{
    HKEY key = LanguageKey();
    RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
}

// The stored value, or -1 when there is none.
long long ReadValue(const char* name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kszLanguageKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return -1;
    DWORD value = 0, cb = sizeof value, type = 0;
    const LSTATUS status = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &cb);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && type == REG_DWORD ? static_cast<long long>(value) : -1;
}

// ---- Languages --------------------------------------------------------------

class Language : public testing::Test {
protected:
    FreshRegistry m_registry;
    EnvVar m_lcAll{"LC_ALL", nullptr};
    EnvVar m_lcMessages{"LC_MESSAGES", nullptr};
    EnvVar m_lang{"LANG", "en_GB.UTF-8"};
};

TEST_F(Language, ChoiceOrderTagThenDefaultThenLocale)
{
    WriteValue("Language - Varno", 0);
    WriteValue("Default Language", 1033);
    ChooseLanguage("Varno");
    EXPECT_EQ(GetLanguage(), 0);

    // Without the tag's value, the default; the high word is not part of it.
    ChooseLanguage("Other");
    EXPECT_EQ(GetLanguage(), 1033);
    WriteValue("Default Language", 0x00070000 | 1031);
    ChooseLanguage("Other");
    EXPECT_EQ(GetLanguage(), 1031);

    // Without a tag only the default counts, even if a tag's value exists.
    WriteValue("Default Language", 1033);
    ChooseLanguage("");
    EXPECT_EQ(GetLanguage(), 1033);
    ChooseLanguage(nullptr);
    EXPECT_EQ(GetLanguage(), 1033);
}

TEST_F(Language, LocaleIsTheLastResort)
{
    ChooseLanguage("Varno"); // no key at all
    EXPECT_EQ(GetLanguage(), LANG_ENGLISH_TEXTS);
    {
        EnvVar eo("LANG", "eo.UTF-8");
        ChooseLanguage("Varno");
        EXPECT_EQ(GetLanguage(), LANG_ESPERANTO_TEXTS);
        // LC_ALL wins over LANG.
        EnvVar all("LC_ALL", "de_DE.UTF-8");
        ChooseLanguage("Varno");
        EXPECT_EQ(GetLanguage(), LANG_ENGLISH_TEXTS);
    }
    EnvVar messages("LC_MESSAGES", "eo_XX");
    EXPECT_EQ(UserDefaultLanguage(), LANG_ESPERANTO_TEXTS);
    EnvVar notEsperanto("LC_MESSAGES", "eon");
    EXPECT_EQ(UserDefaultLanguage(), LANG_ENGLISH_TEXTS);

    // Values that are not 32-bit numbers are as good as missing.
    EnvVar eo("LC_MESSAGES", "eo");
    WriteValue("Language - Varno", 1033, REG_BINARY);
    WriteValue("Default Language", 0xFFFF);
    ChooseLanguage("Varno");
    EXPECT_EQ(GetLanguage(), LANG_ESPERANTO_TEXTS);
}

TEST_F(Language, SetLanguageStoresBothValuesAndActsAtOnce)
{
    ChooseLanguage("Varno");
    SetLanguage(0);
    EXPECT_EQ(GetLanguage(), 0);
    EXPECT_EQ(Load(29), "  Select Language (Now Esperanto)   ");
    EXPECT_EQ(ReadValue("Language - Varno"), 0);
    EXPECT_EQ(ReadValue("Default Language"), 0);

    // Another program without a tag changes only the default.
    ChooseLanguage(nullptr);
    SetLanguage(1033);
    EXPECT_EQ(ReadValue("Language - Varno"), 0);
    EXPECT_EQ(ReadValue("Default Language"), 1033);

    // The stored choice is found again after a restart.
    registry_store::Reload();
    ChooseLanguage("Varno");
    EXPECT_EQ(GetLanguage(), 0);
}

TEST_F(Language, SetLanguageWithoutAStoreStillChangesTheLanguage)
{
    ChooseLanguage("Varno");
    SetLanguage(1033);
    {
        // Every write fails as on a full disk.
        testfs::FileSizeLimit full(0);
        SetLanguage(0);
        EXPECT_EQ(GetLanguage(), 0);
        EXPECT_EQ(Load(3), "  Ekludu!   ");
    }
    registry_store::Reload();
    ChooseLanguage("Varno");
    EXPECT_EQ(GetLanguage(), 1033);
}

TEST_F(Language, ToggleRule)
{
    EXPECT_EQ(ToggledLanguage(1033), 0);
    EXPECT_EQ(ToggledLanguage(0), 1033);
    EXPECT_EQ(ToggledLanguage(1031), 0);    // any other language leads to Esperanto
    EXPECT_EQ(ToggledLanguage(1024), 1033); // primary language 0 counts as Esperanto
    EXPECT_EQ(ToggledLanguage(0x0C00), 1033);
    EXPECT_EQ(ToggledLanguage(0x0409 | 0x0800), 0);
}

// ---- Texts ------------------------------------------------------------------

class Texts : public testing::Test {
protected:
    void SetUp() override { SetLanguage(LANG_ENGLISH_TEXTS); }
};

TEST_F(Texts, EachTableOffersTheWayBackInTheOtherLanguage)
{
    EXPECT_EQ(Load(29), "  Elektu Lingvon (Nun la Angla)   ");
    SetLanguage(LANG_ESPERANTO_TEXTS);
    EXPECT_EQ(Load(29), "  Select Language (Now Esperanto)   ");
    EXPECT_EQ(Load(4), "  Elektu Stiraĵojn (Nun %1)   ");
    EXPECT_EQ(Load(1), "Times New Roman Eo,-%1,BI");
}

TEST_F(Texts, TheSaveMessageSpeaksOfTheLevelInBothLanguages)
{
    EXPECT_EQ(Load(64), "Your changes to this level have been saved.");
    SetLanguage(LANG_ESPERANTO_TEXTS);
    EXPECT_EQ(Load(64), "Viaj ŝanĝoj en ĉi tiu fazo estas konservitaj.");
    EXPECT_EQ(Load(71), "Ĉu vi volas unue konservi viajn ŝanĝojn en ĉi tiu fazo?");
}

TEST_F(Texts, LanguagesWithoutTextsFallBackToEnglish)
{
    SetLanguage(1031);
    EXPECT_EQ(Load(21), "Level %1, Puzzle %2");
    EXPECT_EQ(Load(29), "  Elektu Lingvon (Nun la Angla)   ");
    SetLanguage(1024);
    EXPECT_EQ(Load(3), "  Start Game!   ");
}

TEST_F(Texts, MissingEntriesFallThroughTheLanguageOrder)
{
    // 64000: English only; 64001: empty in Esperanto; 64002: a zero byte in
    // Esperanto; 64003: neutral-default beats English; 64004: only in a
    // language of its own (found under "any language").
    StringTables tables({
        {0, {{64001, ""}, {64002, std::string("a\0b", 3)}}},
        {1033, {{64000, "english"}, {64001, "english 1"}, {64002, "english 2"}, {64003, "english 3"}}},
        {1024, {{64003, "neutral 3"}}},
        {1036, {{64004, "only here"}}},
    });
    SetLanguage(LANG_ESPERANTO_TEXTS);
    EXPECT_EQ(Load(64000), "english");
    EXPECT_EQ(Load(64001), "english 1");
    EXPECT_EQ(Load(64002), "english 2");
    EXPECT_EQ(Load(64003), "neutral 3");
    EXPECT_EQ(Load(64004), "only here");
    EXPECT_EQ(Load(64005), "");
    EXPECT_EQ(TextLength(64005), 0);
    EXPECT_EQ(Load(65535), "");
}

TEST_F(Texts, ContinuationsJoinAndAreCutAtTheBuffer)
{
    StringTables tables({
        {1033,
         {{64016, "abc+"},
          {64017, "def+"},
          {64018, "ghi"},
          {64019, "jkl"},
          {64020, "broken+"}, // 64021 is missing: the joining stops there
          {64030, "ĉu+"},
          {64031, "ĝi"},
          {64032, "+"},
          {64033, "+"},
          {64034, "end"}}},
    });
    EXPECT_EQ(Load(64016), "abcdefghi");
    EXPECT_EQ(TextLength(64016), 9);
    EXPECT_EQ(Load(64017), "defghi");
    EXPECT_EQ(Load(64020), "broken");
    EXPECT_EQ(Load(64032), "end"); // texts made only of the mark
    EXPECT_EQ(Load(64030), "ĉuĝi");

    // Cut to the buffer: size - 1 bytes and the terminator.
    EXPECT_EQ(Load(64016, 6), "abcde");
    EXPECT_EQ(Load(64016, 4), "abc"); // full after the first piece: no more
    EXPECT_EQ(Load(64016, 1), "");
    // A cut never splits a letter of several bytes: "ĉuĝi" is 2+1+2+1 bytes.
    EXPECT_EQ(Load(64030, 5), "ĉu");
    EXPECT_EQ(Load(64030, 2), "");
    char untouched = 'x';
    EXPECT_EQ(LoadText(64016, &untouched, 0), 0);
    EXPECT_EQ(untouched, 'x');
    EXPECT_EQ(LoadText(64016, nullptr, 10), 0);

    char* joined = LoadTextAlloc(64016);
    ASSERT_NE(joined, nullptr);
    EXPECT_STREQ(joined, "abcdefghi");
    ReleaseText(joined);
}

TEST_F(Texts, ResourcesOfOtherTypesByLanguage)
{
    static const unsigned char english[] = {1, 2, 3};
    static const unsigned char esperanto[] = {4, 5};
    static const resources::ResourceEntry entries[] = {
        {10, nullptr, 4711, nullptr, 1033, english, sizeof english},
        {10, nullptr, 4711, nullptr, 0, esperanto, sizeof esperanto},
        {10, nullptr, 4712, nullptr, 0, esperanto, sizeof esperanto},
    };
    resources::RegisterTable(entries, std::size(entries));
    DWORD cb = 0;
    EXPECT_EQ(FindResourceData(RT_RCDATA, TextId(4711), &cb), english);
    EXPECT_EQ(cb, 3u);
    EXPECT_EQ(FindResourceData(RT_RCDATA, TextId(4712), &cb), esperanto); // any language
    SetLanguage(LANG_ESPERANTO_TEXTS);
    EXPECT_EQ(FindResourceData(RT_RCDATA, TextId(4711), &cb), esperanto);
    EXPECT_EQ(cb, 2u);
    EXPECT_EQ(FindResourceData(RT_RCDATA, TextId(4713), &cb), nullptr);
    EXPECT_EQ(cb, 0u);
    resources::UnregisterTable(entries);
}

// ---- The game's tables --------------------------------------------------------

// The inserts (%1, %2, ...) of a text, with repeats.
std::multiset<std::string> Inserts(const std::string& text)
{
    std::multiset<std::string> found;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%')
            continue;
        std::size_t end = i + 1;
        while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end])))
            ++end;
        if (end > i + 1)
            found.insert(text.substr(i, end - i));
        i = end - 1;
    }
    return found;
}

std::size_t Leading(const std::string& s)
{
    return s.find_first_not_of(' ');
}
std::size_t Trailing(const std::string& s)
{
    return s.size() - 1 - s.find_last_not_of(' ');
}

TEST_F(Texts, BothTablesHoldEveryIdWithTheSameInsertsAndBlanks)
{
    std::vector<std::string> english, esperanto;
    SetLanguage(LANG_ENGLISH_TEXTS);
    for (UINT id = 0; id <= 134; ++id)
        english.push_back(Load(id, 4096));
    SetLanguage(LANG_ESPERANTO_TEXTS);
    for (UINT id = 0; id <= 134; ++id)
        esperanto.push_back(Load(id, 4096));
    for (UINT id = 1; id <= 134; ++id) {
        const std::string& en = english[id];
        const std::string& eo = esperanto[id];
        ASSERT_FALSE(en.empty()) << id;
        ASSERT_FALSE(eo.empty()) << id;
        EXPECT_EQ(Inserts(en), Inserts(eo)) << id;
        EXPECT_EQ(Leading(en), Leading(eo)) << id;
        EXPECT_EQ(Trailing(en), Trailing(eo)) << id;
        // No game text continues into the next id.
        EXPECT_NE(en.back(), '+') << id;
        EXPECT_NE(eo.back(), '+') << id;
    }
    // The Esperanto table names its own fonts.
    for (UINT id : {1u, 20u, 27u, 43u, 52u, 76u, 119u}) {
        const std::size_t comma = english[id].find(',');
        EXPECT_EQ(esperanto[id], english[id].substr(0, comma) + " Eo" + english[id].substr(comma)) << id;
    }
}

} // namespace
