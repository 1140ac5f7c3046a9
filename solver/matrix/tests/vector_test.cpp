#include "solver/matrix/vector.h"

#include "solver/matrix/tests/matrix_test_support.h"

namespace kv {
namespace {

using test::MakeVector;
using test::MatrixTest;
using test::Values;

using VectorTest = MatrixTest;

TEST_F(VectorTest, ScaledAndSummedResultsCarryTheNamesOfTheirExpressions) {
  Vector* p = MakeVector("p", {1.0, 2.0, 3.0});
  Vector* z = MakeVector("z", {10.0, 20.0, 30.0});

  // A scaled vector shares p's data and keeps the factor pending.
  Vector* scaled = VecScale(2.0, p);
  ASSERT_NE(scaled, nullptr);
  EXPECT_EQ(scaled->name, " 2.00000e+00 * (p)");  // "%12.5e * (%s)": 12 characters
  EXPECT_EQ(scaled->data, p->data);
  EXPECT_EQ(scaled->temporary, 1);
  EXPECT_EQ(scaled->ownsData, 0);
  EXPECT_DOUBLE_EQ(scaled->scale, 2.0);

  // The sum consumes the scaled temporary and names itself after both.
  Vector* sum = VecAdd(z, scaled);
  ASSERT_NE(sum, nullptr);
  EXPECT_EQ(sum->name, "z +  2.00000e+00 * (p)");
  EXPECT_EQ(sum->ownsData, 1);
  EXPECT_DOUBLE_EQ(sum->scale, 1.0);
  EXPECT_EQ(Values(sum), (std::vector<double>{12.0, 24.0, 36.0}));

  // Names nest: a negative factor fills the 12 characters itself.
  Vector* nested = VecSub(sum, VecScale(-0.123457, z));
  ASSERT_NE(nested, nullptr);
  EXPECT_EQ(nested->name, "z +  2.00000e+00 * (p) - -1.23457e-01 * (z)");
  EXPECT_NEAR(VecGet(nested, 1), 12.0 + 1.23457, 1e-12);
  EXPECT_DOUBLE_EQ(VecNorm1(nested), (12.0 + 24.0 + 36.0) + 0.123457 * 60.0);

  // Persistent operands survive; every temporary died in the operation that
  // received it (VecNorm1 consumed the last one).
  EXPECT_EQ(MatrixLibrary().liveVectors, 2);
  VecRelease(p);
  VecRelease(z);
}

TEST_F(VectorTest, AssignTakesOverTheArrayOfATemporaryThatOwnsIt) {
  Vector* dest = MakeVector("dest", {1.0, 1.0});
  Vector* a = MakeVector("a", {1.0, 2.0});
  Vector* b = MakeVector("b", {3.0, 4.0});
  const double* oldArray = dest->data;

  Vector* sum = VecAdd(a, b);
  const double* sumArray = sum->data;
  VecAssign(dest, sum);  // sum is destroyed here, with dest's old array
  EXPECT_EQ(dest->data, sumArray);
  EXPECT_NE(dest->data, oldArray);
  EXPECT_EQ(Values(dest), (std::vector<double>{4.0, 6.0}));
  EXPECT_EQ(MatrixLibrary().liveVectors, 3);

  // A scaled temporary that took the data over hands it on with the scale applied.
  Vector* owned = VecScale(0.5, VecAdd(a, b));
  EXPECT_EQ(owned->ownsData, 1);
  const double* ownedArray = owned->data;
  VecAssign(dest, owned);
  EXPECT_EQ(dest->data, ownedArray);
  EXPECT_DOUBLE_EQ(dest->scale, 1.0);
  EXPECT_EQ(Values(dest), (std::vector<double>{2.0, 3.0}));

  // A persistent source is copied, scaled by its factor.
  VecAssign(dest, VecScale(3.0, a));
  EXPECT_EQ(dest->data, ownedArray);
  EXPECT_EQ(Values(dest), (std::vector<double>{3.0, 6.0}));
  EXPECT_EQ(Values(a), (std::vector<double>{1.0, 2.0}));

  // In place: dest = 2 dest reads and writes the same array.
  VecAssign(dest, VecScale(2.0, dest));
  EXPECT_EQ(Values(dest), (std::vector<double>{6.0, 12.0}));

  VecRelease(dest);
  VecRelease(a);
  VecRelease(b);
}

TEST_F(VectorTest, AssignCopiesIntoADestinationThatDoesNotOwnItsArray) {
  // A persistent view over the caller's array: exchanging arrays would hand
  // the caller's memory to the temporary and free it.
  double outside[3] = {0.0, 7.0, 7.0};
  Vector* view = VecCreate("view", 2, 0, 0);
  view->data = outside;
  Vector* a = MakeVector("a", {1.0, 2.0});
  VecAssign(view, VecAdd(a, a));
  EXPECT_EQ(view->data, outside);
  EXPECT_DOUBLE_EQ(outside[1], 2.0);
  EXPECT_DOUBLE_EQ(outside[2], 4.0);
  VecRelease(view);
  VecRelease(a);
}

TEST_F(VectorTest, UpdatesDotProductsAndNormsApplyPendingScales) {
  Vector* x = MakeVector("x", {1.0, -2.0, 3.0, -4.0, 5.0});
  Vector* y = MakeVector("y", {2.0, 2.0, 2.0, 2.0, 2.0});
  EXPECT_DOUBLE_EQ(VecDot(x, y), 6.0);
  EXPECT_DOUBLE_EQ(VecDot(VecScale(2.0, x), VecScale(-0.5, y)), -6.0);
  EXPECT_DOUBLE_EQ(VecNorm1(x), 15.0);
  // A negative pending factor still gives a non-negative norm.
  EXPECT_DOUBLE_EQ(VecNorm1(VecScale(-2.0, x)), 30.0);
  EXPECT_DOUBLE_EQ(VecNorm2(VecScale(-2.0, x)), 2.0 * std::sqrt(55.0));

  VecAddTo(y, VecScale(2.0, x));
  EXPECT_EQ(Values(y), (std::vector<double>{4.0, -2.0, 8.0, -6.0, 12.0}));
  VecSubFrom(y, x);
  EXPECT_EQ(Values(y), (std::vector<double>{3.0, 0.0, 5.0, -2.0, 7.0}));
  VecZero(y);
  EXPECT_EQ(Values(y), (std::vector<double>(5, 0.0)));
  EXPECT_EQ(MatrixLibraryErrorCode(), 0);
  VecRelease(x);
  VecRelease(y);
}

TEST_F(VectorTest, ErrorsAreStickyAndEveryLaterOperationIsANoOp) {
  Vector* v = MakeVector("v", {1.0, 2.0});
  Vector* w = MakeVector("w", {5.0, 6.0});

  ::testing::internal::CaptureStdout();
  VecSet(v, 0, 9.0);  // index 0 is outside 1..n
  const std::string printed = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(printed, "\nError: Matrix library\n");
  EXPECT_EQ(MatrixLibraryErrorCode(), 12);
  EXPECT_EQ(MatrixLibrary().failingProcedure, "(procedure unknown)");

  ::testing::internal::CaptureStdout();
  EXPECT_DOUBLE_EQ(VecGet(v, 1), 0.0);
  EXPECT_DOUBLE_EQ(VecGet(v, 2), 0.0);
  EXPECT_DOUBLE_EQ(VecDot(v, w), 1.0);
  EXPECT_DOUBLE_EQ(VecNorm1(v), 1.0);
  EXPECT_DOUBLE_EQ(VecNorm2(v), 1.0);
  EXPECT_EQ(VecCreate("u", 3, 0, 1), nullptr);
  EXPECT_EQ(VecScale(2.0, v), nullptr);
  // A temporary handed to an operation in the error state is still released.
  EXPECT_EQ(VecAdd(v, nullptr), nullptr);
  VecAssign(v, w);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
  // The stored values were not touched.
  EXPECT_DOUBLE_EQ(v->data[1], 1.0);
  VecRelease(v);
  VecRelease(w);
}

TEST_F(VectorTest, WritingIntoATemporaryIsAnError) {
  Vector* t = VecCreate("t", 2, 1, 1);
  ::testing::internal::CaptureStdout();
  VecSet(t, 1, 1.0);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "\nError: Matrix library\n");
  EXPECT_EQ(MatrixLibraryErrorCode(), 12);
  VecRelease(t);
}

TEST_F(VectorTest, LengthMismatchesAreErrors) {
  Vector* a = MakeVector("a", {1.0, 2.0});
  Vector* b = MakeVector("b", {1.0, 2.0, 3.0});
  ::testing::internal::CaptureStdout();
  EXPECT_DOUBLE_EQ(VecDot(a, b), 1.0);
  ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(MatrixLibraryErrorCode(), 12);

  ResetMatrixLibrary();
  ::testing::internal::CaptureStdout();
  VecAssign(a, b);
  ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(MatrixLibraryErrorCode(), 12);
  EXPECT_EQ(Values(a), (std::vector<double>{1.0, 2.0}));

  ResetMatrixLibrary();
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(VecAdd(a, b), nullptr);
  ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(MatrixLibraryErrorCode(), 12);
  VecRelease(a);
  VecRelease(b);
}

}  // namespace
}  // namespace kv
