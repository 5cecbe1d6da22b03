// The level file that ships with the game, read by the game's own reader
// from the data folder beside the test program: its shape, its range of
// sizes and cube kinds, that the editor can write it back unchanged, and
// that every puzzle has a solution line.
#include "game/puzzle.h"
#include "levelfile/datafile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <utility>

namespace {

std::string ReadWhole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class ShippedLevels : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetDataFolder(nullptr);
        m_path = FindLevelFile(nullptr);
        ASSERT_FALSE(m_path.empty()) << "no level file in the data folder";
        const std::string text = ReadWhole(m_path);
        ASSERT_FALSE(IsScrambledText(text.data(), text.size())) << "the shipped file is kept plain";
        ASSERT_TRUE(ParseLevelText(text.c_str(), &m_list));
    }
    void TearDown() override { ReleaseLevelList(&m_list); }

    template <typename F>
    void ForEachPuzzle(F f) const
    {
        for (LONG l = 0; l < m_list.cLevels; ++l)
            for (LONG p = 0; p < m_list.pLevels[l].cPuzzles; ++p)
                f(l + 1, p + 1, m_list.pLevels[l].pPuzzles[p]);
    }

    std::string m_path;
    LEVELLIST m_list{};
};

LONG CountKind(const PUZZLE& pz, LONG kind)
{
    LONG n = 0;
    for (int r = 0; r < kFormationRows; ++r)
        for (int c = 0; c < pz.lWidth; ++c)
            n += pz.aFormation[r][c] == kind;
    return n;
}

TEST_F(ShippedLevels, TwelveOrMoreLevelsOfEightToTenPuzzlesWithinTheFieldLimits)
{
    EXPECT_GE(m_list.cLevels, 12);
    LONG puzzles = 0;
    for (LONG l = 0; l < m_list.cLevels; ++l) {
        EXPECT_GE(m_list.pLevels[l].cPuzzles, 8) << "level " << l + 1;
        EXPECT_LE(m_list.pLevels[l].cPuzzles, 10) << "level " << l + 1;
        puzzles += m_list.pLevels[l].cPuzzles;
    }
    EXPECT_GE(puzzles, 96);
    LONG minWidth = 99, maxWidth = 0, minLength = 99, maxLength = 0;
    ForEachPuzzle([&](LONG l, LONG p, const PUZZLE& pz) {
        EXPECT_TRUE(pz.lWidth >= kMinWidth && pz.lWidth <= kMaxWidth) << l << "." << p;
        EXPECT_TRUE(pz.lLength >= kMinLength && pz.lLength <= kMaxLength) << l << "." << p;
        EXPECT_TRUE(pz.lSpeed >= -100 && pz.lSpeed <= 100) << l << "." << p;
        // Nothing outside the puzzle's own columns.
        for (int r = 0; r < kFormationRows; ++r)
            for (int c = pz.lWidth; c < kMaxWidth; ++c)
                EXPECT_EQ(pz.aFormation[r][c], ckNone) << l << "." << p;
        minWidth = std::min(minWidth, pz.lWidth);
        maxWidth = std::max(maxWidth, pz.lWidth);
        minLength = std::min(minLength, pz.lLength);
        maxLength = std::max(maxLength, pz.lLength);
    });
    // The shipped puzzles span every size the game allows at its extremes.
    EXPECT_EQ(minWidth, kMinWidth);
    EXPECT_EQ(maxWidth, kMaxWidth);
    EXPECT_EQ(minLength, kMinLength);
    EXPECT_EQ(maxLength, kMaxLength);
}

TEST_F(ShippedLevels, EveryKindAppearsAndMinesStayTight)
{
    std::set<LONG> kinds;
    ForEachPuzzle([&](LONG l, LONG p, const PUZZLE& pz) {
        const LONG destructible = CountKind(pz, ckGray) + CountKind(pz, ckGreen) + CountKind(pz, ckBlue);
        ASSERT_GT(destructible, 0) << l << "." << p;
        EXPECT_GE(pz.lMines, 1) << l << "." << p;
        // At most one mine to spare over one mine per destructible cube, and
        // none from the fifth level on; a Green cube's field clears its
        // neighbours for free, so puzzles with Green cubes give no spare.
        EXPECT_LE(pz.lMines, destructible + (l <= 4 ? 1 : 0)) << l << "." << p;
        if (CountKind(pz, ckGreen) > 0) {
            EXPECT_LE(pz.lMines, destructible) << l << "." << p;
        }
        for (int r = 0; r < kFormationRows; ++r)
            for (int c = 0; c < pz.lWidth; ++c)
                kinds.insert(pz.aFormation[r][c]);
    });
    for (LONG kind : {ckGray, ckGreen, ckRed, ckBlack, ckBlue})
        EXPECT_TRUE(kinds.count(kind)) << "kind " << kind << " is never used";
}

TEST_F(ShippedLevels, LevelsGetFasterFromGentleToHard)
{
    for (LONG l = 1; l < m_list.cLevels; ++l)
        EXPECT_GE(m_list.pLevels[l].lSpeed, m_list.pLevels[l - 1].lSpeed) << "level " << l + 1;
    EXPECT_LT(m_list.pLevels[0].lSpeed, 0);
    EXPECT_LT(m_list.pLevels[1].lSpeed, 0);
    EXPECT_GE(m_list.pLevels[m_list.cLevels - 1].lSpeed, 60);
}

// The shape of a formation: its cubes, the columns from its leftmost to its
// rightmost cube, the rows from its first to its last.
struct SHAPE {
    LONG cubes = 0, span = 0, depth = 0;
};
SHAPE ShapeOf(const PUZZLE& pz)
{
    SHAPE s;
    LONG left = kMaxWidth, right = -1, first = -1, last = -1;
    for (LONG r = 0; r < kFormationRows; ++r)
        for (LONG c = 0; c < pz.lWidth; ++c)
            if (pz.aFormation[r][c] != ckNone) {
                ++s.cubes;
                left = std::min(left, c);
                right = std::max(right, c);
                if (first < 0)
                    first = r;
                last = r;
            }
    s.span = right < 0 ? 0 : right - left + 1;
    s.depth = first < 0 ? 0 : last - first + 1;
    return s;
}

TEST_F(ShippedLevels, FormationsGrowFromAFewCubesToFullFields)
{
    for (LONG l = 0; l < m_list.cLevels; ++l) {
        const LEVEL& level = m_list.pLevels[l];
        LONG destructible = 0, wide = 0, twelve = 0, deepest = 0, widest = 0;
        for (LONG p = 0; p < level.cPuzzles; ++p) {
            const PUZZLE& pz = level.pPuzzles[p];
            const SHAPE s = ShapeOf(pz);
            destructible += CountKind(pz, ckGray) + CountKind(pz, ckGreen) + CountKind(pz, ckBlue);
            wide += s.span * 4 >= pz.lWidth * 3 && s.depth >= 2;
            twelve += s.cubes >= 12;
            deepest = std::max(deepest, s.depth);
            widest = std::max(widest, s.span);
        }
        // The first two levels teach with a few cubes to destroy at a time.
        if (l < 2) {
            EXPECT_LE(destructible, 4 * level.cPuzzles) << "level " << l + 1;
        }
        // From the fourth level most formations span three quarters of the
        // field's width and two rows or more.
        if (l >= 3) {
            EXPECT_GT(wide * 2, level.cPuzzles) << "level " << l + 1;
        }
        // From the eighth most hold twelve cubes or more, and each level has
        // a formation six rows deep and one ten wide.
        if (l >= 7) {
            EXPECT_GT(twelve * 2, level.cPuzzles) << "level " << l + 1;
            EXPECT_EQ(deepest, kFormationRows) << "level " << l + 1;
            EXPECT_EQ(widest, kMaxWidth) << "level " << l + 1;
        }
    }
}

TEST_F(ShippedLevels, TheEditorWritesTheSameLevelsBack)
{
    char* text = BuildLevelText(&m_list);
    ASSERT_NE(text, nullptr);
    LEVELLIST again{};
    EXPECT_TRUE(ParseLevelText(text, &again));
    std::free(text);
    ASSERT_EQ(again.cLevels, m_list.cLevels);
    for (LONG l = 0; l < m_list.cLevels; ++l) {
        ASSERT_EQ(again.pLevels[l].cPuzzles, m_list.pLevels[l].cPuzzles);
        for (LONG p = 0; p < m_list.pLevels[l].cPuzzles; ++p) {
            const PUZZLE& a = m_list.pLevels[l].pPuzzles[p];
            const PUZZLE& b = again.pLevels[l].pPuzzles[p];
            EXPECT_EQ(0, std::memcmp(&a, &b, sizeof(PUZZLE))) << l + 1 << "." << p + 1;
        }
    }
    ReleaseLevelList(&again);
}

TEST_F(ShippedLevels, EveryPuzzleHasOneSolutionLine)
{
    const std::string folder = m_path.substr(0, m_path.find_last_of('/') + 1);
    std::ifstream in(folder + "solutions.txt");
    ASSERT_TRUE(in) << "solutions.txt beside " << m_path;
    std::set<std::pair<LONG, LONG>> solved;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream words(line);
        LONG level = 0, puzzle = 0;
        std::string first;
        ASSERT_TRUE(words >> level >> puzzle >> first) << line;
        ASSERT_TRUE(level >= 1 && level <= m_list.cLevels) << line;
        ASSERT_TRUE(puzzle >= 1 && puzzle <= m_list.pLevels[level - 1].cPuzzles) << line;
        EXPECT_TRUE(solved.insert({level, puzzle}).second) << "second line for " << line;
        // A detonation's explosion outlives the script: every line ends by
        // waiting for the win.
        EXPECT_EQ(line.substr(line.find_last_of(' ') + 1).rfind("w:", 0), 0u) << line;
    }
    ForEachPuzzle([&](LONG l, LONG p, const PUZZLE&) { EXPECT_TRUE(solved.count({l, p})) << l << "." << p; });
}

}  // namespace

// Saving the shipped file changes no comment: every comment line of the
// file is written again, in its order, and a second round trip gives the
// same text.
TEST_F(ShippedLevels, SavingKeepsEveryCommentInItsOrder)
{
    char* written = BuildLevelText(&m_list);
    ASSERT_NE(written, nullptr);
    const std::string text = written;
    std::free(written);
    auto comments = [](const std::string& t) {
        std::vector<std::string> out;
        std::size_t start = 0;
        while (start < t.size()) {
            std::size_t end = t.find('\n', start);
            if (end == std::string::npos)
                end = t.size();
            std::string line = t.substr(start, end - start);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            const std::size_t mark = line.find(';');
            if (mark != std::string::npos)
                out.push_back(line.substr(mark));
            start = end + 1;
        }
        return out;
    };
    const std::vector<std::string> before = comments(ReadWhole(m_path));
    ASSERT_FALSE(before.empty());
    EXPECT_EQ(comments(text), before);
    LEVELLIST again{};
    ASSERT_TRUE(ParseLevelText(text.c_str(), &again));
    char* twice = BuildLevelText(&again);
    ASSERT_NE(twice, nullptr);
    EXPECT_EQ(std::string(twice), text);
    std::free(twice);
    ReleaseLevelList(&again);
}
