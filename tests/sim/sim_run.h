// Runs varno-sim as a process, the way a designer or a script does, and
// keeps its exit code and standard output (standard error is dropped).
#pragma once

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

// The simulator beside the test program, or the one on the path.
inline std::string SimPath()
{
    namespace fs = std::filesystem;
    const fs::path exe = fs::read_symlink("/proc/self/exe").parent_path();
    for (const fs::path& p : {exe / "varno-sim", exe / "bin" / "varno-sim", exe.parent_path() / "bin" / "varno-sim"})
        if (fs::exists(p))
            return p.string();
    return "varno-sim";
}

struct RUN {
    int code;
    std::string out;
};

inline RUN RunSim(const std::string& args)
{
    RUN r{-1, {}};
    FILE* p = popen((SimPath() + " " + args + " 2>/dev/null").c_str(), "r");
    if (!p)
        return r;
    std::array<char, 4096> buffer;
    std::size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), p)) > 0)
        r.out.append(buffer.data(), n);
    const int status = pclose(p);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}
