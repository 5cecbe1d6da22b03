// make_fuzz_corpus FOLDER: writes the seed corpora of the fuzz targets into
// FOLDER/<target>/ (the source tree keeps them in tests/fuzz/corpus/). Every
// seed is made here, by the game's and the library's own writers where they
// have one (level text, bitmaps, cut sheets, the settings store, string
// tables) and by the tests' file builders and the codec library otherwise.
// Small files on purpose: the fuzzer mutates them best.
#include "anim/cutsheet.h"
#include "anim/filemap.h"
#include "anim/graphic.h"
#include "anim/imagefiles.h"
#include "game/game.h"
#include "levelfile/datafile.h"
#include "platform/registry/registry.h"
#include "platform/resources/rescompile.h"
#include "shell/settings.h"

#include <sndfile.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using imagefiles::Bytes;
using imagefiles::Put16;
using imagefiles::Put32;
using imagefiles::PutText;
using imagefiles::Rgb;

namespace {

std::filesystem::path g_out;
int g_files = 0;

void Write(const std::string& target, const std::string& name, const void* data, std::size_t size)
{
    const std::filesystem::path folder = g_out / target;
    std::filesystem::create_directories(folder);
    std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!out) {
        std::fprintf(stderr, "make_fuzz_corpus: cannot write %s\n", (folder / name).c_str());
        std::exit(1);
    }
    ++g_files;
}
void Write(const std::string& target, const std::string& name, const Bytes& b)
{
    Write(target, name, b.data(), b.size());
}
void Write(const std::string& target, const std::string& name, const std::string& s)
{
    Write(target, name, s.data(), s.size());
}

std::vector<Rgb> Palette(unsigned n)
{
    std::vector<Rgb> t;
    for (unsigned i = 0; i < n; ++i)
        t.push_back(Rgb{static_cast<unsigned char>(i * 37), static_cast<unsigned char>(255 - i * 11),
                        static_cast<unsigned char>(i * 5)});
    return t;
}

// ---- level text ---------------------------------------------------------------

PUZZLE Puzzle(LONG width, LONG length, LONG speed, LONG mines, const char* rows)
{
    PUZZLE p{};
    p.lWidth = width;
    p.lLength = length;
    p.lSpeed = speed;
    p.lMines = mines;
    const char kinds[] = "-nbf#!";
    for (int i = 0; rows[i]; ++i) {
        const int row = i / width, col = i % width;
        if (row >= kFormationRows)
            break;
        p.aFormation[row][col] = static_cast<LONG>(std::strchr(kinds, rows[i]) - kinds);
    }
    return p;
}

void LevelText()
{
    static PUZZLE first[] = {Puzzle(4, 8, 0, 2, "nnnn-bb-"), Puzzle(5, 10, 20, 3, "n#f!n-----bbbbb")};
    static PUZZLE second[] = {Puzzle(3, 6, -40, 1, "!n!")};
    LEVEL levels[] = {{first, 2, 4, 8, 0}, {second, 1, 3, 6, -40}};
    LEVELLIST list{levels, 2, FALSE, nullptr};
    char* text = BuildLevelText(&list);
    Write("level_text", "two_levels.lev", std::string(text));
    std::string scrambled(text);
    ScrambleText(scrambled.data(), scrambled.size());
    Write("level_text", "two_levels_scrambled.lev", scrambled);
    std::free(text);
    // The other spellings the reader accepts: comments, other cell letters,
    // upper case keys, values on lines of their own.
    Write("level_text", "spellings.lev",
          std::string("; a comment\r\nLEVEL { width=6 LENGTH = 9 / another comment\n"
                      "  puzzle { Mines = 4 Speed = -100 cubes { @ + * # ! . N B F S V X , x v s } }\n}\n"));
    // Where the reader stops: a cell row too many, a puzzle without cubes.
    Write("level_text", "stops_inside.lev", std::string("Level {\n Puzzle { Mines = 1 Cubes { n n } Cubes {"));
}

// ---- pictures -----------------------------------------------------------------

void Pictures()
{
    const auto pixel = [](int x, int y) { return static_cast<std::uint32_t>((x * 7 + y * 3) & 0xFF) * 0x010203u; };
    struct Kind {
        const char* name;
        int depth, height, colours;
        bool core, file;
    } kinds[] = {{"d1.bmp", 1, 5, 2, false, true},
                 {"d4.bmp", 4, 4, 16, false, true},
                 {"d8.bmp", 8, 3, 256, false, true},
                 {"d8_few_colours.bmp", 8, 3, 6, false, true},
                 {"d16.bmp", 16, 3, 0, false, true},
                 {"d24_top_down.bmp", 24, -3, 0, false, true},
                 {"d32.bmp", 32, 2, 0, false, true},
                 {"core_d8.bmp", 8, 3, 16, true, true},
                 {"no_file_header_d4.dib", 4, 3, 16, false, false}};
    for (const Kind& k : kinds) {
        imagefiles::BitmapLayout layout;
        layout.width = 5;
        layout.height = k.height;
        layout.depth = k.depth;
        layout.colours = Palette(static_cast<unsigned>(k.colours));
        layout.coreHeader = k.core;
        layout.fileHeader = k.file;
        const Bytes b = imagefiles::BuildBitmap(layout, [&](int x, int y) {
            return k.depth <= 8 ? pixel(x, y) % static_cast<unsigned>(k.colours) : pixel(x, y);
        });
        Write("bitmap", k.name, b);
        if (k.file)
            Write("cutsheet", std::string("plain_") + k.name, b);
    }
    // The library's own writer.
    GRAPHIC g(6, 4, 8, static_cast<RGBQUAD*>(nullptr), 0xFFFFFFFF);
    for (long y = 0; y < 4; ++y)
        for (long x = 0; x < 6; ++x)
            g.SetPixelValue(x, y, static_cast<unsigned long>(x + y * 6), 0);
    std::vector<unsigned char> buffer(4096);
    FILEMAP f;
    f.Open(buffer.data(), static_cast<unsigned>(buffer.size()));
    g.Save(f, 1);
    Write("bitmap", "saved_by_graphic.bmp", buffer.data(), static_cast<std::size_t>(f.GetPosition()));

    // GIF: one frame, several frames with a control block, interlaced,
    // comments and an application block, a local colour table.
    const auto frame = [](int w, int h, unsigned k) {
        std::vector<unsigned char> p(static_cast<std::size_t>(w * h));
        for (std::size_t i = 0; i < p.size(); ++i)
            p[i] = static_cast<unsigned char>((i + k) % 4);
        return p;
    };
    const Bytes single =
        imagefiles::GifBuilder("89a", 4, 3, 1, Palette(4), 0).Image(0, 0, 4, 3, frame(4, 3, 0), 2).Finish();
    imagefiles::GifBuilder several("89a", 6, 5, 2, Palette(4), 1);
    several.Application();
    for (unsigned k = 0; k < 3; ++k)
        several.Control(k == 1, 2).Image(1, 1, 4, 3, frame(4, 3, k), 2);
    const Bytes animation = several.Finish();
    const Bytes interlaced = imagefiles::GifBuilder("87a", 3, 9, 1, Palette(4), 0)
                                 .Comment("made for the fuzzer")
                                 .Image(0, 0, 3, 9, frame(3, 9, 1), 2, true, true)
                                 .Finish();
    for (const auto& [name, b] : {std::pair{"single.gif", single}, std::pair{"three_frames.gif", animation},
                                  std::pair{"interlaced.gif", interlaced}}) {
        Write("gif", name, b);
        Write("cutsheet", std::string("animation_") + name, b);
    }
    Write("bitmap", "single.gif", single);

    // AVI: frames of 16, 24 and 32 bits.
    for (int bytesPer : {2, 3, 4}) {
        std::vector<std::pair<std::string, Bytes>> frames;
        for (int k = 0; k < 2; ++k)
            frames.emplace_back("00db", Bytes(static_cast<std::size_t>(3 * 2 * bytesPer),
                                              static_cast<unsigned char>(k * 40 + bytesPer)));
        const Bytes b = imagefiles::BuildAvi(3, 2, frames);
        const std::string name = "frames_" + std::to_string(bytesPer * 8) + ".avi";
        Write("avi", name, b);
        if (bytesPer == 3)
            Write("cutsheet", "animation_" + name, b);
    }

    // Cut sheets saved by the library: the current version with the bitmap
    // inside, and a previous version laid out by hand.
    CUTSHEET sheet;
    sheet.SetGraphic(new GRAPHIC(8, 4, 8, static_cast<RGBQUAD*>(nullptr), 0xFFFFFFFF));
    sheet.SetBitmapName("sheet.bmp");
    sheet.CreateCutImage(RECT{0, 0, 4, 4}, 0x00FF00FF, 7);
    sheet.CreateCutImage(RECT{4, 0, 8, 2}, 0xFFFFFFFF, -3);
    const long freed = sheet.CreateCutImage(RECT{4, 2, 8, 4}, 0xFFFFFFFF, 1);
    sheet.FreeCutImage(freed);
    std::vector<unsigned char> saved(8192);
    FILEMAP out;
    out.Open(saved.data(), static_cast<unsigned>(saved.size()));
    if (!sheet.Save(out)) {
        std::fprintf(stderr, "make_fuzz_corpus: the cut sheet was not saved\n");
        std::exit(1);
    }
    Write("cutsheet", "current_version.cut", saved.data(), static_cast<std::size_t>(out.GetPosition()));
    Bytes previous;
    PutText(previous, "CS");
    std::string name = "old.bmp";
    name.resize(CUTSHEET::cchBitmapName, '\0');
    previous.insert(previous.end(), name.begin(), name.end());
    Put16(previous, 1);
    Put16(previous, 0xDBDB);
    imagefiles::BitmapLayout layout;
    layout.width = 4;
    layout.height = 2;
    layout.depth = 4;
    layout.colours = Palette(16);
    const Bytes bmp = imagefiles::BuildBitmap(layout, [](int x, int y) { return static_cast<std::uint32_t>(x + y); });
    previous.insert(previous.end(), bmp.begin(), bmp.end());
    for (std::uint32_t v : {0u, 0u, 2u, 2u, 0xFFFFFFFFu, 1u, 5u, 1u})
        Put32(previous, v);
    PutText(previous, "SC");
    Write("cutsheet", "previous_version.cut", previous);
}

// ---- sounds -------------------------------------------------------------------

struct Sink {
    Bytes bytes;
    sf_count_t at = 0;
};

Bytes Encode(int channels, int rate, int subtype, int frames)
{
    Sink sink;
    SF_VIRTUAL_IO io{};
    io.get_filelen = [](void* p) -> sf_count_t { return static_cast<sf_count_t>(static_cast<Sink*>(p)->bytes.size()); };
    io.seek = [](sf_count_t offset, int whence, void* p) -> sf_count_t {
        Sink* s = static_cast<Sink*>(p);
        s->at = whence == SEEK_SET   ? offset
                : whence == SEEK_CUR ? s->at + offset
                                     : static_cast<sf_count_t>(s->bytes.size()) + offset;
        return s->at;
    };
    io.read = [](void* out, sf_count_t n, void* p) -> sf_count_t {
        Sink* s = static_cast<Sink*>(p);
        const sf_count_t left = static_cast<sf_count_t>(s->bytes.size()) - s->at;
        n = std::max<sf_count_t>(0, std::min(n, left));
        std::memcpy(out, s->bytes.data() + s->at, static_cast<std::size_t>(n));
        s->at += n;
        return n;
    };
    io.write = [](const void* in, sf_count_t n, void* p) -> sf_count_t {
        Sink* s = static_cast<Sink*>(p);
        if (static_cast<std::size_t>(s->at + n) > s->bytes.size())
            s->bytes.resize(static_cast<std::size_t>(s->at + n));
        std::memcpy(s->bytes.data() + s->at, in, static_cast<std::size_t>(n));
        s->at += n;
        return n;
    };
    io.tell = [](void* p) -> sf_count_t { return static_cast<Sink*>(p)->at; };
    SF_INFO info{};
    info.channels = channels;
    info.samplerate = rate;
    info.format = SF_FORMAT_WAV | subtype;
    SNDFILE* sf = sf_open_virtual(&io, SFM_WRITE, &info, &sink);
    if (!sf) {
        std::fprintf(stderr, "make_fuzz_corpus: %s\n", sf_strerror(nullptr));
        std::exit(1);
    }
    std::vector<short> samples(static_cast<std::size_t>(frames * channels));
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<short>(8000 * std::sin(static_cast<double>(i) * 0.3));
    sf_writef_short(sf, samples.data(), frames);
    sf_close(sf);
    return sink.bytes;
}

void Sounds()
{
    struct Kind {
        const char* name;
        int channels, rate, subtype, frames;
    } kinds[] = {{"pcm8.wav", 1, 8000, SF_FORMAT_PCM_U8, 40},
                 {"pcm16_stereo.wav", 2, 11025, SF_FORMAT_PCM_16, 30},
                 {"pcm24.wav", 1, 8000, SF_FORMAT_PCM_24, 20},
                 {"float.wav", 1, 8000, SF_FORMAT_FLOAT, 20},
                 {"ima_adpcm.wav", 1, 22050, SF_FORMAT_IMA_ADPCM, 600},
                 {"ms_adpcm.wav", 2, 11025, SF_FORMAT_MS_ADPCM, 300},
                 {"gsm610.wav", 1, 8000, SF_FORMAT_GSM610, 320},
                 {"ulaw.wav", 1, 8000, SF_FORMAT_ULAW, 30},
                 {"alaw.wav", 1, 8000, SF_FORMAT_ALAW, 30}};
    for (const Kind& k : kinds)
        Write("wave", k.name, Encode(k.channels, k.rate, k.subtype, k.frames));

    // MIDI: one track; three tracks merged by time with running status,
    // tempo changes, a system-exclusive message and text meta events.
    const auto track = [](const Bytes& events) {
        Bytes b;
        PutText(b, "MTrk");
        b.push_back(static_cast<unsigned char>(events.size() >> 24));
        b.push_back(static_cast<unsigned char>(events.size() >> 16));
        b.push_back(static_cast<unsigned char>(events.size() >> 8));
        b.push_back(static_cast<unsigned char>(events.size()));
        b.insert(b.end(), events.begin(), events.end());
        return b;
    };
    const auto header = [](unsigned format, unsigned tracks) {
        Bytes b;
        PutText(b, "MThd");
        for (unsigned v : {0u, 0u, 0u, 6u, 0u, format, 0u, tracks, 0x01u, 0xE0u})
            b.push_back(static_cast<unsigned char>(v));
        return b;
    };
    Bytes one = header(0, 1);
    const Bytes song =
        track({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0xC0, 0x05, 0x00, 0x90, 0x3C, 0x64, 0x83,
               0x60, 0x3C, 0x00, 0x00, 0x40, 0x60, 0x81, 0x40, 0x80, 0x40, 0x00, 0x00, 0xFF, 0x2F, 0x00});
    one.insert(one.end(), song.begin(), song.end());
    Write("midi", "one_track.mid", one);
    Bytes three = header(1, 3);
    for (const Bytes& t :
         {track({0x00, 0xFF, 0x03, 0x04, 'S',  'o',  'n',  'g',  0x00, 0xFF, 0x51, 0x03, 0x0F, 0x42,
                 0x40, 0x87, 0x40, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0xFF, 0x2F, 0x00}),
          track({0x00, 0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7, 0x10, 0x91, 0x30, 0x50, 0x60,
                 0x34, 0x50, 0x81, 0x00, 0x30, 0x00, 0x00, 0x34, 0x00, 0x00, 0xFF, 0x2F, 0x00}),
          track({0x20, 0xB2, 0x07, 0x64, 0x00, 0xE2, 0x00, 0x40, 0x00, 0xD2, 0x30, 0x00, 0xFF, 0x2F, 0x00})})
        three.insert(three.end(), t.begin(), t.end());
    Write("midi", "three_tracks.mid", three);
    Bytes empty = header(1, 2);
    for (const Bytes& t : {track({}), track({0x00, 0xFF, 0x2F, 0x00})})
        empty.insert(empty.end(), t.begin(), t.end());
    Write("midi", "empty_tracks.mid", empty);
}

// ---- settings store and resources ---------------------------------------------

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void SettingsStore()
{
    const std::filesystem::path config =
        std::filesystem::temp_directory_path() / ("varno-corpus-" + std::to_string(getpid()));
    std::filesystem::remove_all(config);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    registry_store::Reload();
    SettingsDefaults(&g.Settings);
    SaveSettings();
    const std::filesystem::path file = config / "varno" / "current-user.registry";
    Write("settings", "defaults.registry", ReadFile(file));
    HKEY key = nullptr;
    const DWORD one = 1;
    RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Telmar\\Varno", 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    RegSetValueExA(key, "FullScreen", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4);
    RegCloseKey(key);
    RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Telmar\\Odd\tName%\x01", 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                    nullptr);
    RegSetValueExA(key, "text\nvalue", 0, REG_SZ, reinterpret_cast<const BYTE*>("hello"), 6);
    const DWORD number = 0x12345678;
    RegSetValueExA(key, "", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4);
    RegSetValueExA(key, "other type", 0, 77, reinterpret_cast<const BYTE*>("\x01\x02"), 2);
    RegCloseKey(key);
    Write("settings", "escaped_names.registry", ReadFile(file));
    std::string damaged = ReadFile(file);
    damaged += "value\tbroken\tbinary\t3\t0102\nkey\t\nsomething else\n";
    Write("settings", "damaged_lines.registry", damaged);
    std::filesystem::remove_all(config);
    registry_store::Reload();
}

void Resources(const std::filesystem::path& source)
{
    // Blobs of records (type, name, language, size, bytes): the string
    // blocks compiled from the first lines of the game's string tables, and
    // data of other types.
    for (const char* table : {"1033", "0"}) {
        std::string text = ReadFile(source / "resources" / "strings" / (std::string(table) + ".txt"));
        std::string head;
        for (std::size_t at = 0, lines = 0; at < text.size() && lines < 24; ++lines) {
            const std::size_t end = std::min(text.find('\n', at), text.size());
            head += text.substr(at, end - at + 1);
            at = end + 1;
        }
        std::vector<rescompile::Resource> blocks;
        std::vector<std::string> errors;
        rescompile::CompileStringTable(head, static_cast<std::uint16_t>(std::atoi(table)), table, blocks, errors);
        Bytes blob;
        for (const rescompile::Resource& r : blocks) {
            Put16(blob, r.typeId);
            Put16(blob, r.nameId);
            Put16(blob, r.language);
            Put16(blob, static_cast<unsigned>(r.data.size()));
            blob.insert(blob.end(), r.data.begin(), r.data.end());
        }
        for (unsigned type : {10u, 0xFFFFu}) {
            Put16(blob, type);
            Put16(blob, 0xFFFF);
            Put16(blob, 1033);
            Put16(blob, 5);
            PutText(blob, "bytes");
        }
        Write("resources", std::string("blocks_") + table + ".blob", blob);
        // The same lines as text after an empty table of records.
        Write("resources", std::string("text_") + table + ".blob", head);
    }
    Write(
        "resources", "continued.blob",
        std::string(
            "100\tA text that goes on+\n101\tin the next id+\n102\tand ends \\t here.\n116\tEsperanto: ĉ ĝ ĥ ĵ ŝ ŭ\n"));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_fuzz_corpus FOLDER SOURCE_TREE\n");
        return 2;
    }
    g_out = argv[1];
    LevelText();
    Pictures();
    Sounds();
    SettingsStore();
    Resources(argv[2]);
    std::printf("make_fuzz_corpus: %d files in %s\n", g_files, g_out.c_str());
    return 0;
}
