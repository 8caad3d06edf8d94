// The key loop on a real pseudo-terminal: keys in turn, refusals, pastes,
// completion, the closing words, and what reaches standard output.
#include "console/keyloop.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <clocale>
#include <csignal>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "console/keys.h"
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
// (Reads that come without a pause; a paste is cut into reads of every size.)
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
    const std::string data = "a\rb\033[A\tc\033[201\xC3\xA9", paste = "\033[200~" + data + "\033[201~";
    for (std::size_t size = 1; locale[1] != '.' && size <= paste.size(); ++size) {
      std::vector<std::string> reads;
      for (std::size_t at = 0; at < paste.size(); at += size) reads.push_back(paste.substr(at, size));
      EXPECT_EQ(result(s, reads), std::make_pair(data, std::size_t{0})) << "reads of " << size;
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
  s.type("\033");
  s.type("[");
  EXPECT_EQ(s.key("A"), term::rowstart + prompt + "  " + term::rowstart + prompt);
  // A pause (key waits 150 ms) ends a sequence cut short: one refused key,
  // and what is typed after it acts as usual. Three Escapes, three bells.
  for (std::string key : {"\033", "\033", "\033", "\033[1;", "\033[20"}) {
    EXPECT_EQ(s.key(key), "") << key;
    EXPECT_EQ(s.err(), std::string(1, term::bell)) << key;
  }
  EXPECT_EQ(s.key("[A"), "[A" + save + restore);
  // Within a paste no pause counts, however long: the CR is data.
  for (std::string part : {"\033[200~a", "\r", "b\033"}) EXPECT_EQ(s.key(part), "") << part;
  EXPECT_EQ(s.key("[201~"), "a^Mb" + save + restore);
  s.key("\r");
  EXPECT_EQ(s.out(1000), "[Aa\rb      5\n");
  EXPECT_EQ(s.err(), "");
  EXPECT_EQ(s.finish(), 0);
}

// Only the window's id (hex digits, then LF or CR LF) is dropped from the
// first read, even when cut; any other greeting is dropped whole.
TEST(KeyLoop, OnlyTheWindowsIdIsDropped) {
  struct Case { std::vector<std::string> reads; const char* sent; } cases[] = {
      {{"4194316\nab"}, "ab"}, {{"1a2B\r\nab"}, "ab"}, {{"1f", "0\r", "\nxy"}, "xy"},
      {{"12 ab"}, ""}, {{"\nab"}, ""}, {{"12345678901234567\nab"}, ""},
  };
  for (const Case& c : cases) {
    KeySession s;
    s.start(c.reads[0]);
    for (std::size_t i = 1; i < c.reads.size(); ++i) s.type(c.reads[i]);
    s.key("\r");
    EXPECT_EQ(s.out(1000), zelvotest::record(c.sent)) << c.reads[0];
    EXPECT_EQ(s.finish(), 0);
  }
}

// A reader of standard output that has gone ends the waiting loop by
// SIGPIPE, or, with SIGPIPE ignored, with status 1 and a word why.
TEST(KeyLoop, AReaderThatHasGoneEndsTheLoop) {
  for (auto pipe : {SIG_DFL, SIG_IGN}) {
    std::signal(SIGPIPE, pipe);  // the loop's child takes it along
    KeySession s;
    s.start();
    s.key("ls");
    EXPECT_TRUE(s.running(50));
    s.closeout();
    EXPECT_FALSE(s.running(1000));
    EXPECT_EQ(s.finish(), pipe == SIG_IGN ? 1 : 128 + SIGPIPE);
    EXPECT_EQ(s.err(), pipe == SIG_IGN ? "zelvo: the reader has gone\n" : "");
  }
  std::signal(SIGPIPE, SIG_DFL);
}

// A line holds at most maxline bytes: a paste that would take it further is
// refused whole, and the line stays as it was.
TEST(KeyLoop, APastePastTheLineCeilingIsRefusedWhole) {
  // Where the line has room for n bytes, a paste of n goes in and one of
  // n + 1 does not, however the reads cut it.
  for (std::size_t room : {0, 3, 40}) {
    for (std::size_t more : {0, 1}) {
      std::string paste = std::string(room + more, 'x') + "\033[201~z";
      for (std::size_t size = 1; size <= paste.size(); ++size) {
        PasteRead read(paste.substr(0, size), static_cast<int64_t>(room));
        std::size_t at = size;
        for (; !read.ended(); at += size) read.bytes() += paste.substr(at, size);
        EXPECT_EQ(read.fits(), more == 0) << room << "+" << more << " in reads of " << size;
        EXPECT_EQ(read.rest(), paste.substr(paste.size() - 1, at - (paste.size() - 1)));
        EXPECT_EQ(read.fits() ? read.data().size() : room, room);
      }
    }
  }
  // In the loop: a notice row, the prompt and the line again with the
  // cursor where it was; one bell.
  KeySession s;
  s.start();
  s.key("ab\033[D");
  std::string refused = "zelvo: paste refused: the line would pass 9999999 bytes";
  EXPECT_EQ(s.key("\033[200~" + std::string(maxline - 1, 'x') + "\033[201~"),
            term::newrow + refused + term::newrow + prompt + "a" + save + "b" + restore);
  EXPECT_EQ(s.err(1000), std::string(1, term::bell));
  s.key("\r");
  EXPECT_EQ(s.out(1000), zelvotest::record("ab"));
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

// A typed key or Right past maxline bytes is refused with one bell and
// writes nothing; one that reaches the ceiling is taken.
TEST(KeyLoop, TheLineHoldsAtMostMaxlineBytes) {
  const std::pair<std::string, bool> keys[] = {  // a key, and whether it is refused
      {"abc", true}, {"a", false}, {"\033[C", false}, {"\033[C", true}, {"b", true}};
  KeySession s(KeySession::withline(maxline - 2, maxline - 2), 80, 24);
  s.start();
  for (const auto& [key, refused] : keys) {  // the first key taken draws the whole line
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
  EXPECT_TRUE(out.ends_with(std::to_string(maxline) + "\n")) << out.size() << " bytes";
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

// Bells that a full standard error cannot take are dropped, never waited for.
TEST(KeyLoop, BellsNeverWaitForStandardError) {
  KeySession s;
  s.start();
  int err = open(("/proc/" + std::to_string(s.pid()) + "/fd/2").c_str(), O_WRONLY | O_NONBLOCK);
  ASSERT_GE(err, 0);
  for (const std::string page(4096, 'f'); write(err, page.data(), page.size()) > 0;) {
  }
  for (const char* key : {"\004", "\004", "\004", "ok", "\r"}) s.type(key);
  EXPECT_EQ(s.out(2000), zelvotest::record("ok"));
  close(err);
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
