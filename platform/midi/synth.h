// The General MIDI synthesiser behind the MIDI stream: one instance, made
// for the output rate with the first SoundFont of the search list that
// loads, kept between streams. Without a SoundFont it stays silent.
#pragma once

#include "platform/base/types.h"

#include <string>
#include <vector>

namespace midi_synth {
// Makes the synthesiser ready for the rate (reloading it when the rate or
// the search list changed). Returns false when it is silent; the reason is
// then in Error().
bool Prepare(DWORD rate);
std::string Error();
void SetSearchList(const std::vector<std::string>& paths);
std::vector<std::string> DefaultSearchList();

// Plays one short message (status, data1, data2 in the low three bytes).
void ShortMessage(DWORD message);
// Silences every note and resets controllers, as at the start of a song.
void Reset();
// Adds frames stereo frames of the synthesiser's output into stereo.
void Render(float* stereo, DWORD frames);
} // namespace midi_synth
