// Helpers of the tests of the player's own level file: a folder that may not
// be written while the helper lives, the user's data folder pointed at a
// test folder, and the messages that name a file.
#pragma once

#include "levelfile/datafile.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace playercopy {

// Set by ctest when it runs these cases as an unprivileged user: then a
// folder that can still be written is a fault, not a reason to skip.
inline bool MustRun()
{
    return std::getenv("VARNO_TEST_READ_ONLY_DATA") != nullptr;
}

class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(std::string path) : m_path(std::move(path))
    {
        namespace fs = std::filesystem;
        fs::permissions(m_path, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                    fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    }
    ~ReadOnlyFolder()
    {
        std::error_code ignored;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, ignored);
    }
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

private:
    std::string m_path;
};

// XDG_DATA_HOME names the folder while the helper lives.
class DataHome {
public:
    explicit DataHome(const std::string& folder)
    {
        if (const char* old = std::getenv("XDG_DATA_HOME")) {
            m_had = true;
            m_old = old;
        }
        setenv("XDG_DATA_HOME", folder.c_str(), 1);
    }
    ~DataHome()
    {
        if (m_had)
            setenv("XDG_DATA_HOME", m_old.c_str(), 1);
        else
            unsetenv("XDG_DATA_HOME");
    }
    DataHome(const DataHome&) = delete;
    DataHome& operator=(const DataHome&) = delete;

private:
    bool m_had = false;
    std::string m_old;
};

// Collects the system messages that name a file (and the others, by id)
// while it lives.
class PathMessages {
public:
    PathMessages()
        : m_previousPath(SetFilePathMessageProc(&RecordPath)), m_previous(SetFileMessageProc(&Record))
    {
        Shown().clear();
        Plain().clear();
    }
    ~PathMessages()
    {
        SetFilePathMessageProc(m_previousPath);
        SetFileMessageProc(m_previous);
    }
    PathMessages(const PathMessages&) = delete;
    PathMessages& operator=(const PathMessages&) = delete;

    const std::vector<std::pair<UINT, std::string>>& Get() const { return Shown(); }
    const std::vector<UINT>& Others() const { return Plain(); }

private:
    static std::vector<std::pair<UINT, std::string>>& Shown()
    {
        static std::vector<std::pair<UINT, std::string>> shown;
        return shown;
    }
    static std::vector<UINT>& Plain()
    {
        static std::vector<UINT> shown;
        return shown;
    }
    static int RecordPath(UINT, UINT, UINT idText, const char* path)
    {
        Shown().emplace_back(idText, path ? path : "");
        return 1;
    }
    static int Record(UINT, UINT, UINT idText, DWORD)
    {
        Plain().push_back(idText);
        return 1;
    }
    FILEPATHMESSAGEPROC m_previousPath;
    FILEMESSAGEPROC m_previous;
};

} // namespace playercopy
