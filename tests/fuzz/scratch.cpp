// The scratch folder of the fuzz targets that go through real files.
#include "fuzz/fuzz_target.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

namespace {
const char* g_folderToRemove = nullptr;
}

namespace fuzzing {

std::string ScratchFolder()
{
    static const std::string folder = [] {
        const char* tmp = std::getenv("TMPDIR");
        std::string base = tmp && tmp[0] == '/' ? tmp : "/tmp";
        if (base.back() != '/')
            base += '/';
        std::string path = base + "varno-fuzz-" + std::to_string(getpid()) + "/";
        mkdir(path.c_str(), 0700);
        // Gone again when the process ends normally (the name is kept apart
        // from this string, which is destroyed before the handler runs).
        g_folderToRemove = strdup(path.c_str());
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(g_folderToRemove, ignored);
        });
        return path;
    }();
    return folder;
}

bool WriteInput(const std::string& path, const std::uint8_t* data, std::size_t size)
{
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out)
        return false;
    const bool written = std::fwrite(data, 1, size, out) == size;
    return std::fclose(out) == 0 && written;
}

} // namespace fuzzing
