// The level file: the plain-text file of levels and puzzles, its reader and
// writer, the data folder it lives in, its scrambled form, and the
// command-line switches that convert it from one form to the other.
#pragma once

#include "game/puzzle.h"
#include "platform/base/types.h"

#include <cstddef>
#include <map>
#include <string>
#include <tuple>
#include <vector>

// String ids of the system message boxes shown by this module.
enum : UINT {
    idsErrorCaption = 44,      // "Error - Varno"
    idsBadCommandLine = 45,    // the command line is invalid
    idsVarnoCaption = 46,      // "Varno"
    idsFileScrambled = 47,     // the named file has been encrypted
    idsFileUnscrambled = 48,   // the named file has been decrypted
    idsLevelFileDamaged = 49,  // the level file could not be read
    idsConvertFailed = 60,     // the named file could not be converted (%1 code, %2 its text)
    idsLevelFileNotSaved = 61, // the level file could not be rewritten
    idsLevelFileNowScrambled = 62,
    idsLevelFileNowPlain = 63,
};

// ---- Messages ---------------------------------------------------------------

// Shows a system message box made of string ids: the caption, the text, the
// style (an MB_ICON* kind) and, for texts with inserts, a system error code
// (%1 is its number, %2 the system's text for it). Returns the button chosen.
using FILEMESSAGEPROC = int (*)(UINT uType, UINT idCaption, UINT idText, DWORD dwError);
int ShowFileMessage(UINT uType, UINT idCaption, UINT idText, DWORD dwError = 0);
// Routes the messages elsewhere (the shell's message boxes by string id, or a
// test); null restores the built-in English texts shown with MessageBoxA.
// Returns the previous procedure (null for the built-in one).
FILEMESSAGEPROC SetFileMessageProc(FILEMESSAGEPROC proc);

// ---- Tokens -----------------------------------------------------------------

constexpr int kLevelTokenSize = 1024;

// A cursor into a zero-terminated text and the token last read.
struct LEVELTOKENIZER {
    const char* pNext;
    char szToken[kLevelTokenSize];
};
// Reads the next token into szToken: a run of characters up to a blank, a
// line end, a comment (";" or "/" to the end of the line) or one of "{=,}",
// each of which is a token of its own; runs longer than 1023 characters are
// split. Returns FALSE at the end of the text.
BOOL NextLevelToken(LEVELTOKENIZER* pTok);

// ---- The level list ---------------------------------------------------------

// Comments of a level text, each kept at the line the writer puts out for
// the token it stood beside: whole-line comments before the token that
// follows them, a comment at the end of a line with the token before it.
// Comments before a token that the writer does not put out go before the
// next line it does, so none is lost.
enum LEVELLINE : int {
    llHeader = 0,  // "Level {" or "Puzzle {"
    llWidth,
    llLength,
    llSpeed,
    llMines,
    llCubes,       // "Cubes {"
    llRow0,        // rows 0 to 5 of the cube block
    llCubesClose = llRow0 + kFormationRows,
    llClose,       // the closing "}" of the level or puzzle
};
struct LEVELCOMMENT {
    std::vector<std::string> before; // whole lines, from the comment marker on; "" is a blank line between them
    std::string trailing;            // from the comment marker on; empty for none
};
struct LEVELCOMMENTS {
    // Keyed by level (from 0; -1 after the last level), puzzle (from 0; -1
    // for the level's own lines) and line.
    using KEY = std::tuple<LONG, LONG, int>;
    std::map<KEY, LEVELCOMMENT> entries;
};

// Frees every level's puzzles, the levels and the comments; count and form
// flag become 0.
void ReleaseLevelList(LEVELLIST* pList);

// Reads plain level text and appends its levels to the list, and its
// comments to the list's comments. TRUE when the text ended after complete
// levels and at least one level was read; levels accepted before a failure
// stay in the list.
BOOL ParseLevelText(const char* pszText, LEVELLIST* pList);

// Where reading stopped in a text that failed: the line (from 1) and the
// token last read (empty at the end of the text).
struct LEVELTEXTSTOP {
    LONG lLine;
    char szToken[kLevelTokenSize];
};
// ParseLevelText that also tells where reading stopped when it fails.
BOOL ParseLevelTextReport(const char* pszText, LEVELLIST* pList, LEVELTEXTSTOP* pStop);

// Builds the text of the whole list, lines ending in CR LF, with the
// comments the list kept in their places. Returns a text
// allocated with malloc (the caller frees it with free), or null when the
// list holds no level or memory runs out.
char* BuildLevelText(const LEVELLIST* pList);

// Reads the level file of the data folder into g.Levels (released first),
// plain or scrambled. On failure it shows the load-failure message itself and
// returns FALSE; the program then does not start.
BOOL ReadLevelFile();

// Writes g.Levels over the level file, scrambled when fScrambled, and records
// the form in g.Levels.fScrambled. The file is replaced as one step: a failed
// save leaves the old file whole and returns FALSE (the last error says why);
// the caller shows its message (idsLevelFileNotSaved).
BOOL SaveLevelFile(BOOL fScrambled);

// Saves the level list in the form opposite to the one it was read or last
// saved in. Returns the string id to show: idsLevelFileNowScrambled or
// idsLevelFileNowPlain on success, idsLevelFileNotSaved on failure.
UINT SaveLevelFileInOtherForm();

// ---- Data folder ------------------------------------------------------------

// The data folder (ending in "/") followed by name. The folder is searched
// for on the first request beside the program: the program folder, its
// "Data" folder, the folder above, that folder's "Data" folder, and the
// installed "../share/varno" folder, the first that holds the level file;
// the program folder when none does. Names are matched without regard to
// case when the file is opened.
std::string DataFilePath(const char* pszName);
// Forgets the data folder found so far; the next request searches again
// beside pszProgramFolder (null: the running program's folder).
void ResetDataFolder(const char* pszProgramFolder);

// The existing file a level-file name stands for: null or empty names the
// data folder's level file, a name without "/" or "\" lies in the data
// folder, any other name is a path of its own. Letter case is ignored where
// the exact spelling does not exist. Empty, with the last error set, when
// there is no such file.
std::string FindLevelFile(const char* pszName);

// ---- Scrambled form ---------------------------------------------------------

constexpr BYTE kScrambleKey = 0xF7;

// A text counts as scrambled when its first byte is 0x80 or above.
inline bool IsScrambledText(const char* pText, std::size_t cb)
{
    return cb > 0 && static_cast<BYTE>(pText[0]) >= 0x80;
}
// Turn each of the cb bytes b into (0xF7 - b) mod 256, in place. Scrambling
// does nothing to a text that already counts as scrambled, unscrambling
// nothing to one that does not.
void ScrambleText(char* pText, std::size_t cb);
void UnscrambleText(char* pText, std::size_t cb);

// Convert a whole file (a name as for FindLevelFile; null is the level
// file) to the scrambled or plain form; a file already in that form stays as
// it is. The file is replaced as one step. FALSE with the last error set when
// it cannot be read (a missing or empty file) or written.
BOOL ScrambleFile(const char* pszName);
BOOL UnscrambleFile(const char* pszName);

// ---- Command line -----------------------------------------------------------

// The command-line text of a program started with these arguments: every
// argument after the program's name, joined by single blanks.
std::string JoinCommandLine(int argc, const char* const* argv);

// Handles a conversion switch at the start of the command-line text
// ("-e", "-c", "/e" scramble, "-d", "/d" unscramble, either case, optionally
// followed by a file name) and shows its message. A first word that is no
// switch is left to the game: FALSE. TRUE when a switch (valid or not) was
// handled; the program then ends.
BOOL HandleCommandLine(const char* pszCommandLine);
