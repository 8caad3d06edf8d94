// Cutting input into keys: where each kind of key ends, both sides of every
// range, and what waits for more.
#include "console/keys.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "console/chars.h"

namespace {

using zelvo::KeyKind;

TEST(Keys, FirstKeyOfTheInput) {
  struct Case {
    const char* locale;
    std::string input;
    KeyKind kind;
    int length;
  } cases[] = {
      {"C", std::string(1, '\0'), KeyKind::Refused, 1},  // control characters: 0 and 31 refused,
      {"C", "\x1f" "a", KeyKind::Refused, 1},            // 32 goes in, 127 is Delete
      {"C", " a\x1f", KeyKind::Characters, 2},
      {"C", "\x7f" "a", KeyKind::Delete, 1},
      {"C", "\r\r", KeyKind::Return, 1},
      {"C", "\b\b", KeyKind::Backspace, 1},
      {"C", "\033", KeyKind::Unfinished, 0},  // Escape waits for the byte after it
      {"C", "\033a", KeyKind::Refused, 1},
      {"C", "\033[", KeyKind::Unfinished, 0},
      {"C", "\033[1;5", KeyKind::Unfinished, 0},
      {"C", "\033[1;5Dx", KeyKind::Refused, 6},
      {"C", "\033[3~", KeyKind::Delete, 4},
      {"C", "\033[3", KeyKind::Unfinished, 0},
      {"C", "\033[Dx", KeyKind::Left, 3},
      {"C", "\033OP", KeyKind::Refused, 3},
      {"C", "\033[\r", KeyKind::Refused, 2},  // a byte that cannot go on a sequence ends it
      {"C", "\033[200~a\rb\033[201~c", KeyKind::Paste, 15},
      {"C", "\033[200~a\rb\033[201", KeyKind::Unfinished, 0},
      {"C", "\x80\x85\x9f\xa0", KeyKind::Characters, 4},  // one byte a character: no C1 controls typed
      {"C.UTF-8", "\x7f", KeyKind::Delete, 1},            // UTF-8: U+0080 to U+009F refused
      {"C.UTF-8", "\xC2\x80", KeyKind::Refused, 2},
      {"C.UTF-8", "\xC2\x9F", KeyKind::Refused, 2},
      {"C.UTF-8", "\xC2\xA0\xC3\xA9", KeyKind::Characters, 4},
      {"C.UTF-8", "a\xC2\x85", KeyKind::Characters, 1},
      {"C.UTF-8", "\xC2", KeyKind::Unfinished, 0},  // a character cut short waits, the run before it does not
      {"C.UTF-8", "ab\xE6\x97", KeyKind::Characters, 2},
      {"C.UTF-8", "\xE6\x97\xA5", KeyKind::Characters, 3},
  };
  for (const Case& c : cases) {
    ASSERT_NE(std::setlocale(LC_CTYPE, c.locale), nullptr);
    zelvo::readcodeset();
    zelvo::Key key = zelvo::firstkey(c.input);
    EXPECT_EQ(key.kind, c.kind) << c.locale << " " << testing::PrintToString(c.input);
    EXPECT_EQ(key.length, c.length) << c.locale << " " << testing::PrintToString(c.input);
  }
  // A paste's data is what lies between its markers.
  zelvo::Key paste = zelvo::firstkey("\033[200~a\rb\033[201~");
  EXPECT_EQ(paste.from, 6);
  EXPECT_EQ(paste.count, 3);
  std::setlocale(LC_CTYPE, "C");
  zelvo::readcodeset();
}

}  // namespace
