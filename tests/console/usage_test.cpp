// The command line: the options, answered or kept for the run, and the
// operands kept for the runtime.
#include "console/usage.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "console/version.h"
#include "tests/support/child.h"
#include "tests/support/program.h"
#include "tests/support/scratch.h"

using zelvo::Options;
using zelvo::options;

namespace {

// Runs options() on these arguments in a child, with standard output sent
// to `out` when it names a file; the child's exit status is options()'s
// result (255 for -1), and what it keeps for the run goes to standard
// output: the geometry, the title or "-", then the arguments, one a line.
zelvotest::ChildResult answer(std::vector<std::string> args, const char* out = nullptr) {
  return zelvotest::runchild([&] {
    if (out != nullptr && std::freopen(out, "w", stdout) == nullptr) std::exit(99);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    Options opts;
    int status = options(static_cast<int>(args.size()), argv.data(), opts);
    if (status < 0) {
      std::printf("%s\n%s\n", opts.window.geometry.c_str(), opts.window.title.value_or("-").c_str());
      for (int i = 0; i < opts.argc(); ++i) std::printf("%s\n", opts.args[i]);
      if (opts.args.back() != nullptr) std::exit(98);
    }
    std::exit(status & 0xff);
  });
}

// What a run keeps: the options taken out and the operands left in order,
// "-" and what follows "--" among them.
TEST(Usage, OperandsAreKeptInOrderForTheRuntime) {
  struct Case { std::vector<std::string> args; const char* kept; } cases[] = {
      {{"zelvo"}, "46x7+740+518\n-\nzelvo\n"},
      {{"./zelvo", "x", "-", "--", "-h", "--title=t"}, "46x7+740+518\n-\n./zelvo\nx\n-\n-h\n--title=t\n"},
      {{"zelvo", "a", "--ti", "", "--geometry", "-0-0", "b"}, "46x7-0-0\n\nzelvo\na\nb\n"},
  };
  for (const Case& c : cases) {
    zelvotest::ChildResult r = answer(c.args);
    EXPECT_EQ(r.status, 255) << c.kept;
    EXPECT_EQ(r.out, c.kept);
    EXPECT_EQ(r.err, "") << c.kept;
  }
}

// Geometries, taken or refused before any window opens: both sides of the
// numbers' range, the parts given replacing those of the default.
TEST(Usage, GeometryIsCompletedOrRefused) {
  const std::vector<std::pair<std::string, std::string>> good = {
      {"+0+0", "46x7+0+0"}, {"80x10", "80x10+740+518"}, {"1x1-0+32767", "1x1-0+32767"},
      {"32767x32767", "32767x32767+740+518"}, {"007x08+00-01", "007x08+00-01"}};
  for (const auto& [given, whole] : good) EXPECT_EQ(zelvo::completegeometry(given).value_or("none"), whole) << given;
  for (const char* bad : {"", "80", "80x", "x10", "0x10", "80x0", "32768x10", "+0", "+0+32768", "+0+0+0",
                          "80x10+", "=80x10", "80X10", "80x10 ", " 80x10", "a", "+1-2x", "999999x1"})
    EXPECT_FALSE(zelvo::completegeometry(bad)) << bad;
}

// An answer that standard output cannot take is a failure, said on
// standard error, not a silent success.
TEST(Usage, AnswerThatCannotBeWrittenFails) {
  for (const char* option : {"--help", "--version"}) {
    zelvotest::ChildResult r = answer({"zelvo", option}, "/dev/full");
    EXPECT_EQ(r.status, 1) << option;
    EXPECT_EQ(r.err, "zelvo: cannot write to standard output: No space left on device\n") << option;
  }
}

// The built program's whole command line: what each asks, what it writes
// and with what status, and the emulator it starts (none for the answers
// and the refusals). A title is one word to the emulator, whatever it holds.
TEST(UsageProgram, CommandLines) {
  zelvotest::TempDir dir;
  const std::string ran = dir / "ran", hostile = "it's $(touch " + ran + ") `touch " + ran + "`";
  const std::string window = "-name\nZelvo: Keyboard Commands\n-sb\n-geometry\n";
  const std::string usage = "Usage: zelvo [OPTION]...", hint = "Try 'zelvo --help' for more information.\n";
  struct Case {
    std::vector<std::string> command;
    int status;
    std::string out, err;  // out: the start of standard output
    std::string emulator;  // its arguments, one a line, after those of every window and up to the pinned ones
  } cases[] = {
      {{"zelvo", "-h"}, 0, usage, "", ""},
      {{"zelvo", "--help"}, 0, usage, "", ""},
      {{"zelvo", "--version"}, 0, std::string("zelvo ") + zelvo::version + "\n", "", ""},
      {{"zelvo", "--bogus"}, 2, "", "zelvo: unrecognized option '--bogus'\n" + hint, ""},
      {{"zelvo", "--help=x"}, 2, "", "zelvo: option '--help' doesn't allow an argument\n" + hint, ""},
      {{"zelvo", "--geometry"}, 2, "", "zelvo: option '--geometry' requires an argument\n" + hint, ""},
      {{"zelvo", "--geometry=80x"}, 2, "", "zelvo: invalid geometry '80x'\n" + hint, ""},
      {{"zelvo", "-", "--", "-h"}, 0, "", "", "46x7+740+518\n"},
      {{"zelvo", "--geometry=+0+0"}, 0, "", "", "46x7+0+0\n"},
      {{"zelvo", "--geometry", "80x10", "--ti", hostile}, 0, "", "", "80x10+740+518\n-title\n" + hostile + "\n"},
  };
  for (const Case& c : cases) {
    zelvotest::ProgramRun run({{"ZELVO_STANDIN_SCRIPT", "/dev/null"}, {"ZELVO_STANDIN_ARGS", dir / "args"}},
                              c.command, "");
    zelvotest::ChildResult r = run.finish(20000);
    const std::string& what = c.command[1];
    EXPECT_EQ(r.status, c.status) << what;
    EXPECT_EQ(c.out.empty() ? r.out : r.out.substr(0, c.out.size()), c.out) << what;
    EXPECT_EQ(r.err, c.err) << what;
    std::string args = zelvotest::readfile(dir / "args");  // none when no emulator started
    EXPECT_EQ(args.substr(0, args.find("-xrm\n")), c.emulator.empty() ? "" : window + c.emulator) << what;
    std::remove((dir / "args").c_str());
  }
  EXPECT_NE(access(ran.c_str(), F_OK), 0) << "the title ran a command";
}

}  // namespace
