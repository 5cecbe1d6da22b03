// varno-sim solve and solve-all on level files written for each case: every
// solution it reports plays to a win, puzzles that cannot be won are proven
// so, and the answer is the same on every run.
#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

std::string SolverPath()
{
    const fs::path exe = fs::read_symlink("/proc/self/exe").parent_path();
    for (const fs::path& p : {exe / "varno-sim", exe / "bin" / "varno-sim", exe.parent_path() / "bin" / "varno-sim"})
        if (fs::exists(p))
            return p.string();
    return "varno-sim";
}

struct ANSWER {
    int code;
    std::string out;
};

ANSWER RunSolver(const std::string& args)
{
    ANSWER a{-1, {}};
    FILE* p = popen((SolverPath() + " " + args + " 2>/dev/null").c_str(), "r");
    if (!p)
        return a;
    std::array<char, 4096> buffer;
    std::size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), p)) > 0)
        a.out.append(buffer.data(), n);
    const int status = pclose(p);
    a.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return a;
}

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
        const ANSWER a = RunSolver("solve " + where + " --seconds 20");
        ASSERT_EQ(a.code, 0) << a.out;
        EXPECT_EQ(Line(a.out, "result: ").rfind("solved seconds=", 0), 0u) << a.out;
        const std::string script = Line(a.out, "solution: ");
        ASSERT_FALSE(script.empty());
        const ANSWER play = RunSolver("play " + where + " --script \"" + script + "\"");
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
        const ANSWER a = RunSolver("solve " + file + " --level 1 --puzzle " + std::to_string(i + 1) + " --seconds 60");
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
    const ANSWER a = RunSolver("solve " + file + " --level 1 --puzzle 1 --fewest-mines --seconds 60");
    ASSERT_EQ(a.code, 0) << a.out;
    EXPECT_EQ(Line(a.out, "mines: used "), "1 of 3");
    EXPECT_EQ(Line(a.out, "fewest mines: "), "proven");
}

TEST_F(Solve, TheSameArgumentsGiveTheSameOutput)
{
    const std::string file = Write("same.lev", LevelText(kSolvable, static_cast<int>(std::size(kSolvable))));
    const std::string args = "solve " + file + " --level 1 --puzzle 4 --difficulty 2 --seed 7 --seconds 5";
    const ANSWER first = RunSolver(args);
    EXPECT_EQ(RunSolver(args).out, first.out);
    EXPECT_NE(first.out.find("\nresult: "), std::string::npos);
}

TEST_F(Solve, SolveAllReportsEachPuzzleAndASummary)
{
    const CASE kMixed[] = {
        {"solvable", 5, 9, -50, 2, "-----/-n-n-"},
        {"too few mines", 5, 9, -50, 1, "-n-n-"},
    };
    const ANSWER a = RunSolver("solve-all " + Write("mixed.lev", LevelText(kMixed, 2)) + " --seconds 20");
    EXPECT_EQ(a.code, 1);
    EXPECT_EQ(Line(a.out, "1 1 ").rfind("solved mines=", 0), 0u) << a.out;
    EXPECT_EQ(Line(a.out, "1 2 ").rfind("unsolvable mines=-/1 slack=- seconds=", 0), 0u) << a.out;
    EXPECT_NE(a.out.find("solved 1 of 2, unsolvable 1, unknown 0\n"), std::string::npos) << a.out;
}

TEST_F(Solve, BadArgumentsAndFilesExitWithTwo)
{
    const std::string file = Write("one.lev", LevelText(kSolvable, 1));
    EXPECT_EQ(RunSolver("solve " + file + " --level 1").code, 2);
    EXPECT_EQ(RunSolver("solve " + file + " --level 1 --puzzle 9").code, 2);
    EXPECT_EQ(RunSolver("solve " + file + " --level 1 --puzzle 1 --seconds 0").code, 2);
    EXPECT_EQ(RunSolver("solve " + Write("bad.lev", "Level { Puzzle {") + " --level 1 --puzzle 1").code, 2);
    EXPECT_EQ(RunSolver("solve-all " + file + " --fewest-mines").code, 2);
}

}  // namespace
