// What the window shows, modelled by a terminal emulator (libvterm) while
// the real key loop runs on a pseudo-terminal of the window's width.
#include "console/screen.h"

#include <gtest/gtest.h>

#include <clocale>
#include <random>
#include <string>
#include <vector>

#include "tests/support/keyscreen.h"

namespace {

// Random keys: letters (never a closing word: no q, no x), runs long enough
// to cross rows and to outgrow a short window, characters of the locale
// (two-byte, wide and combining ones in UTF-8; Latin-1 bytes and C1 controls
// in a single-byte locale), an inner CR and DEL in pastes, and every editing
// and history key, Return now and then. With `longlines`, now and then a run
// of a thousand characters or more, wide and combining ones among them.
std::vector<std::string> randomkeys(unsigned seed, int count, bool utf8, bool longlines = false) {
  const std::vector<std::pair<int, std::string>> keys = {
      {30, ""}, {3, "*"}, {1, "**"}, {longlines ? 2 : 0, "***"},  // letters: a few, a run, a long run, a very long one
      {4, utf8 ? "é" : "\xE9"}, {2, utf8 ? "ï" : "\x85"}, {3, utf8 ? "日" : "\x9B"}, {2, utf8 ? "本語" : "\xFF"},
      {2, utf8 ? "e\xCC\x81" : "\x80"}, {2, "\033[200~a\rb\033[201~"}, {1, "\033[200~z\x7F\xC2\x85\033[201~"},
      {6, "\b"}, {4, "\033[3~"}, {8, "\033[D"}, {6, "\033[C"}, {3, "\033[A"}, {3, "\033[B"}, {2, "\r"},
  };
  const std::string letters = "abcdefghijklmnoprstuvwyz ";
  std::mt19937 random(seed);
  std::vector<int> weights;
  for (const auto& key : keys) weights.push_back(key.first);
  std::discrete_distribution<int> pick(weights.begin(), weights.end());
  std::vector<std::string> out;
  while (static_cast<int>(out.size()) < count) {
    std::string key = keys[static_cast<std::size_t>(pick(random))].second;
    if (key.empty() || key[0] == '*') {
      int n = key.empty() ? 1 + static_cast<int>(random() % 3)
              : key == "*"  ? 10 + static_cast<int>(random() % 20)
              : key == "**" ? 100 + static_cast<int>(random() % 100)
                            : 1000 + static_cast<int>(random() % 400);  // a read of the terminal holds them
      const char* const mixed[] = {"日", "\xCC\x81", "é"};  // U+0301 joins the character before it
      bool mixing = key == "***";
      key.clear();
      for (int i = 0; i < n; ++i) {
        unsigned pick = static_cast<unsigned>(random() % 16);
        if (mixing && pick < 3) key += utf8 ? mixed[pick] : "\xE9";
        else key += letters[random() % letters.size()];
      }
    }
    out.push_back(key);
  }
  return out;
}

// After every key the window shows a stretch of the transcript's rows that
// holds the cursor, the cursor at CurP, and what scrolled off its top is the
// transcript's rows before, in order: in windows of the console's size and
// shorter, down to one row, in UTF-8 and in a single-byte locale; lines of
// thousands of characters in windows of one to three rows.
TEST(Screen, WindowShowsTheTranscriptAfterEveryKey) {
  struct Size {
    int cols, rows;
    bool longlines = false;
  } sizes[] = {{46, 500}, {46, 7}, {20, 3}, {80, 2}, {60, 1, true}, {90, 2, true}, {70, 3, true}};
  for (const char* locale : {"C.UTF-8", "C"}) {
    ASSERT_NE(std::setlocale(LC_CTYPE, locale), nullptr);
    for (Size size : sizes) {
      zelvotest::KeyScreen keys(size.cols, size.rows);
      std::string where = std::string(locale) + ", " + std::to_string(size.cols) + "x" + std::to_string(size.rows);
      auto typed = randomkeys(static_cast<unsigned>(size.cols * size.rows), 150, locale[1] == '.', size.longlines);
      EXPECT_EQ(keys.run(typed), "") << where;
      EXPECT_EQ(keys.skipped(), 0) << where << ": not every key was checked";
    }
  }
  std::setlocale(LC_CTYPE, "C");
}

}  // namespace
