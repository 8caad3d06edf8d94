// The editing actions and the history, run directly on the loop's variables
// with a pseudo-terminal as the window.
#include "console/editing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "console/arrays.h"
#include "console/globals.h"
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
    LINEOFFSET.create();
    k.History.set(charvec(""));
    k.Nhl.set(intscalar(0));
    setflag(k, Move::None);
    line("", 0);
    atprompt(k);
  }
  // Line becomes text with the cursor after `cursor` characters.
  void line(const std::string& text, int32_t cursor) {
    k.Line.set(charvec(text.c_str()));
    k.Nl.set(intscalar(static_cast<int32_t>(text.size())));
    k.CurP.set(intscalar(cursor));
    k.Hoffset.set(intscalar(length(k.History.get())));
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
  int32_t Hoffset() const { return firstint(k.Hoffset.get()); }
  std::string History() const { return str(k.History.get()); }
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

// Walks the history a, bb, ccc with the keys (U up, D down): the lines shown
// and Hoffset after each.
void walkcase(const std::string& keys, const std::vector<std::string>& shown,
              const std::vector<int32_t>& offsets) {
  Editor e;
  e.storeall({"a", "bb", "ccc"});
  ASSERT_EQ(e.History(), "a\rbb\rccc\r");
  for (std::size_t i = 0; i < keys.size(); ++i) {
    int32_t old = e.Nl();
    std::string wrote = e.run(keys[i] == 'U' ? up : down);
    std::string want = term::rowstart + prompt + std::string(static_cast<std::size_t>(old), ' ');
    want += term::rowstart + prompt + shown[i];
    EXPECT_EQ(wrote, want) << keys << " key " << i;
    EXPECT_EQ(e.Line(), shown[i]) << keys << " key " << i;
    EXPECT_EQ(e.Hoffset(), offsets[i]) << keys << " key " << i;
    EXPECT_EQ(e.CurP(), e.Nl());
  }
}

TEST(Editing, HistoryWalk) {
  walkcase("UUUUU", {"ccc", "bb", "a", "", ""}, {4, 0, -2, -2, -2});
  walkcase("D", {""}, {11});
  walkcase("UD", {"ccc", ""}, {4, 11});
  walkcase("UUDDD", {"ccc", "bb", "bb", "ccc", ""}, {4, 0, 6, 10, 11});
  walkcase("UUUDDD", {"ccc", "bb", "a", "a", "a", "bb"}, {4, 0, -2, 0, 2, 6});
  walkcase("DUU", {"", "ccc", "bb"}, {11, 6, 0});
}

TEST(Editing, HistoryWalkEdgeCases) {
  Editor empty;
  EXPECT_EQ(empty.run(up), term::rowstart + prompt + term::rowstart + prompt);
  EXPECT_EQ(empty.Hoffset(), -1);
  empty.run(down);
  EXPECT_EQ(empty.Hoffset(), 1);
  EXPECT_EQ(empty.Line(), "");

  Editor gaps;  // stored empty lines are skipped
  gaps.storeall({"x", "", "y"});
  gaps.run(up);
  EXPECT_EQ(gaps.Line(), "y");
  gaps.run(up);
  EXPECT_EQ(gaps.Line(), "x");
  gaps.run(up);
  EXPECT_EQ(gaps.Line(), "");
}

// Counts the lines of a history text (each ends in CR).
std::size_t lines(const std::string& h) { return static_cast<std::size_t>(std::count(h.begin(), h.end(), '\r')); }

TEST(Editing, HistoryKeepsTheLatestHundredLines) {
  Editor e;
  std::vector<std::string> many;
  for (int i = 1; i <= 105; ++i) many.push_back(std::string("line").append(std::to_string(i)));
  e.storeall(many);
  EXPECT_EQ(lines(e.History()), 100u);
  EXPECT_EQ(e.History().substr(0, 7), "line6\rl");
  EXPECT_EQ(firstint(e.k.Nhl.get()), 105);

  Editor f;  // an empty first line goes with the next on the first drop
  std::vector<std::string> first{""};
  for (int i = 1; i <= 104; ++i) first.push_back(std::string(1, 'l').append(std::to_string(i)));
  f.storeall(first);
  EXPECT_EQ(lines(f.History()), 99u);
  EXPECT_EQ(f.History().substr(0, 3), "l6\r");

  Editor g;  // 101 empty lines leave nothing, and every later line goes at once
  g.storeall(std::vector<std::string>(101, ""));
  EXPECT_EQ(g.History(), "");
  g.storeall({"z"});
  EXPECT_EQ(g.History(), "");

  Editor h;  // a line holding a CR of its own counts as two lines
  h.storeall(std::vector<std::string>(60, "a\rb"));
  EXPECT_EQ(lines(h.History()), 100u);
  EXPECT_EQ(h.History().substr(0, 4), "a\rb\r");
  h.storeall({"c"});
  EXPECT_EQ(lines(h.History()), 100u);
  EXPECT_EQ(h.History().substr(0, 4), "b\ra\r");
}

}  // namespace
