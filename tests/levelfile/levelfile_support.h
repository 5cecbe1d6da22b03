// Helpers of the level-file tests: a fresh folder per test, whole-file reads
// and writes, the messages shown, and a program folder whose data folder the
// test lays out.
#pragma once

#include "levelfile/datafile.h"

#include "platform/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace leveltest {

namespace fs = std::filesystem;

using testfs::CountEntries;
using testfs::FileSizeLimit;
using testfs::TempFolder;

inline void WriteBytes(const std::string& path, const std::string& bytes)
{
    testfs::WriteText(path, bytes);
}
inline std::string ReadBytes(const std::string& path)
{
    return testfs::ReadText(path);
}

inline std::string Scrambled(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(static_cast<unsigned char>(0xF7 - static_cast<unsigned char>(c)));
    return text;
}

// One message box asked for.
struct SHOWN {
    UINT uType;
    UINT idCaption;
    UINT idText;
    DWORD dwError;
};

// Collects the messages shown while it lives.
class MessageCapture {
public:
    MessageCapture() : m_previous(SetFileMessageProc(&Record)) { Shown().clear(); }
    ~MessageCapture() { SetFileMessageProc(m_previous); }
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;

    static std::vector<SHOWN>& Shown()
    {
        static std::vector<SHOWN> shown;
        return shown;
    }

private:
    static int Record(UINT uType, UINT idCaption, UINT idText, DWORD dwError)
    {
        Shown().push_back({uType, idCaption, idText, dwError});
        return 1;
    }
    FILEMESSAGEPROC m_previous;
};

// A program folder in a fresh temporary folder; the data folder is searched
// for again beside it, and forgotten when the test ends.
class ProgramFolder {
public:
    ProgramFolder() : m_program(m_root / "bin")
    {
        fs::create_directories(m_program);
        ResetDataFolder((m_program + "/").c_str());
    }
    ~ProgramFolder() { ResetDataFolder(nullptr); }

    const std::string& root() const { return m_root.path(); }
    const std::string& program() const { return m_program; }
    std::string operator/(const std::string& name) const { return m_root / name; }

private:
    TempFolder m_root;
    std::string m_program;
};

// A sample level file: two levels, the second with its own size and speed, a
// level entry between puzzles, comments, and every spelling of a cell.
inline const char* SampleLevelText()
{
    return "; Sample levels of the tests\r\n"
           "Level {\r\n"
           "   Puzzle {            // default size\r\n"
           "      Mines = 2\r\n"
           "      Cubes {\r\n"
           "         n - b #\r\n"
           "         @ . + s\r\n"
           "      }\r\n"
           "   }\r\n"
           "   Speed = -20\r\n"
           "   Puzzle { Width = 4 Mines = 3 Cubes { v ! f * x, N } }\r\n"
           "}\r\n"
           "LEVEL { width = 10 length = 15 speed = 100\r\n"
           "   puzzle { mines = 1 cubes { - - - - - - - - - - n } }\r\n"
           "}\r\n";
}

} // namespace leveltest
