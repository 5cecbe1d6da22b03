// CUTSHEET: a sprite sheet. One sheet graphic holds many images; a table of
// cut images names rectangles of it, each with its own transparent colour, a
// value of the host's and collision meshes, and each available as a child
// GRAPHIC that shares the sheet's pixels. Sheets load from the library's
// cut-sheet files, from plain bitmaps and from GIF or AVI animations (their
// frames laid out on a new sheet), and save as cut-sheet files.
//
// The cut-sheet file (little-endian):
//   signature "DS" (current) or "CS" (previous version), 2 bytes
//   bitmap name: "DS" 260 UTF-16 units, "CS" 260 bytes; zero-terminated
//   record count: "DS" 4 bytes, "CS" 2 bytes
//   bitmap marker 0xDBDB (a bitmap file follows) or 0xB0B0 (the bitmap is
//     the external file of the bitmap name)
//   the records, 32 bytes each (see CUTIMAGE)
//   trailer "SC"
#pragma once

#include "platform/base/types.h"

class FILEMAP;
class GRAPHIC;
class PALETTEGROUP;

// One cut image. In the file: the rectangle (4 x 32 bits), the transparent
// colour, the data, a non-zero value when the image exists, the collision
// mesh flags; the previous version stores the rectangle, the colour, a
// collision flag, the data and the existence value.
struct CUTIMAGE {
    RECT rc;
    COLORREF clrTransparent;   // 0xFFFFFFFF: none
    long lData;
    GRAPHIC* pgr;              // the child graphic; null: a free record
    unsigned long dwMeshFlags; // collision mesh kinds (GRAPHIC::SetCollisionMesh)
};

class CUTSHEET {
public:
    static constexpr unsigned cchBitmapName = 260;

    // The loading constructors set the last error to 0 when loading succeeds.
    CUTSHEET();
    CUTSHEET(int hFile, PALETTEGROUP* group);
    CUTSHEET(const char* path, PALETTEGROUP* group);
    // A resource of type "CutSheet".
    CUTSHEET(HINSTANCE module, const char* name, PALETTEGROUP* group);
    CUTSHEET(FILEMAP& f, PALETTEGROUP* group);
    ~CUTSHEET();
    CUTSHEET(const CUTSHEET&) = delete;
    CUTSHEET& operator=(const CUTSHEET&) = delete;

    // Each releases the current sheet first; 1 on success. On failure the
    // file stands where loading began.
    int Load(int hFile, PALETTEGROUP* group);
    int Load(const char* path, PALETTEGROUP* group);
    int Load(HINSTANCE module, const char* name, PALETTEGROUP* group);
    int Load(FILEMAP& f, PALETTEGROUP* group);
    // Always the current version with the bitmap inside. Saving to a path
    // replaces the file as one step (a temporary file renamed into place).
    int Save(int hFile);
    int Save(const char* path);
    int Save(FILEMAP& f);
    void Release();

    // name receives up to 260 characters and the terminator.
    int GetBitmapName(char* name);
    // Null empties the name; longer names are cut at 259 characters.
    int SetBitmapName(const char* name);

    GRAPHIC* GetGraphic();
    // The sheet becomes the graphic (owned from now on; the old sheet is
    // destroyed) and every cut image is made again on it.
    int SetGraphic(GRAPHIC* graphic);
    PALETTEGROUP* GetPaletteGroup() const { return pGroup; }
    int SetPaletteGroup(PALETTEGROUP* group);

    // The index of the new cut image, or -1.
    long CreateCutImage(RECT rc, COLORREF transparent, long data);
    int FreeCutImage(long index);
    int fIsValidCutImage(long index) const;
    // The next valid index after `after` (-1 starts at 0); -1 when none.
    long FindCutImage(long after) const;
    long FindCutImageByData(long data, long after) const;
    long GetCutImageCount() const { return static_cast<long>(nCutImages); }

    // A null rectangle pointer succeeds and fills nothing.
    int GetCutImageRect(long index, RECT* rc);
    int SetCutImageRect(long index, RECT* rc);
    long GetCutImageData(long index);
    int SetCutImageData(long index, long data);
    GRAPHIC* GetCutImageGraphic(long index);
    COLORREF GetCutImageTransparentColor(long index);
    int SetCutImageTransparentColor(long index, COLORREF colour);

private:
    int LoadAnimation(FILEMAP& f, PALETTEGROUP* group, long start);
    int LoadCutSheetFile(FILEMAP& f, PALETTEGROUP* group, bool current);
    int AdoptSheet(GRAPHIC* sheet, PALETTEGROUP* group);
    int Sync(long index);
    int SyncOne(CUTIMAGE& record);
    int GrowRecords(unsigned needed);

    char szBitmapName[cchBitmapName];
    GRAPHIC* pgrSheet;
    PALETTEGROUP* pGroup;
    CUTIMAGE* aCutImages;
    unsigned nCutImages;
    unsigned nCutImageCapacity;
};
