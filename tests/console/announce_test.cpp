// announce: printing a text when the verbosity switch is on.
#include "console/announce.h"

#include <gtest/gtest.h>

#include <string>

#include "console/arrays.h"
#include "console/globals.h"
#include "console/start.h"
#include "tests/support/child.h"

using namespace zelvo;

namespace {

// What announce writes on standard output, run in a child.
std::string announced(int32_t verbose, rt::Array text) {
  zelvotest::ChildResult r = zelvotest::runchild([&] { announce(intscalar(verbose), text); });
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  return r.out;
}

TEST(Announce, PrintsOnlyWhenVerbose) {
  Prompt.set(charvec("zelvo: "));
  struct Case {
    int32_t verbose;
    const char* tail;  // null for an empty text
    std::string out;
  } cases[] = {
      {1, startedtext, " ... zelvo:  STARTED  \n"},
      {7, stoppedtext, " ... zelvo:  STOPPED  \n"},
      {0, startedtext, ""},
      {1, nullptr, ""},  // an empty vector prints nothing, not even the line break
      {0, nullptr, ""},
  };
  for (const Case& c : cases) {
    rt::Array text = c.tail ? announcement(c.tail) : charvec("");
    EXPECT_EQ(announced(c.verbose, text), c.out) << c.verbose;
    rt::detalloc(&text);  // the child took it over; the parent still holds its copy
  }
  Prompt.release();
}

}  // namespace
