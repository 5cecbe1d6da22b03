// The AVI reader over a memory map: every frame it returns is a picture of
// the size it claims, and a failure leaves the map where it was.
#include "anim/readavi.h"
#include "fuzz/frame_reader.h"

VARNO_FUZZ_TARGET(avi)
{
    return CheckFrameReader(&ReadAVI, data, size);
}
