// Reading WAVE files and converting their data to 16-bit PCM.
#pragma once

#include "platform/base/types.h"

#include <vector>

// Reads a RIFF "WAVE" file: the format record (18 bytes and the extra bytes
// of a compressed format) and the bytes of its "data" chunk. On failure both
// are emptied and the sound layer's last error holds the cause.
bool ReadWaveFile(const char* szPath, std::vector<BYTE>& format, std::vector<BYTE>& data);
// Converts compressed data of the format into 16-bit PCM of the same
// channels and rate, in one pass through an audio compression stream.
bool ConvertToPcm(const std::vector<BYTE>& format, const std::vector<BYTE>& source, std::vector<BYTE>& pcm);
