// Helpers of the level-file tests: a fresh folder per test, whole-file reads
// and writes, the messages shown, and a program folder whose data folder the
// test lays out.
#pragma once

#include "levelfile/datafile.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace leveltest {

namespace fs = std::filesystem;

class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "varno-levelfile-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            ADD_FAILURE() << "cannot make a temporary folder";
        m_path = pattern;
    }
    ~TempFolder()
    {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

inline void WriteBytes(const std::string& path, const std::string& bytes)
{
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline int CountEntries(const std::string& folder)
{
    int n = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder))
        ++n;
    return n;
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

// Limits the size of any file this process writes, so that the next write
// beyond it fails as on a full disk (tests run as root, for whom permissions
// do not stop a write); restored when the guard ends.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
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

}  // namespace leveltest
