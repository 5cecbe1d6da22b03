// WAVE files: the RIFF reader over a real file, then the conversion of the
// data to 16-bit PCM whenever the format is not PCM already, as a sound
// does when it loads.
#include "fuzz/fuzz_target.h"
#include "platform/dsound/waveformat.h"
#include "sound/wave.h"

#include <cstdio>
#include <cstring>
#include <vector>

VARNO_FUZZ_TARGET(wave)
{
    const std::string path = fuzzing::ScratchFolder() + "sound.wav";
    if (!fuzzing::WriteInput(path, data, size))
        return 0;
    std::vector<BYTE> format, samples;
    if (!ReadWaveFile(path.c_str(), format, samples)) {
        FUZZ_CHECK(format.empty() && samples.empty());
        return 0;
    }
    FUZZ_CHECK(format.size() >= sizeof(WAVEFORMATEX));
    // The data chunk cannot hold more than the file.
    FUZZ_CHECK(samples.size() <= size);
    WAVEFORMATEX wf{};
    std::memcpy(&wf, format.data(), sizeof wf);
    if (wf.wFormatTag == WAVE_FORMAT_PCM)
        return 0;
    std::vector<BYTE> pcm;
    if (ConvertToPcm(format, samples, pcm)) {
        FUZZ_CHECK(!pcm.empty());
        FUZZ_CHECK(wf.nChannels == 0 || pcm.size() % (2u * wf.nChannels) == 0);
    } else {
        FUZZ_CHECK(pcm.empty());
    }
    return 0;
}
