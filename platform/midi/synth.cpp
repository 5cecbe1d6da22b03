#include "platform/midi/synth.h"

#include <fluidsynth.h>

#include <filesystem>
#include <mutex>

namespace midi_synth {
namespace {

struct SynthState {
    std::mutex mutex;
    std::vector<std::string> searchList = DefaultSearchList();
    bool dirty = true;
    DWORD rate = 0;
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    std::string error = "the synthesiser has not been prepared";
    std::string lastLibraryError;
    std::vector<float> scratch;
};

SynthState& State()
{
    static auto* state = new SynthState;
    return *state;
}

// The synthesiser library's messages are kept, not printed: its last error
// becomes part of the reason when a SoundFont does not load.
void KeepLibraryMessage(int level, const char* message, void*)
{
    if (level == FLUID_ERR || level == FLUID_PANIC) {
        State().lastLibraryError = message ? message : "";
    }
}

void Free(SynthState& s)
{
    if (s.synth) {
        delete_fluid_synth(s.synth);
        s.synth = nullptr;
    }
    if (s.settings) {
        delete_fluid_settings(s.settings);
        s.settings = nullptr;
    }
}

} // namespace

std::vector<std::string> DefaultSearchList()
{
    return {"/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/sounds/sf2/TimGM6mb.sf2",
            "/usr/share/sounds/sf2/FluidR3_GM.sf2"};
}

void SetSearchList(const std::vector<std::string>& paths)
{
    auto& s = State();
    std::lock_guard lock(s.mutex);
    s.searchList = paths;
    s.dirty = true;
}

bool Prepare(DWORD rate)
{
    auto& s = State();
    std::lock_guard lock(s.mutex);
    if (!s.dirty && s.rate == rate) {
        return s.synth != nullptr;
    }
    Free(s);
    s.dirty = false;
    s.rate = rate;
    for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG}) {
        fluid_set_log_function(level, KeepLibraryMessage, nullptr);
    }
    s.settings = new_fluid_settings();
    if (s.settings == nullptr) {
        s.error = "the synthesiser's settings could not be made";
        return false;
    }
    fluid_settings_setnum(s.settings, "synth.sample-rate", static_cast<double>(rate));
    fluid_settings_setnum(s.settings, "synth.gain", 0.5);
    s.synth = new_fluid_synth(s.settings);
    if (s.synth == nullptr) {
        Free(s);
        s.error = "the synthesiser could not be made";
        return false;
    }
    std::string tried;
    for (const auto& path : s.searchList) {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(path, ec)) {
            continue;
        }
        s.lastLibraryError.clear();
        if (fluid_synth_sfload(s.synth, path.c_str(), 1) != FLUID_FAILED) {
            s.error.clear();
            return true;
        }
        tried += (tried.empty() ? "" : "; ") + path + ": " + s.lastLibraryError;
    }
    Free(s);
    s.error = tried.empty() ? "no General MIDI SoundFont was found" : "no SoundFont could be loaded (" + tried + ")";
    return false;
}

std::string Error()
{
    auto& s = State();
    std::lock_guard lock(s.mutex);
    return s.error;
}

void ShortMessage(DWORD message)
{
    auto& s = State();
    std::lock_guard lock(s.mutex);
    if (s.synth == nullptr) {
        return;
    }
    const int status = message & 0xFF, channel = status & 0x0F;
    const int data1 = (message >> 8) & 0x7F, data2 = (message >> 16) & 0x7F;
    switch (status & 0xF0) {
    case 0x80: fluid_synth_noteoff(s.synth, channel, data1); break;
    case 0x90:
        if (data2 == 0) {
            fluid_synth_noteoff(s.synth, channel, data1);
        } else {
            fluid_synth_noteon(s.synth, channel, data1, data2);
        }
        break;
    case 0xA0: fluid_synth_key_pressure(s.synth, channel, data1, data2); break;
    case 0xB0: fluid_synth_cc(s.synth, channel, data1, data2); break;
    case 0xC0: fluid_synth_program_change(s.synth, channel, data1); break;
    case 0xD0: fluid_synth_channel_pressure(s.synth, channel, data1); break;
    case 0xE0: fluid_synth_pitch_bend(s.synth, channel, data1 | (data2 << 7)); break;
    default: break; // system messages have no meaning for the synthesiser
    }
}

void Reset()
{
    auto& s = State();
    std::lock_guard lock(s.mutex);
    if (s.synth != nullptr) {
        fluid_synth_system_reset(s.synth);
    }
}

void Render(float* stereo, DWORD frames)
{
    auto& s = State();
    std::lock_guard lock(s.mutex);
    if (s.synth == nullptr || frames == 0) {
        return;
    }
    if (s.scratch.size() < static_cast<std::size_t>(frames) * 2) {
        s.scratch.resize(static_cast<std::size_t>(frames) * 2);
    }
    float* out = s.scratch.data();
    fluid_synth_write_float(s.synth, static_cast<int>(frames), out, 0, 2, out, 1, 2);
    for (std::size_t i = 0; i < static_cast<std::size_t>(frames) * 2; ++i) {
        stereo[i] += out[i];
    }
}

} // namespace midi_synth
