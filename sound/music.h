// The music: a standard MIDI file converted at load time into blocks of
// MIDI stream events (the tracks merged by time), played looped through the
// MIDI stream one block after the other. These are the parts of the music
// path that the SOUND object's own operations use, and what tests look at.
#pragma once

#include "sound/dxsound.h"

#include <cstddef>

// Converts a whole standard MIDI file into the SOUND's blocks and time
// division. False (with error 11) when the header or the track chunks are
// not well formed; an event that cannot be read ends the song there (error
// 11 too) but the conversion still succeeds.
// The largest MIDI file read (a song of the game is some tens of kilobytes);
// a larger one is refused unread.
constexpr std::size_t kMaxMidiFileBytes = 4 * 1024 * 1024;

bool ConvertMidiFile(const BYTE* pFile, std::size_t cbFile, SOUND* pSound);
// Frees the SOUND's blocks.
void FreeMusicBlocks(SOUND* pSound);

// The open music stream, or null.
HMIDISTRM MusicStream();
// The SOUND that owns the stream, or null.
SOUND* MusicStreamOwner();
