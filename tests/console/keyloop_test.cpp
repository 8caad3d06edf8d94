// The key loop on a real pseudo-terminal: keys in turn, refusals, pastes,
// completion, the closing words, and what reaches standard output.
#include "console/keyloop.h"

#include <poll.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "console/keystate.h"
#include "console/terminal.h"
#include "tests/support/keysession.h"
#include "tests/support/record.h"

using zelvotest::KeySession;

namespace {

using namespace zelvo;

const std::string save = term::savecursor, restore = term::restorecursor, prompt = "zelvo: ";

TEST(KeyLoop, CompletedLinesReachStandardOutput) {
  KeySession s;
  EXPECT_EQ(s.start(), term::pastemode + prompt);
  EXPECT_EQ(s.key("l"), "l" + save + restore);
  EXPECT_EQ(s.key("s"), "s" + save + restore);
  // Return: a new line and a new prompt on the terminal; the line, its count
  // and a line break on standard output at once.
  EXPECT_EQ(s.key("\r"), term::newrow + prompt);
  EXPECT_EQ(s.out(1000), "ls      2\n");
  EXPECT_EQ(s.key("\r"), term::newrow + prompt);  // an empty line
  EXPECT_EQ(s.out(1000), "      0\n");
  // Characters that arrive with the Return are inserted first, with their echo.
  EXPECT_EQ(s.key("xy\r"), "xy" + save + restore + term::newrow + prompt);
  EXPECT_EQ(s.out(1000), "xy      2\n");
  EXPECT_EQ(s.finish(), 0);
  EXPECT_EQ(s.err(), "");
}

// Keys typed in one read act one after another, and what the operator ends
// up with never depends on where the terminal cut its reads: each case is
// typed in one write, then Return; the cut cases once more in two writes,
// cut after each of their bytes. In UTF-8 the C1 controls are control
// characters too; in a single-byte locale 0x80 to 0x9F are bytes like others.
TEST(KeyLoop, EveryKeyActsInTurnWhereverTheReadsAreCut) {
  struct Case {
    std::string typed, sent;  // what standard output gets once Return follows
    int bells;
  };
  const std::vector<Case> bytewise = {
      {"hello\b\b\033[D\033[DX", "hXel", 0},
      {"abc\bd", "abd", 0},
      {std::string("a\0b", 3), "ab", 1},  // codes 0 and 31 are refused, 32 goes in
      {"a\x1f" "b c", "ab c", 1},
      {"x\ny\tz\003", "xyz", 3},
      {"abc\033[D\177\033[D\033[3~", "a", 0},  // DEL and the Delete key
      {"ab\033[D\033[D\177\177", "", 0},
      {"\033[1;5D\033OP\033[H\033[1~\033[Z", "", 5},  // Ctrl-Left, F1, Home, Home, Shift-Tab
      {"\033x\033\033[C", "x ", 2},  // Escape alone: the next byte is a key of its own
      {"ab\033", "ab", 1},           // Escape last in its read: the Return after it still acts
      {"\033[", "", 1},
      {"one\rtwo", "one      3\ntwo", 0},
      {"\033[200~p\rq\tr\033s\177\033[201~", "p\rq\tr\033s\177", 0},  // a paste is data
      {"a\033[200~\033[201~b", "ab", 0},
      {"\x80\x85\x9f", "\x80\x85\x9f", 0},
  };
  const std::vector<Case> utf8 = {
      {"a\xC2\x80\xC2\x9F\xC2\xA0", "a\xC2\xA0", 2},  // U+0080 and U+009F refused, U+00A0 goes in
      {"\033[200~\xC2\x85\033[201~", "\xC2\x85", 0},
  };
  auto result = [](KeySession& s, const std::vector<std::string>& writes) {
    for (const std::string& w : writes) s.type(w);
    s.type("\r");
    std::string out = s.out(1000);
    return std::make_pair(out.substr(0, out.size() >= 8 ? out.size() - 8 : 0), s.err().size());
  };
  for (const char* locale : {"C", "C.UTF-8"}) {
    ASSERT_NE(std::setlocale(LC_CTYPE, locale), nullptr);  // the loop's child takes it along
    KeySession s;
    s.start();
    for (const Case& c : locale[1] == '.' ? utf8 : bytewise) {
      auto [sent, bells] = result(s, {c.typed});
      EXPECT_EQ(sent, c.sent) << locale << " " << c.typed;
      EXPECT_EQ(bells, static_cast<std::size_t>(c.bells)) << locale << " " << c.typed;
    }
    for (const std::string typed : {"\033[1;5D", "\033[3~", "a\033[200~b\rc\033[201~", "\xE6\x97\xA5\xC2\x85"}) {
      auto whole = result(s, {typed});
      for (std::size_t cut = 1; cut < typed.size(); ++cut)
        EXPECT_EQ(result(s, {typed.substr(0, cut), typed.substr(cut)}), whole) << typed << " cut at " << cut;
    }
    EXPECT_EQ(s.finish(), 0);
  }
  std::setlocale(LC_CTYPE, "C");
}

TEST(KeyLoop, SingleKeysRefusedRingTheBellOnStandardErrorOnly) {
  KeySession s;
  s.start();
  s.key("ok");
  for (std::string key : {"\004", "\t", "\033[Z", "\033[1~", "\033OP"}) {
    EXPECT_EQ(s.key(key), "") << key;
    EXPECT_EQ(s.err(500), std::string(1, term::bell)) << key;
  }
  // ESC "[" "A" over three reads acts as one Up key (the history is empty).
  EXPECT_EQ(s.key("\033"), "");
  EXPECT_EQ(s.key("["), "");
  EXPECT_EQ(s.key("A"), term::rowstart + prompt + "  " + term::rowstart + prompt);
  s.key("\r");
  EXPECT_EQ(s.out(1000), "      0\n");
  EXPECT_EQ(s.finish(), 0);
}

// What the loop writes on its terminal, waiting up to firstms for the first
// byte, then until it pauses; for keys on lines that take long to show.
std::string shown(KeySession& s, int firstms) {
  std::string got;
  pollfd p{s.master(), POLLIN, 0};
  for (char buf[65536]; poll(&p, 1, got.empty() ? firstms : 100) > 0;) {
    ssize_t k = read(s.master(), buf, sizeof buf);
    if (k <= 0) break;
    got.append(buf, static_cast<std::size_t>(k));
  }
  return got;
}

// A line holds at most maxline bytes: a typed key, or Right past the end,
// that would take it past is refused with one bell and changes nothing
// (nothing is written); one that reaches the ceiling is taken.
TEST(KeyLoop, TheLineHoldsAtMostMaxlineBytes) {
  const std::pair<std::string, bool> keys[] = {  // a key, and whether it is refused
      {"abc", true}, {"a", false}, {"\033[C", false}, {"\033[C", true}, {"b", true}};
  KeySession s(KeySession::withline(maxline - 2, maxline - 2), 80, 24);
  s.start();
  for (const char* key : {"\033[D", "\033[C"}) {  // the line on the screen, the cursor at its end
    s.type(key);
    shown(s, 10000);
  }
  for (const auto& [key, refused] : keys) {
    s.type(key);
    EXPECT_EQ(shown(s, refused ? 300 : 10000).empty(), refused) << key;
    EXPECT_EQ(s.err(refused ? 500 : 50), refused ? std::string(1, term::bell) : "") << key;
  }
  s.type("\r");  // the whole line on the terminal, then on standard output
  std::string out;
  for (int i = 0; i < 500 && out.find('\n') == std::string::npos; ++i) {
    shown(s, 0);
    out += s.out(10);
  }
  ASSERT_GE(out.size(), 8U);
  EXPECT_EQ(out.substr(out.size() - 8), std::to_string(maxline) + "\n");
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
    EXPECT_EQ(s.out(1000), zelvotest::record(c.line));
    // A closing loop is given time to end: under the sanitizers, on a busy
    // machine, its exit (the leak check) can take longer than the 100 ms
    // that show a loop still running.
    EXPECT_EQ(s.running(c.closes ? 1000 : 100), !c.closes) << c.line;
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
  EXPECT_EQ(s.key("\033[A"), term::rowstart + prompt + term::rowstart + prompt + "kept");
  EXPECT_EQ(s.key("\033[A"), term::rowstart + prompt + "    " + term::rowstart + prompt);
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
