// Bitmap loading: the same bytes loaded from memory and from a file through
// the file map give the same picture, or fail the same way.
#include "anim/filemap.h"
#include "anim/graphic.h"
#include "anim/lasterror.h"
#include "fuzz/fuzz_target.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {
constexpr unsigned long kNoColour = 0xFFFFFFFFul;
}

VARNO_FUZZ_TARGET(bitmap)
{
    std::vector<unsigned char> bytes(data, data + size);
    FILEMAP memory;
    GRAPHIC fromMemory;
    int okMemory = 0;
    if (memory.Open(bytes.data(), static_cast<unsigned>(bytes.size())))
        okMemory = fromMemory.Load(memory, kNoColour);

    const std::string path = fuzzing::ScratchFolder() + "picture.bmp";
    if (!fuzzing::WriteInput(path, data, size))
        return 0;
    GRAPHIC fromFile;
    const int okFile = fromFile.Load(path.c_str(), kNoColour);

    FUZZ_CHECK((okMemory != 0) == (okFile != 0));
    if (okMemory && okFile) {
        FUZZ_CHECK(fromMemory.GetWidth() == fromFile.GetWidth());
        FUZZ_CHECK(fromMemory.GetHeight() == fromFile.GetHeight());
        FUZZ_CHECK(fromMemory.GetDepth() == fromFile.GetDepth());
        FUZZ_CHECK(fromMemory.GetDataSize() == fromFile.GetDataSize());
        FUZZ_CHECK(std::memcmp(fromMemory.GetPixelBuffer(), fromFile.GetPixelBuffer(), fromMemory.GetDataSize()) == 0);
        // Every pixel of a loaded picture can be read.
        const long w = fromMemory.GetWidth(), h = fromMemory.GetHeight();
        fromMemory.GetPixel(0, 0);
        fromMemory.GetPixel(w - 1, h - 1);
    }
    return 0;
}
