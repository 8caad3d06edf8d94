// txtmat, droptrail and noblanks.
#include "console/textmat.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/arrays.h"
#include "console/locals.h"
#include "tests/support/child.h"

using namespace zelvo;

namespace {

std::string str(const rt::Array& a) {
  return std::string(rt::chars(a), static_cast<std::size_t>(rt::elemcount(a.rank, a.shape)));
}

// The rows of a character matrix.
std::vector<std::string> rows(const rt::Array& m) {
  std::vector<std::string> out;
  for (int32_t r = 0; r < m.shape[0]; ++r)
    out.emplace_back(rt::chars(m) + static_cast<std::ptrdiff_t>(r) * m.shape[1], static_cast<std::size_t>(m.shape[1]));
  return out;
}

rt::Array matrix(const std::vector<std::string>& lines) {
  int32_t shape[2] = {static_cast<int32_t>(lines.size()), static_cast<int32_t>(lines[0].size())};
  rt::Array m;
  rt::descclear(&m);
  rt::descset(&m, rt::Char, 2, shape);
  rt::descalloc(&m);
  std::string all;
  for (const auto& l : lines) all += l;
  std::copy(all.begin(), all.end(), rt::chars(m));
  return m;
}

TEST(TextMat, SplitsTextsIntoPaddedRows) {
  struct Case { const char* left; const char* text; std::vector<std::string> rows; } cases[] = {
      {"\n", "a\nbcd", {"a  ", "bcd"}},
      {"\n*", "a\nbcd", {"a**", "bcd"}},
      {"\n", "no delimiter", {"no delimiter"}},
      {"\n", "ab\ncd\n", {"ab", "cd", "  "}},  // a final delimiter gives a row of fill
      {",", "a,,b", {"a", " ", "b"}},
  };
  for (const auto& c : cases) {
    Var Res("Res", txtmat(charvec(c.left), charvec(c.text)));
    ASSERT_EQ(Res.get().rank, 2) << c.text;
    EXPECT_EQ(rows(Res.get()), c.rows) << c.text;
  }
}

TEST(TextMat, JoinsRowsWithoutTheirFill) {
  Var Res("Res", txtmat(charvec(","), matrix({"ab ", "c  "})));
  EXPECT_EQ(Res.get().rank, 1);
  EXPECT_EQ(str(Res.get()), "ab,c");
  Var Starred("Starred", txtmat(charvec("\n*"), matrix({"a**", "bcd"})));
  EXPECT_EQ(str(Starred.get()), "a\nbcd");
}

TEST(TextMat, EmptyAndOtherRanks) {
  Var Empty("Empty", txtmat(charvec("\n"), charvec("")));
  EXPECT_EQ(Empty.get().rank, 1);
  EXPECT_EQ(length(Empty.get()), 0);
  auto r = zelvotest::runchild([] {
    int32_t shape[3] = {1, 1, 2};
    rt::Array cube;
    rt::descclear(&cube);
    rt::descset(&cube, rt::Char, 3, shape);
    rt::descalloc(&cube);
    rt::Array res = txtmat(charvec("\n"), cube);
    std::printf("%s", res.type == rt::Undefined ? "undefined" : "defined");
  });
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "RANK ERROR\nundefined");
}

TEST(TextMat, TrimmingFunctions) {
  struct Case { const char* text; const char* trimmed; } cases[] = {
      {"a b  ", "a b"}, {"   ", ""}, {"ab", "ab"}, {"", ""},
  };
  for (auto c : cases) {
    Var Res("Res", droptrail(charscalar(' '), charvec(c.text)));
    EXPECT_EQ(str(Res.get()), c.trimmed) << c.text;
  }
  Var Digits("Digits", noblanks(charvec(" 12 3 ")));
  EXPECT_EQ(str(Digits.get()), "123");
}

TEST(TextMatDeathTest, Refusals) {
  EXPECT_RTERROR(txtmat(charvec(""), charvec("a")), "^" RTMSG("\\[txtmat\\] domain error, no delimiter") "$");
  EXPECT_RTERROR(txtmat(rt::Array{}, charvec("a")), "^" RTMSG("undefined value \\(ChDChF\\) used") "$");
  EXPECT_RTERROR(noblanks(rt::Array{}), "^" RTMSG("undefined value \\(Text\\) used") "$");
}

}  // namespace
