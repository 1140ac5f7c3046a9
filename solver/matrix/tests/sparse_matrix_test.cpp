#include "solver/matrix/sparse_matrix.h"

#include "solver/matrix/tests/matrix_test_support.h"

namespace kv {
namespace {

using test::Dense;
using test::kStorages;
using test::Storage;
using test::MakeDense;
using test::MakeVector;
using test::MatrixTest;
using test::MaxDifference;
using test::Multiply;
using test::ToLibrary;
using test::Values;

using SparseMatrixTest = MatrixTest;

// A non-symmetric 5 x 5 matrix with a structurally symmetric pattern.
Dense Unsymmetric() {
  Dense d = MakeDense(5);
  const double v[5][5] = {{4, -1, 0, 0, 2},
                          {-2, 5, 1, 0, 0},
                          {0, 3, 6, -1, 0},
                          {0, 0, 2, 7, -3},
                          {1, 0, 0, 1, 8}};
  for (uint32_t i = 0; i < 5; ++i) {
    for (uint32_t j = 0; j < 5; ++j) d(i, j) = v[i][j];
  }
  return d;
}

// d D + u U + l L of a dense matrix.
Dense Parts(const Dense& a, double d, double u, double l) {
  Dense r = MakeDense(a.n);
  for (uint32_t i = 0; i < a.n; ++i) {
    for (uint32_t j = 0; j < a.n; ++j) r(i, j) = (i == j ? d : (j > i ? u : l)) * a(i, j);
  }
  return r;
}

TEST_F(SparseMatrixTest, PartViewsShareTheStorageAndSumTheirScales) {
  Dense d = test::RandomSpd(6, 0.5, 3);
  SparseMatrix* a = ToLibrary(d, "A", 1, 1);
  SparseMatrix* sum = MatAdd(MatUpper(a), MatDiag(a));
  ASSERT_NE(sum, nullptr);
  EXPECT_EQ(sum->name, "Upper(A) + Diag(A)");
  EXPECT_EQ(sum->rows, a->rows);
  EXPECT_EQ(sum->rowLength, a->rowLength);
  EXPECT_EQ(sum->factor, a->factor);
  EXPECT_EQ(sum->ownsStorage, 0);
  EXPECT_EQ(sum->temporary, 1);
  EXPECT_DOUBLE_EQ(sum->diagScale, 1.0);
  EXPECT_DOUBLE_EQ(sum->upperScale, 1.0);
  EXPECT_DOUBLE_EQ(sum->lowerScale, 0.0);
  // The view's product is (D + U) x, with U the mirror of the stored lower part.
  Vector* x = MakeVector("x", {1, 2, 3, 4, 5, 6});
  Vector* y = MatMulVec(sum, x);
  ASSERT_NE(y, nullptr);
  EXPECT_EQ(y->name, "(Upper(A) + Diag(A)) * (x)");
  EXPECT_LT(MaxDifference(Values(y), Multiply(Parts(d, 1, 1, 0), {1, 2, 3, 4, 5, 6})), 1e-12);
  VecRelease(y);  // a result the test keeps is released by hand
  // Assembly through the view is seen by the storage owner.
  EXPECT_EQ(*a->assembled, 1);
  VecRelease(x);
  MatDestroy(a);
}

TEST_F(SparseMatrixTest, AddingPartsOfDifferentMatricesIsAnError) {
  Dense d = test::RandomSpd(4, 0.5, 5);
  SparseMatrix* a = ToLibrary(d, "A", 1, 1);
  SparseMatrix* b = ToLibrary(d, "B", 1, 1);  // same values, other storage
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(MatAdd(MatDiag(a), MatLower(b)), nullptr);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "\nError: Matrix library\n");
  EXPECT_EQ(MatrixLibraryErrorCode(), 12);
  MatDestroy(a);
  MatDestroy(b);
}

TEST_F(SparseMatrixTest, ProductsMatchDenseForEveryStorageAndPartScale) {
  const Dense spd = test::RandomSpd(9, 0.4, 11);
  const std::vector<double> xs = {1, -2, 3, 0.5, -1, 2, 7, -3, 0.25};
  for (const Storage st : kStorages) {
    SCOPED_TRACE(testing::Message() << "symmetric " << st.symmetric << " triangle " << st.triangle);
    const Dense d = st.symmetric ? spd : Unsymmetric();
    const std::vector<double> xv(xs.begin(), xs.begin() + d.n);
    SparseMatrix* a = ToLibrary(d, "A", st.symmetric, st.triangle);
    Vector* x = MakeVector("x", xv);

    // The whole matrix, and the whole matrix times a scaled vector.
    Vector* y = VecScale(1.0, MatMulVec(a, x));
    EXPECT_LT(MaxDifference(Values(y), Multiply(d, xv)), 1e-12);
    VecRelease(y);
    y = VecScale(1.0, MatMulVec(a, VecScale(-3.0, x)));
    std::vector<double> expected = Multiply(d, xv);
    for (double& e : expected) e *= -3.0;
    EXPECT_LT(MaxDifference(Values(y), expected), 1e-11);
    VecRelease(y);

    // 2 D + 0.5 U + 3 L built lazily from the parts.
    SparseMatrix* mixed =
        MatAdd(MatAdd(MatDiag(a), MatDiag(a)),
               MatAdd(MatAdd(MatUpper(a), MatUpper(a)), MatLower(a)));
    mixed->upperScale = 0.5;  // tune the pending factors of the temporary view
    mixed->lowerScale = 3.0;
    y = MatMulVec(mixed, x);
    EXPECT_LT(MaxDifference(Values(y), Multiply(Parts(d, 2.0, 0.5, 3.0), xv)), 1e-11);
    VecRelease(y);

    // Each part alone.
    y = MatMulVec(MatLower(a), x);
    EXPECT_LT(MaxDifference(Values(y), Multiply(Parts(d, 0, 0, 1), xv)), 1e-12);
    VecRelease(y);
    y = MatMulVec(MatUpper(a), x);
    EXPECT_LT(MaxDifference(Values(y), Multiply(Parts(d, 0, 1, 0), xv)), 1e-12);
    VecRelease(y);
    EXPECT_EQ(MatrixLibraryErrorCode(), 0);
    VecRelease(x);
    MatDestroy(a);
  }
}

TEST_F(SparseMatrixTest, TriangularSolvesInvertTheirExpressionForEveryStorage) {
  const Dense spd = test::RandomSpd(9, 0.4, 17);
  const std::vector<double> bs = {3, 1, -4, 1, 5, -9, 2, 6, 5};
  for (const Storage st : kStorages) {
    SCOPED_TRACE(testing::Message() << "symmetric " << st.symmetric << " triangle " << st.triangle);
    const Dense d = st.symmetric ? spd : Unsymmetric();
    const std::vector<double> bv(bs.begin(), bs.begin() + d.n);
    SparseMatrix* a = ToLibrary(d, "A", st.symmetric, st.triangle);
    Vector* b = MakeVector("b", bv);

    struct Case {
      double d, u, l;
    };
    for (const Case c : {Case{1, 0, 1}, Case{1, 1, 0}, Case{1, 0, 0}, Case{2, 0, 3}, Case{0.5, -2, 0}}) {
      SCOPED_TRACE(testing::Message() << "scales " << c.d << " " << c.u << " " << c.l);
      SparseMatrix* expr = MatAdd(MatDiag(a), MatAdd(MatUpper(a), MatLower(a)));
      expr->diagScale = c.d;
      expr->upperScale = c.u;
      expr->lowerScale = c.l;
      // Solve with a scaled right-hand side: (expr) x = 2 b.
      Vector* x = VecScale(1.0, MatSolveTri(expr, VecScale(2.0, b)));
      ASSERT_NE(x, nullptr);
      std::vector<double> residual = Multiply(Parts(d, c.d, c.u, c.l), Values(x));
      for (size_t i = 0; i < bv.size(); ++i) residual[i] -= 2.0 * bv[i];
      EXPECT_LT(test::Norm2(residual), 1e-10);
      VecRelease(x);
    }
    EXPECT_EQ(MatrixLibraryErrorCode(), 0);
    VecRelease(b);
    MatDestroy(a);
  }
}

TEST_F(SparseMatrixTest, TriangularSolveNamesItselfAndRefusesTwoOffDiagonalParts) {
  SparseMatrix* a = ToLibrary(test::RandomSpd(4, 0.6, 2), "A", 1, 1);
  Vector* b = MakeVector("b", {1, 2, 3, 4});
  Vector* x = MatSolveTri(MatAdd(MatDiag(a), MatLower(a)), b);
  ASSERT_NE(x, nullptr);
  EXPECT_EQ(x->name, "(Diag(A) + Lower(A))^(-1) * (b)");
  VecRelease(x);
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(MatSolveTri(a, b), nullptr);  // D + U + L is not triangular
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "\nError: Matrix library\n");
  VecRelease(b);
  MatDestroy(a);
}

TEST_F(SparseMatrixTest, SymmetricLowerMatrixWithAnEntryAboveItsDiagonalFailsAtFirstUse) {
  SparseMatrix* a = MatCreate("A", 5, 1, 1, 0, 1);
  for (uint32_t i = 1; i <= 5; ++i) {
    MatSetRowLength(a, i, 1);
    MatSetEntry(a, i, 0, i, 2.0);
  }
  MatSetRowLength(a, 3, 2);
  MatSetEntry(a, 3, 0, 3, 2.0);
  MatSetEntry(a, 3, 1, 5, -1.0);  // above the diagonal in lower storage
  EXPECT_EQ(MatrixLibraryErrorCode(), 0);  // filling does not check the triangle
  Vector* x = MakeVector("x", {1, 1, 1, 1, 1});
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(MatMulVec(a, x), nullptr);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "\nError: Matrix library\n");
  EXPECT_EQ(MatrixLibraryErrorCode(), 12);
  VecRelease(x);
  MatDestroy(a);
}

TEST_F(SparseMatrixTest, NonSymmetricStorageMayHoldBothTriangles) {
  SparseMatrix* a = MatCreate("A", 2, 0, 1, 0, 1);
  MatSetRowLength(a, 1, 2);
  MatSetEntry(a, 1, 0, 2, 1.0);
  MatSetEntry(a, 1, 1, 1, 3.0);
  MatSetRowLength(a, 2, 1);
  MatSetEntry(a, 2, 0, 2, 4.0);
  Vector* x = MakeVector("x", {1, 1});
  Vector* y = MatMulVec(a, x);
  ASSERT_NE(y, nullptr);
  EXPECT_EQ(Values(y), (std::vector<double>{4.0, 4.0}));
  VecRelease(y);
  VecRelease(x);
  MatDestroy(a);
}

TEST_F(SparseMatrixTest, EmptyRowHasAMissingDiagonalThatTriangularSolvesRefuse) {
  SparseMatrix* a = MatCreate("A", 3, 1, 1, 0, 1);
  MatSetRowLength(a, 1, 1);
  MatSetEntry(a, 1, 0, 1, 2.0);
  MatSetRowLength(a, 2, 0);  // stays empty
  MatSetRowLength(a, 3, 2);
  MatSetEntry(a, 3, 0, 1, -1.0);  // row 3 has no diagonal either
  MatSetEntry(a, 3, 1, 2, -1.0);
  Vector* b = MakeVector("b", {1, 1, 1});
  // The product still works: missing diagonals count as zero.
  Vector* y = MatMulVec(a, b);
  ASSERT_NE(y, nullptr);
  EXPECT_EQ(Values(y), (std::vector<double>{1.0, -1.0, -2.0}));
  VecRelease(y);
  EXPECT_EQ(a->rowLength[2], 0u);
  EXPECT_EQ(*a->diagonalMissing, 1);
  EXPECT_EQ(a->diagonalEntry[2]->value, 0.0);
  EXPECT_EQ(a->diagonalEntry[3]->value, 0.0);
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(MatSolveTri(MatAdd(MatDiag(a), MatLower(a)), b), nullptr);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "\nError: Matrix library\n");
  VecRelease(b);
  MatDestroy(a);
}

TEST_F(SparseMatrixTest, FillingMistakesAreErrors) {
  struct Mistake {
    const char* what;
    void (*run)(SparseMatrix* a);
  };
  const Mistake mistakes[] = {
      {"row 0", [](SparseMatrix* a) { MatSetRowLength(a, 0, 1); }},
      {"row n+1", [](SparseMatrix* a) { MatSetRowLength(a, 4, 1); }},
      {"slot past the row", [](SparseMatrix* a) { MatSetEntry(a, 1, 1, 1, 1.0); }},
      {"column 0", [](SparseMatrix* a) { MatSetEntry(a, 1, 0, 0, 1.0); }},
      {"column n+1", [](SparseMatrix* a) { MatSetEntry(a, 1, 0, 4, 1.0); }},
      {"slot never set", [](SparseMatrix* a) {
         MatSetRowLength(a, 2, 2);
         MatSetEntry(a, 2, 0, 2, 1.0);
         MatAssemble(a);
       }},
  };
  for (const Mistake& m : mistakes) {
    SCOPED_TRACE(m.what);
    ResetMatrixLibrary();
    SparseMatrix* a = MatCreate("A", 3, 0, 0, 0, 1);
    MatSetRowLength(a, 1, 1);
    ::testing::internal::CaptureStdout();
    m.run(a);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "\nError: Matrix library\n");
    EXPECT_EQ(MatrixLibraryErrorCode(), 12);
    MatDestroy(a);
  }
  // A temporary matrix cannot be filled.
  ResetMatrixLibrary();
  SparseMatrix* t = MatCreate("T", 3, 0, 0, 1, 1);
  ::testing::internal::CaptureStdout();
  MatSetRowLength(t, 1, 1);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "\nError: Matrix library\n");
  MatDestroy(t);
}

TEST_F(SparseMatrixTest, ChangingARowAfterFirstUseIsAssembledAgain) {
  Dense d = test::RandomSpd(5, 0.5, 23);
  SparseMatrix* a = ToLibrary(d, "A", 1, 1);
  Vector* x = MakeVector("x", {1, 2, 3, 4, 5});
  VecRelease(MatMulVec(a, x));  // first use: sorted, diagonal pointers set
  // Row 4 gets new entries (the old row array is freed).
  d(3, 0) = d(0, 3) = -0.5;
  d(3, 1) = d(1, 3) = 0.0;
  d(3, 2) = d(2, 3) = 0.0;
  d(3, 3) = 9.0;
  MatSetRowLength(a, 4, 2);
  MatSetEntry(a, 4, 0, 4, 9.0);
  MatSetEntry(a, 4, 1, 1, -0.5);
  Vector* y = MatMulVec(a, x);
  ASSERT_NE(y, nullptr);
  EXPECT_LT(MaxDifference(Values(y), Multiply(d, {1, 2, 3, 4, 5})), 1e-12);
  VecRelease(y);
  VecRelease(x);
  MatDestroy(a);
}

TEST_F(SparseMatrixTest, PartOfATemporaryThatOwnsItsStorageTakesTheStorageOver) {
  SparseMatrix* t = MatCreate("T", 2, 0, 0, 1, 1);
  SparseMatrix* diag = MatDiag(t);  // t is destroyed here, its storage lives on
  ASSERT_NE(diag, nullptr);
  EXPECT_EQ(diag->ownsStorage, 1);
  EXPECT_EQ(diag->name, "Diag(T)");
  EXPECT_EQ(MatrixLibrary().liveMatrices, 1);
  MatDestroy(diag);
}

}  // namespace
}  // namespace kv
