#include "anim/math3d.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {
constexpr float kHalfPi = std::numbers::pi_v<float> / 2.0f;
constexpr float kEps = 1e-6f;

void ExpectNear(const VECTOR &v, float x, float y, float z, float eps = kEps) {
  EXPECT_NEAR(v.GetX(), x, eps);
  EXPECT_NEAR(v.GetY(), y, eps);
  EXPECT_NEAR(v.GetZ(), z, eps);
}

VECTOR Transformed(const MATRIX &m, VECTOR v) {
  v *= m;
  return v;
}

float Sum(const VECTOR &v) { return v.GetX() + v.GetY() + v.GetZ(); }

// A point as the row (x, y, z, 1) times m, the scene graph's convention.
VECTOR RowTimes(VECTOR p, const MATRIX &m) {
  float out[3];
  for (int c = 0; c < 3; ++c)
    out[c] =
        p.GetX() * m(0, c) + p.GetY() * m(1, c) + p.GetZ() * m(2, c) + m(3, c);
  return VECTOR(out[0], out[1], out[2]);
}
} // namespace

TEST(Vector, ConstructionConversionAndAccess) {
  VECTOR zero;
  ExpectNear(zero, 0, 0, 0, 0);

  VECTOR v(D3DVECTOR{1.5f, -2.0f, 3.25f});
  D3DVECTOR d = v;
  EXPECT_EQ(d.x, 1.5f);
  EXPECT_EQ(d.y, -2.0f);
  EXPECT_EQ(d.z, 3.25f);

  VECTOR w;
  w = D3DVECTOR{4, 5, 6};
  ExpectNear(w, 4, 5, 6, 0);
  w.SetY(7);
  ExpectNear(w, 4, 7, 6, 0);

  float x = -1, y = -1, z = -1;
  w.Get(&x, nullptr, &z);
  EXPECT_EQ(x, 4.0f);
  EXPECT_EQ(y, -1.0f);
  EXPECT_EQ(z, 6.0f);
  w.Get(nullptr, nullptr, nullptr); // nothing to store, must not crash
}

TEST(Vector, RecordPointerFollowsEveryChange) {
  VECTOR v(1, 2, 3);
  D3DVECTOR *p = v;
  EXPECT_EQ(static_cast<D3DVECTOR *>(v), p); // one record for the vector's life

  v += VECTOR(10, 20, 30);
  EXPECT_EQ(p->x, 11.0f);
  EXPECT_EQ(p->y, 22.0f);
  EXPECT_EQ(p->z, 33.0f);

  v *= 2.0f;
  v.SetZ(-1);
  EXPECT_EQ(p->x, 22.0f);
  EXPECT_EQ(p->z, -1.0f);

  MATRIX shift;
  shift.AddTranslationY(5);
  v *= shift;
  EXPECT_EQ(p->y, 49.0f);

  v.Set(0, 3, 4);
  v.Normalize();
  EXPECT_FLOAT_EQ(p->y, 0.6f);
  EXPECT_FLOAT_EQ(p->z, 0.8f);

  // A writer that fills the record (the scene graph's getters do) is seen
  // by the vector.
  p->x = 9;
  EXPECT_EQ(v.GetX(), 9.0f);
}

TEST(Vector, CompoundArithmetic) {
  VECTOR v(1, 2, 3);
  v -= VECTOR(0.5f, 4, 3);
  ExpectNear(v, 0.5f, -2, 0, 0);
  v *= VECTOR(4, 2, 7);
  ExpectNear(v, 2, -4, 0, 0);

  VECTOR before = v;
  v %= VECTOR(9, 9, 9);
  EXPECT_TRUE(v == before);
}

TEST(Vector, PlusAndMinusWorkOnTheArgumentOnly) {
  VECTOR a(1, 1, 1);
  VECTOR b(2, -3, 4);

  VECTOR &sum = a + b;
  EXPECT_EQ(&sum, &b);
  ExpectNear(b, 2, -3, 4, 0);
  ExpectNear(a, 1, 1, 1, 0);

  VECTOR &diff = a - b;
  EXPECT_EQ(&diff, &b);
  ExpectNear(b, -2, 3, -4, 0);
  ExpectNear(a, 1, 1, 1, 0);
}

TEST(Vector, EqualityHasNoTolerance) {
  VECTOR a(0.1f, 0.2f, 0.3f);
  VECTOR b(0.1f, 0.2f, 0.3f);
  EXPECT_EQ(a == b, 1);
  EXPECT_EQ(a != b, 0);

  for (int axis = 0; axis < 3; ++axis) {
    VECTOR c = a;
    float v[3];
    c.Get(&v[0], &v[1], &v[2]);
    v[axis] = std::nextafter(v[axis], 1.0f);
    c.Set(v[0], v[1], v[2]);
    EXPECT_EQ(a == c, 0) << axis;
    EXPECT_EQ(a != c, 1) << axis;
  }
}

TEST(Vector, MagnitudeNormalizeCrossAndDot) {
  VECTOR v(2, -3, 6);
  EXPECT_FLOAT_EQ(v.GetMagnitude(), 7.0f);
  v.Normalize();
  ExpectNear(v, 2.0f / 7, -3.0f / 7, 6.0f / 7);
  EXPECT_NEAR(v.GetMagnitude(), 1.0f, kEps);

  VECTOR zero;
  zero.Normalize();
  EXPECT_FALSE(std::isfinite(zero.GetX()));
  EXPECT_FALSE(std::isfinite(zero.GetY()));
  EXPECT_FALSE(std::isfinite(zero.GetZ()));

  ExpectNear(VECTOR::Cross(VECTOR(1, 0, 0), VECTOR(0, 1, 0)), 0, 0, 1, 0);
  ExpectNear(VECTOR::Cross(VECTOR(0, 1, 0), VECTOR(1, 0, 0)), 0, 0, -1, 0);
  ExpectNear(VECTOR::Cross(VECTOR(1, 2, 3), VECTOR(4, 5, 6)), -3, 6, -3, 0);

  VECTOR a(1, 2, 3), b(4, -5, 6);
  VECTOR products = VECTOR::Dot(a, b);
  ExpectNear(products, 4, -10, 18, 0);
  EXPECT_EQ(Sum(products), 12.0f);
  ExpectNear(a, 1, 2, 3, 0); // taken by value
}

TEST(Matrix, ConstructionElementsAndConversion) {
  MATRIX id;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      EXPECT_EQ(id.GetElement(r, c), r == c ? 1.0f : 0.0f);

  float a[16];
  for (int i = 0; i < 16; ++i)
    a[i] = static_cast<float>(i + 1);
  MATRIX m(a);
  EXPECT_EQ(m.GetElement(1, 2), 7.0f); // row-major: 1 * 4 + 2
  m(3, 0) = -5;
  m.SetElement(0, 3, 42).SetElement(2, 1, -8);

  D3DMATRIX *p = m;
  EXPECT_EQ(p->_11, 1.0f);
  EXPECT_EQ(p->_14, 42.0f);
  EXPECT_EQ(p->_23, 7.0f);
  EXPECT_EQ(p->_32, -8.0f);
  EXPECT_EQ(p->_41, -5.0f);
  EXPECT_EQ(p->_44, 16.0f);

  // The record is a snapshot taken at conversion.
  m(0, 0) = 100;
  EXPECT_EQ(p->_11, 1.0f);
  D3DMATRIX d = m;
  EXPECT_EQ(d._11, 100.0f);
  EXPECT_EQ(p->_11, 100.0f);

  MATRIX copy(d);
  MATRIX assigned;
  assigned = d;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) {
      EXPECT_EQ(copy(r, c), m(r, c));
      EXPECT_EQ(assigned(r, c), m(r, c));
    }

  m.MakeZero();
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      EXPECT_EQ(m(r, c), 0.0f);
  m.MakeIdentity();
  EXPECT_EQ(m(3, 3), 1.0f);
  EXPECT_EQ(m(3, 2), 0.0f);
}

TEST(Matrix, InvertTransposes) {
  float a[16];
  for (int i = 0; i < 16; ++i)
    a[i] = static_cast<float>(i);
  MATRIX m(a);
  m.Invert();
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      EXPECT_EQ(m(r, c), a[c * 4 + r]);

  // For a rotation the transpose undoes it.
  MATRIX rot;
  rot.AddRotationX(0.3f).AddRotationY(-1.1f).AddRotationZ(2.0f);
  VECTOR v = Transformed(rot, VECTOR(1, 2, 3));
  rot.Invert();
  ExpectNear(Transformed(rot, v), 1, 2, 3, 1e-5f);
}

TEST(Matrix, RotationDirections) {
  MATRIX x;
  x.AddRotationX(kHalfPi);
  ExpectNear(Transformed(x, VECTOR(0, 1, 0)), 0, 0, 1);
  ExpectNear(Transformed(x, VECTOR(0, 0, 1)), 0, -1, 0);

  MATRIX y;
  y.AddRotationY(kHalfPi);
  ExpectNear(Transformed(y, VECTOR(1, 0, 0)), 0, 0, -1);
  ExpectNear(Transformed(y, VECTOR(0, 0, 1)), 1, 0, 0);

  MATRIX z;
  z.AddRotationZ(kHalfPi);
  ExpectNear(Transformed(z, VECTOR(1, 0, 0)), 0, 1, 0);
  ExpectNear(Transformed(z, VECTOR(0, 1, 0)), -1, 0, 0);

  // A general angle: y' = c*y - s*z, z' = s*y + c*z.
  const float a = 0.7f, c = std::cos(a), s = std::sin(a);
  MATRIX g;
  g.AddRotationX(a);
  ExpectNear(Transformed(g, VECTOR(5, 2, 3)), 5, c * 2 - s * 3, s * 2 + c * 3,
             1e-5f);
}

TEST(Matrix, RotationsAndTranslationsComposeOnTheRight) {
  // M = Rz * T: the translation happens first, along the unrotated x axis,
  // and the result is then rotated.
  MATRIX m;
  m.AddRotationZ(kHalfPi).AddTranslationX(2);
  ExpectNear(Transformed(m, VECTOR(0, 0, 0)), 0, 2, 0);

  MATRIX t;
  t.AddTranslationX(1).AddTranslationY(-2).AddTranslationZ(3);
  EXPECT_EQ(t(0, 3), 1.0f);
  EXPECT_EQ(t(1, 3), -2.0f);
  EXPECT_EQ(t(2, 3), 3.0f);
  EXPECT_EQ(t(3, 3), 1.0f);
  ExpectNear(Transformed(t, VECTOR(10, 10, 10)), 11, 8, 13, 0);

  // Row 3 takes no part in the transform and w is not divided out.
  t(3, 0) = 7;
  t(3, 3) = 4;
  ExpectNear(Transformed(t, VECTOR(10, 10, 10)), 11, 8, 13, 0);
}

TEST(Matrix, SetRotationBuildsOrthonormalRows) {
  VECTOR dir(3, 0, 4), up(0.2f, 1, 0.5f);
  MATRIX m;
  m(3, 3) = 1;
  m.SetRotation(&dir, &up);

  ExpectNear(dir, 3, 0, 4, 0); // the caller's vectors are kept
  ExpectNear(up, 0.2f, 1, 0.5f, 0);

  VECTOR rows[3];
  for (int r = 0; r < 3; ++r)
    rows[r].Set(m(r, 0), m(r, 1), m(r, 2));
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      EXPECT_NEAR(Sum(VECTOR::Dot(rows[i], rows[j])), i == j ? 1.0f : 0.0f,
                  1e-5f)
          << i << j;
  ExpectNear(rows[2], 0.6f, 0, 0.8f);
  EXPECT_GT(rows[1].GetY(), 0.0f); // up keeps its sense
  VECTOR right = VECTOR::Cross(rows[1], rows[2]);
  ExpectNear(rows[0], right.GetX(), right.GetY(), right.GetZ());

  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(m(3, i), 0.0f);
    EXPECT_EQ(m(i, 3), 0.0f);
  }
  EXPECT_EQ(m(3, 3), 0.0f);
}

TEST(Matrix, ProjectionValuesAndClamps) {
  MATRIX p;
  p.MakeProjection(1, 10, 1);
  const float c = std::cos(0.5f), s = std::sin(0.5f), q = s / (1 - 0.1f);
  EXPECT_FLOAT_EQ(p(0, 0), c);
  EXPECT_FLOAT_EQ(p(1, 1), c);
  EXPECT_FLOAT_EQ(p(2, 2), q);
  EXPECT_FLOAT_EQ(p(2, 3), s);
  EXPECT_FLOAT_EQ(p(3, 2), -q);
  int nonZero = 0;
  for (int r = 0; r < 4; ++r)
    for (int col = 0; col < 4; ++col)
      nonZero += p(r, col) != 0.0f;
  EXPECT_EQ(nonZero, 5);

  // A too-wide view and a too-near far plane are both clamped.
  MATRIX clamped, reference;
  clamped.MakeProjection(1, 1.5f, 3);
  reference.MakeProjection(1, 2, 2);
  for (int r = 0; r < 4; ++r)
    for (int col = 0; col < 4; ++col)
      EXPECT_EQ(clamped(r, col), reference(r, col)) << r << col;
}

TEST(Matrix, ViewLooksFromTheEyeAtTheTarget) {
  VECTOR eye(3, 4, -5);
  MATRIX v;
  v.MakeView(&eye, nullptr, nullptr, 0);

  VECTOR dir(-3, -4, 5);
  dir.Normalize();
  VECTOR right = VECTOR::Cross(VECTOR(0, 1, 0), dir);
  right.Normalize();
  VECTOR up = VECTOR::Cross(dir, right);
  VECTOR cols[3] = {right, up, dir};
  for (int c = 0; c < 3; ++c) {
    EXPECT_NEAR(v(0, c), cols[c].GetX(), kEps) << c;
    EXPECT_NEAR(v(1, c), cols[c].GetY(), kEps) << c;
    EXPECT_NEAR(v(2, c), cols[c].GetZ(), kEps) << c;
    EXPECT_EQ(v(c, 3), 0.0f);
  }
  EXPECT_EQ(v(3, 3), 1.0f);
  EXPECT_GT(v(1, 1), 0.0f); // the world's up stays up

  // In view space the eye sits at the origin and the target straight ahead.
  ExpectNear(RowTimes(eye, v), 0, 0, 0, 1e-5f);
  ExpectNear(RowTimes(VECTOR(0, 0, 0), v), 0, 0, eye.GetMagnitude(), 1e-5f);

  // Null target and up are the origin and (0, 1, 0).
  VECTOR origin, worldUp(0, 1, 0);
  MATRIX explicitView;
  explicitView.MakeView(&eye, &origin, &worldUp, 0);
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      EXPECT_EQ(v(r, c), explicitView(r, c));
}

TEST(Matrix, ViewRollTurnsAboutTheViewAxis) {
  VECTOR eye(0, 0, -5), target(0, 0, 0);
  MATRIX rolled;
  rolled.MakeView(&eye, &target, nullptr, kHalfPi);
  // Looking down +z, the world's x axis turns onto the view's y axis.
  ExpectNear(RowTimes(VECTOR(1, 0, 0), rolled), 0, 1, 5, 1e-5f);
  // The viewing direction itself is untouched.
  EXPECT_NEAR(rolled(2, 2), 1.0f, kEps);
}
