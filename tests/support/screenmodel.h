// A terminal screen for tests: libvterm in UTF-8 mode, fed with the bytes a
// program writes on its terminal and read back as rows of text and a cursor;
// and the check that the console's window shows its transcript.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct VTerm;

namespace zelvotest {

class ScreenModel {
 public:
  ScreenModel(int rows, int cols);
  ~ScreenModel();
  ScreenModel(const ScreenModel&) = delete;
  ScreenModel& operator=(const ScreenModel&) = delete;

  void feed(std::string_view bytes);
  // Back to an empty screen with the cursor at the top left.
  void reset();
  // Each row's characters in UTF-8, blanks at its end dropped, down to the
  // lowest row that characters were ever written to.
  std::vector<std::string> rows() const;
  // The first code point of the cell at row, col (0 for an empty cell).
  unsigned charat(int row, int col) const;
  // The cursor's row and column.
  std::pair<int, int> cursor() const;
  // Whether a row has left the top of the screen.
  bool scrolled() const { return scrolled_; }

 private:
  static int pushline(int, const void*, void* user);
  static int moved(int row, void* user);

  VTerm* vt_;
  int cols_;
  bool scrolled_ = false;
  int used_ = 1;  // rows down to the lowest the cursor (where characters go) has been
};

// How the console promises to show text in a UTF-8 window, worked out with
// the C library: control characters as caret pairs (^M, ^?), bytes that are
// no character and characters without a picture as U+FFFD.
std::string pictured(std::string_view text);

// What the window must show: each line handed on, after the prompt, then
// the prompt and the line being edited, wrapped at the width, with the
// cursor where the character after its first `curp` bytes starts (or where
// one typed at the end would go).
class Transcript {
 public:
  static constexpr int rows = 500;  // by default: enough that nothing scrolls

  Transcript(int width, std::string prompt, int rows = Transcript::rows)
      : width_(width), rows_(rows), prompt_(std::move(prompt)) {}
  void sent(const std::string& line) { text_ += prompt_ + pictured(line) + "\r\n"; }

  // How `screen` differs from the transcript with `line` being edited; ""
  // when it shows exactly that, or when the transcript holds a character
  // whose width the C library and the emulator library do not agree on.
  std::string differs(const ScreenModel& screen, const std::string& line, int curp);

 private:
  int width_, rows_;
  std::string prompt_, text_;
  // Screens made once and reset for every check: the transcript's, and one
  // that tells where the next character goes.
  std::unique_ptr<ScreenModel> want_, probe_;
};

}  // namespace zelvotest
