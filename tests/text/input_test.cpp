// Evaluated input (quadin, quadnum) and character input (lineread).
#include "runtime/text/input.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/core/globals.h"
#include "runtime/text/number.h"
#include "tests/support/child.h"
#include "tests/support/values.h"

using namespace rt;

namespace {

using zelvotest::numbers;
using zelvotest::Val;

// A stream holding `text`, read from its start.
FILE* streamof(const std::string& text) {
  FILE* f = std::tmpfile();
  std::fwrite(text.data(), 1, text.size(), f);
  std::rewind(f);
  return f;
}

// Everything left to read in the stream; closes it.
std::string rest(FILE* f) {
  std::string s;
  for (int c; (c = std::fgetc(f)) != EOF;) s += static_cast<char>(c);
  std::fclose(f);
  return s;
}

// The runtime's error stream caught in a temporary file for one test.
struct Input : testing::Test {
  FILE* err = nullptr;
  void SetUp() override {
    err = std::tmpfile();
    errstream = err;
  }
  void TearDown() override {
    resetglobals();
    std::fclose(err);
  }
  // What the runtime wrote on its error stream since the last call.
  std::string errors() {
    std::rewind(err);
    std::string s = rest(err);
    errstream = err = std::tmpfile();
    return s;
  }
};

// Runs quadin with standard output (its prompt) sent to /dev/null.
Val quiet_quadin(FILE* f) {
  std::fflush(stdout);
  int saved = dup(1), null = open("/dev/null", O_WRONLY);
  dup2(null, 1);
  Val r;
  quadin(f, &r);
  std::fflush(stdout);
  dup2(saved, 1);
  close(saved);
  close(null);
  return r;
}

TEST_F(Input, EvaluatedLines) {
  struct Case { const char* line; int32_t type, rank; std::vector<double> want; } cases[] = {
      {"1 2 3\n", Int, 1, {1, 2, 3}},
      {"1 2.5 3\n", Real, 1, {1, 2.5, 3}},
      {"42\n", Int, 0, {42}},
      {"\n", Int, 1, {}},
      {" \t\f 7 \t\n", Int, 0, {7}},
      {"_5 -5 .ng5\n", Int, 1, {-5, -5, -5}},
      {"1e_2 1e.ng2 .5 2E+1 1. -.25\n", Real, 1, {0.01, 0.01, 0.5, 20, 1, -0.25}},
      {"-2147483648 2147483647\n", Int, 1, {-2147483648.0, 2147483647}},
      {"3000000000 1\n", Real, 1, {3e9, 1}},  // too big for 32 bits: read as a real
  };
  for (auto& c : cases) {
    FILE* f = streamof(std::string(c.line) + "next");
    Val r = quiet_quadin(f);
    EXPECT_EQ(r->type, c.type) << c.line;
    EXPECT_EQ(r->rank, c.rank) << c.line;
    if (c.rank == 1) {
      EXPECT_EQ(r->shape[0], static_cast<int32_t>(c.want.size())) << c.line;
    }
    EXPECT_EQ(numbers(*r), c.want) << c.line;
    EXPECT_EQ(rest(f), "next") << c.line;
  }
  EXPECT_EQ(errors(), "");
}

TEST_F(Input, PromptOnStandardOutput) {
  auto child = zelvotest::runchild([] {
    FILE* f = streamof("5\n");
    Val r;
    quadin(f, &r);
    std::printf("%d", ints(*r)[0]);
  });
  EXPECT_EQ(child.status, 0);
  EXPECT_EQ(child.out, ".bx:\n5");
}

// A character that cannot start a number ends the input; it is reported and
// consumed, and the rest of the line stays in the stream.
TEST_F(Input, UnknownCharacterEndsInput) {
  struct Case { const char* line; std::vector<double> want; const char* diag; const char* left; } cases[] = {
      {"1 2 x 3\n", {1, 2}, "\n[quad] unknown character in input : x [120]\n", " 3\n"},
      {"4 .n5\n", {4}, "\n[quad] unknown character in input : . [46]\n", "n5\n"},  // ".n" is no sign
      {"- 6\n", {}, "\n[quad] unknown character in input :   [32]\n", "6\n"},
      {"-\n9", {}, "", "9"},  // a sign and then the end of the line
  };
  for (auto& c : cases) {
    FILE* f = streamof(c.line);
    EXPECT_EQ(numbers(*quiet_quadin(f)), c.want) << c.line;
    EXPECT_EQ(errors(), c.diag) << c.line;
    EXPECT_EQ(rest(f), c.left) << c.line;
  }
}

// Input far beyond every buffer: nothing is written out of bounds.
TEST_F(Input, LongLines) {
  std::string many;
  for (int k = 0; k < 3000; ++k) many += std::to_string(k) + " ";
  FILE* f = streamof(many + "\n");
  Val r = quiet_quadin(f);
  EXPECT_EQ(r->type, Int);
  ASSERT_EQ(r->shape[0], 3000);
  EXPECT_EQ(ints(*r)[2999], 2999);
  std::fclose(f);

  f = streamof(many + "0.5\n");  // the switch to reals after 3000 integers
  Val mixed = quiet_quadin(f);
  EXPECT_EQ(mixed->type, Real);
  ASSERT_EQ(mixed->shape[0], 3001);
  EXPECT_EQ(reals(*mixed)[2999], 2999.0);
  EXPECT_EQ(reals(*mixed)[3000], 0.5);
  std::fclose(f);

  // A number too long for the token buffer is read to its end and refused.
  f = streamof("1 " + std::string(5000, '9') + " 2\n");
  Val one = quiet_quadin(f);
  EXPECT_EQ(one->rank, 0);
  EXPECT_EQ(ints(*one)[0], 1);
  EXPECT_EQ(errors(), "\n[quad] number too long in input (more than 43 characters)\n");
  EXPECT_EQ(rest(f), " 2\n");
}

TEST(InputDeathTest, EvaluatedInputStops) {
  EXPECT_RTERROR(quiet_quadin(streamof("1 2")), "^" RTMSG("\\[quad\\] unexpected end of file") "$");
  EXPECT_RTERROR(quiet_quadin(streamof("")), "^" RTMSG("\\[quad\\] unexpected end of file") "$");
  EXPECT_RTERROR(quiet_quadin(streamof("'abc'\n")), "^" RTMSG("character input not implemented yet") "$");
}

TEST(LineRead, CharacterLines) {
  FILE* f = streamof(std::string(100, 'a') + "\nb\n\n" + std::string(80, 'c') + "\n" + std::string(5000, 'd'));
  struct Step { int32_t rank, length; char fill; } steps[] = {
      {1, 80, 'a'}, {1, 20, 'a'}, {0, 1, 'b'}, {1, 0, 0},
      {1, 80, 'c'}, {1, 0, 0},  // a line of exactly 80 leaves its newline
      {1, 80, 'd'},
  };
  for (auto s : steps) {
    Val r;
    lineread(f, &r);
    EXPECT_EQ(r->type, Char);
    EXPECT_EQ(r->rank, s.rank);
    EXPECT_EQ(r.count(), s.length);
    EXPECT_EQ(r.text(), std::string(static_cast<std::size_t>(r.count()), s.fill));
  }
  EXPECT_EQ(rest(f).size(), 4920u);
}

}  // namespace
