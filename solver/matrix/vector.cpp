#include "solver/matrix/vector.h"

#include <cmath>
#include <new>
#include <utility>

#include "solver/matrix/matrix_internal.h"
#include "solver/matrix/parallel.h"

namespace kv {

bool FormatName(std::string& out, const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  bool ok = length >= 0;
  if (ok) {
    try {
      out.assign(static_cast<size_t>(length) + 1, '\0');
      std::vsnprintf(out.data(), out.size(), format, args);
      out.resize(static_cast<size_t>(length));
    } catch (const std::bad_alloc&) {
      ok = false;
    }
  }
  va_end(args);
  return ok;
}

Vector* VecCreate(const char* name, uint32_t n, int temporary, int ownsData) {
  if (MatrixLibraryErrorCode() != 0) return nullptr;
  Vector* v = new (std::nothrow) Vector;
  if (v == nullptr || !FormatName(v->name, "%s", name != nullptr ? name : "")) {
    delete v;
    MatrixLibraryError();
    return nullptr;
  }
  v->n = n;
  v->temporary = temporary;
  v->ownsData = ownsData;
  if (ownsData) {
    v->data = AcquireVectorArray(n);
    if (v->data == nullptr) {
      delete v;
      MatrixLibraryError();
      return nullptr;
    }
    v->data[0] = 0.0;
  }
  ++MatrixLibrary().liveVectors;
  return v;
}

void VecRelease(Vector* v) {
  if (v == nullptr) return;
  if (v->ownsData) ReturnVectorArray(v->data, v->n);
  delete v;
  --MatrixLibrary().liveVectors;
}

void DestroyIfUnheld(Vector* v) {
  if (v->temporary && v->refcount <= 0) VecRelease(v);
}

Vector* NewTemporaryVector(std::string&& name, uint32_t n) {
  Vector* v = VecCreate("", n, 1, 1);
  if (v != nullptr) v->name = std::move(name);
  return v;
}

void VecSet(Vector* v, uint32_t i, double value) {
  if (MatrixLibraryErrorCode() != 0) return;
  if (v == nullptr || v->temporary || !v->ownsData || i < 1 || i > v->n) {
    MatrixLibraryError();
    return;
  }
  v->data[i] = value;
}

double VecGet(const Vector* v, uint32_t i) {
  if (MatrixLibraryErrorCode() != 0) return 0.0;
  if (v == nullptr || i < 1 || i > v->n) {
    MatrixLibraryError();
    return 0.0;
  }
  return v->data[i];
}

void VecZero(Vector* v) {
  if (MatrixLibraryErrorCode() != 0) return;
  if (v == nullptr) {
    MatrixLibraryError();
    return;
  }
  for (uint32_t i = 1; i <= v->n; ++i) v->data[i] = 0.0;
  v->scale = 1.0;
}

namespace {

// Checks the operands of an update dest op= src: both present, dest
// persistent, equal lengths. Raises the library error otherwise.
bool UpdateOperandsValid(const Vector* dest, const Vector* src) {
  if (dest == nullptr || src == nullptr || dest->temporary || dest->n != src->n) {
    MatrixLibraryError();
    return false;
  }
  return true;
}

// Checks two operands of a binary operation: both present, equal lengths.
bool PairValid(const Vector* a, const Vector* b) {
  if (a == nullptr || b == nullptr || a->n != b->n) {
    MatrixLibraryError();
    return false;
  }
  return true;
}

}  // namespace

Vector* VecAssign(Vector* dest, Vector* src) {
  Hold<Vector> holdDest(dest), holdSrc(src);
  if (MatrixLibraryErrorCode() != 0 || !UpdateOperandsValid(dest, src)) return dest;
  const uint32_t n = dest->n;
  const double s = src->scale;
  double* __restrict d = dest->data;
  if (src->temporary && src->ownsData && dest->ownsData && src->refcount == 1 && src->data != d) {
    // Take the temporary's array over: exchange the arrays so that the old
    // destination array is freed with the source, then apply the pending scale.
    std::swap(dest->data, src->data);
    d = dest->data;
    if (!ScaleIsOne(s)) {
      for (uint32_t i = 1; i <= n; ++i) d[i] *= s;
    }
    return dest;
  }
  // Copy: d_i = s * src_i (the source may share the destination's array).
  const double* sd = src->data;
  if (ScaleIsOne(s)) {
    if (sd != d) {
      for (uint32_t i = 1; i <= n; ++i) d[i] = sd[i];
    }
  } else {
    for (uint32_t i = 1; i <= n; ++i) d[i] = s * sd[i];
  }
  return dest;
}

namespace {

// dest_i += sign * s_src * src_i for a persistent destination of equal length.
Vector* Update(Vector* dest, Vector* src, double sign) {
  Hold<Vector> holdDest(dest), holdSrc(src);
  if (MatrixLibraryErrorCode() != 0 || !UpdateOperandsValid(dest, src)) return dest;
  const uint32_t n = dest->n;
  const double f = sign * src->scale;
  double* d = dest->data;
  const double* sd = src->data;
  const bool plus = ScaleIsOne(f), minus = ScaleIsOne(-f);
  auto body = [=](uint32_t first, uint32_t last) {
    if (plus) {
      for (uint32_t i = first; i <= last; ++i) d[i] += sd[i];
    } else if (minus) {
      for (uint32_t i = first; i <= last; ++i) d[i] -= sd[i];
    } else {
      for (uint32_t i = first; i <= last; ++i) d[i] += f * sd[i];
    }
  };
  ForEachChunk(1, n, body);
  return dest;
}

}  // namespace

Vector* VecAddTo(Vector* dest, Vector* src) { return Update(dest, src, 1.0); }

Vector* VecSubFrom(Vector* dest, Vector* src) { return Update(dest, src, -1.0); }

namespace {

// r = a + sign * b with the pending scales of both operands, as a new
// temporary named by `pattern` ("%s + %s" or "%s - %s").
Vector* Combine(Vector* a, Vector* b, double sign, const char* pattern) {
  Hold<Vector> holdA(a), holdB(b);
  if (MatrixLibraryErrorCode() != 0 || !PairValid(a, b)) return nullptr;
  std::string name;
  if (!FormatName(name, pattern, a->name.c_str(), b->name.c_str())) {
    MatrixLibraryError();
    return nullptr;
  }
  Vector* r = NewTemporaryVector(std::move(name), a->n);
  if (r == nullptr) return nullptr;
  const uint32_t n = a->n;
  const double sa = a->scale;
  const double sb = sign * b->scale;
  const double* ad = a->data;
  const double* bd = b->data;
  double* __restrict rd = r->data;
  // r_i = s_a * a_i + s_b * b_i, skipping scales that count as 1
  const bool aOne = ScaleIsOne(sa), bOne = ScaleIsOne(sb), bMinusOne = ScaleIsOne(-sb);
  auto body = [=](uint32_t first, uint32_t last) {
    if (aOne && bOne) {
      for (uint32_t i = first; i <= last; ++i) rd[i] = ad[i] + bd[i];
    } else if (aOne && bMinusOne) {
      for (uint32_t i = first; i <= last; ++i) rd[i] = ad[i] - bd[i];
    } else if (aOne) {
      for (uint32_t i = first; i <= last; ++i) rd[i] = ad[i] + sb * bd[i];
    } else {
      for (uint32_t i = first; i <= last; ++i) rd[i] = sa * ad[i] + sb * bd[i];
    }
  };
  ForEachChunk(1, n, body);
  return r;
}

}  // namespace

Vector* VecAdd(Vector* a, Vector* b) { return Combine(a, b, 1.0, "%s + %s"); }

Vector* VecSub(Vector* a, Vector* b) { return Combine(a, b, -1.0, "%s - %s"); }

Vector* VecScale(double alpha, Vector* v) {
  Hold<Vector> holdV(v);
  if (MatrixLibraryErrorCode() != 0) return nullptr;
  if (v == nullptr) {
    MatrixLibraryError();
    return nullptr;
  }
  Vector* r = new (std::nothrow) Vector;
  if (r == nullptr || !FormatName(r->name, "%12.5e * (%s)", alpha, v->name.c_str())) {
    delete r;
    MatrixLibraryError();
    return nullptr;
  }
  ++MatrixLibrary().liveVectors;
  r->n = v->n;
  r->temporary = 1;
  r->scale = v->scale * alpha;
  r->data = v->data;
  // A temporary operand dies at the end of this operation: its data moves to
  // the result.
  if (v->temporary && v->ownsData) {
    v->ownsData = 0;
    r->ownsData = 1;
  }
  return r;
}

namespace {

// A single vector operand must be present.
bool Present(const Vector* v) {
  if (v == nullptr) MatrixLibraryError();
  return v != nullptr;
}

}  // namespace

double VecDot(Vector* a, Vector* b) {
  Hold<Vector> holdA(a), holdB(b);
  if (MatrixLibraryErrorCode() != 0 || !PairValid(a, b)) return 1.0;
  const double* ad = a->data;
  const double* bd = b->data;
  // (sum a_i b_i) * s_a * s_b
  return ParallelSum(1, a->n, [ad, bd](uint32_t i) { return ad[i] * bd[i]; }) * a->scale * b->scale;
}

double VecNorm1(Vector* v) {
  Hold<Vector> holdV(v);
  if (MatrixLibraryErrorCode() != 0 || !Present(v)) return 1.0;
  const double* d = v->data;
  // (sum |v_i|) * |s_v|
  return ParallelSum(1, v->n, [d](uint32_t i) { return std::fabs(d[i]); }) * std::fabs(v->scale);
}

double VecNorm2(Vector* v) {
  Hold<Vector> holdV(v);
  if (MatrixLibraryErrorCode() != 0 || !Present(v)) return 1.0;
  const double* d = v->data;
  // sqrt(sum v_i^2 * s_v * s_v)
  return std::sqrt(ParallelSum(1, v->n, [d](uint32_t i) { return d[i] * d[i]; }) * v->scale * v->scale);
}

}  // namespace kv
