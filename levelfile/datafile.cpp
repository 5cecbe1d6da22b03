// The level file's text: tokens, the reader with its rules and defaults, the
// writer, and reading and saving the level file of the data folder.
#include "levelfile/datafile.h"

#include "anim/memmgr.h"
#include "game/game.h"
#include "platform/files/files.h"
#include "platform/base/syserror.h"
#include "platform/msgbox/msgbox.h"

#include <limits>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

// ---- Tokens -----------------------------------------------------------------

namespace {
bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool IsCommentStart(char c)
{
    return c == ';' || c == '/';
}
bool IsSingleToken(char c)
{
    return c == '{' || c == '=' || c == ',' || c == '}';
}
} // namespace

BOOL NextLevelToken(LEVELTOKENIZER* pTok)
{
    const char* p = pTok->pNext;
    for (;;) {
        while (IsBlank(*p))
            ++p;
        if (!IsCommentStart(*p))
            break;
        while (*p && *p != '\r' && *p != '\n')
            ++p;
    }
    int n = 0;
    if (*p && IsSingleToken(*p)) {
        pTok->szToken[n++] = *p++;
    } else {
        while (*p && !IsBlank(*p) && !IsCommentStart(*p) && !IsSingleToken(*p) && n < kLevelTokenSize - 1)
            pTok->szToken[n++] = *p++;
    }
    pTok->szToken[n] = '\0';
    pTok->pNext = p;
    return n > 0;
}

// ---- Reader -----------------------------------------------------------------

namespace {

bool IsKeyword(const char* token, const char* keyword)
{
    for (; *token && *keyword; ++token, ++keyword) {
        char a = *token, b = *keyword;
        if (a >= 'A' && a <= 'Z')
            a = static_cast<char>(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z')
            b = static_cast<char>(b - 'A' + 'a');
        if (a != b)
            return false;
    }
    return *token == *keyword;
}

// A number as the C library's atol reads one: an optional sign, then digits
// up to the first other character; none give 0. Values beyond 32 bits stop
// at the nearest limit instead of wrapping.
LONG ReadNumber(const char* token)
{
    bool negative = false;
    if (*token == '+' || *token == '-')
        negative = *token++ == '-';
    constexpr long long kMost = std::numeric_limits<LONG>::max();
    long long value = 0;
    for (; *token >= '0' && *token <= '9'; ++token)
        value = std::min(value * 10 + (*token - '0'), kMost + 1);
    if (negative)
        value = -value;
    return static_cast<LONG>(std::min(value, kMost));
}

// The cube kind a one-character cell token stands for; -1 for no cell.
LONG CellKind(const char* token)
{
    if (!token[0] || token[1])
        return -1;
    switch (token[0]) {
    case '-':
    case '.': return ckNone;
    case '@':
    case 'n':
    case 'N': return ckGray;
    case '+':
    case 'b':
    case 'B': return ckGreen;
    case '*':
    case 'f':
    case 'F':
    case 'x':
    case 'X': return ckRed;
    case '#':
    case 's':
    case 'S': return ckBlack;
    case '!':
    case 'v':
    case 'V': return ckBlue;
    default: return -1;
    }
}

template <typename T> bool AppendOne(T** array, LONG* count, const T& item)
{
    unsigned capacity = static_cast<unsigned>(*count);
    if (!MemMgr_ReallocateMemory(sizeof(T), reinterpret_cast<void**>(array), &capacity,
                                 static_cast<unsigned>(*count) + 1, 1, 0, 0, __FILE__, __LINE__))
        return false;
    (*array)[(*count)++] = item;
    return true;
}

class READER {
public:
    explicit READER(const char* text) : m_text(text) { m_tok.pNext = text; m_tok.szToken[0] = '\0'; }

    // The line of the token last read, and the token.
    void Stop(LEVELTEXTSTOP* pStop) const
    {
        const char* start = m_tok.pNext - std::strlen(m_tok.szToken);
        pStop->lLine = 1 + static_cast<LONG>(std::count(m_text, start, '\n'));
        std::strcpy(pStop->szToken, m_tok.szToken);
    }

    // Levels until the end of the text; false at the first fault.
    bool ReadLevels(LEVELLIST* pList)
    {
        while (Next()) {
            if (!IsKeyword(Token(), "Level"))
                return false;
            LEVEL level{nullptr, 0, 6, 8, 0};
            const bool ok = ReadLevel(&level) && AppendOne(&pList->pLevels, &pList->cLevels, level);
            if (!ok) {
                MemMgr_FreeMemory(level.pPuzzles, __FILE__, __LINE__);
                return false;
            }
        }
        return true;
    }

private:
    bool Next() { return NextLevelToken(&m_tok) != FALSE; }
    const char* Token() const { return m_tok.szToken; }
    bool Expect(const char* what) { return Next() && std::strcmp(Token(), what) == 0; }

    bool ReadValue(LONG* pValue, LONG lowest, LONG highest)
    {
        if (!Expect("=") || !Next())
            return false;
        const LONG value = ReadNumber(Token());
        if (value < lowest || value > highest)
            return false;
        *pValue = value;
        return true;
    }

    bool ReadLevel(LEVEL* pLevel)
    {
        if (!Expect("{"))
            return false;
        for (;;) {
            if (!Next())
                return false;
            const char* key = Token();
            bool ok;
            if (std::strcmp(key, "}") == 0)
                return pLevel->cPuzzles > 0;
            else if (IsKeyword(key, "Width"))
                ok = ReadValue(&pLevel->lWidth, kMinWidth, kMaxWidth);
            else if (IsKeyword(key, "Length"))
                ok = ReadValue(&pLevel->lLength, kMinLength, kMaxLength);
            else if (IsKeyword(key, "Speed"))
                ok = ReadValue(&pLevel->lSpeed, -100, 100);
            else if (IsKeyword(key, "Puzzle"))
                ok = ReadPuzzle(pLevel);
            else
                ok = false;
            if (!ok)
                return false;
        }
    }

    bool ReadPuzzle(LEVEL* pLevel)
    {
        if (!Expect("{"))
            return false;
        PUZZLE puzzle{};
        puzzle.lWidth = pLevel->lWidth;
        puzzle.lLength = pLevel->lLength;
        puzzle.lSpeed = pLevel->lSpeed;
        int blocks = 0;
        for (;;) {
            if (!Next())
                return false;
            const char* key = Token();
            bool ok;
            if (std::strcmp(key, "}") == 0) {
                return blocks == 1 && puzzle.lMines >= 1 && AppendOne(&pLevel->pPuzzles, &pLevel->cPuzzles, puzzle);
            } else if (IsKeyword(key, "Width")) {
                ok = ReadValue(&puzzle.lWidth, kMinWidth, kMaxWidth);
            } else if (IsKeyword(key, "Length")) {
                ok = ReadValue(&puzzle.lLength, kMinLength, kMaxLength);
            } else if (IsKeyword(key, "Speed")) {
                ok = ReadValue(&puzzle.lSpeed, -100, 100);
            } else if (IsKeyword(key, "Mines")) {
                ok = ReadValue(&puzzle.lMines, 1, std::numeric_limits<LONG>::max());
            } else if (IsKeyword(key, "Cubes")) {
                ++blocks;
                ok = ReadCubes(&puzzle);
            } else {
                ok = false;
            }
            if (!ok)
                return false;
        }
    }

    // Cells fill the formation row by row, each row as wide as the puzzle's
    // width at this point; a block that repeats starts from an empty one.
    bool ReadCubes(PUZZLE* pPuzzle)
    {
        if (!Expect("{"))
            return false;
        std::memset(pPuzzle->aFormation, 0, sizeof pPuzzle->aFormation);
        const LONG width = pPuzzle->lWidth;
        int cells = 0;
        bool destructible = false;
        for (;;) {
            if (!Next())
                return false;
            if (std::strcmp(Token(), ",") == 0)
                continue;
            if (std::strcmp(Token(), "}") == 0)
                return cells > 0 && destructible;
            const LONG kind = CellKind(Token());
            if (kind < 0 || cells / width >= kFormationRows)
                return false;
            pPuzzle->aFormation[cells / width][cells % width] = kind;
            destructible = destructible || IsDestructible(kind);
            ++cells;
        }
    }

    const char* m_text;
    LEVELTOKENIZER m_tok;
};

} // namespace

void ReleaseLevelList(LEVELLIST* pList)
{
    for (LONG i = 0; i < pList->cLevels; ++i)
        MemMgr_FreeMemory(pList->pLevels[i].pPuzzles, __FILE__, __LINE__);
    MemMgr_FreeMemory(pList->pLevels, __FILE__, __LINE__);
    pList->pLevels = nullptr;
    pList->cLevels = 0;
    pList->fScrambled = FALSE;
}

BOOL ParseLevelText(const char* pszText, LEVELLIST* pList)
{
    return ParseLevelTextReport(pszText, pList, nullptr);
}

BOOL ParseLevelTextReport(const char* pszText, LEVELLIST* pList, LEVELTEXTSTOP* pStop)
{
    const LONG before = pList->cLevels;
    READER reader(pszText);
    const bool ok = reader.ReadLevels(pList) && pList->cLevels > before;
    if (!ok && pStop)
        reader.Stop(pStop);
    return ok;
}

// ---- Writer -----------------------------------------------------------------

namespace {

// The text being built: it grows only when the next line does not fit, by
// that line and 1027 bytes more.
class TEXTBUFFER {
public:
    ~TEXTBUFFER() { std::free(m_p); }

    bool Line(const char* line)
    {
        const std::size_t cb = std::strlen(line) + 2; // with CR LF
        if (m_used + cb + 1 > m_size) {
            const std::size_t size = m_size + cb + 1027;
            char* p = static_cast<char*>(std::realloc(m_p, size));
            if (!p)
                return false;
            m_p = p;
            m_size = size;
        }
        std::memcpy(m_p + m_used, line, cb - 2);
        m_used += cb - 2;
        m_p[m_used++] = '\r';
        m_p[m_used++] = '\n';
        m_p[m_used] = '\0';
        return true;
    }
    bool Value(const char* indent, const char* key, LONG value)
    {
        const std::string line = std::string(indent) + key + " = " + std::to_string(value);
        return Line(line.c_str());
    }
    char* Release()
    {
        char* p = m_p;
        m_p = nullptr;
        return p;
    }

private:
    char* m_p = nullptr;
    std::size_t m_size = 0;
    std::size_t m_used = 0;
};

constexpr char kCellChars[ckCount] = {'-', 'n', 'b', 'f', '#', '!'};

// A puzzle's speed of 0 is left out only where the reader's default for it,
// the level's speed, is 0 too; otherwise it would come back as the level's.
bool WritePuzzle(TEXTBUFFER& text, const PUZZLE& puzzle, LONG levelSpeed)
{
    bool ok = text.Line("   Puzzle {");
    if (puzzle.lWidth != 0)
        ok = ok && text.Value("      ", "Width", puzzle.lWidth);
    if (puzzle.lLength != 0)
        ok = ok && text.Value("      ", "Length", puzzle.lLength);
    if (puzzle.lSpeed != 0 || levelSpeed != 0)
        ok = ok && text.Value("      ", "Speed", puzzle.lSpeed);
    if (puzzle.lMines != 0)
        ok = ok && text.Value("      ", "Mines", puzzle.lMines);
    ok = ok && text.Line("      Cubes {");

    const int columns = puzzle.lWidth < 0 ? 0 : puzzle.lWidth > kMaxWidth ? kMaxWidth : puzzle.lWidth;
    int rows = 0;
    for (int row = 0; row < kFormationRows; ++row)
        for (int col = 0; col < kMaxWidth; ++col)
            if (puzzle.aFormation[row][col] != ckNone)
                rows = row + 1;
    for (int row = 0; row < rows && ok; ++row) {
        std::string line(8, ' ');
        for (int col = 0; col < columns; ++col) {
            const LONG kind = puzzle.aFormation[row][col];
            line += ' ';
            line += kind >= 0 && kind < ckCount ? kCellChars[kind] : '-';
        }
        ok = text.Line(line.c_str());
    }
    return ok && text.Line("      }") && text.Line("   }") && text.Line("");
}

} // namespace

char* BuildLevelText(const LEVELLIST* pList)
{
    if (!pList || pList->cLevels <= 0)
        return nullptr;
    TEXTBUFFER text;
    bool ok = true;
    for (LONG i = 0; i < pList->cLevels && ok; ++i) {
        const LEVEL& level = pList->pLevels[i];
        ok = text.Line("Level {");
        if (level.lWidth != 0)
            ok = ok && text.Value("   ", "Width", level.lWidth);
        if (level.lLength != 0)
            ok = ok && text.Value("   ", "Length", level.lLength);
        if (level.lSpeed != 0)
            ok = ok && text.Value("   ", "Speed", level.lSpeed);
        if (level.lWidth != 0 || level.lLength != 0 || level.lSpeed != 0)
            ok = ok && text.Line("");
        for (LONG j = 0; j < level.cPuzzles && ok; ++j)
            ok = WritePuzzle(text, level.pPuzzles[j], level.lSpeed);
        ok = ok && text.Line("}") && text.Line("");
    }
    return ok ? text.Release() : nullptr;
}

// ---- The level file of the data folder ---------------------------------------

namespace {

// The level file in use: the one read at start-up, or the player's copy
// once a save went there.
struct LEVELFILESTATE {
    std::string strInUse;
    bool fCopyUnreadable = false; // the player's copy failed to read this run
    bool fNotice = false;         // a copy was made; the player is not yet told
    std::string strNotice;
};
LEVELFILESTATE g_file;

bool ReadLevelsFrom(const std::string& path)
{
    std::string bytes;
    if (path.empty() || !files::ReadWholeFile(path, bytes) || bytes.empty())
        return false;
    g.Levels.fScrambled = IsScrambledText(bytes.data(), bytes.size());
    UnscrambleText(bytes.data(), bytes.size());
    return ParseLevelText(bytes.c_str(), &g.Levels) != FALSE;
}

} // namespace

BOOL ReadLevelFile()
{
    ReleaseLevelList(&g.Levels);
    std::string path = FindLevelFile(nullptr);
    bool ok = ReadLevelsFrom(path);
    if (!ok && !path.empty() && path == PlayerLevelFilePath()) {
        // The player's copy is left as it is; the game plays the levels it
        // came with.
        ShowFilePathMessage(MB_OK | MB_ICONERROR, idsVarnoCaption, idsLevelFileCopyDamaged, path.c_str());
        g_file.fCopyUnreadable = true;
        ReleaseLevelList(&g.Levels);
        path = ShippedLevelFile();
        ok = ReadLevelsFrom(path);
    }
    if (!ok) {
        ShowFileMessage(MB_OK | MB_ICONERROR, idsVarnoCaption, idsLevelFileDamaged);
        return FALSE;
    }
    g_file.strInUse = path;
    return TRUE;
}

BOOL SaveLevelFile(BOOL fScrambled)
{
    char* text = BuildLevelText(&g.Levels);
    if (!text) {
        // Nothing is written: an empty list would leave a file that cannot be read.
        SetLastError(g.Levels.cLevels > 0 ? ERROR_NOT_ENOUGH_MEMORY : ERROR_INVALID_DATA);
        return FALSE;
    }
    const std::size_t cb = std::strlen(text);
    if (fScrambled)
        ScrambleText(text, cb);
    std::string path = g_file.strInUse.empty() ? FindLevelFile(nullptr) : g_file.strInUse;
    if (path.empty())
        path = DataFilePath("VARNO.LEV");
    bool ok = files::WriteFileAtomically(path, text, cb);
    // The data folder of an installed game: the list becomes the player's copy.
    if (!ok && path != PlayerLevelFilePath() && !files::CanWriteFolder(path.substr(0, path.rfind('/') + 1)))
        ok = WritePlayerCopy(text, cb);
    else if (ok)
        g_file.strInUse = path;
    std::free(text);
    // The form is that of the file on disk: a failed save changed nothing.
    if (ok)
        g.Levels.fScrambled = fScrambled ? TRUE : FALSE;
    return ok;
}

bool WritePlayerCopy(const char* pBytes, std::size_t cb)
{
    const std::string copy = PlayerLevelFilePath();
    if (copy.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    if (!files::CreateFolders(copy.substr(0, copy.rfind('/'))))
        return false;
    if (files::IsFile(copy) && copy != g_file.strInUse &&
        files::RenameAside(copy, g_file.fCopyUnreadable ? ".damaged" : ".old").empty())
        return false;
    const bool fresh = !files::IsFile(copy);
    if (!files::WriteFileAtomically(copy, pBytes, cb))
        return false;
    g_file.strInUse = copy;
    g_file.fCopyUnreadable = false;
    if (fresh) {
        g_file.fNotice = true;
        g_file.strNotice = copy;
    }
    return true;
}

const std::string& LevelFileInUse()
{
    return g_file.strInUse;
}

bool TakeLevelFileCopyNotice(std::string* pPath)
{
    if (!g_file.fNotice)
        return false;
    g_file.fNotice = false;
    if (pPath)
        *pPath = g_file.strNotice;
    return true;
}

void ForgetLevelFileInUse()
{
    g_file = LEVELFILESTATE{};
}

UINT SaveLevelFileInOtherForm()
{
    const BOOL wasScrambled = g.Levels.fScrambled;
    if (!SaveLevelFile(!wasScrambled))
        return idsLevelFileNotSaved;
    return wasScrambled ? idsLevelFileNowPlain : idsLevelFileNowScrambled;
}

// ---- Messages ---------------------------------------------------------------

namespace {

FILEMESSAGEPROC g_messageProc = nullptr;
FILEPATHMESSAGEPROC g_pathMessageProc = nullptr;

const char* BuiltInText(UINT id)
{
    switch (id) {
    case idsErrorCaption: return "Error - Varno";
    case idsBadCommandLine: return "The command-line you specified is invalid.";
    case idsVarnoCaption: return "Varno";
    case idsFileScrambled: return "The file you specified has been encrypted.";
    case idsFileUnscrambled: return "The file you specified has been decrypted.";
    case idsLevelFileDamaged:
        return "The VARNO.LEV file could not be read properly, or has been damaged.\n\n"
               "Please write to support@telmar-software.example and ask for a new copy of the file.";
    case idsConvertFailed:
        return "The file you specified either could not be read or could not be re-written.\n\nError %1; %2";
    case idsLevelFileNotSaved:
        return "The VARNO.LEV file could not be rewritten. Check to make sure it is not marked read-only.";
    case idsLevelFileNowScrambled:
        return "The VARNO.LEV file is now encrypted, to add a teeny bit of mystery to its contents.";
    case idsLevelFileNowPlain:
        return "The VARNO.LEV file is now decrypted, so that it can easily be modified with Notepad.";
    case idsLevelFileCopyMade: return "The levels were saved in your own file, which Varno reads from now on:\n%1";
    case idsLevelFileCopyDamaged:
        return "Your own level file could not be read properly, or has been damaged:\n%1\n\n"
               "Varno plays the levels it came with; your file has been left as it is.";
    default: return "";
    }
}

// What went wrong, for the system error codes that file access reports.
const char* ErrorCodeText(DWORD code)
{
    switch (code) {
    case ERROR_SUCCESS: return "No error was reported.";
    case ERROR_FILE_NOT_FOUND: return "There is no file of that name.";
    case ERROR_PATH_NOT_FOUND: return "A folder on the way to the file does not exist.";
    case ERROR_ACCESS_DENIED: return "The file may not be opened or replaced.";
    case ERROR_NOT_ENOUGH_MEMORY: return "There is not enough memory.";
    case ERROR_INVALID_DATA: return "The file is empty.";
    case ERROR_WRITE_FAULT: return "The file could not be written.";
    case ERROR_READ_FAULT: return "The file could not be read.";
    case ERROR_DISK_FULL: return "There is no room left on the disk.";
    default: return "An unknown error occurred.";
    }
}

int ShowBuiltIn(UINT uType, UINT idCaption, UINT idText, DWORD dwError)
{
    std::string text = BuiltInText(idText);
    const auto fill = [&text](const char* insert, const std::string& value) {
        const std::size_t at = text.find(insert);
        if (at != std::string::npos)
            text.replace(at, 2, value);
    };
    fill("%1", std::to_string(dwError));
    fill("%2", ErrorCodeText(dwError));
    return MessageBoxA(nullptr, text.c_str(), BuiltInText(idCaption), uType);
}

int ShowPathBuiltIn(UINT uType, UINT idCaption, UINT idText, const char* pszPath)
{
    std::string text = BuiltInText(idText);
    if (const std::size_t at = text.find("%1"); at != std::string::npos)
        text.replace(at, 2, pszPath ? pszPath : "");
    return MessageBoxA(nullptr, text.c_str(), BuiltInText(idCaption), uType);
}

} // namespace

int ShowFileMessage(UINT uType, UINT idCaption, UINT idText, DWORD dwError)
{
    return g_messageProc ? g_messageProc(uType, idCaption, idText, dwError)
                         : ShowBuiltIn(uType, idCaption, idText, dwError);
}

FILEMESSAGEPROC SetFileMessageProc(FILEMESSAGEPROC proc)
{
    const FILEMESSAGEPROC previous = g_messageProc;
    g_messageProc = proc;
    return previous;
}

int ShowFilePathMessage(UINT uType, UINT idCaption, UINT idText, const char* pszPath)
{
    return g_pathMessageProc ? g_pathMessageProc(uType, idCaption, idText, pszPath)
                             : ShowPathBuiltIn(uType, idCaption, idText, pszPath);
}

FILEPATHMESSAGEPROC SetFilePathMessageProc(FILEPATHMESSAGEPROC proc)
{
    const FILEPATHMESSAGEPROC previous = g_pathMessageProc;
    g_pathMessageProc = proc;
    return previous;
}
