// The library's two diagnostic windows with live content: the memory
// manager's statistics ("Memory Manager") over blocks that come and go, and
// the debug output ("debug++") that a loop keeps writing to. Both are real
// windows on the desktop.
//
//   diagnostics_demo [seconds] [folder]
//
// runs for the given time (default 5 s) and then saves what each window shows
// as a bitmap file in the folder (default: the current one). F8 opens the
// statistics window again after it was closed.
#include "anim/debug.h"
#include "anim/memmgr.h"
#include "platform/clock/clock.h"
#include "platform/input/input.h"
#include "platform/window/toolwin.h"
#include "platform/window/window.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {
// Writes 32-bit XRGB pixels as a 24-bit bitmap file.
bool SaveBitmap(const std::string& path, const std::vector<std::uint32_t>& pixels, int w, int h)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const int row = (w * 3 + 3) / 4 * 4;
    const std::uint32_t size = 54u + static_cast<std::uint32_t>(row * h);
    unsigned char head[54] = {'B', 'M'};
    auto put32 = [&](int at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            head[at + i] = static_cast<unsigned char>(v >> (8 * i));
    };
    put32(2, size);
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<std::uint32_t>(w));
    put32(22, static_cast<std::uint32_t>(h));
    head[26] = 1;
    head[28] = 24;
    std::fwrite(head, 1, sizeof head, f);
    std::vector<unsigned char> line(static_cast<std::size_t>(row), 0);
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) {
            const std::uint32_t p = pixels[static_cast<std::size_t>(y * w + x)];
            line[static_cast<std::size_t>(x * 3)] = static_cast<unsigned char>(p);
            line[static_cast<std::size_t>(x * 3 + 1)] = static_cast<unsigned char>(p >> 8);
            line[static_cast<std::size_t>(x * 3 + 2)] = static_cast<unsigned char>(p >> 16);
        }
        std::fwrite(line.data(), 1, line.size(), f);
    }
    return std::fclose(f) == 0;
}

void Save(HWND hwnd, const std::string& path)
{
    std::vector<std::uint32_t> pixels;
    int w = 0, h = 0;
    if (hwnd && toolwin::ReadPixels(hwnd, &pixels, &w, &h) && SaveBitmap(path, pixels, w, h))
        std::printf("saved %s (%d x %d)\n", path.c_str(), w, h);
}

// A few blocks of a pretend program, some of them kept, some freed.
struct Workload {
    std::vector<void*> kept;
    std::vector<int*> objects;
    unsigned tick = 0;

    void Start()
    {
        static const char* const names[] = {"level list", "puzzle table", "texture cache", "sound buffer",
                                            "font descriptions", "menu items"};
        for (int i = 0; i < 6; ++i)
            kept.push_back(MemMgr_AllocateMemory(500 + i * 1800 + (i == 2 ? 2 * 1024 * 1024 : 0), names[i],
                                                 "tools\\diagnostics_demo.cpp", 80 + i));
        for (int i = 0; i < 3; ++i) {
            int* o = new int[16];
            MemMgr_TrackNew(o, 16 * sizeof(int), "new int[16]", "tools/diagnostics_demo.cpp", 86);
            objects.push_back(o);
        }
        void* gone = MemMgr_AllocateMemory(128, "scratch", "tools/diagnostics_demo.cpp", 89);
        MemMgr_FreeMemory(gone, "tools/diagnostics_demo.cpp", 90);
    }

    // Every step a block comes or goes.
    void Step()
    {
        ++tick;
        if (tick % 3 == 0 && kept.size() > 6) {
            MemMgr_FreeMemory(kept.back(), "tools/diagnostics_demo.cpp", 98);
            kept.pop_back();
        } else {
            kept.push_back(MemMgr_AllocateMemory(static_cast<int>(64 + (tick * 37) % 4000), "frame scratch",
                                                 "tools/diagnostics_demo.cpp", 101));
        }
    }

    void End()
    {
        for (void* p : kept)
            MemMgr_FreeMemory(p, "tools/diagnostics_demo.cpp", 107);
        for (int* o : objects) {
            MemMgr_TrackDelete(o, "tools/diagnostics_demo.cpp", 109);
            delete[] o;
        }
    }
};
}  // namespace

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 5.0;
    const std::string folder = argc > 2 ? std::string(argv[2]) + "/" : std::string();

    Workload work;
    work.Start();
    debug << "debug++ demo: the library's diagnostic output\n";
    debug << "a rectangle " << RECT{10, 20, 110, 220} << ", a pointer " << static_cast<const void*>(&work)
          << ", a small one " << reinterpret_cast<const void*>(0x1234) << "\n";
    debug << "[AnglesOn]" << "-pi/2 as an angle: " << -M_PI / 2 << "[AnglesOff]" << ", 2.5 and 3.0: " << 2.5 << " "
          << 3.0 << "\n";
    debug << "last error: " << "[LastError]" << "\n";
    ShowMemoryManager();

    const DWORD start = GetTickCount();
    DWORD next = start;
    long frame = 0;
    while (GetTickCount() - start < static_cast<DWORD>(seconds * 1000)) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (IsMemoryManagerMessage(&msg))
                continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (GetTickCount() >= next) {
            next += 100;
            work.Step();
            debug << "frame " << frame << ": " << static_cast<unsigned long>(work.kept.size()) << " blocks kept, angle "
                  << "[AnglesOn]" << frame * 0.1 << "[AnglesOff]" << "\n";
            ++frame;
        }
        Sleep(10);
    }
    // The last messages are handled and the windows painted before saving.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    toolwin::Refresh();
    Save(MemoryManagerWindow(), folder + "memory_manager.bmp");
    Save(debug.GetWindow(), folder + "debug.bmp");
    work.End();
    return 0;
}
