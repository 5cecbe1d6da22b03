// varno-sim run as a process on level files written for each case.
#include "sim_run.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;

class Sim : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() / ("varno-sim-" + std::to_string(::getpid()));
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

const char* kSimple = "Level {\r\n  Width = 4\r\n  Length = 8\r\n  Speed = -100\r\n"
                      "  Puzzle {\r\n    Mines = 1\r\n    Cubes { . n . . }\r\n  }\r\n}\r\n";

std::string LastLine(const std::string& out)
{
    const auto end = out.find_last_not_of('\n');
    const auto start = out.rfind('\n', end);
    return out.substr(start == std::string::npos ? 0 : start + 1, end - (start == std::string::npos ? 0 : start + 1) + 1);
}

}  // namespace

TEST_F(Sim, CheckCountsOrNamesWhereReadingStopped)
{
    const std::string good = Write("good.lev", std::string(kSimple) + "Level { Puzzle { Mines = 2 Cubes { n n n n n n } }"
                                                                     " Puzzle { Mines = 1 Cubes { b } } }\n");
    RUN r = RunSim("check " + good);
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "ok: 2 levels, 3 puzzles\n");

    r = RunSim("check " + Write("bad.lev", "Level {\n  Puzzle {\n    Mines = 1\n    Cubes { n q }\n  }\n}\n"));
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.out.find("line 4"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"q\""), std::string::npos) << r.out;

    r = RunSim("check " + Write("cut.lev", "Level {\n Puzzle {\n"));
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(RunSim("check " + (folder / "missing.lev").string()).code, 1);
}

TEST_F(Sim, FormatWritesTheGamesFormInTheFormRead)
{
    const std::string messy = Write("messy.lev", "level{width=4 length=8 speed=-100 puzzle{mines=1 cubes{.,n,.,.}}}");
    const RUN plain = RunSim("format " + messy);
    EXPECT_EQ(plain.code, 0);
    const RUN again = RunSim("format " + Write("plain.lev", plain.out));
    EXPECT_EQ(again.out, plain.out);  // the writer's form reads back to itself
    EXPECT_NE(plain.out.find("\r\n"), std::string::npos);

    std::string scrambled = plain.out;
    for (char& c : scrambled)
        c = static_cast<char>(0xF7 - static_cast<unsigned char>(c));
    const RUN s = RunSim("format " + Write("scrambled.lev", scrambled));
    EXPECT_EQ(s.code, 0);
    EXPECT_EQ(s.out, scrambled);
    EXPECT_EQ(RunSim("format " + Write("bad.lev", "Level {")).code, 1);
}

TEST_F(Sim, PlayReachesEachOutcome)
{
    const std::string file = Write("simple.lev", kSimple);
    const std::string start = "play " + file + " --level 1 --puzzle 1 --script ";
    RUN r = RunSim(start + "\"1:1,3 2 1:2,3 3:1,3 4 w:100\"");
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(LastLine(r.out).rfind("result: won score=10130 mines=0 frames=", 0), 0u) << r.out;
    EXPECT_NE(r.out.find(" puzzle won\n"), std::string::npos);
    EXPECT_NE(r.out.find(" mines 0\n"), std::string::npos);
    EXPECT_EQ(RunSim(start + "\"1:1,3 2 1:2,3 3:1,3 4 w:100\"").out, r.out);  // the same every run

    r = RunSim(start + "w:2000");
    EXPECT_EQ(LastLine(r.out).rfind("result: failed", 0), 0u) << r.out;
    EXPECT_NE(r.out.find(" cube fell gray\n"), std::string::npos);

    r = RunSim(start + "\"1:1,2 w:2000\"");
    EXPECT_EQ(LastLine(r.out).rfind("result: dead", 0), 0u) << r.out;
    EXPECT_NE(r.out.find(" crushed\n"), std::string::npos);

    r = RunSim(start + "\"1:2,6\"");
    EXPECT_EQ(LastLine(r.out).rfind("result: running score=0 mines=1", 0), 0u) << r.out;
}

// --through plays on after the first outcome until the game leaves the
// puzzle; the result line still tells the first outcome.
TEST_F(Sim, ThroughPlaysOnUntilTheGameLeavesThePuzzle)
{
    const std::string file = Write("simple.lev", kSimple);
    const std::string start = "play " + file + " --level 1 --puzzle 1 --through --script ";
    RUN r = RunSim(start + "\"1:1,3 2 1:2,3 3:1,3 4 w:100\"");
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.out.find("\nleft: next lives=4 frames="), std::string::npos) << r.out;
    EXPECT_EQ(LastLine(r.out).rfind("result: won score=10130 mines=0 frames=", 0), 0u) << r.out;
    const RUN plain = RunSim("play " + file + " --level 1 --puzzle 1 --script \"1:1,3 2 1:2,3 3:1,3 4 w:100\"");
    EXPECT_EQ(LastLine(plain.out), LastLine(r.out));

    r = RunSim(start + "w:2000");  // a cube falls: the sweep crushes the figure
    EXPECT_NE(r.out.find("\nleft: again lives=3 frames="), std::string::npos) << r.out;
    EXPECT_EQ(LastLine(r.out).rfind("result: failed", 0), 0u) << r.out;

    // Out of mines with the figure in row 0: the wall is built over it.
    const char* kColumn = "Level { Width = 5 Length = 10 Speed = -50\n"
                          "  Puzzle { Mines = 1 Cubes { . . n . . . . n . . } } }\n";
    r = RunSim("play " + Write("column.lev", kColumn) +
               " --level 1 --puzzle 1 --through --script \"1:2,4 2 1:0,4 1:0,0 3:2,4 4\"");
    EXPECT_NE(r.out.find(" crushed\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\nleft: again lives=3 frames="), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("stuck"), std::string::npos) << r.out;
}

TEST_F(Sim, BadArgumentsExitTwo)
{
    const std::string file = Write("simple.lev", kSimple);
    EXPECT_EQ(RunSim("").code, 2);
    EXPECT_EQ(RunSim("fly " + file).code, 2);
    EXPECT_EQ(RunSim("check").code, 2);
    EXPECT_EQ(RunSim("play " + file + " --level 1 --puzzle 1").code, 2);                        // no script
    EXPECT_EQ(RunSim("play " + file + " --level 1 --puzzle 1 --difficulty 4 --script 2").code, 2);
    EXPECT_EQ(RunSim("play " + file + " --level x --puzzle 1 --script 2").code, 2);
    EXPECT_EQ(RunSim("play " + file + " --level 1 --puzzle 1 --script \"9:1\"").code, 2);
    EXPECT_EQ(RunSim("play " + Write("bad.lev", "Level {") + " --level 1 --puzzle 1 --script 2").code, 2);
    EXPECT_EQ(RunSim("check " + file + " --through").code, 2);
}

// The simulator opens neither a window nor an audio device: a normal run
// writes nothing to standard error, even with no display to be found.
TEST_F(Sim, ANormalRunWritesNothingToStandardError)
{
    const std::string file = Write("simple.lev", kSimple);
    const std::string errors = (folder / "errors.txt").string();
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER -u XDG_RUNTIME_DIR " + SimPath() +
                                " play " + file + " --level 1 --puzzle 1 --script 2 >/dev/null 2>" + errors;
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::ifstream in(errors);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "");
}
