// varno-sim solve and solve-all on level files written for each case: every
// solution it reports plays to a win, puzzles that cannot be won are proven
// so, and the answer is the same on every run.
#include "sim_run.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

// The value of the line starting with key, up to its end.
std::string Line(const std::string& out, const std::string& key)
{
    const auto at = out.find(key);
    if (at == std::string::npos)
        return {};
    const auto from = at + key.size();
    return out.substr(from, out.find('\n', from) - from);
}

// One level of puzzles, each given as its rows of cells and its mines.
struct CASE {
    const char* name;
    int width, length, speed, mines;
    const char* rows;  // rows separated by '/'
};

std::string LevelText(const CASE* cases, int n)
{
    std::string text = "Level {\n  Width = 5\n  Length = 9\n  Speed = 0\n";
    for (int i = 0; i < n; ++i) {
        const CASE& c = cases[i];
        text += "  Puzzle {\n    Width = " + std::to_string(c.width) + "\n    Length = " + std::to_string(c.length) +
                "\n    Speed = " + std::to_string(c.speed) + "\n    Mines = " + std::to_string(c.mines) +
                "\n    Cubes {\n      ";
        for (const char* p = c.rows; *p; ++p)
            text += *p == '/' ? std::string("\n      ") : std::string(1, *p) + " ";
        text += "\n    }\n  }\n";
    }
    return text + "}\n";
}

class Solve : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() / ("varno-solve-" + std::to_string(::getpid()));
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }
    // Two Gray cubes at a brisk speed: the search's own way plants right in
    // front of the cubes. The file and the puzzle, as varno-sim's arguments.
    std::string BriskPuzzle()
    {
        const CASE kBrisk[] = {{"two Gray cubes, brisk", 5, 12, 30, 3, "-n---/---n-"}};
        return Write("brisk.lev", LevelText(kBrisk, 1)) + " --level 1 --puzzle 1";
    }
    std::string Write(const std::string& name, const std::string& text)
    {
        const fs::path p = folder / name;
        std::ofstream(p, std::ios::binary) << text;
        return p.string();
    }
    fs::path folder;
};

const CASE kSolvable[] = {
    {"two Gray cubes", 5, 9, -50, 2, "-----/-n-n-"},
    {"a Green chain", 5, 9, -50, 1, "-----/-nbn-"},
    {"a Blue push", 5, 9, -50, 2, "--n--/--!--/-----"},
    {"a Red cube in the way", 5, 10, -50, 2, "--n--/--f--/-n---"},
    {"tight mines", 6, 10, 0, 3, "n----n/--n---"},
    {"Black beside Gray", 5, 9, -30, 2, "-#n#-/--n--"},
};

TEST_F(Solve, EverySolutionPlaysToAWin)
{
    const int n = static_cast<int>(std::size(kSolvable));
    const std::string file = Write("solvable.lev", LevelText(kSolvable, n));
    for (int i = 0; i < n; ++i) {
        SCOPED_TRACE(kSolvable[i].name);
        const std::string where = file + " --level 1 --puzzle " + std::to_string(i + 1);
        const RUN a = RunSim("solve " + where + " --seconds 20");
        ASSERT_EQ(a.code, 0) << a.out;
        EXPECT_EQ(Line(a.out, "result: ").rfind("solved seconds=", 0), 0u) << a.out;
        const std::string script = Line(a.out, "solution: ");
        ASSERT_FALSE(script.empty());
        const RUN play = RunSim("play " + where + " --script \"" + script + "\"");
        const std::string result = Line(play.out, "result: ");
        EXPECT_EQ(result.rfind("won ", 0), 0u) << play.out;
        // The reported mines and score are those of the play.
        const std::string used = Line(a.out, "mines: used ");
        const long mines = std::stol(used.substr(used.find(" of ") + 4));
        const long left = std::stol(result.substr(result.find("mines=") + 6));
        EXPECT_EQ(std::stol(used), mines - left);
        const std::string score = result.substr(result.find("score=") + 6);
        EXPECT_EQ(Line(a.out, "score: "), score.substr(0, score.find(' ')));
    }
}

// The slack a play of the script gives when every walk starts `late`
// frames later: whether it still wins.
bool WinsLate(const std::string& where, const std::string& script, int late)
{
    std::string delayed;
    for (std::size_t at = 0; at < script.size();) {
        const std::size_t end = std::min(script.find(' ', at), script.size());
        const std::string word = script.substr(at, end - at);
        if (word.rfind("1:", 0) == 0 && late > 0)
            delayed += "w:" + std::to_string(late - 1) + " ";
        delayed += word + " ";
        at = end + 1;
    }
    const RUN play = RunSim("play " + where + " --script \"" + delayed + "\"");
    return Line(play.out, "result: ").rfind("won ", 0) == 0;
}

TEST_F(Solve, RoomyWaysLeaveMoreRoomAndStillWin)
{
    const std::string where = BriskPuzzle();
    const RUN plain = RunSim("solve " + where + " --seconds 20");
    ASSERT_EQ(plain.code, 0) << plain.out;
    const long plainSlack = std::stol(Line(plain.out, "slack: "));

    // Widening the search's way: more slack, no more mines, and the slack
    // printed is what the rules give (the way wins that late, not later).
    const std::string script = Line(plain.out, "solution: ");
    const RUN wide = RunSim("solve " + where + " --roomy --script \"" + script + "\"");
    ASSERT_EQ(wide.code, 0) << wide.out;
    const long slack = std::stol(Line(wide.out, "slack: "));
    EXPECT_GT(slack, plainSlack);
    EXPECT_LE(std::stol(Line(wide.out, "mines: used ")), std::stol(Line(plain.out, "mines: used ")));
    const std::string widened = Line(wide.out, "solution: ");
    EXPECT_TRUE(WinsLate(where, widened, 0));
    EXPECT_TRUE(WinsLate(where, widened, static_cast<int>(slack)));
    if (slack < 60) {
        EXPECT_FALSE(WinsLate(where, widened, static_cast<int>(slack) + 1));
    }

    // A search that leaves room from the start finds a way that wins with
    // every walk that late.
    const RUN room = RunSim("solve " + where + " --room 12 --seconds 20");
    ASSERT_EQ(room.code, 0) << room.out;
    EXPECT_TRUE(WinsLate(where, Line(room.out, "solution: "), 12));

    // A script that does not win is not widened; a script without --roomy
    // is not an option of solve.
    EXPECT_EQ(RunSim("solve " + where + " --roomy --script \"2 4\"").code, 2);
    EXPECT_EQ(RunSim("solve " + where + " --script \"" + script + "\"").code, 2);
}

TEST_F(Solve, TheSlackOfAGivenWayIsTheLastDelayEveryWalkCanTakeAndStillWin)
{
    const std::string where = BriskPuzzle();
    const RUN wide = RunSim("solve " + where + " --roomy --seconds 20");
    ASSERT_EQ(wide.code, 0) << wide.out;
    const std::string script = Line(wide.out, "solution: ");

    // The same figure as the solver's own measure, and every delay up to it
    // wins when played, the next one does not.
    const RUN slack = RunSim("slack " + where + " --script \"" + script + "\"");
    ASSERT_EQ(slack.code, 0) << slack.out;
    EXPECT_EQ(Line(slack.out, "slack: "), Line(wide.out, "slack: "));
    const int frames = std::stoi(Line(slack.out, "slack: "));
    ASSERT_GT(frames, 0);
    for (int late = 0; late <= frames; ++late)
        EXPECT_TRUE(WinsLate(where, script, late)) << late;
    if (frames < 60) {
        EXPECT_FALSE(WinsLate(where, script, frames + 1));
    }

    // A way that does not win has no slack; a bad element, a puzzle not in
    // the file or no script at all is an error.
    const RUN lost = RunSim("slack " + where + " --script \"w:400\"");
    EXPECT_EQ(lost.code, 1);
    EXPECT_EQ(Line(lost.out, "slack: "), "-");
    EXPECT_EQ(RunSim("slack " + where + " --script \"x:1\"").code, 2);
    const std::string otherPuzzle = where.substr(0, where.find(" --puzzle")) + " --puzzle 2";
    EXPECT_EQ(RunSim("slack " + otherPuzzle + " --script \"" + script + "\"").code, 2);
    EXPECT_EQ(RunSim("slack " + where).code, 2);
}

TEST_F(Solve, PuzzlesMadeUnsolvableAreProvenSo)
{
    const CASE kUnsolvable[] = {
        // A full row of Red and Black cubes in front of the Gray ones.
        {"a wall", 4, 8, 0, 3, "n--n/f#f#"},
        // Three Gray cubes, two mines and no Green cube.
        {"too few mines", 5, 9, -50, 2, "-n-n-/--n--"},
        // A cube on the far side that falls before the figure gets there.
        {"out of reach", 10, 7, 100, 2, "----------/----------/----------/----------/----------/n---------"},
    };
    const std::string file = Write("unsolvable.lev", LevelText(kUnsolvable, 3));
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(kUnsolvable[i].name);
        const RUN a = RunSim("solve " + file + " --level 1 --puzzle " + std::to_string(i + 1) + " --seconds 60");
        EXPECT_EQ(a.code, 1);
        EXPECT_EQ(Line(a.out, "result: ").rfind("unsolvable ", 0), 0u) << a.out;
        EXPECT_EQ(a.out.find("solution:"), std::string::npos);
    }
}

TEST_F(Solve, FewestMinesFindsTheKnownMinimum)
{
    // One mine on the Green cube and its mine-field takes both Gray cubes.
    const CASE kChain[] = {{"a Green between two Gray", 5, 9, -50, 3, "-----/-nbn-"}};
    const std::string file = Write("chain.lev", LevelText(kChain, 1));
    const RUN a = RunSim("solve " + file + " --level 1 --puzzle 1 --fewest-mines --seconds 60");
    ASSERT_EQ(a.code, 0) << a.out;
    EXPECT_EQ(Line(a.out, "mines: used "), "1 of 3");
    EXPECT_EQ(Line(a.out, "fewest mines: "), "proven");
}

TEST_F(Solve, TheSameArgumentsGiveTheSameOutput)
{
    const std::string file = Write("same.lev", LevelText(kSolvable, static_cast<int>(std::size(kSolvable))));
    const std::string args = "solve " + file + " --level 1 --puzzle 4 --difficulty 2 --seed 7 --seconds 5";
    const RUN first = RunSim(args);
    EXPECT_EQ(RunSim(args).out, first.out);
    EXPECT_NE(first.out.find("\nresult: "), std::string::npos);
}

TEST_F(Solve, SolveAllReportsEachPuzzleAndASummary)
{
    const CASE kMixed[] = {
        {"solvable", 5, 9, -50, 2, "-----/-n-n-"},
        {"too few mines", 5, 9, -50, 1, "-n-n-"},
    };
    const RUN a = RunSim("solve-all " + Write("mixed.lev", LevelText(kMixed, 2)) + " --seconds 20");
    EXPECT_EQ(a.code, 1);
    EXPECT_EQ(Line(a.out, "1 1 ").rfind("solved mines=", 0), 0u) << a.out;
    EXPECT_EQ(Line(a.out, "1 2 ").rfind("unsolvable mines=-/1 slack=- seconds=", 0), 0u) << a.out;
    EXPECT_NE(a.out.find("solved 1 of 2, unsolvable 1, unknown 0\n"), std::string::npos) << a.out;
}

TEST_F(Solve, BadArgumentsAndFilesExitWithTwo)
{
    const std::string file = Write("one.lev", LevelText(kSolvable, 1));
    EXPECT_EQ(RunSim("solve " + file + " --level 1").code, 2);
    EXPECT_EQ(RunSim("solve " + file + " --level 1 --puzzle 9").code, 2);
    EXPECT_EQ(RunSim("solve " + file + " --level 1 --puzzle 1 --seconds 0").code, 2);
    EXPECT_EQ(RunSim("solve " + Write("bad.lev", "Level { Puzzle {") + " --level 1 --puzzle 1").code, 2);
    EXPECT_EQ(RunSim("solve-all " + file + " --fewest-mines").code, 2);
}

}  // namespace
