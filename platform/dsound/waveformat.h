// The wave format record that describes PCM and compressed audio data, in the
// packed layout of the "fmt " chunk of a WAVE file: 18 bytes, followed
// directly by cbSize bytes of format-specific data.
#pragma once

#include "platform/base/types.h"

constexpr WORD WAVE_FORMAT_PCM = 0x0001;
constexpr WORD WAVE_FORMAT_ADPCM = 0x0002; // Microsoft ADPCM
constexpr WORD WAVE_FORMAT_IEEE_FLOAT = 0x0003;
constexpr WORD WAVE_FORMAT_ALAW = 0x0006;
constexpr WORD WAVE_FORMAT_MULAW = 0x0007;
constexpr WORD WAVE_FORMAT_IMA_ADPCM = 0x0011;
constexpr WORD WAVE_FORMAT_GSM610 = 0x0031;

#pragma pack(push, 1)
struct WAVEFORMATEX {
    WORD wFormatTag;
    WORD nChannels;
    DWORD nSamplesPerSec;
    DWORD nAvgBytesPerSec;
    WORD nBlockAlign;
    WORD wBitsPerSample;
    WORD cbSize; // bytes of format-specific data that follow this record
};
#pragma pack(pop)
static_assert(sizeof(WAVEFORMATEX) == 18, "the record is stored packed");

using LPWAVEFORMATEX = WAVEFORMATEX*;
using LPCWAVEFORMATEX = const WAVEFORMATEX*;

// The format-specific bytes after the record (valid when cbSize > 0).
inline const BYTE* WaveFormatExtra(const WAVEFORMATEX* wf)
{
    return reinterpret_cast<const BYTE*>(wf) + sizeof(WAVEFORMATEX);
}
