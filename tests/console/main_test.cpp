// The built program as a whole, with the stand-in emulator as its window: a
// long run of typed lines, and what happens when the window closes or never
// opens.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>
#include <string>

#include "tests/standin/typing.h"
#include "tests/support/record.h"
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

// Started with standard input or error closed, the program keeps its
// terminal off descriptors 0 to 2: only typed lines come out, never what the
// emulator says on its standard error. The emulator, staying on after the
// program, holds neither of its streams: the reader sees the end at once.
TEST(Program, ClosedStandardDescriptorsAndALingeringEmulator) {
  zelvotest::TempDir dir;
  zelvotest::writefile(dir / "script", "ls\n\\r\nquit\n\\r\n");
  struct Case { const char* closing; const char* err; } cases[] = {{"<&-", "stand-in: a warning\n"}, {"2>&-", ""}};
  for (const Case& c : cases) {
    ProgramRun run({{"ZELVO_STANDIN_SCRIPT", dir / "script"}, {"ZELVO_STANDIN_WARN", "1"},
                    {"ZELVO_STANDIN_LINGER", "30"}, {"ZELVO_STANDIN_PIDFILE", dir / "pid"}},
                   {"sh", "-c", std::string("exec " ZELVO_BINARY_DIR "/zelvo ") + c.closing}, dir / "err");
    zelvotest::ChildResult r = run.finish(10000);
    EXPECT_TRUE(run.ended()) << c.closing << ": standard output still open";
    EXPECT_EQ(r.status, 0) << c.closing;
    EXPECT_EQ(r.out, "ls      2\nquit      4\n") << c.closing;
    EXPECT_EQ(zelvotest::readfile(dir / "err"), c.err) << c.closing;
    if (int standin = std::atoi(zelvotest::readfile(dir / "pid").c_str()); standin > 0) kill(standin, SIGKILL);
    unlink((dir / "pid").c_str());
  }
}

// A long line that meets a full one-page pipe while the program is stopped
// and continued (Ctrl-Z in the reader's shell) still arrives whole.
TEST(Program, AStoppedProgramDeliversALongLineWhole) {
  zelvotest::TempDir dir;
  std::string line(6000, 'x');
  zelvotest::writefile(dir / "script", line + "\n\\r\nquit\n\\r\n");
  ProgramRun run({{"ZELVO_STANDIN_SCRIPT", dir / "script"}});
  ASSERT_EQ(fcntl(run.outfd(), F_SETPIPE_SZ, 4096), 4096);
  int pending = 0;  // the pipe is full: the program waits in its write
  for (int i = 0; i < 3000 && ioctl(run.outfd(), FIONREAD, &pending) == 0 && pending < 4096; ++i) usleep(10000);
  ASSERT_EQ(pending, 4096);
  usleep(100000);
  kill(run.pid(), SIGSTOP);
  usleep(100000);
  kill(run.pid(), SIGCONT);
  zelvotest::ChildResult r = run.finish(20000);
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(r.out == zelvotest::record(line) + "quit      4\n") << r.out.size() << " bytes";
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
