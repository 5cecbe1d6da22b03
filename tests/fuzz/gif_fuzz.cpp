// The GIF reader over a memory map: every frame it returns is a picture of
// the size it claims, and a failure leaves the map where it was.
#include "anim/readgif.h"
#include "fuzz/frame_reader.h"

VARNO_FUZZ_TARGET(gif)
{
    return CheckFrameReader(&ReadGIF, data, size);
}
