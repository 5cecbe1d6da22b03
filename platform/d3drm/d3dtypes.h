// The plain records of the 3D services: vectors, matrices and colours in
// their published layouts, shared by the scene graph, the renderer and the
// library's math classes.
#pragma once

#include "platform/base/types.h"

using D3DVALUE = float;

struct D3DVECTOR {
    D3DVALUE x;
    D3DVALUE y;
    D3DVALUE z;
};

// Sixteen floats in row order, _11 to _44.
struct D3DMATRIX {
    D3DVALUE _11, _12, _13, _14;
    D3DVALUE _21, _22, _23, _24;
    D3DVALUE _31, _32, _33, _34;
    D3DVALUE _41, _42, _43, _44;
};

// A colour as alpha, red, green, blue from the top byte down.
using D3DCOLOR = DWORD;

constexpr D3DCOLOR D3DRGBA_BYTES(BYTE r, BYTE g, BYTE b, BYTE a)
{
    return (static_cast<DWORD>(a) << 24) | (static_cast<DWORD>(r) << 16) | (static_cast<DWORD>(g) << 8) | b;
}
inline D3DCOLOR D3DRMCreateColorRGB(D3DVALUE r, D3DVALUE g, D3DVALUE b)
{
    auto byte = [](D3DVALUE v) {
        return static_cast<BYTE>(v <= 0.0f ? 0 : v >= 1.0f ? 255 : static_cast<int>(v * 255.0f + 0.5f));
    };
    return D3DRGBA_BYTES(byte(r), byte(g), byte(b), 255);
}
inline D3DCOLOR D3DRMCreateColorRGBA(D3DVALUE r, D3DVALUE g, D3DVALUE b, D3DVALUE a)
{
    auto byte = [](D3DVALUE v) {
        return static_cast<BYTE>(v <= 0.0f ? 0 : v >= 1.0f ? 255 : static_cast<int>(v * 255.0f + 0.5f));
    };
    return D3DRGBA_BYTES(byte(r), byte(g), byte(b), byte(a));
}
inline D3DVALUE D3DRMColorGetAlpha(D3DCOLOR c) { return static_cast<D3DVALUE>((c >> 24) & 0xFF) / 255.0f; }
inline D3DVALUE D3DRMColorGetRed(D3DCOLOR c) { return static_cast<D3DVALUE>((c >> 16) & 0xFF) / 255.0f; }
inline D3DVALUE D3DRMColorGetGreen(D3DCOLOR c) { return static_cast<D3DVALUE>((c >> 8) & 0xFF) / 255.0f; }
inline D3DVALUE D3DRMColorGetBlue(D3DCOLOR c) { return static_cast<D3DVALUE>(c & 0xFF) / 255.0f; }
