// find.
#include "runtime/system/find.h"

#include <gtest/gtest.h>

#include "tests/support/child.h"
#include "tests/support/values.h"

using zelvotest::Val;

namespace {

TEST(Find, MarksWhereTheWholePatternStarts) {
  struct Case { std::string text, pattern; std::vector<int32_t> marks; } cases[] = {
      {"abcdefg", "cdefg", {0, 0, 1, 0, 0, 0, 0}},
      {"abcab", "abc", {1, 0, 0, 0, 0}},  // "ab" at the end fits only in part
      {"banana", "ana", {0, 1, 0, 1, 0, 0}},  // overlapping occurrences
      {"banana", "a", {0, 1, 0, 1, 0, 1}},
      {"ab", "abc", {0, 0}},  // longer than the text
      {"user LOGIN", "login", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},  // bytes compare exactly
      {"abc", "", {1, 1, 1}},  // the empty pattern occurs everywhere
      {"", "a", {}},
      {"", "", {}},
  };
  for (auto& c : cases) {
    Val text = Val::chars(c.text), pattern = Val::chars(c.pattern), r;
    rt::find(&r, &text, &pattern);
    EXPECT_EQ(r->type, rt::Int);
    EXPECT_EQ(r->rank, 1);
    EXPECT_EQ(r.list(), c.marks) << c.text << " / " << c.pattern;
  }
}

TEST(Find, ScalarsCountAsLengthOne) {
  Val x = Val::chars("x", {}), y = Val::chars("y", {}), xyx = Val::chars("xyx"), a, b, c;
  rt::find(&a, &x, &x);
  EXPECT_EQ(a.list(), std::vector<int32_t>{1});
  EXPECT_EQ(a->rank, 1);
  rt::find(&b, &x, &y);
  EXPECT_EQ(b.list(), std::vector<int32_t>{0});
  rt::find(&c, &xyx, &x);
  EXPECT_EQ(c.list(), (std::vector<int32_t>{1, 0, 1}));
}

TEST(FindDeathTest, NonCharacterArguments) {
  Val text = Val::chars("abc"), number = Val::intscalar(97), undefined, r;
  EXPECT_RTERROR(rt::find(&r, &text, &number), "^" RTMSG("\\[find\\]: non-character argument") "$");
  EXPECT_RTERROR(rt::find(&r, &undefined, &text), "^" RTMSG("\\[find\\]: non-character argument") "$");
}

}  // namespace
