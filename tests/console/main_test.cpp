// The built program as a whole, with the stand-in emulator as its window: a
// long run of typed lines, and what happens when the window closes or never
// opens.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>
#include <string>

#include "tests/standin/typing.h"
#include "tests/support/program.h"
#include "tests/support/scratch.h"

using zelvotest::ProgramRun;

namespace {

// The first line where two outputs differ, for a readable failure.
std::string firstdifference(const std::string& got, const std::string& want) {
  std::istringstream a(got), b(want);
  std::string x, y;
  for (int n = 1;; ++n) {
    bool more = static_cast<bool>(std::getline(a, x)), expected = static_cast<bool>(std::getline(b, y));
    if (!more && !expected) return "none";
    if (more != expected || x != y) return "line " + std::to_string(n) + ": got \"" + x + "\", want \"" + y + "\"";
  }
}

// A thousand lines typed through the whole program come out in order, each
// with its count; "quit" then ends it with status 0 and nothing on standard
// error. In the sanitizer build that includes the leak check of its exit.
TEST(Program, ThousandLinesComeOutInOrder) {
  zelvotest::TempDir dir;
  zelvotest::writefile(dir / "script", "quit\n\\r\n");
  ProgramRun run({{"ZELVO_STANDIN_LINES", "1000"}, {"ZELVO_STANDIN_SCRIPT", dir / "script"}});
  zelvotest::ChildResult r = run.finish(150000);
  std::string want = zelvotest::handedon(1000) + "quit      4\n";
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(r.out == want) << "first difference: " << firstdifference(r.out, want);
  EXPECT_EQ(r.err, "");
}

// The program leaves the master side of its terminal to the window alone,
// so the window's end ends it as an end of input does: status 0, every line
// handed on, and nothing left behind (the reader sees the end of its input).
TEST(Program, EndsWithItsWindow) {
  ProgramRun run({{"ZELVO_STANDIN_LINES", "150"}, {"ZELVO_STANDIN_SCRIPT", "/dev/null"}});
  ASSERT_TRUE(run.waitout(zelvotest::handedon(1).size(), 20000));
  for (const auto& fd : zelvotest::openfds(run.pid())) EXPECT_NE(fd.second, "/dev/ptmx") << "fd " << fd.first;
  zelvotest::ChildResult r = run.finish(60000);
  std::string want = zelvotest::handedon(150);
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(r.out == want) << "first difference: " << firstdifference(r.out, want);
  EXPECT_EQ(r.err, "");
}

// A window that cannot open (no display) ends the program at once with one
// line of its own after the emulator's message, and status 1.
TEST(Program, SaysSoWhenTheWindowCannotOpen) {
  ProgramRun run({{"ZELVO_STANDIN_NODISPLAY", "1"}, {"ZELVO_STANDIN_SCRIPT", "/dev/null"}});
  zelvotest::ChildResult r = run.finish(10000);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "xterm: Xt error: Can't open display: \nzelvo: the terminal window could not be opened\n");
}

}  // namespace
