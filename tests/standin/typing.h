// The lines the stand-in emulator types by itself when asked for a number of
// them: the batches of each line, the exact screen answer that shows the
// program has read and handled each batch, and the line that each one
// completes. Shared by the stand-in and by the tests that check what the
// program hands on.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tests/support/record.h"

namespace zelvotest {

// One batch of keys and what the program then shows in the window.
struct Keys {
  std::string batch;
  std::string answer;
};

// Makes the lines one after another and follows the newest line of the
// history, so that a recalled line is known.
//
// Line n (from 1) is typed as one batch of characters and one Return: "k",
// the number and n % 5 dots. Every tenth line instead recalls the newest
// history line with the Up key and sends it again. Every fiftieth line,
// from the seventh on, names a login, and from the twenty-seventh on a
// password, so that it is handed on but never stored.
class Typist {
 public:
  explicit Typist(std::string prompt) : prompt_(std::move(prompt)) {}

  // The batches of line n and, in *text, the line they complete.
  std::vector<Keys> line(int n, std::string* text) {
    std::vector<Keys> keys;
    if (n % 10 == 0 && !newest_.empty()) {
      *text = newest_;  // stored again: the newest line stays the same
      keys.push_back({"\033[A", "\r" + prompt_ + "\r" + prompt_ + newest_});
    } else {
      std::string head = n % 50 == 7 ? "LogIn k" : n % 50 == 27 ? "new PassWord k" : "k";
      *text = head.append(std::to_string(n)).append(static_cast<std::size_t>(n % 5), '.');
      if (n % 50 != 7 && n % 50 != 27) newest_ = *text;
      keys.push_back({*text, *text + "\0337\0338"});
    }
    keys.push_back({"\r", "\r\n" + prompt_});
    return keys;
  }

 private:
  std::string prompt_;
  std::string newest_;
};

// What the program hands on for the first `lines` generated lines: the
// record of each.
inline std::string handedon(long lines) {
  Typist typist("");
  std::string out;
  for (long n = 1; n <= lines; ++n) {
    std::string text;
    typist.line(static_cast<int>(n), &text);
    out += record(text);
  }
  return out;
}

}  // namespace zelvotest
