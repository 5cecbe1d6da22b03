// The library's small linear-algebra classes: VECTOR (three floats) and
// MATRIX (a 4x4 float matrix, row-major). Both convert to and from the 3D
// records so that their values can be handed straight to the scene graph.
//
// Two conventions meet here and each operation keeps its own:
// - `VECTOR::operator*=(MATRIX)` and the Add* operations of MATRIX treat a
//   vector as the column (x, y, z, 1): a translation lives in column 3 and
//   Add* multiply the matrix on the right (M := M * R).
// - MakeView and MakeProjection build matrices for the scene graph, which
//   uses row vectors: translation in row 3, projection term in column 3.
//
// All arithmetic is single-precision; nothing reports an error.
#pragma once

#include "platform/d3drm/d3dtypes.h"

class MATRIX;

class VECTOR {
public:
  VECTOR() : vec{0.0f, 0.0f, 0.0f} {}
  VECTOR(float x, float y, float z) : vec{x, y, z} {}
  VECTOR(D3DVECTOR v) : vec{v.x, v.y, v.z} {}
  VECTOR(const VECTOR &) = default;

  VECTOR &operator=(const VECTOR &v);
  VECTOR &operator=(const D3DVECTOR &v);

  operator D3DVECTOR() const { return vec; }
  // The vector's own record: it lives as long as the VECTOR and always
  // holds the current components (the components are stored in it).
  operator D3DVECTOR *() { return &vec; }

  float GetX() const { return vec.x; }
  float GetY() const { return vec.y; }
  float GetZ() const { return vec.z; }
  void SetX(float x) { vec.x = x; }
  void SetY(float y) { vec.y = y; }
  void SetZ(float z) { vec.z = z; }
  void Set(float x, float y, float z);
  // Stores each component through its pointer; null pointers are skipped.
  void Get(float *x, float *y, float *z) const;

  VECTOR &operator+=(const VECTOR &v);
  VECTOR &operator-=(const VECTOR &v);
  VECTOR &operator*=(float s);
  // Component-wise product.
  VECTOR &operator*=(const VECTOR &v);
  // Transforms the column (x, y, z, 1) by rows 0 to 2 of m; row 3 is not
  // used and there is no division by w.
  VECTOR &operator*=(const MATRIX &m);
  // Kept for the interface; leaves the vector as it is.
  VECTOR &operator%=(const VECTOR &v);

  // These two do not combine with *this: + hands back v unchanged, and -
  // negates v in place and hands it back.
  VECTOR &operator+(VECTOR &v) const;
  VECTOR &operator-(VECTOR &v) const;

  // Exact float comparison of all three components, no tolerance.
  int operator==(const VECTOR &v) const;
  int operator!=(const VECTOR &v) const;

  float GetMagnitude() const;
  // Scales to length 1. A zero vector is not guarded: its components come
  // out non-finite.
  VECTOR &Normalize();

  static VECTOR Cross(VECTOR a, VECTOR b);
  // The component-wise products; the caller sums them for the scalar
  // product.
  static VECTOR Dot(VECTOR a, VECTOR b);

private:
  D3DVECTOR vec;
};

class MATRIX {
public:
  MATRIX(); // the identity
  MATRIX(D3DMATRIX d);
  // Copies a[0..15], row by row.
  MATRIX(float *const a);
  MATRIX(const MATRIX &) = default;

  MATRIX &operator=(const D3DMATRIX &d);
  MATRIX &operator=(const MATRIX &mat);

  // Both fill the scratch record from the elements (same order, no
  // transposition); the pointer stays valid until the next conversion.
  operator D3DMATRIX();
  operator D3DMATRIX *();

  // Rows and columns count from 0; they are not checked.
  float &operator()(int r, int c) { return m[r * 4 + c]; }
  float operator()(int r, int c) const { return m[r * 4 + c]; }
  float GetElement(int r, int c) const { return m[r * 4 + c]; }
  MATRIX &SetElement(int r, int c, float v);

  MATRIX &MakeZero();
  MATRIX &MakeIdentity();
  // Transposes, which inverts a pure rotation and nothing else.
  MATRIX &Invert();

  // Rows 0 to 2 become right, up and the normalised direction; everything
  // else is 0, element (3,3) included. The caller's vectors are kept.
  MATRIX &SetRotation(VECTOR *dir, VECTOR *up);

  // M := M * R for a rotation about one axis, angle in radians.
  MATRIX &AddRotationX(float a);
  MATRIX &AddRotationY(float a);
  MATRIX &AddRotationZ(float a);
  // M := M * T for a translation along one axis.
  MATRIX &AddTranslationX(float t);
  MATRIX &AddTranslationY(float t);
  MATRIX &AddTranslationZ(float t);

  // Perspective for the scene graph; fov in radians, at most 2, and the far
  // plane at least 1 beyond the near one.
  MATRIX &MakeProjection(float zNear, float zFar, float fov);
  // View for the scene graph from eye towards at (default the origin) with
  // up (default (0, 1, 0)); roll in radians. eye must not be null.
  MATRIX &MakeView(VECTOR *eye, VECTOR *at, VECTOR *up, float roll);

private:
  void FillScratch();

  float m[16];
  D3DMATRIX d3dm;
};
