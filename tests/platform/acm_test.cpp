#include "platform/acm/msacm.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

// A WAVE file made in memory by the codec library, split back into its
// format record and data chunk as a WAVE reader hands them over.
struct Encoded {
    std::vector<BYTE> format; // the record with its extra bytes
    std::vector<BYTE> data;
    WAVEFORMATEX* Format() { return reinterpret_cast<WAVEFORMATEX*>(format.data()); }
};

struct Sink {
    std::vector<BYTE> bytes;
    sf_count_t at = 0;
};

sf_count_t SinkLength(void* u)
{
    return static_cast<sf_count_t>(static_cast<Sink*>(u)->bytes.size());
}
sf_count_t SinkSeek(sf_count_t offset, int whence, void* u)
{
    auto* s = static_cast<Sink*>(u);
    s->at = whence == SEEK_SET ? offset : whence == SEEK_CUR ? s->at + offset : SinkLength(u) + offset;
    return s->at;
}
sf_count_t SinkRead(void* out, sf_count_t n, void* u)
{
    auto* s = static_cast<Sink*>(u);
    n = std::max<sf_count_t>(0, std::min<sf_count_t>(n, SinkLength(u) - s->at));
    std::memcpy(out, s->bytes.data() + s->at, static_cast<std::size_t>(n));
    s->at += n;
    return n;
}
sf_count_t SinkWrite(const void* in, sf_count_t n, void* u)
{
    auto* s = static_cast<Sink*>(u);
    if (s->bytes.size() < static_cast<std::size_t>(s->at + n)) {
        s->bytes.resize(static_cast<std::size_t>(s->at + n));
    }
    std::memcpy(s->bytes.data() + s->at, in, static_cast<std::size_t>(n));
    s->at += n;
    return n;
}
sf_count_t SinkTell(void* u)
{
    return static_cast<Sink*>(u)->at;
}

DWORD Le32(const BYTE* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<DWORD>(p[3]) << 24);
}

Encoded Encode(const std::vector<SHORT>& samples, int channels, int rate, int subtype)
{
    Sink sink;
    SF_VIRTUAL_IO io{SinkLength, SinkSeek, SinkRead, SinkWrite, SinkTell};
    SF_INFO info{};
    info.channels = channels;
    info.samplerate = rate;
    info.format = SF_FORMAT_WAV | subtype;
    SNDFILE* sf = sf_open_virtual(&io, SFM_WRITE, &info, &sink);
    EXPECT_NE(sf, nullptr) << sf_strerror(nullptr);
    sf_writef_short(sf, samples.data(), static_cast<sf_count_t>(samples.size() / channels));
    sf_close(sf);

    Encoded e;
    const auto& b = sink.bytes;
    for (std::size_t at = 12; at + 8 <= b.size();) {
        const DWORD size = Le32(&b[at + 4]);
        if (std::memcmp(&b[at], "fmt ", 4) == 0) {
            e.format.assign(b.begin() + at + 8, b.begin() + at + 8 + size);
        } else if (std::memcmp(&b[at], "data", 4) == 0) {
            e.data.assign(b.begin() + at + 8, b.begin() + at + 8 + size);
        }
        at += 8 + size + (size & 1);
    }
    // A PCM "fmt " chunk has no extra-size field; the record gets it as 0.
    e.format.resize(std::max(e.format.size(), sizeof(WAVEFORMATEX)), 0);
    return e;
}

std::vector<SHORT> Tone(int frames, int channels, int rate)
{
    std::vector<SHORT> v;
    for (int i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) {
            const double f = c == 0 ? 440.0 : 660.0;
            // A short fade-in lets the adaptive codecs find their step size.
            const double fade = std::min(1.0, i / 200.0);
            v.push_back(static_cast<SHORT>(std::lround(fade * 12000 * std::sin(2 * M_PI * f * i / rate))));
        }
    }
    return v;
}

WAVEFORMATEX Pcm16Like(const WAVEFORMATEX& source)
{
    WAVEFORMATEX t{};
    t.wFormatTag = WAVE_FORMAT_PCM;
    t.nChannels = source.nChannels;
    t.nSamplesPerSec = source.nSamplesPerSec;
    t.wBitsPerSample = 16;
    t.nBlockAlign = static_cast<WORD>(2 * source.nChannels);
    t.nAvgBytesPerSec = t.nBlockAlign * t.nSamplesPerSec;
    return t;
}

// The whole conversion as a WAVE loader makes it: open, size by source,
// prepare one header over everything, convert, unprepare, close.
std::vector<SHORT> Convert(Encoded& e, MMRESULT* failure = nullptr)
{
    WAVEFORMATEX target = Pcm16Like(*e.Format());
    HACMSTREAM s = nullptr;
    MMRESULT r = acmStreamOpen(&s, nullptr, e.Format(), &target, nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME);
    if (failure) {
        *failure = r;
    }
    if (r != MMSYSERR_NOERROR) {
        return {};
    }
    DWORD size = 0;
    EXPECT_EQ(acmStreamSize(s, static_cast<DWORD>(e.data.size()), &size, ACM_STREAMSIZEF_SOURCE), MMSYSERR_NOERROR);
    std::vector<BYTE> out(size);
    ACMSTREAMHEADER h{};
    h.cbStruct = sizeof h;
    h.pbSrc = e.data.data();
    h.cbSrcLength = static_cast<DWORD>(e.data.size());
    h.pbDst = out.data();
    h.cbDstLength = size;
    EXPECT_EQ(acmStreamPrepareHeader(s, &h, 0), MMSYSERR_NOERROR);
    r = acmStreamConvert(s, &h, 0);
    if (failure) {
        *failure = r;
    }
    EXPECT_TRUE(h.fdwStatus & ACMSTREAMHEADER_STATUSF_DONE);
    EXPECT_EQ(h.cbSrcLengthUsed, h.cbSrcLength);
    EXPECT_LE(h.cbDstLengthUsed, size);
    EXPECT_EQ(acmStreamUnprepareHeader(s, &h, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(acmStreamClose(s, 0), MMSYSERR_NOERROR);
    std::vector<SHORT> samples(h.cbDstLengthUsed / 2);
    std::memcpy(samples.data(), out.data(), samples.size() * 2);
    return samples;
}

void ExpectClose(const std::vector<SHORT>& got, const std::vector<SHORT>& want, int tolerance)
{
    ASSERT_GE(got.size(), want.size());
    double error = 0;
    for (std::size_t i = 0; i < want.size(); ++i) {
        ASSERT_NEAR(got[i], want[i], tolerance) << "sample " << i;
        error += std::abs(got[i] - want[i]);
    }
    // On average the codecs stay much closer than their worst sample.
    EXPECT_LT(error / static_cast<double>(want.size()), tolerance / 10.0);
}

TEST(AudioCompression, ImaAdpcmDecodesBackToTheSignal)
{
    const auto tone = Tone(5000, 1, 22050);
    Encoded e = Encode(tone, 1, 22050, SF_FORMAT_IMA_ADPCM);
    ASSERT_EQ(e.Format()->wFormatTag, WAVE_FORMAT_IMA_ADPCM);
    const auto back = Convert(e);
    ExpectClose(back, tone, 2000);
}

TEST(AudioCompression, MicrosoftAdpcmStereoDecodesBackToTheSignal)
{
    const auto tone = Tone(4000, 2, 11025);
    Encoded e = Encode(tone, 2, 11025, SF_FORMAT_MS_ADPCM);
    ASSERT_EQ(e.Format()->wFormatTag, WAVE_FORMAT_ADPCM);
    ASSERT_GE(e.Format()->cbSize, 4);
    const auto back = Convert(e);
    ExpectClose(back, tone, 2000);
}

TEST(AudioCompression, SizeBySourceCoversWholeBlocks)
{
    Encoded e = Encode(Tone(3000, 1, 22050), 1, 22050, SF_FORMAT_IMA_ADPCM);
    WAVEFORMATEX target = Pcm16Like(*e.Format());
    HACMSTREAM s = nullptr;
    ASSERT_EQ(acmStreamOpen(&s, nullptr, e.Format(), &target, nullptr, 0, 0, 0), MMSYSERR_NOERROR);
    const WAVEFORMATEX& f = *e.Format();
    const DWORD perBlock = (f.nBlockAlign - 4) * 2 + 1;
    DWORD size = 0;
    ASSERT_EQ(acmStreamSize(s, f.nBlockAlign * 3, &size, ACM_STREAMSIZEF_SOURCE), MMSYSERR_NOERROR);
    EXPECT_EQ(size, 3 * perBlock * 2);
    ASSERT_EQ(acmStreamSize(s, f.nBlockAlign * 3 + 1, &size, ACM_STREAMSIZEF_SOURCE), MMSYSERR_NOERROR);
    EXPECT_EQ(size, 4 * perBlock * 2);
    ASSERT_EQ(acmStreamSize(s, perBlock * 2 + 2, &size, ACM_STREAMSIZEF_DESTINATION), MMSYSERR_NOERROR);
    EXPECT_EQ(size, 2u * f.nBlockAlign);
    EXPECT_EQ(acmStreamSize(s, 100, &size, 7), MMSYSERR_INVALFLAG);
    EXPECT_EQ(acmStreamClose(s, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(acmStreamClose(s, 0), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(acmStreamSize(s, 100, &size, 0), MMSYSERR_INVALHANDLE);
}

TEST(AudioCompression, EightBitPcmWidensToSixteen)
{
    std::vector<SHORT> ramp;
    for (int i = -128; i < 128; ++i) {
        ramp.push_back(static_cast<SHORT>(i * 256));
    }
    Encoded e = Encode(ramp, 1, 8000, SF_FORMAT_PCM_U8);
    ASSERT_EQ(e.Format()->wFormatTag, WAVE_FORMAT_PCM);
    ASSERT_EQ(e.Format()->wBitsPerSample, 8);
    const auto back = Convert(e);
    ASSERT_EQ(back.size(), ramp.size());
    EXPECT_EQ(back, ramp);
}

TEST(AudioCompression, ImpossibleConversionsAreRefused)
{
    Encoded e = Encode(Tone(1000, 1, 22050), 1, 22050, SF_FORMAT_IMA_ADPCM);
    WAVEFORMATEX target = Pcm16Like(*e.Format());
    HACMSTREAM s = nullptr;
    // The target must keep the rate and the channels, at 16 bits.
    target.nSamplesPerSec = 44100;
    EXPECT_EQ(acmStreamOpen(&s, nullptr, e.Format(), &target, nullptr, 0, 0, 0), ACMERR_NOTPOSSIBLE);
    EXPECT_EQ(s, nullptr);
    target = Pcm16Like(*e.Format());
    target.wBitsPerSample = 8;
    target.nBlockAlign = 1;
    EXPECT_EQ(acmStreamOpen(&s, nullptr, e.Format(), &target, nullptr, 0, 0, 0), ACMERR_NOTPOSSIBLE);
    // An unknown source format and an inconsistent block size.
    target = Pcm16Like(*e.Format());
    WAVEFORMATEX odd = *e.Format();
    odd.wFormatTag = 0x1234;
    EXPECT_EQ(acmStreamOpen(&s, nullptr, &odd, &target, nullptr, 0, 0, 0), ACMERR_NOTPOSSIBLE);
    odd = *e.Format();
    odd.cbSize = 0;
    odd.nBlockAlign = 3;
    EXPECT_EQ(acmStreamOpen(&s, nullptr, &odd, &target, nullptr, 0, 0, 0), ACMERR_NOTPOSSIBLE);
    // A query opens nothing.
    EXPECT_EQ(acmStreamOpen(nullptr, nullptr, e.Format(), &target, nullptr, 0, 0, ACM_STREAMOPENF_QUERY),
              MMSYSERR_NOERROR);
    EXPECT_EQ(acmStreamOpen(&s, nullptr, e.Format(), &target, nullptr, 0, 0, ACM_STREAMOPENF_ASYNC),
              MMSYSERR_INVALFLAG);
}

TEST(AudioCompression, HeadersMustBePrepared)
{
    Encoded e = Encode(Tone(1000, 1, 22050), 1, 22050, SF_FORMAT_IMA_ADPCM);
    WAVEFORMATEX target = Pcm16Like(*e.Format());
    HACMSTREAM s = nullptr;
    ASSERT_EQ(acmStreamOpen(&s, nullptr, e.Format(), &target, nullptr, 0, 0, 0), MMSYSERR_NOERROR);
    std::vector<BYTE> out(1000);
    ACMSTREAMHEADER h{};
    h.cbStruct = sizeof h;
    h.pbSrc = e.data.data();
    h.cbSrcLength = static_cast<DWORD>(e.data.size());
    h.pbDst = out.data();
    h.cbDstLength = static_cast<DWORD>(out.size());
    EXPECT_EQ(acmStreamConvert(s, &h, 0), ACMERR_UNPREPARED);
    EXPECT_EQ(acmStreamUnprepareHeader(s, &h, 0), ACMERR_UNPREPARED);
    ASSERT_EQ(acmStreamPrepareHeader(s, &h, 0), MMSYSERR_NOERROR);
    // A target too small takes what fits.
    ASSERT_EQ(acmStreamConvert(s, &h, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(h.cbDstLengthUsed, 1000u);
    h.cbStruct = 8;
    EXPECT_EQ(acmStreamConvert(s, &h, 0), MMSYSERR_INVALPARAM);
    h.cbStruct = sizeof h;
    EXPECT_EQ(acmStreamUnprepareHeader(s, &h, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(acmStreamClose(s, 0), MMSYSERR_NOERROR);
}

} // namespace
