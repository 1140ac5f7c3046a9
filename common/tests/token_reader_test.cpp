#include "common/text/token_reader.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

TEST(TokenReader, TokensLinesAndNumbers) {
  TokenReader r;
  SetTokenText(r, "---- title words\nEPRO       1       5    Cold solid runner\r\n"
                  "       30100       2    Thickness/diameter\n  6.000000E-003  1.0e+00\nENDF");
  std::string_view tok;
  ASSERT_EQ(SkipToToken(r, "EPRO"), "EPRO");
  EXPECT_EQ(r.line, 2);
  int a = 0, b = 0;
  ASSERT_TRUE(ReadInt(r, a));
  ASSERT_TRUE(ReadInt(r, b));
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 5);
  EXPECT_EQ(TrimLeading(RestOfLine(r)), "Cold solid runner");  // carriage return dropped
  ASSERT_TRUE(ReadInt(r, a));
  EXPECT_EQ(a, 30100);
  SkipRestOfLine(r);
  double d = 0, e = 0;
  ASSERT_TRUE(ReadReal(r, d));
  ASSERT_TRUE(ReadReal(r, e));
  EXPECT_DOUBLE_EQ(d, 6e-3);
  EXPECT_DOUBLE_EQ(e, 1.0);
  ASSERT_TRUE(NextToken(r, tok));
  EXPECT_EQ(tok, "ENDF");
  EXPECT_FALSE(NextToken(r, tok));
  EXPECT_TRUE(AtEnd(r));
}

TEST(TokenReader, NumbersAreParsedStrictly) {
  int i;
  double d;
  float f;
  EXPECT_TRUE(ParseInt("+12", i));
  EXPECT_EQ(i, 12);
  EXPECT_FALSE(ParseInt("12x", i));
  EXPECT_FALSE(ParseInt("1.0", i));
  EXPECT_FALSE(ParseInt("99999999999", i));
  EXPECT_FALSE(ParseInt("", i));
  EXPECT_TRUE(ParseReal("1.000000E+000", d));
  EXPECT_TRUE(ParseReal("1.000000E+00", d));
  EXPECT_TRUE(ParseReal("-.5", d));
  EXPECT_DOUBLE_EQ(d, -0.5);
  EXPECT_TRUE(ParseReal("7", d));
  EXPECT_FALSE(ParseReal("nan", d));
  EXPECT_FALSE(ParseReal("-inf", d));
  EXPECT_FALSE(ParseReal("1e999", d));
  EXPECT_FALSE(ParseReal("abc", d));
  EXPECT_FALSE(ParseReal("1.0.0", d));
  EXPECT_FALSE(ParseFloat("1e39", f));
  EXPECT_TRUE(ParseFloat("1e38", f));
}

TEST(TokenReader, NextLineAfterTokenAndLongTokens) {
  TokenReader r;
  SetTokenText(r, "1999 1 Resin trade name\n   Styron 678E  \nX\n");
  int code;
  ASSERT_TRUE(ReadInt(r, code));
  SkipRestOfLine(r);
  std::string line;
  ASSERT_TRUE(NextLine(r, line));
  EXPECT_EQ(TrimLeading(line), "Styron 678E  ");
  ASSERT_TRUE(NextLine(r, line));
  EXPECT_EQ(line, "X");
  EXPECT_FALSE(NextLine(r, line));

  SetTokenText(r, std::string(1000, 'a'));
  std::string_view tok;
  ASSERT_TRUE(NextToken(r, tok));
  EXPECT_EQ(tok.size(), kMaxTokenLength);
}

TEST(TokenReader, MissingFileFails) {
  TokenReader r;
  EXPECT_EQ(OpenTokenReader(r, "/nonexistent/dir/file.m2D"), -1);
  EXPECT_TRUE(r.text.empty());
}

}  // namespace
}  // namespace kv
