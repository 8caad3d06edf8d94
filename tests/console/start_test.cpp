// The entry point and its announcements.
#include "console/start.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "console/arrays.h"
#include "console/globals.h"
#include "tests/support/child.h"

using namespace zelvo;

namespace {

TEST(Start, AnnouncementIsBuiltFromThePrompt) {
  Prompt.set(charvec("zelvo: "));
  Var Text("Text", announcement(startedtext));
  ASSERT_EQ(Text.get().rank, 1);
  EXPECT_EQ(length(Text.get()), 22);
  EXPECT_EQ(std::string(rt::chars(Text.get()), 22), " ... zelvo:  STARTED  ");
  Var Stop("Stop", announcement(stoppedtext));
  EXPECT_EQ(std::string(rt::chars(Stop.get()), 22), " ... zelvo:  STOPPED  ");
  Prompt.release();
}

TEST(StartDeathTest, AnnouncementNeedsThePrompt) {
  EXPECT_RTERROR(announcement(startedtext), "^" RTMSG("undefined value \\(Prompt\\) used") "$");
}

TEST(Start, EntryPointIsSilentAndExitsZero) {
  zelvotest::ChildResult r = zelvotest::runchild([] {
    char name[] = "zelvo";
    char* argv[] = {name, nullptr};
    std::exit(zelvomain(1, argv));
  });
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");
}

}  // namespace
