// The scratch folder of the fuzz targets that go through real files.
#include "fuzz/fuzz_target.h"

#include <sys/stat.h>
#include <unistd.h>

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
        return path;
    }();
    return folder;
}

} // namespace fuzzing
