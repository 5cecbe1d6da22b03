#include "anim/math3d.h"

#include <cmath>
#include <cstring>
#include <utility>

static_assert(sizeof(D3DMATRIX) == 16 * sizeof(float),
              "D3DMATRIX is sixteen floats in row order");

// --- VECTOR ------------------------------------------------------------------

VECTOR &VECTOR::operator=(const VECTOR &v) {
  vec = v.vec;
  return *this;
}

VECTOR &VECTOR::operator=(const D3DVECTOR &v) {
  vec = v;
  return *this;
}

void VECTOR::Set(float x, float y, float z) { vec = {x, y, z}; }

void VECTOR::Get(float *x, float *y, float *z) const {
  if (x)
    *x = vec.x;
  if (y)
    *y = vec.y;
  if (z)
    *z = vec.z;
}

VECTOR &VECTOR::operator+=(const VECTOR &v) {
  vec.x += v.vec.x;
  vec.y += v.vec.y;
  vec.z += v.vec.z;
  return *this;
}

VECTOR &VECTOR::operator-=(const VECTOR &v) {
  vec.x -= v.vec.x;
  vec.y -= v.vec.y;
  vec.z -= v.vec.z;
  return *this;
}

VECTOR &VECTOR::operator*=(float s) {
  vec.x *= s;
  vec.y *= s;
  vec.z *= s;
  return *this;
}

VECTOR &VECTOR::operator*=(const VECTOR &v) {
  vec.x *= v.vec.x;
  vec.y *= v.vec.y;
  vec.z *= v.vec.z;
  return *this;
}

VECTOR &VECTOR::operator*=(const MATRIX &m) {
  const float x = vec.x, y = vec.y, z = vec.z;
  vec.x = m(0, 0) * x + m(0, 1) * y + m(0, 2) * z + m(0, 3);
  vec.y = m(1, 0) * x + m(1, 1) * y + m(1, 2) * z + m(1, 3);
  vec.z = m(2, 0) * x + m(2, 1) * y + m(2, 2) * z + m(2, 3);
  return *this;
}

VECTOR &VECTOR::operator%=(const VECTOR &) { return *this; }

VECTOR &VECTOR::operator+(VECTOR &v) const { return v; }

VECTOR &VECTOR::operator-(VECTOR &v) const {
  v.vec.x = -v.vec.x;
  v.vec.y = -v.vec.y;
  v.vec.z = -v.vec.z;
  return v;
}

int VECTOR::operator==(const VECTOR &v) const {
  return vec.x == v.vec.x && vec.y == v.vec.y && vec.z == v.vec.z ? 1 : 0;
}

int VECTOR::operator!=(const VECTOR &v) const { return *this == v ? 0 : 1; }

float VECTOR::GetMagnitude() const {
  return std::sqrt(vec.x * vec.x + vec.y * vec.y + vec.z * vec.z);
}

VECTOR &VECTOR::Normalize() { return *this *= 1.0f / GetMagnitude(); }

VECTOR VECTOR::Cross(VECTOR a, VECTOR b) {
  const D3DVECTOR &p = a.vec;
  const D3DVECTOR &q = b.vec;
  return VECTOR(p.y * q.z - p.z * q.y, p.z * q.x - p.x * q.z,
                p.x * q.y - p.y * q.x);
}

VECTOR VECTOR::Dot(VECTOR a, VECTOR b) { return a *= b; }

// --- MATRIX ------------------------------------------------------------------

MATRIX::MATRIX() : d3dm{} { MakeIdentity(); }

MATRIX::MATRIX(D3DMATRIX d) : d3dm{} { *this = d; }

MATRIX::MATRIX(float *const a) : d3dm{} { std::memcpy(m, a, sizeof m); }

MATRIX &MATRIX::operator=(const D3DMATRIX &d) {
  std::memcpy(m, &d, sizeof m);
  return *this;
}

MATRIX &MATRIX::operator=(const MATRIX &mat) {
  std::memcpy(m, mat.m, sizeof m);
  return *this;
}

void MATRIX::FillScratch() { std::memcpy(&d3dm, m, sizeof m); }

MATRIX::operator D3DMATRIX() {
  FillScratch();
  return d3dm;
}

MATRIX::operator D3DMATRIX *() {
  FillScratch();
  return &d3dm;
}

MATRIX &MATRIX::SetElement(int r, int c, float v) {
  (*this)(r, c) = v;
  return *this;
}

MATRIX &MATRIX::MakeZero() {
  for (float &e : m)
    e = 0.0f;
  return *this;
}

MATRIX &MATRIX::MakeIdentity() {
  MakeZero();
  for (int i = 0; i < 4; ++i)
    (*this)(i, i) = 1.0f;
  return *this;
}

MATRIX &MATRIX::Invert() {
  for (int r = 0; r < 4; ++r)
    for (int c = r + 1; c < 4; ++c)
      std::swap((*this)(r, c), (*this)(c, r));
  return *this;
}

MATRIX &MATRIX::SetRotation(VECTOR *dir, VECTOR *up) {
  VECTOR d = *dir;
  d.Normalize();
  // The part of up at right angles to d.
  const float along =
      up->GetX() * d.GetX() + up->GetY() * d.GetY() + up->GetZ() * d.GetZ();
  VECTOR u(up->GetX() - d.GetX() * along, up->GetY() - d.GetY() * along,
           up->GetZ() - d.GetZ() * along);
  u.Normalize();
  const VECTOR right = VECTOR::Cross(u, d);

  MakeZero();
  const VECTOR *rows[3] = {&right, &u, &d};
  for (int r = 0; r < 3; ++r)
    rows[r]->Get(&(*this)(r, 0), &(*this)(r, 1), &(*this)(r, 2));
  return *this;
}

// Each rotation mixes two columns of every row, using that row's old values.
MATRIX &MATRIX::AddRotationX(float a) {
  const float c = std::cos(a), s = std::sin(a);
  for (int r = 0; r < 4; ++r) {
    const float m1 = (*this)(r, 1), m2 = (*this)(r, 2);
    (*this)(r, 1) = c * m1 + s * m2;
    (*this)(r, 2) = c * m2 - s * m1;
  }
  return *this;
}

MATRIX &MATRIX::AddRotationY(float a) {
  const float c = std::cos(a), s = std::sin(a);
  for (int r = 0; r < 4; ++r) {
    const float m0 = (*this)(r, 0), m2 = (*this)(r, 2);
    (*this)(r, 0) = c * m0 - s * m2;
    (*this)(r, 2) = c * m2 + s * m0;
  }
  return *this;
}

MATRIX &MATRIX::AddRotationZ(float a) {
  const float c = std::cos(a), s = std::sin(a);
  for (int r = 0; r < 4; ++r) {
    const float m0 = (*this)(r, 0), m1 = (*this)(r, 1);
    (*this)(r, 0) = c * m0 + s * m1;
    (*this)(r, 1) = c * m1 - s * m0;
  }
  return *this;
}

MATRIX &MATRIX::AddTranslationX(float t) {
  for (int r = 0; r < 4; ++r)
    (*this)(r, 3) += t * (*this)(r, 0);
  return *this;
}

MATRIX &MATRIX::AddTranslationY(float t) {
  for (int r = 0; r < 4; ++r)
    (*this)(r, 3) += t * (*this)(r, 1);
  return *this;
}

MATRIX &MATRIX::AddTranslationZ(float t) {
  for (int r = 0; r < 4; ++r)
    (*this)(r, 3) += t * (*this)(r, 2);
  return *this;
}

MATRIX &MATRIX::MakeProjection(float zNear, float zFar, float fov) {
  if (fov >= 2.0f)
    fov = 2.0f;
  if (zFar < zNear + 1.0f)
    zFar = zNear + 1.0f;
  const float h = fov * 0.5f;
  const float c = std::cos(h), s = std::sin(h);
  const float q = s / (1.0f - zNear / zFar);

  MakeZero();
  (*this)(0, 0) = c;
  (*this)(1, 1) = c;
  (*this)(2, 2) = q;
  (*this)(2, 3) = s;
  (*this)(3, 2) = -q * zNear;
  return *this;
}

MATRIX &MATRIX::MakeView(VECTOR *eye, VECTOR *at, VECTOR *up, float roll) {
  const VECTOR target = at ? *at : VECTOR(0.0f, 0.0f, 0.0f);
  const VECTOR upward = up ? *up : VECTOR(0.0f, 1.0f, 0.0f);

  VECTOR dir = target;
  dir -= *eye;
  dir.Normalize();
  VECTOR right = VECTOR::Cross(upward, dir);
  VECTOR u = VECTOR::Cross(dir, right);
  right.Normalize();
  u.Normalize();

  // The axes go into columns 0 to 2; row 3 moves the eye to the origin, so
  // each term is minus the eye's distance along that axis.
  MakeIdentity();
  const VECTOR *axes[3] = {&right, &u, &dir};
  for (int c = 0; c < 3; ++c) {
    const VECTOR &axis = *axes[c];
    (*this)(0, c) = axis.GetX();
    (*this)(1, c) = axis.GetY();
    (*this)(2, c) = axis.GetZ();
    (*this)(3, c) = -(eye->GetX() * axis.GetX() + eye->GetY() * axis.GetY() +
                      eye->GetZ() * axis.GetZ());
  }

  if (roll != 0.0f)
    AddRotationZ(-roll);
  return *this;
}
