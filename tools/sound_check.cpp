// Checks that the game's sound reaches an audio device: starts the sound
// system on SDL's disk audio driver, plays the title sound and the music for
// a few seconds and verifies that the recorded audio is not silent.
//   sound_check <data folder> [seconds]
// The recording goes to the file named by SDL_DISKAUDIOFILE (a temporary
// file when unset). Exit code 0 when sound was recorded.
#include "sound/dxsound.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: sound_check <data folder> [seconds]\n");
        return 2;
    }
    const std::string data = std::string(argv[1]) + "/";
    const double seconds = argc > 2 ? std::atof(argv[2]) : 3.0;
    const std::string record =
        std::getenv("SDL_DISKAUDIOFILE")
            ? std::getenv("SDL_DISKAUDIOFILE")
            : (std::filesystem::temp_directory_path() / "varno-sound-check.raw").string();
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", record.c_str(), 1);
    std::filesystem::remove(record);

    static int window; // the sound device only needs some window to belong to
    if (!SoundInit(reinterpret_cast<HWND>(&window))) {
        std::fprintf(stderr, "sound_check: no sound device on the disk driver\n");
        return 1;
    }
    SOUND title((data + "varno.wav").c_str());
    SOUND music((data + "varno.mid").c_str());
    if (!title.fLoaded() || !music.fLoaded()) {
        std::fprintf(stderr, "sound_check: cannot load the title sound or the music (error %lu)\n",
                     static_cast<unsigned long>(SoundLastError()));
        return 1;
    }
    title.Play();
    music.Play(true);
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const bool fMusicPlaying = music.IsPlaying();
    music.Stop();
    title.Unload();
    music.Unload();
    SoundShutdown();

    // The recording is whatever format the device opened with; 16-bit or
    // float, any non-zero byte run long enough means sound.
    std::ifstream in(record, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::size_t nonZero = 0;
    for (char b : bytes)
        nonZero += b != 0;
    std::printf("sound_check: %zu bytes recorded in %s, %zu not zero; music %s\n", bytes.size(), record.c_str(),
                nonZero, fMusicPlaying ? "playing" : "stopped");
    const bool ok = bytes.size() > 1000 && nonZero > bytes.size() / 10 && fMusicPlaying;
    std::printf("sound_check: %s\n", ok ? "sound recorded" : "SILENT");
    return ok ? 0 : 1;
}
