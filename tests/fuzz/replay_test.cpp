// Replays every file of tests/fuzz/corpus/<target>/ through its fuzz target:
// the seeds and every input that ever made a reader fail, so that a fixed
// fault stays fixed without the fuzzer or its compiler. Runs in the same
// process as the readers' own failures would show: AddressSanitizer and
// UndefinedBehaviorSanitizer catch them under ./test --sanitize.
#include "fuzz/fuzz_target.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace {

std::map<std::string, fuzzing::TargetFn>& Targets()
{
    static std::map<std::string, fuzzing::TargetFn> targets;
    return targets;
}

std::vector<std::string>* g_failures = nullptr;

std::vector<std::filesystem::path> CorpusFiles(const std::string& target)
{
    std::vector<std::filesystem::path> files;
    const std::filesystem::path folder = std::filesystem::path(VARNO_FUZZ_CORPUS) / target;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        if (entry.is_regular_file())
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

namespace fuzzing {

bool Register(const char* name, TargetFn fn)
{
    Targets()[name] = fn;
    return true;
}

void Fail(const char* condition, const char* file, int line)
{
    const std::string text = std::string(file) + ":" + std::to_string(line) + ": " + condition;
    if (g_failures)
        g_failures->push_back(text);
    else
        ADD_FAILURE() << text;
}

} // namespace fuzzing

class FuzzCorpus : public testing::TestWithParam<const char*> {};

TEST_P(FuzzCorpus, EveryFileGoesThroughItsReaderKeepingItsPromises)
{
    const std::string target = GetParam();
    const auto it = Targets().find(target);
    ASSERT_NE(it, Targets().end()) << "no fuzz target " << target;
    const std::vector<std::filesystem::path> files = CorpusFiles(target);
    // Seeds of every kind the reader knows, not a token file or two.
    EXPECT_GE(files.size(), 3u) << "corpus of " << target;
    for (const auto& path : files) {
        std::ifstream in(path, std::ios::binary);
        const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        std::vector<std::string> failures;
        g_failures = &failures;
        it->second(bytes.data(), bytes.size());
        g_failures = nullptr;
        for (const std::string& failure : failures)
            ADD_FAILURE() << path.filename().string() << ": " << failure;
    }
}

INSTANTIATE_TEST_SUITE_P(Readers, FuzzCorpus,
                         testing::Values("level_text", "bitmap", "gif", "avi", "cutsheet", "wave", "midi", "settings",
                                         "resources"),
                         [](const testing::TestParamInfo<const char*>& info) { return std::string(info.param); });
