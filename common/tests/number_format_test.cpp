#include "common/text/number_format.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

TEST(NumberFormat, ExponentHasThreeDigits) {
  EXPECT_EQ(FormatExponent(1.0, "%.6E"), "1.000000E+000");
  EXPECT_EQ(FormatExponent(1.0, "%+.6E"), "+1.000000E+000");
  EXPECT_EQ(FormatExponent(-2.5e-3, "%+.6E"), "-2.500000E-003");
  EXPECT_EQ(FormatExponent(1e-6, "%e"), "1.000000e-006");
  EXPECT_EQ(FormatExponent(6e-3, "%.6E"), "6.000000E-003");
  EXPECT_EQ(FormatExponent(1.5e200, "%.6E"), "1.500000E+200");
  EXPECT_EQ(FormatExponent(0.0, "%.6E"), "0.000000E+000");
}

TEST(NumberFormat, FieldWidthIsKept) {
  // "%12.5e" of 1.0 is " 1.00000e+00" on glibc: widened, still 12 characters.
  std::string s = FormatExponent(1.0, "%12.5e");
  EXPECT_EQ(s, "1.00000e+000");
  EXPECT_EQ(s.size(), 12u);
  EXPECT_EQ(FormatExponent(1.0, "%14.5e"), "  1.00000e+000");
}

TEST(NumberFormat, FormatBuildsStrings) {
  EXPECT_EQ(Format("NODE %8d %8d", 1, 0), "NODE        1        0");
  EXPECT_EQ(Format("%s", ""), "");
}

}  // namespace
}  // namespace kv
