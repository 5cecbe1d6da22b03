// The level file's text: tokens, the reader with its rules and defaults, the
// writer, and reading and saving the level file of the data folder.
#include "levelfile/datafile.h"

#include "anim/memmgr.h"
#include "game/game.h"
#include "platform/files/files.h"
#include "platform/base/syserror.h"
#include "platform/msgbox/msgbox.h"

#include <algorithm>
#include <limits>
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

// A comment from its marker to the end of its line, without the blanks
// that end the line.
std::string CommentText(const char* p, const char** ppEnd)
{
    const char* end = p;
    while (*end && *end != '\r' && *end != '\n')
        ++end;
    *ppEnd = end;
    const char* last = end;
    while (last > p && (last[-1] == ' ' || last[-1] == '\t'))
        --last;
    return std::string(p, last);
}

class READER {
public:
    READER(const char* text, LEVELCOMMENTS* pComments) : m_text(text), m_pComments(pComments)
    {
        m_tok.pNext = text;
        m_tok.szToken[0] = '\0';
    }

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
            m_lLevel = pList->cLevels;
            m_lPuzzle = -1;
            Mark(llHeader);
            LEVEL level{nullptr, 0, 6, 8, 0};
            const bool ok = ReadLevel(&level) && AppendOne(&pList->pLevels, &pList->cLevels, level);
            if (!ok) {
                MemMgr_FreeMemory(level.pPuzzles, __FILE__, __LINE__);
                return false;
            }
        }
        // Comments after the last level.
        m_lLevel = m_lPuzzle = -1;
        Mark(llHeader);
        return true;
    }

private:
    // Reads the next token; the comments met on the way wait for Mark (or,
    // at the end of a line that holds a token, join that token's line).
    bool Next()
    {
        if (m_pComments)
            CollectComments();
        return NextLevelToken(&m_tok) != FALSE;
    }
    const char* Token() const { return m_tok.szToken; }
    bool Expect(const char* what, int line)
    {
        if (!Next())
            return false;
        Mark(line);
        return std::strcmp(Token(), what) == 0;
    }

    void CollectComments()
    {
        const char* p = m_tok.pNext;
        // The first comment after a token on its own line ends that line.
        bool fLineStart = !m_fAnyToken;
        int newlines = 0;
        for (;;) {
            while (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n') {
                if (*p == '\n') {
                    fLineStart = true;
                    ++newlines;
                }
                ++p;
            }
            if (*p != ';' && *p != '/')
                break;
            const char* end = nullptr;
            std::string text = CommentText(p, &end);
            if (!fLineStart && m_fMarked) {
                std::string& trailing = m_pComments->entries[m_lastKey].trailing;
                trailing += trailing.empty() ? text : " " + text;
            } else {
                // A blank line between two comments stays.
                if (!m_pending.empty() && newlines > 1)
                    m_pending.emplace_back();
                m_pending.push_back(std::move(text));
            }
            newlines = 0;
            p = end;
        }
    }

    // The token just read belongs to this line of the current level or
    // puzzle: the comments before it go before that line.
    void Mark(int line)
    {
        m_fAnyToken = true;
        if (!m_pComments)
            return;
        m_lastKey = LEVELCOMMENTS::KEY{m_lLevel, m_lPuzzle, line};
        m_fMarked = true;
        if (m_pending.empty())
            return;
        std::vector<std::string>& before = m_pComments->entries[m_lastKey].before;
        before.insert(before.end(), m_pending.begin(), m_pending.end());
        m_pending.clear();
    }

    bool ReadValue(LONG* pValue, LONG lowest, LONG highest, int line)
    {
        Mark(line);
        if (!Expect("=", line) || !Next())
            return false;
        Mark(line);
        const LONG value = ReadNumber(Token());
        if (value < lowest || value > highest)
            return false;
        *pValue = value;
        return true;
    }

    bool ReadLevel(LEVEL* pLevel)
    {
        if (!Expect("{", llHeader))
            return false;
        for (;;) {
            m_lPuzzle = -1;
            if (!Next())
                return false;
            const char* key = Token();
            bool ok;
            if (std::strcmp(key, "}") == 0) {
                Mark(llClose);
                return pLevel->cPuzzles > 0;
            } else if (IsKeyword(key, "Width")) {
                ok = ReadValue(&pLevel->lWidth, kMinWidth, kMaxWidth, llWidth);
            } else if (IsKeyword(key, "Length")) {
                ok = ReadValue(&pLevel->lLength, kMinLength, kMaxLength, llLength);
            } else if (IsKeyword(key, "Speed")) {
                ok = ReadValue(&pLevel->lSpeed, -100, 100, llSpeed);
            } else if (IsKeyword(key, "Puzzle")) {
                m_lPuzzle = pLevel->cPuzzles;
                Mark(llHeader);
                ok = ReadPuzzle(pLevel);
            } else {
                ok = false;
            }
            if (!ok)
                return false;
        }
    }

    bool ReadPuzzle(LEVEL* pLevel)
    {
        if (!Expect("{", llHeader))
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
                Mark(llClose);
                return blocks == 1 && puzzle.lMines >= 1 && AppendOne(&pLevel->pPuzzles, &pLevel->cPuzzles, puzzle);
            } else if (IsKeyword(key, "Width")) {
                ok = ReadValue(&puzzle.lWidth, kMinWidth, kMaxWidth, llWidth);
            } else if (IsKeyword(key, "Length")) {
                ok = ReadValue(&puzzle.lLength, kMinLength, kMaxLength, llLength);
            } else if (IsKeyword(key, "Speed")) {
                ok = ReadValue(&puzzle.lSpeed, -100, 100, llSpeed);
            } else if (IsKeyword(key, "Mines")) {
                ok = ReadValue(&puzzle.lMines, 1, std::numeric_limits<LONG>::max(), llMines);
            } else if (IsKeyword(key, "Cubes")) {
                ++blocks;
                Mark(llCubes);
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
        if (!Expect("{", llCubes))
            return false;
        std::memset(pPuzzle->aFormation, 0, sizeof pPuzzle->aFormation);
        const LONG width = pPuzzle->lWidth;
        int cells = 0;
        bool destructible = false;
        for (;;) {
            if (!Next())
                return false;
            if (std::strcmp(Token(), ",") == 0) {
                // A comma belongs to the row of the cell before it.
                Mark(llRow0 + std::min<int>(std::max(cells - 1, 0) / width, kFormationRows - 1));
                continue;
            }
            if (std::strcmp(Token(), "}") == 0) {
                Mark(llCubesClose);
                return cells > 0 && destructible;
            }
            Mark(llRow0 + std::min<int>(cells / width, kFormationRows - 1));
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
    LEVELCOMMENTS* m_pComments; // null: comments are not kept
    LONG m_lLevel = -1, m_lPuzzle = -1;
    std::vector<std::string> m_pending; // whole-line comments waiting for their line
    LEVELCOMMENTS::KEY m_lastKey{-1, -1, 0};
    bool m_fMarked = false;    // m_lastKey names the line of the last token
    bool m_fAnyToken = false;
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
    delete pList->pComments;
    pList->pComments = nullptr;
}

BOOL ParseLevelText(const char* pszText, LEVELLIST* pList)
{
    return ParseLevelTextReport(pszText, pList, nullptr);
}

BOOL ParseLevelTextReport(const char* pszText, LEVELLIST* pList, LEVELTEXTSTOP* pStop)
{
    const LONG before = pList->cLevels;
    LEVELCOMMENTS* comments = pList->pComments ? pList->pComments : new LEVELCOMMENTS;
    READER reader(pszText, comments);
    const bool ok = reader.ReadLevels(pList) && pList->cLevels > before;
    // A text without comments leaves the list without them.
    if (comments->entries.empty() && comments != pList->pComments)
        delete comments;
    else
        pList->pComments = comments;
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

// Puts out the lines of the text with the comments the list kept: each line
// after its whole-line comments and with its trailing comment. The comments
// of a line that is not written go before the next line that is.
class WRITER {
public:
    WRITER(TEXTBUFFER& text, const LEVELCOMMENTS* pComments) : m_text(text), m_pComments(pComments) {}

    // A line of level (puzzle -1 for the level's own lines) with its
    // comments; whole-line comments take the indent given.
    bool Line(LONG level, LONG puzzle, int what, const std::string& line, const char* commentIndent)
    {
        const LEVELCOMMENT* c = Find(level, puzzle, what);
        if (!Carried(commentIndent))
            return false;
        if (c)
            for (const std::string& before : c->before)
                if (!m_text.Line(before.empty() ? "" : (commentIndent + before).c_str()))
                    return false;
        if (c && !c->trailing.empty())
            return m_text.Line((line + " " + c->trailing).c_str());
        return m_text.Line(line.c_str());
    }
    bool Value(LONG level, LONG puzzle, int what, const char* indent, const char* key, LONG value)
    {
        return Line(level, puzzle, what, std::string(indent) + key + " = " + std::to_string(value), indent);
    }
    // A line that is not written: its comments wait for the next one.
    void Skip(LONG level, LONG puzzle, int what)
    {
        if (const LEVELCOMMENT* c = Find(level, puzzle, what)) {
            m_carry.insert(m_carry.end(), c->before.begin(), c->before.end());
            if (!c->trailing.empty())
                m_carry.push_back(c->trailing);
        }
    }
    bool Plain(const char* line) { return m_text.Line(line); }
    // The comments after the last level, and any still waiting.
    bool End()
    {
        Skip(-1, -1, llHeader);
        return Carried("");
    }

private:
    const LEVELCOMMENT* Find(LONG level, LONG puzzle, int what) const
    {
        if (!m_pComments)
            return nullptr;
        const auto it = m_pComments->entries.find(LEVELCOMMENTS::KEY{level, puzzle, what});
        return it == m_pComments->entries.end() ? nullptr : &it->second;
    }
    bool Carried(const char* indent)
    {
        for (const std::string& line : m_carry)
            if (!m_text.Line(line.empty() ? "" : (indent + line).c_str()))
                return false;
        m_carry.clear();
        return true;
    }

    TEXTBUFFER& m_text;
    const LEVELCOMMENTS* m_pComments;
    std::vector<std::string> m_carry;
};

// A puzzle's speed of 0 is left out only where the reader's default for it,
// the level's speed, is 0 too; otherwise it would come back as the level's.
bool WritePuzzle(WRITER& text, LONG lv, LONG pz, const PUZZLE& puzzle, LONG levelSpeed)
{
    bool ok = text.Line(lv, pz, llHeader, "   Puzzle {", "   ");
    auto value = [&](int what, const char* key, LONG v, bool written) {
        if (!written)
            text.Skip(lv, pz, what);
        else
            ok = ok && text.Value(lv, pz, what, "      ", key, v);
    };
    value(llWidth, "Width", puzzle.lWidth, puzzle.lWidth != 0);
    value(llLength, "Length", puzzle.lLength, puzzle.lLength != 0);
    value(llSpeed, "Speed", puzzle.lSpeed, puzzle.lSpeed != 0 || levelSpeed != 0);
    value(llMines, "Mines", puzzle.lMines, puzzle.lMines != 0);
    ok = ok && text.Line(lv, pz, llCubes, "      Cubes {", "      ");

    const int columns = puzzle.lWidth < 0 ? 0 : puzzle.lWidth > kMaxWidth ? kMaxWidth : puzzle.lWidth;
    int rows = 0;
    for (int row = 0; row < kFormationRows; ++row)
        for (int col = 0; col < kMaxWidth; ++col)
            if (puzzle.aFormation[row][col] != ckNone)
                rows = row + 1;
    for (int row = 0; row < kFormationRows && ok; ++row) {
        if (row >= rows) {
            text.Skip(lv, pz, llRow0 + row);
            continue;
        }
        std::string line(8, ' ');
        for (int col = 0; col < columns; ++col) {
            const LONG kind = puzzle.aFormation[row][col];
            line += ' ';
            line += kind >= 0 && kind < ckCount ? kCellChars[kind] : '-';
        }
        ok = text.Line(lv, pz, llRow0 + row, line, "        ");
    }
    return ok && text.Line(lv, pz, llCubesClose, "      }", "        ") && text.Line(lv, pz, llClose, "   }", "      ") &&
           text.Plain("");
}

} // namespace

char* BuildLevelText(const LEVELLIST* pList)
{
    if (!pList || pList->cLevels <= 0)
        return nullptr;
    TEXTBUFFER buffer;
    WRITER text(buffer, pList->pComments);
    bool ok = true;
    for (LONG i = 0; i < pList->cLevels && ok; ++i) {
        const LEVEL& level = pList->pLevels[i];
        ok = text.Line(i, -1, llHeader, "Level {", "");
        auto value = [&](int what, const char* key, LONG v) {
            if (v == 0)
                text.Skip(i, -1, what);
            else
                ok = ok && text.Value(i, -1, what, "   ", key, v);
        };
        value(llWidth, "Width", level.lWidth);
        value(llLength, "Length", level.lLength);
        value(llSpeed, "Speed", level.lSpeed);
        if (level.lWidth != 0 || level.lLength != 0 || level.lSpeed != 0)
            ok = ok && text.Plain("");
        for (LONG j = 0; j < level.cPuzzles && ok; ++j)
            ok = WritePuzzle(text, i, j, level.pPuzzles[j], level.lSpeed);
        ok = ok && text.Line(i, -1, llClose, "}", "   ") && text.Plain("");
    }
    ok = ok && text.End();
    return ok ? buffer.Release() : nullptr;
}

// ---- The level file of the data folder ---------------------------------------

BOOL ReadLevelFile()
{
    ReleaseLevelList(&g.Levels);
    bool ok = false;
    const std::string path = FindLevelFile(nullptr);
    std::string bytes;
    if (!path.empty() && files::ReadWholeFile(path, bytes) && !bytes.empty()) {
        g.Levels.fScrambled = IsScrambledText(bytes.data(), bytes.size());
        UnscrambleText(bytes.data(), bytes.size());
        ok = ParseLevelText(bytes.c_str(), &g.Levels) != FALSE;
    }
    if (!ok)
        ShowFileMessage(MB_OK | MB_ICONERROR, idsVarnoCaption, idsLevelFileDamaged);
    return ok;
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
    std::string path = FindLevelFile(nullptr);
    if (path.empty())
        path = DataFilePath("VARNO.LEV");
    const bool ok = files::WriteFileAtomically(path, text, cb);
    std::free(text);
    // The form is that of the file on disk: a failed save changed nothing.
    if (ok)
        g.Levels.fScrambled = fScrambled ? TRUE : FALSE;
    return ok;
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
        return "The VARNO.LEV file is now decrypted, so that it can easily be modified with a text editor.";
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
