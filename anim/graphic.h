// GRAPHIC: an image. Its master copy is a device-independent bitmap (header,
// colour table up to 8 bits per pixel, pixel rows). A graphic can also be a
// child: a rectangular view into another graphic that shares its pixels.
#pragma once

#include "platform/gdi/dib.h"
#include "platform/base/types.h"
#include "platform/gdi/gdi.h"

class FILEMAP;
class PALETTEGROUP;
class IDirectDrawSurface;
class IDirect3DRMTexture2;

enum ALPHATYPE : int {
    atNone = 0,     // opaque; drawn with colour-keyed blits
    atConstant = 1, // every pixel blended with the constant alpha
    atMap = 2,      // every pixel blended with its own alpha from the map
};

// Translucency of a graphic: alpha a weights the graphic against what lies
// under it, under + (graphic - under) * a / 256 per channel.
struct ALPHAINFO {
    int type;            // ALPHATYPE
    unsigned char alpha; // the constant alpha
    unsigned char* map;  // atMap: one value per pixel, row by row
    long height;
    long width;
};

class GRAPHIC {
public:
    // The last argument of every constructor is the transparent colour
    // (0xFFFFFFFF: none). A constructor that loads or allocates sets the last
    // error to 0 when it succeeds.
    GRAPHIC();
    GRAPHIC(long w, long h, unsigned short depth, unsigned long transparent);
    GRAPHIC(long w, long h, unsigned short depth, PALETTEGROUP* group, unsigned long transparent);
    GRAPHIC(long w, long h, unsigned short depth, RGBQUAD* colours, unsigned long transparent);
    GRAPHIC(GRAPHIC* parent, RECT* r, unsigned long transparent);
    GRAPHIC(FILEMAP& f, unsigned long transparent);
    // A bitmap resource of the module.
    GRAPHIC(HINSTANCE module, const char* name, unsigned long transparent);
    GRAPHIC(const char* path, unsigned long transparent);
    GRAPHIC(int hFile, unsigned long transparent);
    ~GRAPHIC();
    GRAPHIC(const GRAPHIC&) = delete;
    GRAPHIC& operator=(const GRAPHIC&) = delete;

    // ---- allocation and loading (1 on success) ----
    int Realloc(long w, long h, unsigned short depth, RGBQUAD* colours, unsigned long transparent);
    int Realloc(long w, long h, unsigned short depth, PALETTEGROUP* group, unsigned long transparent);
    int Realloc(long w, long h, unsigned short depth, unsigned long transparent);
    int Load(FILEMAP& f, unsigned long transparent);
    int Load(HINSTANCE module, const char* name, unsigned long transparent);
    int Load(const char* path, unsigned long transparent);
    int Load(int hFile, unsigned long transparent);
    int Load(GRAPHIC* parent, RECT* r, unsigned long transparent);
    // Writes the image in bitmap file format, with the 14-byte file header
    // when fFileHeader is non-zero.
    int Save(FILEMAP& f, int fFileHeader);
    int Release();

    // ---- queries ----
    int fEmpty() const;
    int fChild() const { return pParent != nullptr; }
    GRAPHIC* GetParent() const { return pParent; }
    long GetWidth();
    long GetHeight();
    unsigned short GetDepth();
    int GetSize(long* w, long* h);
    int GetRect(RECT* r);
    HBITMAP GetBitmap();
    unsigned long GetNumColors();
    int fHasPalette();
    int fTopDown();
    unsigned long GetHeaderSize();
    unsigned long GetPaletteSize();
    unsigned long GetBytesPerLine();
    unsigned long GetDataSize();
    void* GetPixelBuffer();
    unsigned long GetPixelMask();
    // The header copy (header and colour table), null when empty.
    BITMAPINFO* GetBitmapInfo();

    int fTransparent();
    unsigned long GetTransparentColor();
    int SetTransparentColor(unsigned long colour);

    int fTranslucent();
    ALPHAINFO* GetTranslucencyInfo();
    int SetTranslucent(ALPHATYPE type, unsigned char alpha);

    // ---- pixels and palette ----
    unsigned long GetPixelValue(long x, long y);
    int SetPixelValue(long x, long y, unsigned long value, int fMeshes);
    COLORREF GetPixel(long x, long y);
    int SetPixel(long x, long y, COLORREF colour, int fMeshes);
    COLORREF GetPaletteColor(unsigned short i);
    unsigned short GetPaletteIndex(COLORREF colour, unsigned short after);
    unsigned long GetColorValue(COLORREF colour);
    unsigned long CalculateColorKey(COLORREF colour);
    int GetPaletteEntries(unsigned short start, unsigned short count, PALETTEENTRY* entries);
    int SetPaletteEntries(unsigned short start, unsigned short count, PALETTEENTRY* entries);
    int HitTest(long x, long y);

    // ---- device contexts ----
    // The surface's device context (the surface is made first).
    HDC GetDC();
    // A device context drawing on the bitmap; the palette group first
    // writes its shared palette into the graphic.
    HDC GetDIBDC();
    // Both getters count uses; the last release frees the context. fChanged
    // says the pictures made from the bitmap must follow what was drawn.
    int ReleaseDC(HDC dc, int fChanged);

    // ---- surfaces and drawing ----
    // The graphic's surface, made from the bitmap on demand, with the source
    // colour key of the transparent colour. A child gives its parent's.
    IDirectDrawSurface* GetSurface();
    // The pixel value a surface uses for a colour (0xFFFFFFFF on failure).
    unsigned long FindColorKey(COLORREF colour);
    static unsigned long FindColorKey(IDirectDrawSurface* surface, COLORREF colour);
    // w or h given as 0x80000000 means: to the edge of the source.
    int DrawTo(IDirectDrawSurface* target, int x, int y, int w, int h, int srcX, int srcY);
    int DrawTo(GRAPHIC* target, int x, int y, int w, int h, int srcX, int srcY);
    // Plain copies of the bitmap, without transparency or translucency.
    int DrawDIBTo(HDC target, HDC scratch, int x, int y, int w, int h, int srcX, int srcY);
    int DrawDIBTo(GRAPHIC* target, int x, int y, int w, int h, int srcX, int srcY);
    int DrawDIBTo(IDirectDrawSurface* target, int x, int y, int w, int h, int srcX, int srcY);
    // Draws into the target's bitmap, keeping the transparent colour out.
    int DrawToDIB(GRAPHIC* target, int x, int y, int w, int h, int srcX, int srcY);
    // Blends source onto target with the translucency; 0 or an error code.
    static HRESULT AlphaBlend(IDirectDrawSurface* target, long x, long y, IDirectDrawSurface* source, RECT* src,
                              ALPHAINFO* info, unsigned long key, unsigned short depth);
    // Every graphic drops its surface (around display changes); they are
    // made again from the bitmaps on next use.
    static void FreeAllSurfaces();

    PALETTEGROUP* GetPaletteGroup() const { return pGroup; }
    // Set by the palette group when the graphic joins or leaves it.
    void SetPaletteGroupLink(PALETTEGROUP* group) { pGroup = group; }

    // The list of all graphics (free slots null, reused) and the shared
    // cache from colour hash (red + green + blue) to palette index.
    static GRAPHIC** apgrList;
    static unsigned npgrList;
    static unsigned short hashtable[766];

private:
    void Init();
    void AddToList();
    void RemoveFromList();
    void FreeImage();
    void FreeAlphaMap();
    int AddChild(GRAPHIC* child);
    void RemoveChild(GRAPHIC* child);
    GRAPHIC* Root() { return pParent ? pParent : this; }
    unsigned char* RowAddress(long y);
    int LoadBitmap(FILEMAP& f, unsigned long transparent);
    int LoadGifFirstFrame(FILEMAP& f, unsigned long transparent);
    void PixelsChanged(int fMeshes);
    int fPixelIsTransparent(long x, long y);
    void ReleaseSurface();
    int RedrawSurface();
    void ClampSource(int& w, int& h, int& srcX, int& srcY);

    // The header copy: header, then for depths up to 8 the colour table.
    BITMAPINFO* pbmi;
    RGBQUAD* pColors;
    HBITMAP hbm;
    unsigned char* pBits;
    // Row y starts at pOrigin - y * lStep.
    unsigned char* pOrigin;
    long lStep;
    IDirectDrawSurface* pSurface;
    int fSurfaceStale;
    GRAPHIC* pParent;
    RECT rcChild;
    unsigned nChildren;
    unsigned nChildCapacity;
    GRAPHIC** apChildren;
    unsigned long nColors;
    HDC hdc;
    HBITMAP hbmDisplaced;
    int nDCUses;
    int fSurfaceDC;
    int fDCChanged;
    PALETTEGROUP* pGroup;
    unsigned long clrTransparent;
    unsigned long clrKeySet;
    ALPHAINFO alphaInfo;
    IDirect3DRMTexture2* pTexture;

    static unsigned npgrCapacity;
};
