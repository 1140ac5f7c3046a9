#pragma once
// Three-component vectors in double precision and the handful of operations
// the element geometry needs. Node coordinates are 32-bit floats; geometry is
// computed on their differences in double so that models far from the origin
// keep their precision.

#include <cmath>

#include "common/mesh/mesh_model.h"

namespace kv {

struct Vec3 {
  double x = 0, y = 0, z = 0;
};

inline Vec3 ToVec3(const Node& n) { return {n.x, n.y, n.z}; }

inline Vec3 operator+(const Vec3& a, const Vec3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(double s, const Vec3& a) { return {s * a.x, s * a.y, s * a.z}; }

// b - a, of two vectors or of two nodes (the node form widens before it subtracts).
inline Vec3 Sub(const Vec3& b, const Vec3& a) { return b - a; }
inline Vec3 Sub(const Node& b, const Node& a) { return ToVec3(b) - ToVec3(a); }

inline Vec3 Cross(const Vec3& a, const Vec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

inline double Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

inline double Norm(const Vec3& a) { return std::sqrt(Dot(a, a)); }

}  // namespace kv
