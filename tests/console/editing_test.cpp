// The editing actions and the history, run directly on the loop's variables
// with a pseudo-terminal as the window.
#include "console/editing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/arrays.h"
#include "console/screen.h"
#include "console/terminal.h"
#include "tests/support/pty.h"

using namespace zelvo;

namespace {

const std::string save = term::savecursor, restore = term::restorecursor, prompt = "zelvo: ";

std::string str(const rt::Array& a) {
  return std::string(rt::chars(a), static_cast<std::size_t>(rt::elemcount(a.rank, a.shape)));
}

// The terminal commands keep the bytes the terminal obeys; the tests here
// and of the loop name them.
TEST(Editing, TerminalCommandBytes) {
  std::string named = std::string(term::savecursor) + term::restorecursor + term::cursorright +
                      term::cursorleft + term::rowstart + term::newrow + term::pastemode + term::bell;
  EXPECT_EQ(named, "\0337" "\0338" "\033[C" "\b" "\r" "\r\n" "\033[?2004h" "\a");
}

// The loop's variables over a fresh terminal, at a New line.
struct Editor {
  zelvotest::Pty pty;
  KeyState k{charvec("zelvo: "), intscalar(-1)};

  Editor() {
    pty.open();
    k.XTtty.set(intscalar(pty.slave()));
    setconstants(k);
    emptyhistory(k);
    setflag(k, Move::None);
    line("", 0);
    atprompt(k);
  }
  // Line becomes text with the cursor after `cursor` characters.
  void line(const std::string& text, int32_t cursor) {
    k.Line.set(charvec(text.c_str()));
    k.Nl.set(intscalar(static_cast<int32_t>(text.size())));
    k.CurP.set(intscalar(cursor));
    newwalk(k);
  }
  // Runs an action and gives what it wrote on the terminal.
  std::string run(void (*action)(KeyState&)) {
    action(k);
    return pty.output(100);
  }
  // Inserts text and gives what that wrote on the terminal.
  std::string typed(const std::string& text) {
    insert(k, Temp(charvec(text)));
    return pty.output(100);
  }
  std::string Line() const { return str(k.Line.get()); }
  int32_t CurP() const { return firstint(k.CurP.get()); }
  int32_t Nl() const { return firstint(k.Nl.get()); }
  // The stored lines, oldest first.
  std::vector<std::string> History() const {
    std::vector<std::string> lines;
    std::string all = str(k.History.get());
    for (int32_t i = 0, at = 0; i < length(k.Hlen.get()); at += rt::ints(k.Hlen.get())[i++])
      lines.push_back(all.substr(static_cast<std::size_t>(at), static_cast<std::size_t>(rt::ints(k.Hlen.get())[i])));
    return lines;
  }
  // Stores lines as completed lines do.
  void storeall(const std::vector<std::string>& lines) {
    for (const auto& l : lines) {
      line(l, 0);
      store(k);
      setflag(k, Move::Completed);
    }
    line("", 0);
  }
};

TEST(Editing, ActionsWriteExactlyTheChangedTail) {
  Editor e;
  e.line("abcd", 2);
  EXPECT_EQ(e.typed("X"), "X" + save + "cd" + restore);
  EXPECT_EQ(e.Line(), "abXcd");
  EXPECT_EQ(e.CurP(), 3);
  EXPECT_EQ(e.Nl(), 5);

  e.line("abcd", 3);
  EXPECT_EQ(e.run(backspace), term::cursorleft + save + "d " + restore);
  EXPECT_EQ(e.Line(), "abd");
  EXPECT_EQ(e.CurP(), 2);
  EXPECT_EQ(e.Nl(), 3);

  e.line("abc", 1);
  EXPECT_EQ(e.run(deletechar), save + "c " + restore);
  EXPECT_EQ(e.Line(), "ac");
  EXPECT_EQ(e.CurP(), 1);

  e.line("ab", 1);
  EXPECT_EQ(e.run(left), std::string(1, term::cursorleft));
  EXPECT_EQ(e.CurP(), 0);
  EXPECT_EQ(e.run(right), term::cursorright);
  EXPECT_EQ(e.CurP(), 1);
}

TEST(Editing, EdgesOfTheLineAreSilent) {
  Editor e;
  e.line("abc", 0);
  EXPECT_EQ(e.run(backspace), "");
  EXPECT_EQ(e.run(left), "");
  e.line("abc", 3);
  EXPECT_EQ(e.run(deletechar), "");
  EXPECT_EQ(e.Line(), "abc");
  // Right past the end lengthens the line with a blank.
  EXPECT_EQ(e.run(right), term::cursorright);
  EXPECT_EQ(e.Line(), "abc ");
  EXPECT_EQ(e.CurP(), 4);
  EXPECT_EQ(e.Nl(), 4);
}

// Keys on a history: U Up, D Down, a small letter typed. After each Up or
// Down, the line in hand, shown in place of the one before.
TEST(Editing, HistoryWalk) {
  // The line as the window shows it: a pasted CR as ^M.
  auto shownas = [](std::string line) {
    for (std::size_t at; (at = line.find('\r')) != std::string::npos;) line.replace(at, 1, "^M");
    return line;
  };
  using Lines = std::vector<std::string>;
  const Lines abc{"a", "bb", "ccc"}, cmds{"cat", "pwd", "date"}, words{"one", "two", "three"};
  struct Case { Lines history; std::string keys; Lines shown; } cases[] = {
      {abc, "UUD", {"ccc", "bb", "ccc"}},
      {abc, "UUUUUDDDD", {"ccc", "bb", "a", "", "", "a", "bb", "ccc", ""}},
      {cmds, "UUD", {"date", "pwd", "date"}}, {cmds, "UUUDUD", {"date", "pwd", "cat", "pwd", "cat", "pwd"}},
      {words, "UUD", {"three", "two", "three"}}, {words, "UUUD", {"three", "two", "one", "two"}},
      {words, "UUUUUD", {"three", "two", "one", "", "", "one"}},
      {{"make\rmake install", "ls"}, "UUD", {"ls", "make\rmake install", "ls"}},
      // The draft comes back past the newest line; a recalled line's edits go.
      {abc, "xyUD", {"ccc", "xy"}}, {abc, "UzUD", {"ccc", "bb", "ccc"}},
      {abc, "zUzDU", {"ccc", "z", "ccc"}}, {{}, "xUDU", {"", "x", ""}},
  };
  for (const Case& c : cases) {
    Editor e;
    e.storeall(c.history);
    std::size_t n = 0;
    for (char key : c.keys) {
      if (key != 'U' && key != 'D') {
        e.typed(std::string(1, key));
        continue;
      }
      std::string wiped = term::rowstart + prompt + std::string(shownas(e.Line()).size(), ' ');
      std::string trace = c.keys + " key " + std::to_string(n);
      EXPECT_EQ(e.run(key == 'U' ? up : down), wiped + term::rowstart + prompt + shownas(c.shown[n])) << trace;
      EXPECT_EQ(e.Line(), c.shown[n++]) << trace;
      EXPECT_EQ(e.CurP(), e.Nl()) << trace;
    }
  }
  // Down at the draft's place, at a fresh prompt say, changes nothing.
  Editor e;
  e.storeall(abc);
  e.line("ab", 1);
  EXPECT_EQ(e.run(down), "");
  EXPECT_EQ(e.Line(), "ab");
  EXPECT_EQ(e.CurP(), 1);
}

// What Return leaves in the history: every line but an empty one, whole;
// the latest 100; and no more than 16 MiB unless the newest line alone is
// longer.
TEST(Editing, HistoryKeepsTheLatestLines) {
  auto numbered = [](int from, int to) {
    std::vector<std::string> v;
    for (int i = from; i <= to; ++i) v.push_back("line" + std::to_string(i));
    return v;
  };
  const std::string huge(16 << 20, 'm'), short1 = "s";
  struct Case { std::vector<std::string> stored, kept; } cases[] = {
      {numbered(1, 100), numbered(1, 100)},
      {numbered(1, 101), numbered(2, 101)},
      {numbered(1, 105), numbered(6, 105)},
      {{"", "  ", "x", "x", "", "a\rb"}, {"  ", "x", "x", "a\rb"}},
      {{short1, huge.substr(1)}, {short1, huge.substr(1)}}, {{short1, huge}, {huge}},
  };
  for (const Case& c : cases) {
    Editor e;
    e.storeall(c.stored);
    EXPECT_TRUE(e.History() == c.kept) << c.stored.size() << " stored, " << e.History().size() << " kept";
  }
  Editor e;  // 100 empty Returns change nothing: the next line is there for Up
  e.storeall(std::vector<std::string>(100, ""));
  e.storeall({"abc"});
  e.run(up);
  EXPECT_EQ(e.Line(), "abc");
  EXPECT_EQ(firstint(e.k.Nhl.get()), 1);
}

}  // namespace
