// What every animation reader promises over a memory map, whatever the
// bytes: a failure leaves the map where it was; a success gives at least
// one frame, each a picture of the size it claims.
#pragma once

#include "anim/filemap.h"
#include "anim/graphic.h"
#include "anim/memmgr.h"
#include "fuzz/fuzz_target.h"

#include <cstddef>
#include <cstdint>
#include <vector>

using FRAMEREADER = int (*)(FILEMAP& f, GRAPHIC*** papgr, unsigned* pn);

inline int CheckFrameReader(FRAMEREADER read, const std::uint8_t* data, std::size_t size)
{
    std::vector<unsigned char> bytes(data, data + size);
    FILEMAP map;
    if (!map.Open(bytes.data(), static_cast<unsigned>(bytes.size())))
        return 0;
    GRAPHIC** frames = nullptr;
    unsigned count = 0;
    if (!read(map, &frames, &count)) {
        FUZZ_CHECK(map.GetPosition() == 0);
        return 0;
    }
    FUZZ_CHECK(count > 0 && frames != nullptr);
    for (unsigned i = 0; i < count; ++i) {
        FUZZ_CHECK(frames[i] && !frames[i]->fEmpty());
        FUZZ_CHECK(frames[i]->GetWidth() > 0 && frames[i]->GetHeight() != 0);
        frames[i]->GetPixel(frames[i]->GetWidth() - 1, 0);
        delete frames[i];
    }
    MemMgr_FreeMemory(frames, __FILE__, __LINE__);
    return 0;
}
