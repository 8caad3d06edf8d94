// The built program as a whole, with the stand-in emulator as its window: a
// long run of typed lines, and what happens when the window closes.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "tests/standin/typing.h"
#include "tests/support/program.h"
#include "tests/support/scratch.h"

using zelvotest::ProgramRun;

namespace {

// What the program hands on for the first `lines` generated lines: each
// line's characters, its byte count in seven columns and a line break.
std::string expectedout(int lines) {
  zelvotest::Typist typist("zelvo: ");
  std::string out;
  for (int n = 1; n <= lines; ++n) {
    std::string text;
    typist.line(n, &text);
    char count[16];
    std::snprintf(count, sizeof count, "%7zu\n", text.size());
    out += text + count;
  }
  return out;
}

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
  std::string want = expectedout(1000) + "quit      4\n";
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(r.out == want) << "first difference: " << firstdifference(r.out, want);
  EXPECT_EQ(r.err, "");
}

// The program holds the master side of its terminal open, so when the
// window goes away it goes on waiting for keys. A run of lines leaves it
// the descriptors it had after the first line and no children, ended or not.
TEST(Program, WaitsOnWhenTheWindowClosesAndKeepsNothing) {
  zelvotest::TempDir dir;
  ProgramRun run({{"ZELVO_STANDIN_LINES", "150"}, {"ZELVO_STANDIN_PIDFILE", dir / "standin"}});
  std::string want = expectedout(150);
  ASSERT_TRUE(run.waitout(expectedout(1).size(), 20000));
  std::map<int, std::string> fds = zelvotest::openfds(run.pid());
  std::vector<int> children = zelvotest::childrenof(run.pid());
  bool master = false;
  for (const auto& fd : fds) master = master || fd.second == "/dev/ptmx";
  EXPECT_TRUE(master) << "the master side is the program's own";

  ASSERT_TRUE(run.waitout(want.size(), 60000));
  int standin = std::atoi(zelvotest::readfile(dir / "standin").c_str());
  ASSERT_GT(standin, 0);
  for (int i = 0; i < 500 && zelvotest::alive(standin); ++i) usleep(10000);
  EXPECT_FALSE(zelvotest::alive(standin)) << "the window did not close";
  usleep(300000);
  EXPECT_TRUE(run.running()) << "the closed window ended the program";
  EXPECT_EQ(zelvotest::openfds(run.pid()), fds);
  EXPECT_EQ(zelvotest::childrenof(run.pid()), children);
  EXPECT_TRUE(children.empty());

  run.signal(SIGTERM);
  zelvotest::ChildResult r = run.finish(10000);
  EXPECT_EQ(r.status, 128 + SIGTERM);
  EXPECT_TRUE(r.out == want) << "first difference: " << firstdifference(r.out, want);
  EXPECT_EQ(r.err, "");
}

}  // namespace
