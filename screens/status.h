// The status display: two black bars over the scene during a game and in the
// editor. The top bar carries the level and puzzle on the left, the high
// score in the middle and the current score on the right; the bottom bar the
// lives on the left and the mines still available on the right.
//
// The values shown live in the game record g (level, puzzle, lives, mines
// remaining, score, high score, the tutorial flag and the editor test flag)
// and are changed by the game's own functions (NewGameValues, ShowPuzzle,
// EditorStatus, AddScore, the mine counters). The bars read them whenever
// they are drawn and redraw themselves in the frame after one of them
// changed; ShowPuzzle and EditorStatus rebuild them through the flow's
// refresh seam.
#pragma once

#include "platform/base/types.h"

class ANIMWINDOW;

// Depth of both bars in the animation window.
constexpr unsigned short kStatusBarDepth = 5;

// String ids of the bars' font and texts.
constexpr UINT idsStatusFont = 20;      // "Arial,-%1,BI"
constexpr UINT idsStatusLevel = 21;     // "Level %1, Puzzle %2"
constexpr UINT idsStatusHighScore = 22; // "High Score: %1"
constexpr UINT idsStatusScore = 23;     // "Current Score: %1"
constexpr UINT idsStatusLives = 24;     // "Lives Remaining: %1"
constexpr UINT idsStatusMines = 25;     // "Mines Remaining: %1"
constexpr UINT idsStatusEditLevel = 50; // "Edit Level %1, Puzzle %2"
constexpr UINT idsStatusTestLevel = 66; // "Test Level %1, Puzzle %2"
constexpr UINT idsStatusTutorial = 75;  // "Tutorial"
constexpr UINT idsStatusDifficulty = 162; // "Difficulty: %1"
constexpr UINT idsDifficultyEasy = 33;    // "Easy"; Normal 32, Hard 31, Impossible 30
constexpr UINT idsScreenshotSaved = 161;  // "Screenshot saved: %1"
constexpr DWORD kScreenshotNoticeMs = 2000;

// Colours of the bars' lines and texts.
constexpr COLORREF clrStatusLine = RGB(146, 245, 141);
constexpr COLORREF clrStatusLineShadow = RGB(103, 173, 100);
constexpr COLORREF clrStatusLevel = RGB(146, 245, 141);
constexpr COLORREF clrStatusHighScore = RGB(251, 77, 147);
constexpr COLORREF clrStatusScore = RGB(104, 121, 248);
constexpr COLORREF clrStatusLives = RGB(245, 247, 115);
constexpr COLORREF clrStatusMines = RGB(77, 249, 251);
constexpr COLORREF clrStatusDifficulty = RGB(255, 176, 96);
constexpr COLORREF clrStatusNotice = RGB(255, 255, 255);

constexpr int kStatusTextChars = 128;

// The texts of the bars for the current values and language; an empty text
// is not shown. fBottomBar tells whether the bottom bar exists at all.
struct STATUSTEXTS {
    char szLevel[kStatusTextChars];     // top bar, left
    char szHighScore[kStatusTextChars]; // top bar, middle
    char szScore[kStatusTextChars];     // top bar, right
    char szLives[kStatusTextChars];     // bottom bar, left
    char szMines[kStatusTextChars];     // bottom bar, right
    char szDifficulty[kStatusTextChars]; // bottom bar, middle: only when not Normal
    BOOL fBottomBar;
};
void GetStatusTexts(STATUSTEXTS* pTexts);

// A number with its thousands grouped by commas (1,234,567; -1,000), cut to
// the buffer. Returns the length written.
int FormatGroupedNumber(LONG lValue, char* pszBuffer, int cchBuffer);

// Height of the bars on a screen of the given size: a 22nd of the height
// below 800 pixels of width, a 25th up to 1023, a 28th from 1024 on.
LONG StatusBarHeightFor(LONG lScreenWidth, LONG lScreenHeight);

// The animation window the bars are shown in (null: none; existing bars are
// removed first). Also installs RefreshStatus as the flow's refresh seam.
void InitStatusDisplay(ANIMWINDOW* pWindow);

// Destroys and creates the bars again for the window's current size: the top
// bar always, the bottom bar unless lives are not shown (the editor) or a
// tutorial puzzle is played. Used after a change of video mode too.
void RebuildStatusBars();
// Destroys both bars and their font.
void RemoveStatusBars();
// The flow's refresh seam: during a game or in the editor the bars are
// rebuilt, on any other screen they are removed.
void RefreshStatus();
// Height of the top bar, 0 without bars.
LONG StatusBarHeight();

// A short line (e.g. where a screenshot went) shown alone in the top bar for
// the given milliseconds; on a screen without bars a top bar is shown for
// it meanwhile. A new notice replaces the one shown.
void ShowStatusNotice(const char* pszText, DWORD dwMilliseconds);
// The notice shown now, or null.
const char* StatusNotice();
// A member of the frame chain: takes the notice away once its time is up.
// Returns 1.
int StatusNoticeService(ANIMWINDOW* pWindow, int code);
// Height of the bottom bar, 0 when it is not shown.
LONG StatusBottomBarHeight();
