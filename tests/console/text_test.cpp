// tolower, nextline and prevline.
#include "console/text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "console/arrays.h"
#include "console/locals.h"
#include "console/globals.h"
#include "tests/support/child.h"

using namespace zelvo;

namespace {

std::string str(const rt::Array& a) { return std::string(rt::chars(a), static_cast<std::size_t>(length(a))); }

// nextline or prevline of text from offset: the line and the new offset.
std::pair<std::string, int32_t> walk(bool next, const std::string& text, int32_t offset) {
  LINEOFFSET.create();
  LINEOFFSET.set(offset);
  Var Text("Text", charvec(text.c_str()));
  Var Res("Res", next ? nextline(charscalar('\r'), copyof(Text.get())) : prevline(charscalar('\r'), copyof(Text.get())));
  EXPECT_EQ(Res.get().rank, 1);
  return {str(Res.get()), LINEOFFSET.value()};
}

TEST(Text, NextLineOffsets) {
  struct Case { int32_t before; const char* line; int32_t after; } cases[] = {
      {0, "a", 2},   {1, "a", 3},  {2, "bb", 6}, {4, "ccc", 10},
      {6, "ccc", 10}, {10, "", 11}, {11, "", 11}, {-2, "a", 0},
  };
  for (auto c : cases) {
    auto [line, after] = walk(true, "a\rbb\rccc\r", c.before);
    EXPECT_EQ(line, c.line) << c.before;
    EXPECT_EQ(after, c.after) << c.before;
  }
}

TEST(Text, PrevLineOffsets) {
  struct Case { int32_t before; const char* line; int32_t after; } cases[] = {
      {9, "ccc", 4}, {8, "ccc", 3}, {4, "bb", 0}, {0, "a", -2}, {-2, "", -2}, {11, "ccc", 6},
  };
  for (auto c : cases) {
    auto [line, after] = walk(false, "a\rbb\rccc\r", c.before);
    EXPECT_EQ(line, c.line) << c.before;
    EXPECT_EQ(after, c.after) << c.before;
  }
}

TEST(Text, OffsetsAtTheIntLimits) {
  struct Case { bool next; int32_t before; const char* line; int32_t after; } cases[] = {
      {true, INT32_MIN, "a", INT32_MIN + 2},  // drops nothing: the offset does not wrap around
      {true, INT32_MAX, "", INT32_MAX},
      {false, INT32_MAX, "ccc", INT32_MAX - 5},
      {false, INT32_MIN, "", INT32_MIN},  // mirrored beyond the largest int: no line, offset kept
      {false, INT32_MIN + 9, "", INT32_MIN + 9},
      {false, INT32_MIN + 10, "", INT32_MIN + 10},
  };
  for (auto c : cases) {
    auto [line, after] = walk(c.next, "a\rbb\rccc\r", c.before);
    EXPECT_EQ(line, c.line) << c.next << " " << c.before;
    EXPECT_EQ(after, c.after) << c.next << " " << c.before;
  }
}

TEST(Text, EmptyTextsAndLeadingEmptyLines) {
  EXPECT_EQ(walk(true, "", 0), std::make_pair(std::string(), 1));
  EXPECT_EQ(walk(false, "", 0), std::make_pair(std::string(), -1));
  // Two empty lines first: skipped, and counted with the separator in front.
  EXPECT_EQ(walk(true, "\r\rab\r", 0), std::make_pair(std::string("ab"), 5));
  // A text whose last line has no separator gives that line whole.
  EXPECT_EQ(walk(true, "xy", 0), std::make_pair(std::string("xy"), 3));
}

TEST(Text, LowerCasesOnlyCapitals) {
  std::string in = "Hello, WORLD 42 \x80\xc8\xff Zz@[`{";
  Var Lower("Lower", tolower(charvec(in.c_str())));
  EXPECT_EQ(str(Lower.get()), "hello, world 42 \x80\xc8\xff zz@[`{");
  Var Empty("Empty", tolower(charvec("")));
  EXPECT_EQ(length(Empty.get()), 0);
}

TEST(TextDeathTest, LineOffsetMustBeDefined) {
  EXPECT_RTERROR(
      {
        LINEOFFSET.release();
        nextline(charscalar('\r'), charvec("a\r"));
      },
      "^" RTMSG("undefined value \\(LINEOFFSET\\) used") "$");
  EXPECT_RTERROR(tolower(rt::Array{}), "^" RTMSG("undefined value \\(Text\\) used") "$");
}

}  // namespace
