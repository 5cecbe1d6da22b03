// The player's choices and best score: one fixed-layout record that lives in
// memory for the whole run and is stored whole, as one binary value under the
// current user's key, after every change.
#pragma once

#include "platform/base/types.h"

// Control devices.
enum : DWORD {
    cdKeyboard = 0,
    cdMouse = 1,
    cdJoystick = 2,
};

// Difficulties.
enum : DWORD {
    diffEasy = 0,
    diffNormal = 1,
    diffHard = 2,
    diffImpossible = 3,
};

// Display-quality bits.
enum : DWORD {
    dqTexturedCubes = 1,
    dqTexturedFloor = 2,
    dqReflections = 4,
};

// In memory with natural alignment; stored packed, little-endian, 50 bytes
// after a 4-byte version tag (see SettingsToBytes).
struct SETTINGS {
    LONG lVideoWidth;
    LONG lVideoHeight;
    WORD wColourDepth;
    DWORD ControlDevice;
    BOOL fSound;
    BOOL fMusic;
    DWORD dwDifficulty;
    BOOL fShowTutorial;
    LONG lHighScore;  // the stored best score
    LONG lStartLevel;
    BOOL fKeyboardHintShown;
    DWORD dwReserved;
    DWORD dwDisplayQuality;
};

constexpr int kSettingsRecordBytes = 50;
constexpr int kSettingsValueBytes = kSettingsRecordBytes + 4;
constexpr DWORD kSettingsVersion = 0x00030000;

// Fills in the values of a first run.
void SettingsDefaults(SETTINGS* ps);
// The stored form: the version tag and the packed record.
void SettingsToBytes(const SETTINGS& s, BYTE out[kSettingsValueBytes]);
// Reads a stored value of cb bytes: fails (false, *ps untouched) when it is
// shorter than the tag and record or its major version is not ours.
bool SettingsFromBytes(const BYTE* data, DWORD cb, SETTINGS* ps);

// Reads the stored record into g.Settings; false when there is none or it is
// unusable (the caller then fills in the defaults).
bool LoadSettings();
// Writes g.Settings whole. Callers ignore the result: the record in memory
// stays authoritative for the run.
bool SaveSettings();
// With fOn the record lives in memory only: SaveSettings writes nothing and
// succeeds. For tools that run the rules without the player's store.
void SettingsKeepInMemory(bool fOn);

// Full screen or a window (Alt+Enter, F11), as the player left it: kept as a
// value of its own beside the settings record. Load applies the stored
// choice (none stored: full screen); Store records the current one.
void LoadDisplayChoice();
bool StoreDisplayChoice();

// The display quality shown as one of five levels (5 Excellent .. 1
// Fastest), and the mask of a level.
int DisplayQualityLevel(DWORD mask);
DWORD DisplayQualityMask(int level);
// The mask one level down from a mask's level, Fastest wrapping round to
// Excellent: the step the menu item takes.
DWORD NextDisplayQualityMask(DWORD mask);
