// One entry point per reader of outside bytes. The same source builds two
// ways: with VARNO_LIBFUZZER each target file is the whole of a libFuzzer
// program (the entry point is LLVMFuzzerTestOneInput); without it, every
// target registers itself by name in the replay test, which feeds it each
// file of tests/fuzz/corpus/<name>/.
//
// A target returns 0. A broken promise of the reader (a round trip that
// does not come back the same, two ways of loading that disagree) is
// reported with FUZZ_CHECK: the fuzzer stops there with the input, the
// replay test fails with the condition's text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace fuzzing {

using TargetFn = int (*)(const std::uint8_t* data, std::size_t size);

#ifdef VARNO_LIBFUZZER
[[noreturn]] inline void Fail(const char* condition, const char* file, int line)
{
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
    std::abort();
}
#else
// Defined by the replay test: records the failure against the current file.
void Fail(const char* condition, const char* file, int line);
bool Register(const char* name, TargetFn fn);
#endif

// A folder of this process's own for files a target writes (below TMPDIR,
// else /tmp), made on first use and ending in "/".
std::string ScratchFolder();

// Writes the input whole to `path` (made anew); false when it could not be.
bool WriteInput(const std::string& path, const std::uint8_t* data, std::size_t size);

} // namespace fuzzing

#define FUZZ_CHECK(condition)                                                                                          \
    do {                                                                                                               \
        if (!(condition))                                                                                              \
            ::fuzzing::Fail(#condition, __FILE__, __LINE__);                                                           \
    } while (0)

#ifdef VARNO_LIBFUZZER
#define VARNO_FUZZ_TARGET(name) extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
#else
#define VARNO_FUZZ_TARGET(name)                                                                                        \
    static int FuzzTarget_##name(const std::uint8_t* data, std::size_t size);                                          \
    [[maybe_unused]] static const bool g_fuzzRegistered_##name = ::fuzzing::Register(#name, FuzzTarget_##name);        \
    static int FuzzTarget_##name(const std::uint8_t* data, std::size_t size)
#endif
