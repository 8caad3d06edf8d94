// --help and --version, answered before any window opens.
#include "console/usage.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "console/version.h"
#include "tests/support/child.h"

using zelvo::options;

namespace {

// Runs options() on these arguments in a child, with standard output sent
// to `out` when it names a file; the child's exit status is options()'s
// result (255 for -1).
zelvotest::ChildResult answer(std::vector<std::string> args, const char* out = nullptr) {
  return zelvotest::runchild([&] {
    if (out != nullptr && std::freopen(out, "w", stdout) == nullptr) std::exit(99);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::exit(options(static_cast<int>(args.size()), argv.data()) & 0xff);
  });
}

TEST(Usage, OptionsAreAnsweredOnStandardOutput) {
  zelvotest::ChildResult version = answer({"zelvo", "--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, std::string("zelvo ") + zelvo::version + "\n");
  EXPECT_EQ(version.err, "");

  zelvotest::ChildResult help = answer({"zelvo", "--help", "more"});
  EXPECT_EQ(help.status, 0);
  const std::string first = "Usage: zelvo [--help | --version]\n";
  EXPECT_EQ(help.out.substr(0, first.size()), first);
  EXPECT_NE(help.out.find("zelvo(1)"), std::string::npos);
  EXPECT_EQ(help.err, "");
}

// Any other arguments are left to the console, which keeps them for the
// runtime: nothing is written, and the result says to go on.
TEST(Usage, OtherArgumentsAreNotAnswered) {
  const std::vector<std::vector<std::string>> cases = {
      {"zelvo"}, {"zelvo", "-h"}, {"zelvo", "--HELP"}, {"zelvo", "--versions"},
      {"zelvo", "x", "--version"}, {"zelvo", ""}};
  for (const auto& args : cases) {
    zelvotest::ChildResult r = answer(args);
    EXPECT_EQ(r.status, 255) << args.back();
    EXPECT_EQ(r.out + r.err, "") << args.back();
  }
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

}  // namespace
