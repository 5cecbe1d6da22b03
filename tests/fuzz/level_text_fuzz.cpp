// The level file's text: what the reader accepts, the writer writes, and the
// reader reads back into the very same levels; the writer's text of those is
// the same text again.
#include "fuzz/fuzz_target.h"
#include "levelfile/datafile.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// The formation is compared within the puzzle's width: a Width entry after
// the cube block leaves cells beyond it, which no one plays and the writer
// leaves out. Read back, they are empty.
bool SamePuzzle(const PUZZLE& a, const PUZZLE& b)
{
    if (a.lWidth != b.lWidth || a.lLength != b.lLength || a.lSpeed != b.lSpeed || a.lMines != b.lMines)
        return false;
    for (int row = 0; row < kFormationRows; ++row)
        for (int col = 0; col < kMaxWidth; ++col)
            if (b.aFormation[row][col] != (col < a.lWidth ? a.aFormation[row][col] : ckNone))
                return false;
    return true;
}

bool SameLevels(const LEVELLIST& a, const LEVELLIST& b)
{
    if (a.cLevels != b.cLevels)
        return false;
    for (LONG i = 0; i < a.cLevels; ++i) {
        const LEVEL& x = a.pLevels[i];
        const LEVEL& y = b.pLevels[i];
        if (x.lWidth != y.lWidth || x.lLength != y.lLength || x.lSpeed != y.lSpeed || x.cPuzzles != y.cPuzzles)
            return false;
        for (LONG j = 0; j < x.cPuzzles; ++j)
            if (!SamePuzzle(x.pPuzzles[j], y.pPuzzles[j]))
                return false;
    }
    return true;
}

} // namespace

VARNO_FUZZ_TARGET(level_text)
{
    // The bytes as the game reads a level file: scrambled when the first
    // byte says so, and a text that ends at its first zero byte.
    std::string text(reinterpret_cast<const char*>(data), size);
    if (IsScrambledText(text.data(), text.size()))
        UnscrambleText(text.data(), text.size());

    LEVELLIST first{};
    LEVELTEXTSTOP stop{};
    if (!ParseLevelTextReport(text.c_str(), &first, &stop)) {
        FUZZ_CHECK(stop.lLine >= 1);
        FUZZ_CHECK(std::strlen(stop.szToken) < sizeof stop.szToken);
        ReleaseLevelList(&first);
        return 0;
    }
    char* written = BuildLevelText(&first);
    FUZZ_CHECK(written != nullptr);
    LEVELLIST second{};
    FUZZ_CHECK(ParseLevelText(written, &second));
    FUZZ_CHECK(SameLevels(first, second));
    char* again = BuildLevelText(&second);
    FUZZ_CHECK(again != nullptr && std::strcmp(written, again) == 0);

    // The scrambled form turns back into the same text.
    const std::size_t cb = std::strlen(written);
    std::string scrambled(written, cb);
    ScrambleText(scrambled.data(), cb);
    FUZZ_CHECK(IsScrambledText(scrambled.data(), cb));
    UnscrambleText(scrambled.data(), cb);
    FUZZ_CHECK(scrambled == written);

    std::free(again);
    std::free(written);
    ReleaseLevelList(&second);
    ReleaseLevelList(&first);
    return 0;
}
