// Where the level file lives, its scrambled form, and the command-line
// switches that convert a file between the two forms.
#include "levelfile/datafile.h"

#include "platform/files/files.h"
#include "platform/base/syserror.h"
#include "platform/msgbox/msgbox.h"

#include <string>

// ---- Data folder ------------------------------------------------------------

namespace {

constexpr const char* kLevelFileName = "VARNO.LEV";

struct DATAFOLDER {
    bool fFound = false;
    std::string strFolder;
    bool fProgramFolderGiven = false;
    std::string strProgramFolder;
};
DATAFOLDER g_data;

std::string WithSeparator(std::string folder)
{
    if (folder.empty())
        return "./";
    if (folder.back() != '/' && folder.back() != '\\')
        folder += '/';
    return folder;
}

// The folders, relative to the program's, that may hold the level file, in
// the order they are tried; the first that does is the data folder.
const std::string& DataFolder()
{
    if (g_data.fFound)
        return g_data.strFolder;
    const std::string program =
        WithSeparator(g_data.fProgramFolderGiven ? g_data.strProgramFolder : files::ProgramFolder());
    static const char* const kCandidates[] = {"", "Data/", "../", "../Data/", "../share/varno/"};
    const DWORD lastError = GetLastError();
    g_data.strFolder = program;
    for (const char* candidate : kCandidates) {
        const std::string found = files::FindPath(program, std::string(candidate) + kLevelFileName);
        if (!found.empty() && files::IsFile(found)) {
            g_data.strFolder = found.substr(0, found.find_last_of('/') + 1);
            break;
        }
    }
    SetLastError(lastError);
    g_data.fFound = true;
    return g_data.strFolder;
}

bool NamesOwnPath(const char* pszName)
{
    for (const char* p = pszName; *p; ++p)
        if (*p == '/' || *p == '\\')
            return true;
    return false;
}

} // namespace

std::string DataFilePath(const char* pszName)
{
    return DataFolder() + (pszName ? pszName : "");
}

void ResetDataFolder(const char* pszProgramFolder)
{
    g_data = DATAFOLDER{};
    ForgetLevelFileInUse();
    if (pszProgramFolder) {
        g_data.fProgramFolderGiven = true;
        g_data.strProgramFolder = pszProgramFolder;
    }
}

std::string PlayerLevelFilePath()
{
    const std::string folder = files::UserDataFolder();
    return folder.empty() ? std::string() : folder + "varno/" + kLevelFileName;
}

std::string ShippedLevelFile()
{
    return files::FindPath(DataFolder(), kLevelFileName);
}

std::string FindLevelFile(const char* pszName)
{
    if (!pszName || !*pszName) {
        // Where the data folder can be written, its file is the level file,
        // as in a build tree or a tree unpacked in the home folder. Where it
        // cannot, the player's own copy, once made, comes first.
        if (!files::CanWriteFolder(DataFolder())) {
            const DWORD lastError = GetLastError();
            const std::string copy = PlayerLevelFilePath();
            if (!copy.empty() && files::IsFile(copy))
                return copy;
            SetLastError(lastError);
        }
        return ShippedLevelFile();
    }
    if (NamesOwnPath(pszName))
        return files::FindPath("", pszName);
    return files::FindPath(DataFolder(), pszName);
}

// ---- Scrambled form ---------------------------------------------------------

namespace {
// The transform is its own inverse.
void Transform(char* pText, std::size_t cb)
{
    for (std::size_t i = 0; i < cb; ++i)
        pText[i] = static_cast<char>(static_cast<BYTE>(kScrambleKey - static_cast<BYTE>(pText[i])));
}

BOOL ConvertFile(const char* pszName, bool fScramble)
{
    const std::string path = FindLevelFile(pszName);
    if (path.empty())
        return FALSE;
    std::string bytes;
    if (!files::ReadWholeFile(path, bytes, kMaxLevelFileBytes))
        return FALSE;
    if (bytes.empty()) {
        SetLastError(ERROR_INVALID_DATA);
        return FALSE;
    }
    if (fScramble)
        ScrambleText(bytes.data(), bytes.size());
    else
        UnscrambleText(bytes.data(), bytes.size());
    if (files::WriteFileAtomically(path, bytes.data(), bytes.size()))
        return TRUE;
    // The level file of an installed game: the converted text becomes the
    // player's own copy.
    if (path == ShippedLevelFile() && !files::CanWriteFolder(DataFolder()))
        return WritePlayerCopy(bytes.data(), bytes.size()) ? TRUE : FALSE;
    return FALSE;
}
} // namespace

void ScrambleText(char* pText, std::size_t cb)
{
    if (!IsScrambledText(pText, cb))
        Transform(pText, cb);
}

void UnscrambleText(char* pText, std::size_t cb)
{
    if (IsScrambledText(pText, cb))
        Transform(pText, cb);
}

BOOL ScrambleFile(const char* pszName)
{
    return ConvertFile(pszName, true);
}

BOOL UnscrambleFile(const char* pszName)
{
    return ConvertFile(pszName, false);
}

// ---- Command line -----------------------------------------------------------

namespace {

bool IsSpace(char c)
{
    return c == ' ' || c == '\t';
}

const char* SkipSpaces(const char* p)
{
    while (IsSpace(*p))
        ++p;
    return p;
}

// A switch word starts with "-", or is "/" and one letter alone; any other
// word starting with "/" is an absolute path.
bool IsSwitchWord(const char* p)
{
    if (p[0] == '-')
        return true;
    const char c = p[1];
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    return p[0] == '/' && letter && (p[2] == '\0' || IsSpace(p[2]));
}

} // namespace

std::string JoinCommandLine(int argc, const char* const* argv)
{
    std::string text;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            text += ' ';
        text += argv[i];
    }
    return text;
}

BOOL HandleCommandLine(const char* pszCommandLine)
{
    const char* p = SkipSpaces(pszCommandLine ? pszCommandLine : "");
    if (!*p || !IsSwitchWord(p))
        return FALSE;

    bool fScramble;
    switch (p[1]) {
    case 'e':
    case 'E':
    case 'c':
    case 'C': fScramble = true; break;
    case 'd':
    case 'D': fScramble = false; break;
    default: ShowFileMessage(MB_OK | MB_ICONERROR, idsErrorCaption, idsBadCommandLine); return TRUE;
    }
    while (*p && !IsSpace(*p))
        ++p;
    p = SkipSpaces(p);
    const char* pszName = *p && !IsSwitchWord(p) ? p : nullptr;

    if (fScramble ? ScrambleFile(pszName) : UnscrambleFile(pszName)) {
        ShowFileMessage(MB_OK | MB_ICONINFORMATION, idsVarnoCaption, fScramble ? idsFileScrambled : idsFileUnscrambled);
        std::string copy;
        if (TakeLevelFileCopyNotice(&copy))
            ShowFilePathMessage(MB_OK | MB_ICONINFORMATION, idsVarnoCaption, idsLevelFileCopyMade, copy.c_str());
    } else
        ShowFileMessage(MB_OK | MB_ICONERROR, idsErrorCaption, idsConvertFailed, GetLastError());
    return TRUE;
}
