// MIDI files: the reader and the merge of the tracks into blocks of stream
// events. Every block stays within its limit and holds whole events.
#include "fuzz/fuzz_target.h"
#include "sound/dxsound.h"
#include "sound/music.h"

VARNO_FUZZ_TARGET(midi)
{
    SOUND sound;
    if (ConvertMidiFile(data, size, &sound)) {
        for (LONG i = 0; i < sound.cBlocks; ++i) {
            const MUSICBLOCK& block = sound.aBlocks[i];
            FUZZ_CHECK(block.cbData <= kMusicBlockBytes && block.cbData <= block.cbAlloc);
            FUZZ_CHECK(block.cbData % 12 == 0);
            FUZZ_CHECK(block.pData != nullptr);
        }
    } else {
        FUZZ_CHECK(sound.cBlocks == 0 && sound.aBlocks == nullptr);
    }
    FreeMusicBlocks(&sound);
    return 0;
}
