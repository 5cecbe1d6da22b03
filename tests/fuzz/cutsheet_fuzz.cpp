// Cut sheets from memory: the cut-sheet file in both versions, and plain
// bitmaps and animations laid out as sheets. A sheet that loads can be
// walked, and what it saves loads again into the same cut images.
#include "anim/cutsheet.h"
#include "anim/filemap.h"
#include "anim/graphic.h"
#include "fuzz/fuzz_target.h"

#include <cstring>
#include <vector>

VARNO_FUZZ_TARGET(cutsheet)
{
    std::vector<unsigned char> bytes(data, data + size);
    FILEMAP map;
    if (!map.Open(bytes.data(), static_cast<unsigned>(bytes.size())))
        return 0;
    CUTSHEET sheet;
    if (!sheet.Load(map, nullptr)) {
        FUZZ_CHECK(map.GetPosition() == 0);
        return 0;
    }
    long images = 0;
    for (long i = sheet.FindCutImage(-1); i >= 0; i = sheet.FindCutImage(i)) {
        RECT rc{};
        FUZZ_CHECK(sheet.GetCutImageRect(i, &rc));
        sheet.GetCutImageGraphic(i);
        ++images;
    }
    char name[CUTSHEET::cchBitmapName + 1];
    sheet.GetBitmapName(name);
    FUZZ_CHECK(std::strlen(name) < sizeof name);

    // Saved in the current version with the bitmap inside, and read again.
    GRAPHIC* picture = sheet.GetGraphic();
    if (!picture || picture->fEmpty())
        return 0;
    std::vector<unsigned char> saved(bytes.size() + picture->GetDataSize() + 2048 + 32 * (images + 1) * 2);
    FILEMAP out;
    if (!out.Open(saved.data(), static_cast<unsigned>(saved.size())) || !sheet.Save(out))
        return 0;
    const long written = out.GetPosition();
    FILEMAP back;
    FUZZ_CHECK(back.Open(saved.data(), static_cast<unsigned>(written)));
    CUTSHEET again;
    FUZZ_CHECK(again.Load(back, nullptr));
    for (long i = sheet.FindCutImage(-1); i >= 0; i = sheet.FindCutImage(i)) {
        RECT a{}, b{};
        FUZZ_CHECK(again.fIsValidCutImage(i));
        sheet.GetCutImageRect(i, &a);
        again.GetCutImageRect(i, &b);
        FUZZ_CHECK(std::memcmp(&a, &b, sizeof a) == 0);
        FUZZ_CHECK(sheet.GetCutImageData(i) == again.GetCutImageData(i));
    }
    return 0;
}
