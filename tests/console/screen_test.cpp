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
// to cross rows, two-byte, wide and combining characters, an inner CR and
// DEL, and every editing and history key, Return now and then.
std::vector<std::string> randomkeys(unsigned seed, int count) {
  const std::vector<std::pair<int, std::string>> keys = {
      {30, ""}, {3, "*"},  // letters: a few, or a run
      {4, "é"}, {2, "ï"}, {3, "日"}, {2, "本語"}, {2, "e\xCC\x81"},
      {2, "a\rb"}, {1, "z\x7F"},
      {6, "\b"}, {4, "\x7F"}, {8, "\033[D"}, {6, "\033[C"}, {3, "\033[A"}, {3, "\033[B"}, {2, "\r"},
  };
  const std::string letters = "abcdefghijklmnoprstuvwyz ";
  std::mt19937 random(seed);
  std::vector<int> weights;
  for (const auto& key : keys) weights.push_back(key.first);
  std::discrete_distribution<int> pick(weights.begin(), weights.end());
  std::vector<std::string> out;
  while (static_cast<int>(out.size()) < count) {
    std::string key = keys[static_cast<std::size_t>(pick(random))].second;
    if (key.empty() || key == "*") {
      int n = key.empty() ? 1 + static_cast<int>(random() % 3) : 10 + static_cast<int>(random() % 20);
      for (int i = 0; i < n; ++i) key += letters[random() % letters.size()];
    }
    out.push_back(key);
  }
  return out;
}

TEST(Screen, WindowShowsTheTranscriptAfterEveryKey) {
  ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
  for (int width : {46, 20, 80}) {
    zelvotest::KeyScreen keys(width);
    EXPECT_EQ(keys.run(randomkeys(static_cast<unsigned>(width), 150)), "") << "width " << width;
    EXPECT_FALSE(keys.scrolled()) << "width " << width << ": the screen scrolled, so it was not all checked";
  }
  std::setlocale(LC_CTYPE, "C");
}

}  // namespace
