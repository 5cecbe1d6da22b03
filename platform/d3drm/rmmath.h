// Small vector and matrix helpers of the scene graph: row vectors times
// D3DMATRIX records, left-handed. Used by the frames, the viewport and the
// picker; a renderer may use them too.
#pragma once

#include "platform/d3drm/d3dtypes.h"

#include <cmath>
#include <utility>

namespace rmmath {

inline D3DVECTOR Vec(D3DVALUE x, D3DVALUE y, D3DVALUE z)
{
    return D3DVECTOR{x, y, z};
}
inline D3DVECTOR Add(const D3DVECTOR& a, const D3DVECTOR& b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline D3DVECTOR Sub(const D3DVECTOR& a, const D3DVECTOR& b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline D3DVECTOR Mul(const D3DVECTOR& a, D3DVALUE s)
{
    return {a.x * s, a.y * s, a.z * s};
}
inline D3DVALUE Dot(const D3DVECTOR& a, const D3DVECTOR& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline D3DVECTOR Cross(const D3DVECTOR& a, const D3DVECTOR& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline D3DVALUE Length(const D3DVECTOR& a)
{
    return std::sqrt(Dot(a, a));
}
// The vector scaled to length 1; a zero vector stays zero.
inline D3DVECTOR Normalize(const D3DVECTOR& a)
{
    const D3DVALUE l = Length(a);
    return l > 0 ? Mul(a, 1.0f / l) : a;
}

inline D3DMATRIX Identity()
{
    return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
}

// a then b: a row vector times (a b).
D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b);
// The inverse of an affine matrix (last column 0, 0, 0, 1); false when it is
// singular, and the result is then the identity.
bool InverseAffine(const D3DMATRIX& m, D3DMATRIX* pInverse);
// The inverse of any 4x4 matrix; false when it is singular.
bool Inverse(const D3DMATRIX& m, D3DMATRIX* pInverse);

inline D3DVECTOR TransformPoint(const D3DMATRIX& m, const D3DVECTOR& p)
{
    return {p.x * m._11 + p.y * m._21 + p.z * m._31 + m._41, p.x * m._12 + p.y * m._22 + p.z * m._32 + m._42,
            p.x * m._13 + p.y * m._23 + p.z * m._33 + m._43};
}
inline D3DVECTOR TransformVector(const D3DMATRIX& m, const D3DVECTOR& v)
{
    return {v.x * m._11 + v.y * m._21 + v.z * m._31, v.x * m._12 + v.y * m._22 + v.z * m._32,
            v.x * m._13 + v.y * m._23 + v.z * m._33};
}

// Rotation by theta radians about an axis through the origin (normalised
// here); a positive angle turns y towards z about x.
D3DMATRIX Rotation(const D3DVECTOR& axis, D3DVALUE theta);
D3DMATRIX Translation(D3DVALUE x, D3DVALUE y, D3DVALUE z);
D3DMATRIX Scaling(D3DVALUE x, D3DVALUE y, D3DVALUE z);

// Rows of a matrix as vectors: 0 x axis, 1 y axis, 2 z axis, 3 position.
inline D3DVECTOR Row(const D3DMATRIX& m, int row)
{
    const D3DVALUE* p = &m._11 + row * 4;
    return {p[0], p[1], p[2]};
}
inline void SetRow(D3DMATRIX* m, int row, const D3DVECTOR& v)
{
    D3DVALUE* p = &m->_11 + row * 4;
    p[0] = v.x;
    p[1] = v.y;
    p[2] = v.z;
}

} // namespace rmmath
