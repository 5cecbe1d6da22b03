// Writing level text: the exact lines, and reading back what was written.
#include "levelfile/datafile.h"
#include "levelfile_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// A list built in memory, as the editor holds one.
class BuiltList {
public:
    ~BuiltList()
    {
        for (LEVEL& level : m_levels)
            level.pPuzzles = nullptr; // owned by m_puzzles
    }
    LEVEL& AddLevel(LONG width, LONG length, LONG speed)
    {
        m_puzzles.emplace_back();
        m_levels.push_back({nullptr, 0, width, length, speed});
        return m_levels.back();
    }
    PUZZLE& AddPuzzle(LONG width, LONG length, LONG speed, LONG mines)
    {
        PUZZLE p{};
        p.lWidth = width;
        p.lLength = length;
        p.lSpeed = speed;
        p.lMines = mines;
        m_puzzles.back().push_back(p);
        return m_puzzles.back().back();
    }
    const LEVELLIST* List()
    {
        for (std::size_t i = 0; i < m_levels.size(); ++i) {
            m_levels[i].pPuzzles = m_puzzles[i].data();
            m_levels[i].cPuzzles = static_cast<LONG>(m_puzzles[i].size());
        }
        m_list.pLevels = m_levels.data();
        m_list.cLevels = static_cast<LONG>(m_levels.size());
        return &m_list;
    }

private:
    std::vector<LEVEL> m_levels;
    std::vector<std::vector<PUZZLE>> m_puzzles;
    LEVELLIST m_list{};
};

std::string Build(const LEVELLIST* list)
{
    char* text = BuildLevelText(list);
    if (!text)
        return "<none>";
    std::string s = text;
    std::free(text);
    return s;
}

void ExpectSamePuzzle(const PUZZLE& a, const PUZZLE& b)
{
    EXPECT_EQ(a.lWidth, b.lWidth);
    EXPECT_EQ(a.lLength, b.lLength);
    EXPECT_EQ(a.lSpeed, b.lSpeed);
    EXPECT_EQ(a.lMines, b.lMines);
    EXPECT_EQ(std::memcmp(a.aFormation, b.aFormation, sizeof a.aFormation), 0);
}

} // namespace

TEST(LevelWriter, ExactLinesOfALevelOfDefaultSize)
{
    BuiltList b;
    b.AddLevel(6, 8, 0);
    PUZZLE& p = b.AddPuzzle(4, 8, 0, 2);
    const LONG row0[4] = {ckGray, ckNone, ckGreen, ckBlack};
    for (int col = 0; col < 4; ++col)
        p.aFormation[0][col] = row0[col];
    p.aFormation[2][3] = ckBlue;
    p.aFormation[2][0] = ckRed;
    EXPECT_EQ(Build(b.List()), "Level {\r\n"
                               "   Width = 6\r\n"
                               "   Length = 8\r\n"
                               "\r\n"
                               "   Puzzle {\r\n"
                               "      Width = 4\r\n"
                               "      Length = 8\r\n"
                               "      Mines = 2\r\n"
                               "      Cubes {\r\n"
                               "         n - b #\r\n"
                               "         - - - -\r\n"
                               "         f - - !\r\n"
                               "      }\r\n"
                               "   }\r\n"
                               "\r\n"
                               "}\r\n"
                               "\r\n");
}

TEST(LevelWriter, ZeroValuesAndEmptyRowsAreLeftOut)
{
    BuiltList b;
    b.AddLevel(0, 0, 0);
    b.AddPuzzle(5, 0, -30, 0); // no cube at all
    b.AddLevel(0, 0, 7);
    b.AddLevel(0, 0, 0); // no puzzle
    EXPECT_EQ(Build(b.List()), "Level {\r\n"
                               "   Puzzle {\r\n"
                               "      Width = 5\r\n"
                               "      Speed = -30\r\n"
                               "      Cubes {\r\n"
                               "      }\r\n"
                               "   }\r\n"
                               "\r\n"
                               "}\r\n"
                               "\r\n"
                               "Level {\r\n"
                               "   Speed = 7\r\n"
                               "\r\n"
                               "}\r\n"
                               "\r\n"
                               "Level {\r\n"
                               "}\r\n"
                               "\r\n");
}

TEST(LevelWriter, APuzzleSpeedOf0IsKeptUnderALevelSpeed)
{
    BuiltList b;
    b.AddLevel(6, 8, 40);
    b.AddPuzzle(6, 8, 0, 1).aFormation[0][0] = ckGray;
    b.AddPuzzle(6, 8, 40, 1).aFormation[0][0] = ckGray;
    const std::string text = Build(b.List());
    LEVELLIST back{};
    ASSERT_TRUE(ParseLevelText(text.c_str(), &back)) << text;
    ASSERT_EQ(back.cLevels, 1);
    ASSERT_EQ(back.pLevels[0].cPuzzles, 2);
    EXPECT_EQ(back.pLevels[0].pPuzzles[0].lSpeed, 0);
    EXPECT_EQ(back.pLevels[0].pPuzzles[1].lSpeed, 40);
    ReleaseLevelList(&back);
}

TEST(LevelWriter, NothingToWriteGivesNoText)
{
    LEVELLIST empty{};
    EXPECT_EQ(BuildLevelText(&empty), nullptr);
    EXPECT_EQ(BuildLevelText(nullptr), nullptr);
}

TEST(LevelWriter, ALevelWithoutPuzzlesIsWrittenButNotReadBack)
{
    BuiltList b;
    b.AddLevel(6, 8, 0);
    const std::string text = Build(b.List());
    EXPECT_EQ(text, "Level {\r\n   Width = 6\r\n   Length = 8\r\n\r\n}\r\n\r\n");
    LEVELLIST back{};
    EXPECT_FALSE(ParseLevelText(text.c_str(), &back));
    ReleaseLevelList(&back);
}

TEST(LevelWriter, ReadWriteReadGivesTheSameList)
{
    LEVELLIST first{}, second{};
    ASSERT_TRUE(ParseLevelText(leveltest::SampleLevelText(), &first));
    char* text = BuildLevelText(&first);
    ASSERT_NE(text, nullptr);
    ASSERT_TRUE(ParseLevelText(text, &second)) << text;
    // Written once more, the text is the same.
    char* again = BuildLevelText(&second);
    ASSERT_NE(again, nullptr);
    EXPECT_STREQ(text, again);
    std::free(text);
    std::free(again);

    ASSERT_EQ(second.cLevels, first.cLevels);
    for (LONG i = 0; i < first.cLevels; ++i) {
        const LEVEL& a = first.pLevels[i];
        const LEVEL& b = second.pLevels[i];
        EXPECT_EQ(a.lWidth, b.lWidth);
        EXPECT_EQ(a.lLength, b.lLength);
        EXPECT_EQ(a.lSpeed, b.lSpeed);
        ASSERT_EQ(a.cPuzzles, b.cPuzzles);
        for (LONG j = 0; j < a.cPuzzles; ++j)
            ExpectSamePuzzle(a.pPuzzles[j], b.pPuzzles[j]);
    }
    ReleaseLevelList(&first);
    ReleaseLevelList(&second);
}

TEST(LevelWriter, ALargeListRoundTrips)
{
    // Many lines make the text grow many times.
    BuiltList b;
    for (int level = 0; level < 40; ++level) {
        b.AddLevel(4 + level % 7, 7 + level % 9, level - 20);
        for (int puzzle = 0; puzzle < 12; ++puzzle) {
            PUZZLE& p = b.AddPuzzle(4 + puzzle % 7, 7 + puzzle % 9, puzzle * 5 - 30, 1 + puzzle);
            for (int cell = 0; cell < p.lWidth * kFormationRows; ++cell)
                p.aFormation[cell / p.lWidth][cell % p.lWidth] = (cell * 7 + level + puzzle) % ckCount;
            p.aFormation[0][0] = ckGreen;
        }
    }
    const LEVELLIST* list = b.List();
    char* text = BuildLevelText(list);
    ASSERT_NE(text, nullptr);
    LEVELLIST back{};
    ASSERT_TRUE(ParseLevelText(text, &back));
    std::free(text);
    ASSERT_EQ(back.cLevels, 40);
    for (LONG i = 0; i < 40; ++i) {
        ASSERT_EQ(back.pLevels[i].cPuzzles, 12);
        // A level speed of 0 is not written, and 0 is its default anyway.
        EXPECT_EQ(back.pLevels[i].lSpeed, list->pLevels[i].lSpeed);
        for (LONG j = 0; j < 12; ++j)
            ExpectSamePuzzle(back.pLevels[i].pPuzzles[j], list->pLevels[i].pPuzzles[j]);
    }
    ReleaseLevelList(&back);
}

// Comments of a designer's file stay where they stood: whole lines before
// the level or puzzle (or value) that follows them, a comment at the end of
// a line on that line, and the notes at the end of the file.
TEST(LevelWriter, CommentsStayWhereTheyStood)
{
    const char* source = "; header line one\n"
                         ";\n"
                         "; header line two\n"
                         "\n"
                         "; level 1 banner\n"
                         "Level {\n"
                         "   Width = 5 ; five wide\n"
                         "   Length = 9\n"
                         "   ; first puzzle: one Gray cube\n"
                         "   Puzzle {\n"
                         "      Mines = 2 // two to spare\n"
                         "      Cubes {\n"
                         "         - n - - - ; the cube\n"
                         "      }\n"
                         "   }\n"
                         "   ; after the last puzzle\n"
                         "}\n"
                         "; the end\n";
    LEVELLIST list{};
    ASSERT_TRUE(ParseLevelText(source, &list));
    ASSERT_NE(list.pComments, nullptr);
    const std::string text = Build(&list);
    EXPECT_EQ(text, "; header line one\r\n"
                    ";\r\n"
                    "; header line two\r\n"
                    "\r\n"
                    "; level 1 banner\r\n"
                    "Level {\r\n"
                    "   Width = 5 ; five wide\r\n"
                    "   Length = 9\r\n"
                    "\r\n"
                    "   ; first puzzle: one Gray cube\r\n"
                    "   Puzzle {\r\n"
                    "      Width = 5\r\n"
                    "      Length = 9\r\n"
                    "      Mines = 2 // two to spare\r\n"
                    "      Cubes {\r\n"
                    "         - n - - - ; the cube\r\n"
                    "      }\r\n"
                    "   }\r\n"
                    "\r\n"
                    "   ; after the last puzzle\r\n"
                    "}\r\n"
                    "\r\n"
                    "; the end\r\n");
    // Read and written again, nothing moves.
    LEVELLIST back{};
    ASSERT_TRUE(ParseLevelText(text.c_str(), &back));
    EXPECT_EQ(Build(&back), text);
    ReleaseLevelList(&back);
    ReleaseLevelList(&list);
    EXPECT_EQ(list.pComments, nullptr);
}

TEST(LevelWriter, CommentsOfLinesNotWrittenGoBeforeTheNextLine)
{
    // A speed of 0 under a level speed of 0 and an empty last row are not
    // written; their comments are kept on the next line that is.
    const char* source = "Level { Puzzle {\n"
                         "  Speed = 0 ; no hurry\n"
                         "  Mines = 1\n"
                         "  Cubes { n - - - - -\n"
                         "          - - - - - - ; spare row\n"
                         "  } } }\n";
    LEVELLIST list{};
    ASSERT_TRUE(ParseLevelText(source, &list));
    const std::string text = Build(&list);
    EXPECT_NE(text.find("      ; no hurry\r\n      Mines = 1\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("        ; spare row\r\n      }\r\n"), std::string::npos) << text;
    ReleaseLevelList(&list);
}

TEST(LevelWriter, ATextWithoutCommentsKeepsNone)
{
    LEVELLIST list{};
    ASSERT_TRUE(ParseLevelText("Level { Puzzle { Mines = 1 Cubes { n } } }", &list));
    EXPECT_EQ(list.pComments, nullptr);
    ReleaseLevelList(&list);
}
