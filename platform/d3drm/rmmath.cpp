#include "platform/d3drm/rmmath.h"

namespace rmmath {

namespace {

D3DVALUE& At(D3DMATRIX& m, int r, int c)
{
    return (&m._11)[r * 4 + c];
}
D3DVALUE At(const D3DMATRIX& m, int r, int c)
{
    return (&m._11)[r * 4 + c];
}

} // namespace

D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b)
{
    D3DMATRIX r{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            D3DVALUE s = 0;
            for (int k = 0; k < 4; ++k)
                s += At(a, i, k) * At(b, k, j);
            At(r, i, j) = s;
        }
    return r;
}

bool InverseAffine(const D3DMATRIX& m, D3DMATRIX* pInverse)
{
    // Invert the 3x3 part by its adjugate, then carry the translation.
    const D3DVALUE a = m._11, b = m._12, c = m._13;
    const D3DVALUE d = m._21, e = m._22, f = m._23;
    const D3DVALUE g = m._31, h = m._32, i = m._33;
    const D3DVALUE A = e * i - f * h, B = -(d * i - f * g), C = d * h - e * g;
    const D3DVALUE det = a * A + b * B + c * C;
    if (!(std::fabs(det) > 1e-20f)) {
        *pInverse = Identity();
        return false;
    }
    const D3DVALUE inv = 1.0f / det;
    D3DMATRIX r = Identity();
    r._11 = A * inv;
    r._12 = -(b * i - c * h) * inv;
    r._13 = (b * f - c * e) * inv;
    r._21 = B * inv;
    r._22 = (a * i - c * g) * inv;
    r._23 = -(a * f - c * d) * inv;
    r._31 = C * inv;
    r._32 = -(a * h - b * g) * inv;
    r._33 = (a * e - b * d) * inv;
    const D3DVECTOR t = TransformVector(r, Vec(m._41, m._42, m._43));
    r._41 = -t.x;
    r._42 = -t.y;
    r._43 = -t.z;
    *pInverse = r;
    return true;
}

bool Inverse(const D3DMATRIX& m, D3DMATRIX* pInverse)
{
    // Gauss-Jordan elimination with partial pivoting, in double precision.
    double w[4][8];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            w[r][c] = At(m, r, c);
            w[r][c + 4] = r == c ? 1.0 : 0.0;
        }
    for (int col = 0; col < 4; ++col) {
        int pivot = col;
        for (int r = col + 1; r < 4; ++r)
            if (std::fabs(w[r][col]) > std::fabs(w[pivot][col]))
                pivot = r;
        if (std::fabs(w[pivot][col]) < 1e-30) {
            *pInverse = Identity();
            return false;
        }
        if (pivot != col)
            for (int c = 0; c < 8; ++c)
                std::swap(w[pivot][c], w[col][c]);
        const double p = w[col][col];
        for (int c = 0; c < 8; ++c)
            w[col][c] /= p;
        for (int r = 0; r < 4; ++r) {
            if (r == col)
                continue;
            const double f = w[r][col];
            if (f != 0.0)
                for (int c = 0; c < 8; ++c)
                    w[r][c] -= f * w[col][c];
        }
    }
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            At(*pInverse, r, c) = static_cast<D3DVALUE>(w[r][c + 4]);
    return true;
}

D3DMATRIX Rotation(const D3DVECTOR& axis, D3DVALUE theta)
{
    const D3DVECTOR n = Normalize(axis);
    const D3DVALUE c = std::cos(theta), s = std::sin(theta), t = 1.0f - c;
    // Row-vector form: v M turns v about n by theta (right-hand rule on the
    // coordinates, which turns y towards z about x).
    D3DMATRIX m = Identity();
    m._11 = t * n.x * n.x + c;
    m._12 = t * n.x * n.y + s * n.z;
    m._13 = t * n.x * n.z - s * n.y;
    m._21 = t * n.x * n.y - s * n.z;
    m._22 = t * n.y * n.y + c;
    m._23 = t * n.y * n.z + s * n.x;
    m._31 = t * n.x * n.z + s * n.y;
    m._32 = t * n.y * n.z - s * n.x;
    m._33 = t * n.z * n.z + c;
    return m;
}

D3DMATRIX Translation(D3DVALUE x, D3DVALUE y, D3DVALUE z)
{
    D3DMATRIX m = Identity();
    m._41 = x;
    m._42 = y;
    m._43 = z;
    return m;
}

D3DMATRIX Scaling(D3DVALUE x, D3DVALUE y, D3DVALUE z)
{
    D3DMATRIX m = Identity();
    m._11 = x;
    m._22 = y;
    m._33 = z;
    return m;
}

} // namespace rmmath
