// The holder of console variables and the console's globals.
#include "console/locals.h"

#include <gtest/gtest.h>

#include "console/announce.h"
#include "console/arrays.h"
#include "console/start.h"
#include "tests/support/child.h"

using namespace zelvo;

namespace {

TEST(Locals, VariablesMoveValuesInAndOut) {
  Var Text("Text", charvec("abc"));
  EXPECT_TRUE(Text.defined());
  EXPECT_EQ(length(Text.get()), 3);
  Text.set(charvec("hello"));  // the old value is released
  EXPECT_EQ(length(Text.get()), 5);
  Var Res("Res");
  EXPECT_FALSE(Res.defined());
  Res.set(Text.take());
  EXPECT_FALSE(Text.defined());
  EXPECT_EQ(rt::chars(Res.get())[4], 'o');
  rt::Array dup = copyof(Res.get());
  EXPECT_NE(dup.value, Res.get().value);
  EXPECT_EQ(rt::chars(dup)[0], 'h');
  Var Dup("Dup", dup);
}

TEST(Locals, FixedIntegersChangeInPlace) {
  FixedInt N("N");
  EXPECT_FALSE(N.defined());
  N.create();
  const rt::Array& before = N.get();
  void* storage = before.value;
  N.set(41);
  EXPECT_EQ(N.value(), 41);
  EXPECT_EQ(N.get().value, storage);
  EXPECT_EQ(N.get().storage, rt::Fixed);
  {
    Var Copy("Copy", N.get());  // a fixed value passed on is never freed by the callee
    EXPECT_EQ(firstint(Copy.get()), 41);
  }
  EXPECT_EQ(N.value(), 41);
  N.release();
  EXPECT_FALSE(N.defined());
}

TEST(LocalsDeathTest, ReadingAnUndefinedVariableStops) {
  EXPECT_RTERROR(
      {
        Var Text("Text");
        Text.get();
      },
      "^" RTMSG("undefined value \\(Text\\) used") "$");
  EXPECT_RTERROR(
      {
        FixedInt V("V");
        V.value();
      },
      "^" RTMSG("undefined value \\(V\\) used") "$");
  EXPECT_RTERROR(announce(rt::Array{}, charvec("x")), "^" RTMSG("undefined value \\(Verbose\\) used") "$");
  EXPECT_RTERROR(announce(intscalar(1), rt::Array{}), "^" RTMSG("undefined value \\(Text\\) used") "$");
}

}  // namespace
