// execute and execnum: numbers read from text in memory.
#include "runtime/text/execute.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
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

// What execute makes of a character vector holding s.
Val run(const std::string& s) {
  Val text = Val::chars(s), r;
  execute(&r, &text);
  return r;
}

// The runtime's error stream caught in a temporary file.
struct Execute : testing::Test {
  FILE* err = nullptr;
  void SetUp() override { errstream = err = std::tmpfile(); }
  void TearDown() override {
    resetglobals();
    std::fclose(err);
  }
  std::string errors() {
    std::string s;
    std::rewind(err);
    for (int c; (c = std::fgetc(err)) != EOF;) s += static_cast<char>(c);
    std::fclose(err);
    errstream = err = std::tmpfile();
    return s;
  }
};

TEST_F(Execute, Values) {
  struct Case { const char* text; int32_t type, rank; std::vector<double> want; } cases[] = {
      {"3 4.5", Real, 1, {3, 4.5}},
      {"7", Int, 0, {7}},
      {"   ", Int, 1, {}},
      {"", Int, 1, {}},
      {"1\t2", Int, 1, {1, 2}},
      {"\n 8 \n", Int, 0, {8}},
      {"_5 -5 .ng5", Int, 1, {-5, -5, -5}},
      {"1e_2 1e.ng2 .5 1E2", Real, 1, {0.01, 0.01, 0.5, 100}},
      {"99999999999", Real, 0, {99999999999.0}},  // beyond 32 bits: a real
  };
  for (auto& c : cases) {
    Val r = run(c.text);
    EXPECT_EQ(r->type, c.type) << c.text;
    EXPECT_EQ(r->rank, c.rank) << c.text;
    EXPECT_EQ(numbers(*r), c.want) << c.text;
  }
  EXPECT_EQ(errors(), "");

  // A character scalar holds one character.
  Val scalar = Val::chars("7", {}), r;
  execute(&r, &scalar);
  EXPECT_EQ(r->rank, 0);
  EXPECT_EQ(ints(*r)[0], 7);
}

// Every real is the double atof makes of its text, bit for bit, at the
// edges of the range and of rounding too.
TEST_F(Execute, RealsAsAtofReadsThem) {
  const char* texts[] = {"1e400", "-1e400", "1e-400", "4e-320", "2.2250738585072011e-308",
                         "0.1", "-0.0", "1e", "1e-", "9007199254740993", "9007199254740993.0",
                         "0.30000000000000004", "123456789012345678901234567890", "1.7976931348623157e308",
                         "1.7976931348623159e308", "4.9406564584124654e-324", "2.4703282292062327e-324"};
  for (const char* t : texts) {
    Val r = run(t);
    ASSERT_EQ(r->type, Real) << t;
    double want = std::atof(t);
    EXPECT_EQ(std::memcmp(reals(*r), &want, sizeof want), 0) << t << " gives " << reals(*r)[0];
  }
  errors();
}

TEST_F(Execute, NumberFollowedByOtherCharactersIsUsed) {
  EXPECT_EQ(numbers(*run("12x 3")), (std::vector<double>{12, 3}));
  EXPECT_EQ(errors(), "\n[execute] domain error, character 120[x]\n");
}

TEST_F(Execute, ScannerCodes) {
  struct Case { const char* text; int32_t code; const char* token; const char* diag; } cases[] = {
      {"_5", Int, "-5", ""},          {".ng5", Int, "-5", ""},        {"-5", Int, "-5", ""},
      {"1e_2", Real, "1e-2", ""},     {"1e.ng2", Real, "1e-2", ""},   {"2E+3", Real, "2e+3", ""},
      {".5", Real, ".5", ""},         {"1.", Real, "1.", ""},         {" \r\n 9", Int, "9", ""},
      {"", 0, "", ""},                {"  -", 0, "", ""},             // nothing but a sign: silent
      {".ng", 0, "", ""},
      {"abc", 0, "", "\n[execute] domain error, character 97[a]\n"},
      {"-x", 0, "", "\n[execute] domain error, character 120[x]\n"},
      {".n5", 0, "", "\n[execute] domain error, character 46[.]\n"},
      {"3 ", Int, "3", "\n[execute] domain error, character 32[ ]\n"},
      {"1e.n2", Real, "1e", "\n[execute] domain error, character 46[.]\n"},
  };
  for (auto& c : cases) {
    EXPECT_EQ(execnum(c.text), c.code) << c.text;
    EXPECT_STREQ(numtoken, c.token) << c.text;
    EXPECT_EQ(errors(), c.diag) << c.text;
  }
}

// Input far beyond every buffer: nothing is written out of bounds.
TEST_F(Execute, LongTexts) {
  std::string many;
  for (int k = 0; k < 200; ++k) many += std::to_string(k) + " ";
  Val r = run(many + "2.5");  // 200 integers turned into reals by the last number
  EXPECT_EQ(r->type, Real);
  ASSERT_EQ(r->shape[0], 201);
  EXPECT_EQ(reals(*r)[0], 0.0);
  EXPECT_EQ(reals(*r)[199], 199.0);
  EXPECT_EQ(reals(*r)[200], 2.5);

  for (int k = 200; k < 5000; ++k) many += std::to_string(k) + "\t";
  Val ints5000 = run(many);
  EXPECT_EQ(ints5000->type, Int);
  ASSERT_EQ(ints5000->shape[0], 5000);
  EXPECT_EQ(ints(*ints5000)[4999], 4999);

  EXPECT_EQ(execnum(std::string(5000, '7').c_str()), 0);
  EXPECT_STREQ(numtoken, "");
  EXPECT_EQ(errors(), "\n[execute] domain error, number longer than 43 characters\n");

  EXPECT_EQ(run(std::string(31, '1') + " 0.5")->type, Real);  // the longest token accepted
}

TEST(ExecuteDeathTest, Stops) {
  EXPECT_RTERROR(run("abc"), "^\n\\[execute\\] domain error, character 97\\[a\\]\n" RTMSG("\\[execute\\] type error") "$");
  EXPECT_RTERROR(run("1 -"), "^" RTMSG("\\[execute\\] type error") "$");
  EXPECT_RTERROR(run("'1'"), "^" RTMSG("\\[execute\\] character input not implemented yet") "$");
  EXPECT_RTERROR(run("1 " + std::string(5000, '2')),
                 "^\n\\[execute\\] token of 5000 characters, longer than 31\n" RTMSG("\\[execute\\] domain error, token too long") "$");
  Val number = Val::intscalar(1), r;
  EXPECT_RTERROR(execute(&r, &number), "^argument type 2\n" RTMSG("\\[execute\\] type error") "$");
}

}  // namespace
