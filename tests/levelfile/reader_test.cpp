// Reading level text: tokens, the grammar, values and defaults, and the
// reasons a file is refused.
#include "levelfile/datafile.h"
#include "levelfile_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Tokens(const char* text)
{
    LEVELTOKENIZER tok{};
    tok.pNext = text;
    std::vector<std::string> tokens;
    while (NextLevelToken(&tok))
        tokens.push_back(tok.szToken);
    return tokens;
}

class LevelText : public testing::Test {
protected:
    ~LevelText() override { ReleaseLevelList(&list); }

    bool Parse(const std::string& text)
    {
        ReleaseLevelList(&list);
        return ParseLevelText(text.c_str(), &list) != FALSE;
    }
    // One level holding one puzzle with the given entries.
    bool ParsePuzzle(const std::string& entries) { return Parse("Level { Puzzle { " + entries + " } }"); }
    const PUZZLE& Puzzle(int level = 0, int puzzle = 0) const { return list.pLevels[level].pPuzzles[puzzle]; }

    LEVELLIST list{};
};

} // namespace

TEST(LevelTokens, SplitAtBlanksCommentsAndPunctuation)
{
    EXPECT_EQ(Tokens("Width=6"), (std::vector<std::string>{"Width", "=", "6"}));
    EXPECT_EQ(Tokens("n,b"), (std::vector<std::string>{"n", ",", "b"}));
    EXPECT_EQ(Tokens("{{}}"), (std::vector<std::string>{"{", "{", "}", "}"}));
    EXPECT_EQ(Tokens("\t a\r\nb ; c d\n e/f g\rh // i"), (std::vector<std::string>{"a", "b", "e", "h"}));
    EXPECT_EQ(Tokens("nb"), (std::vector<std::string>{"nb"}));
    // Bytes of 0x80 and above belong to tokens.
    EXPECT_EQ(Tokens("x\xE9y z"), (std::vector<std::string>{"x\xE9y", "z"}));
    EXPECT_TRUE(Tokens("  \r\n ; only a comment").empty());
    EXPECT_TRUE(Tokens("").empty());
}

TEST(LevelTokens, LongRunsAreSplitIntoTokensOf1023)
{
    const std::string run(1500, 'a');
    const auto tokens = Tokens((run + " b").c_str());
    ASSERT_EQ(tokens.size(), 3u);
    EXPECT_EQ(tokens[0].size(), 1023u);
    EXPECT_EQ(tokens[1].size(), 477u);
    EXPECT_EQ(tokens[2], "b");
}

TEST_F(LevelText, LowerCaseOneLineFileWithDefaults)
{
    ASSERT_TRUE(Parse("level{width=4 puzzle{mines=1 cubes{n}}}"));
    ASSERT_EQ(list.cLevels, 1);
    ASSERT_EQ(list.pLevels[0].cPuzzles, 1);
    EXPECT_EQ(list.pLevels[0].lWidth, 4);
    EXPECT_EQ(list.pLevels[0].lLength, 8);
    EXPECT_EQ(list.pLevels[0].lSpeed, 0);
    const PUZZLE& p = Puzzle();
    EXPECT_EQ(p.lWidth, 4);
    EXPECT_EQ(p.lLength, 8);
    EXPECT_EQ(p.lSpeed, 0);
    EXPECT_EQ(p.lMines, 1);
    for (int row = 0; row < kFormationRows; ++row)
        for (int col = 0; col < kMaxWidth; ++col)
            EXPECT_EQ(p.aFormation[row][col], row == 0 && col == 0 ? ckGray : ckNone) << row << "," << col;
}

TEST_F(LevelText, SampleWithEveryCellSpellingAndLevelDefaultsAsTheyStand)
{
    ASSERT_TRUE(Parse(leveltest::SampleLevelText()));
    ASSERT_EQ(list.cLevels, 2);
    ASSERT_EQ(list.pLevels[0].cPuzzles, 2);
    const PUZZLE& first = Puzzle(0, 0);
    EXPECT_EQ(first.lWidth, 6);
    EXPECT_EQ(first.lSpeed, 0); // the level's Speed came after it
    const LONG row0[6] = {ckGray, ckNone, ckGreen, ckBlack, ckGray, ckNone};
    const LONG row1[6] = {ckGreen, ckBlack, ckNone, ckNone, ckNone, ckNone};
    for (int col = 0; col < 6; ++col) {
        EXPECT_EQ(first.aFormation[0][col], row0[col]) << col;
        EXPECT_EQ(first.aFormation[1][col], row1[col]) << col;
    }
    const PUZZLE& second = Puzzle(0, 1);
    EXPECT_EQ(second.lSpeed, -20);
    EXPECT_EQ(second.lWidth, 4);
    EXPECT_EQ(second.lMines, 3);
    const LONG cells[6] = {ckBlue, ckBlue, ckRed, ckRed, ckRed, ckGray};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(second.aFormation[i / 4][i % 4], cells[i]) << i;

    EXPECT_EQ(list.pLevels[1].lWidth, 10);
    const PUZZLE& wide = Puzzle(1, 0);
    EXPECT_EQ(wide.lWidth, 10);
    EXPECT_EQ(wide.lLength, 15);
    EXPECT_EQ(wide.lSpeed, 100);
    EXPECT_EQ(wide.aFormation[1][0], ckGray);
}

TEST_F(LevelText, CellsFillRowsOfTheWidthInForceAtTheBlock)
{
    ASSERT_TRUE(ParsePuzzle("Mines = 1 Cubes { n n n n n n n }"));
    for (int col = 0; col < 6; ++col)
        EXPECT_EQ(Puzzle().aFormation[0][col], ckGray) << col;
    EXPECT_EQ(Puzzle().aFormation[1][0], ckGray);
    EXPECT_EQ(Puzzle().aFormation[1][1], ckNone);

    // A width given after the block does not re-arrange it.
    ASSERT_TRUE(ParsePuzzle("Mines = 1 Cubes { n n n n n n n } Width = 4"));
    EXPECT_EQ(Puzzle().lWidth, 4);
    EXPECT_EQ(Puzzle().aFormation[0][5], ckGray);
    EXPECT_EQ(Puzzle().aFormation[1][0], ckGray);

    // Six full rows are the most; the first cell of a seventh fails.
    std::string six, seven;
    for (int i = 0; i < 24; ++i)
        six += "n ";
    seven = six + "-";
    EXPECT_TRUE(ParsePuzzle("Width = 4 Mines = 1 Cubes { " + six + "}"));
    EXPECT_EQ(Puzzle().aFormation[5][3], ckGray);
    EXPECT_FALSE(ParsePuzzle("Width = 4 Mines = 1 Cubes { " + seven + "}"));
}

TEST_F(LevelText, CubeBlocksThatAreRefused)
{
    EXPECT_FALSE(ParsePuzzle("Mines = 1 Cubes { f # x * s }")); // nothing to destroy
    EXPECT_FALSE(ParsePuzzle("Mines = 1 Cubes { }"));
    EXPECT_FALSE(ParsePuzzle("Mines = 1 Cubes { - - . }"));
    EXPECT_FALSE(ParsePuzzle("Mines = 1 Cubes { n } Cubes { n }")); // two blocks
    EXPECT_FALSE(ParsePuzzle("Mines = 1"));                         // none
    EXPECT_FALSE(ParsePuzzle("Mines = 1 Cubes { nb }"));            // cells written together
    EXPECT_FALSE(ParsePuzzle("Mines = 1 Cubes { n z }"));
    EXPECT_FALSE(ParsePuzzle("Mines = 1 Cubes { n = }"));
    EXPECT_FALSE(ParsePuzzle("Mines = 1 Cubes n"));
    // Letters in either case, commas ignored.
    EXPECT_TRUE(ParsePuzzle("Mines = 1 Cubes { ,S,, V }"));
    EXPECT_EQ(Puzzle().aFormation[0][0], ckBlack);
    EXPECT_EQ(Puzzle().aFormation[0][1], ckBlue);
}

TEST_F(LevelText, MinesMustBeStated)
{
    EXPECT_FALSE(ParsePuzzle("Cubes { n }"));
    EXPECT_FALSE(ParsePuzzle("Mines = 0 Cubes { n }"));
    EXPECT_FALSE(ParsePuzzle("Mines = -1 Cubes { n }"));
    EXPECT_FALSE(Parse("Level { Mines = 1 Puzzle { Cubes { n } } }")); // not a level entry
    ASSERT_TRUE(ParsePuzzle("Mines = 99999999999 Cubes { n }"));       // no upper bound
    EXPECT_EQ(Puzzle().lMines, 2147483647);
}

TEST_F(LevelText, NumbersAreReadLikeAtol)
{
    // A word reads as 0: a speed of 0 is fine, a width of 0 is not.
    ASSERT_TRUE(ParsePuzzle("Speed = fast Mines = 1 Cubes { n }"));
    EXPECT_EQ(Puzzle().lSpeed, 0);
    EXPECT_FALSE(ParsePuzzle("Width = six Mines = 1 Cubes { n }"));
    ASSERT_TRUE(ParsePuzzle("Speed = +7x Mines = 3rd Cubes { n }"));
    EXPECT_EQ(Puzzle().lSpeed, 7);
    EXPECT_EQ(Puzzle().lMines, 3);
    // Values too large for 32 bits do not wrap into the range.
    EXPECT_FALSE(ParsePuzzle("Speed = 4294967296 Mines = 1 Cubes { n }"));
    EXPECT_FALSE(ParsePuzzle("Speed = -4294967296 Mines = 1 Cubes { n }"));
    // A repeated key: the last value counts.
    ASSERT_TRUE(ParsePuzzle("Mines = 1 Mines = 4 Length = 9 Length = 12 Cubes { n }"));
    EXPECT_EQ(Puzzle().lMines, 4);
    EXPECT_EQ(Puzzle().lLength, 12);
}

TEST_F(LevelText, ValuesOutsideTheirRangeFailTheFile)
{
    struct CASE {
        const char* entry;
        bool accepted;
    } cases[] = {
        {"Width = 3", false},    {"Width = 4", true},    {"Width = 10", true},  {"Width = 11", false},
        {"Length = 6", false},   {"Length = 7", true},   {"Length = 15", true}, {"Length = 16", false},
        {"Speed = -101", false}, {"Speed = -100", true}, {"Speed = 100", true}, {"Speed = 101", false},
    };
    for (const CASE& c : cases) {
        EXPECT_EQ(ParsePuzzle(std::string(c.entry) + " Mines = 1 Cubes { n }"), c.accepted) << "puzzle " << c.entry;
        EXPECT_EQ(Parse(std::string("Level { ") + c.entry + " Puzzle { Mines = 1 Cubes { n } } }"), c.accepted)
            << "level " << c.entry;
    }
}

TEST_F(LevelText, FilesWithoutCompleteLevels)
{
    EXPECT_FALSE(Parse(""));
    EXPECT_FALSE(Parse("; comments\r\n// and blanks only\r\n\t \r\n"));
    EXPECT_FALSE(Parse("Level { }"));                                // no puzzle
    EXPECT_FALSE(Parse("Level { Puzzle { Mines = 1 Cubes { n } }")); // ends inside the level
    EXPECT_FALSE(Parse("Level Puzzle { Mines = 1 Cubes { n } } }"));
    EXPECT_FALSE(Parse("Level { Width 6 Puzzle { Mines = 1 Cubes { n } } }"));
    EXPECT_FALSE(Parse("Levels { Puzzle { Mines = 1 Cubes { n } } }"));
    EXPECT_FALSE(Parse("Level { Puzzle { Mines = 1 Cubes { n } Puzzle { } } }"));
    EXPECT_FALSE(Parse("Level { Puzzle { Mines = 1 Cubes { n } } } }"));
    EXPECT_FALSE(Parse("Level { Puzzle { Mines = 1 Cubes { n } } } Level {"));
    EXPECT_FALSE(Parse("Level { Puzzle { Mines = } }"));
}

TEST_F(LevelText, ACommentMayEndTheTextWithoutALineEnd)
{
    EXPECT_TRUE(Parse("Level { Puzzle { Mines = 1 Cubes { n } } } ; the end"));
    EXPECT_TRUE(Parse("Level { Puzzle { Mines = 1 Cubes { n } } }// the end"));
    EXPECT_TRUE(Parse("Level{Puzzle{Mines=1;one\nCubes{n/gray\n}}}"));
}

TEST_F(LevelText, LevelsBeforeAFaultStayButTheReadFails)
{
    EXPECT_FALSE(Parse("Level { Puzzle { Mines = 1 Cubes { n } } }\r\n"
                       "Level { Puzzle { Mines = 1 Cubes { n } } Puzzle { Mines = 0 Cubes { n } } }"));
    ASSERT_EQ(list.cLevels, 1);
    EXPECT_EQ(list.pLevels[0].cPuzzles, 1);
}
