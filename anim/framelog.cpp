#include "anim/framelog.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace framelog {
namespace {
struct Log {
    std::string path;
    std::FILE* file = nullptr;
    ~Log()
    {
        if (file)
            std::fclose(file);
    }
};

Log& log()
{
    static Log l;
    return l;
}
} // namespace

void Write(long frame, DWORD tick, DWORD interval, double msMove, double msCompose, double ms3d, double msPresent)
{
    const char* path = std::getenv("VARNO_FRAME_LOG");
    Log& l = log();
    if (!path || !*path) {
        if (l.file) {
            std::fclose(l.file);
            l.file = nullptr;
            l.path.clear();
        }
        return;
    }
    if (l.path != path) {
        // A file that cannot be opened is not tried again every frame.
        if (l.file)
            std::fclose(l.file);
        l.file = std::fopen(path, "a");
        l.path = path;
    }
    if (!l.file)
        return;
    std::fprintf(l.file, "%ld %lu %lu %.3f %.3f %.3f %.3f\n", frame, static_cast<unsigned long>(tick),
                 static_cast<unsigned long>(interval), msMove, msCompose, ms3d, msPresent);
    // Each line is whole on disk even if the program ends abruptly.
    std::fflush(l.file);
}
} // namespace framelog
