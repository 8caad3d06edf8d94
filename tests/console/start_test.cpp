// The entry point and its announcements.
#include "console/start.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "console/arrays.h"
#include "console/globals.h"
#include "console/standardfds.h"
#include "tests/support/child.h"
#include "tests/support/scratch.h"

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

// The whole program in a child, with the stand-in emulator as its window
// typing "ls", Return, "quit", Return; `before` runs in the child first.
// The stand-in's screen is left in dir / "screen".
zelvotest::ChildResult withstandin(const zelvotest::TempDir& dir, const std::function<void()>& before = {}) {
  zelvotest::writefile(dir / "script", "ls\n\\r\nquit\n\\r\n");
  zelvotest::ChildResult r = zelvotest::runchild([&] {
    std::string path = std::string(ZELVO_STANDIN_DIR) + ":" + std::getenv("PATH");
    setenv("PATH", path.c_str(), 1);
    setenv("ZELVO_STANDIN_SCRIPT", (dir / "script").c_str(), 1);
    setenv("ZELVO_STANDIN_SCREEN", (dir / "screen").c_str(), 1);
    if (before) before();
    char name[] = "zelvo";
    char* argv[] = {name, nullptr};
    std::exit(zelvomain(1, argv));
  });
  usleep(300000);  // the stand-in writes out the rest of the screen
  return r;
}

// The window's keys come in, the line goes out, "quit" ends it with status
// 0, and nothing else reaches either stream (the announcements are off).
TEST(StartProgram, WholeProgramWithAStandInWindow) {
  zelvotest::TempDir dir;
  zelvotest::ChildResult r = withstandin(dir);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "ls      2\nquit      4\n");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(zelvotest::readfile(dir / "screen").substr(0, 15), "\033[?2004hzelvo: ");
}

// A line that cannot reach standard output (a full disk, a closed stream,
// which the program finds open on /dev/null read-only): a notice row in the
// window and a line on standard error; the run goes on and ends with status 1.
TEST(StartProgram, LinesNotDeliveredAreShownAndFailTheRun) {
  struct Case {
    const char* output;  // what standard output is: a file to open, or "" for closed
    const char* why;
  } cases[] = {{"/dev/full", "No space left on device"}, {"", "Bad file descriptor"}};
  for (const Case& c : cases) {
    zelvotest::TempDir dir;
    zelvotest::ChildResult r = withstandin(dir, [&] {
      if (*c.output) dup2(open(c.output, O_WRONLY), 1);
      else close(1), openstandard();
    });
    EXPECT_EQ(r.status, 1) << c.why;
    EXPECT_NE(r.err.find("zelvo: some lines were not delivered to standard output\n"), std::string::npos) << r.err;
    std::string screen = zelvotest::readfile(dir / "screen"), notice = std::string("zelvo: not delivered: ") + c.why;
    int rows = 0, lines = 0;  // one notice under each of the two lines, in both places
    for (std::size_t at = 0; (at = screen.find("\r\n" + notice + "\r\n", at)) != std::string::npos; ++at) ++rows;
    for (std::size_t at = 0; (at = r.err.find(notice + "\n", at)) != std::string::npos; ++at) ++lines;
    EXPECT_EQ(rows, 2) << screen;
    EXPECT_EQ(lines, 2) << r.err;
  }
}

}  // namespace
