// The key loop on a real pseudo-terminal: dispatch, refusals, completion,
// the closing words, and what reaches standard output.
#include "console/keyloop.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/support/keysession.h"

using zelvotest::KeySession;

namespace {

const std::string save = "\0337", restore = "\0338", prompt = "zelvo: ";

TEST(KeyLoop, CompletedLinesReachStandardOutput) {
  KeySession s;
  EXPECT_EQ(s.start(), prompt);
  EXPECT_EQ(s.key("l"), "l" + save + restore);
  EXPECT_EQ(s.key("s"), "s" + save + restore);
  // Return: a new line and a new prompt on the terminal; the line, its count
  // and a line break on standard output at once.
  EXPECT_EQ(s.key("\r"), "\r\n" + prompt);
  EXPECT_EQ(s.out(1000), "ls      2\n");
  EXPECT_EQ(s.key("\r"), "\r\n" + prompt);  // an empty line
  EXPECT_EQ(s.out(1000), "      0\n");
  // Characters that arrive with the Return are inserted first, with their echo.
  EXPECT_EQ(s.key("xy\r"), "xy" + save + restore + "\r\n" + prompt);
  EXPECT_EQ(s.out(1000), "xy      2\n");
  EXPECT_EQ(s.finish(), 0);
  EXPECT_EQ(s.err(), "");
}

TEST(KeyLoop, BatchesAreDispatchedOnTheirFirstCharacter) {
  KeySession s;
  s.start();
  // A CR that is not last is inserted like any other character, and shown
  // as the caret pair ^M, two columns wide.
  EXPECT_EQ(s.key("a\rb"), "a^Mb" + save + restore);
  // A batch beginning with Bs or Delete acts once and drops the rest.
  EXPECT_EQ(s.key("\bxyz"), "\b" + save + " " + restore);
  EXPECT_EQ(s.key("\033[D"), "\b\b");
  EXPECT_EQ(s.key("\177xyz"), save + "  " + restore);
  // Delete not first (shown ^?), and codes 128-255, are ordinary characters.
  EXPECT_EQ(s.key("q\177\xc8\xff"), "q^?\xc8\xff" + save + restore);
  s.key("\r");
  EXPECT_EQ(s.out(1000), "aq\177\xc8\xff      5\n");
  EXPECT_EQ(s.err(), "");
  EXPECT_EQ(s.finish(), 0);
}

TEST(KeyLoop, RefusedBatchesRingTheBellOnStandardErrorOnly) {
  KeySession s;
  s.start();
  s.key("ok");
  for (std::string batch : {std::string("a\003"), std::string("\004"), std::string("x\ny"), std::string("\t")}) {
    EXPECT_EQ(s.key(batch), "") << batch;
    EXPECT_EQ(s.err(500), "\a") << batch;
  }
  // Escape sequences: an unknown cursor key rings once.
  EXPECT_EQ(s.key("\033[Z"), "");
  EXPECT_EQ(s.err(500), "\a");
  // A Home key in one batch: one bell. Split: a bell, then the tilde is typed.
  EXPECT_EQ(s.key("\033[1~"), "");
  EXPECT_EQ(s.err(500), "\a");
  EXPECT_EQ(s.key("\033[1"), "");
  EXPECT_EQ(s.err(500), "\a");
  EXPECT_EQ(s.key("~"), "~" + save + restore);
  // ESC then a letter other than "[": nothing until a third character, then the bell.
  EXPECT_EQ(s.key("\033"), "");
  EXPECT_EQ(s.key("x"), "");
  EXPECT_EQ(s.err(200), "");
  EXPECT_EQ(s.key("y"), "");
  EXPECT_EQ(s.err(500), "\a");
  // ESC "[" "A" over three reads acts as one Up key (the history is empty).
  EXPECT_EQ(s.key("\033"), "");
  EXPECT_EQ(s.key("["), "");
  EXPECT_EQ(s.key("A"), "\r" + prompt + "   " + "\r" + prompt);
  s.key("\r");
  EXPECT_EQ(s.out(1000), "      0\n");
  EXPECT_EQ(s.finish(), 0);
}

TEST(KeyLoop, ClosingWords) {
  struct Case { const char* line; bool closes; } cases[] = {
      {"quit", true}, {"exit", true}, {"please quit", true}, {"Quit", false},
      {"exit ", false}, {"qui", false}, {"xit", false},
  };
  for (auto c : cases) {
    KeySession s;
    s.start();
    s.key(c.line);
    s.key("\r");
    char count[16];
    std::snprintf(count, sizeof count, "%7zu\n", std::string(c.line).size());
    EXPECT_EQ(s.out(1000), c.line + std::string(count));
    EXPECT_EQ(s.running(), !c.closes) << c.line;
    EXPECT_EQ(s.finish(), 0);
  }
}

TEST(KeyLoop, SecretLinesAreNeverStored) {
  KeySession s;
  s.start();
  s.key("kept");
  s.key("\r");
  for (const char* secret : {"my LoGiN", "set PASSWORD x"}) {
    s.key(secret);
    s.key("\r");
  }
  EXPECT_EQ(s.out(1000), "kept      4\nmy LoGiN      8\nset PASSWORD x     14\n");
  // Up shows the last stored line: the secrets are not there.
  EXPECT_EQ(s.key("\033[A"), "\r" + prompt + "\r" + prompt + "kept");
  EXPECT_EQ(s.key("\033[A"), "\r" + prompt + "    " + "\r" + prompt);
  EXPECT_EQ(s.finish(), 0);
}

TEST(KeyLoop, EndOfInputEndsTheLoop) {
  KeySession s;
  s.start();
  s.key("abc");
  EXPECT_EQ(s.finish(), 0);
  EXPECT_EQ(s.out(), "");
  KeySession t;
  t.start();
  t.key("\033");  // waiting for the rest of a sequence
  EXPECT_EQ(t.finish(), 0);
}

}  // namespace
