// A terminal screen for tests: libvterm, reading UTF-8 or a byte per
// character (where 0x80 to 0x9F are commands it obeys), fed with the bytes a
// program writes on its terminal and read back as rows of text, the rows
// that scrolled off its top, and a cursor; and the check that the console's
// window shows its transcript.
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
  ScreenModel(int rows, int cols, bool utf8 = true);
  ~ScreenModel();
  ScreenModel(const ScreenModel&) = delete;
  ScreenModel& operator=(const ScreenModel&) = delete;

  void feed(std::string_view bytes);
  // Back to an empty screen with the cursor at the top left.
  void reset();
  // Each row's characters in UTF-8, blanks at its end dropped, empty rows
  // at the bottom dropped; only the first `count` rows when count >= 0.
  std::vector<std::string> rows(int count = -1) const;
  // The rows that scrolled off the top, oldest first, as rows() gives them.
  const std::vector<std::string>& scrollback() const { return scrollback_; }
  // The first code point of the cell at row, col (0 for an empty cell).
  unsigned charat(int row, int col) const;
  // The cursor's row and column.
  std::pair<int, int> cursor() const;
  int height() const { return rows_; }
  // Whether a row has left the top of the screen.
  bool scrolled() const { return !scrollback_.empty(); }

 private:
  static int pushline(int cols, const void* cells, void* user);

  VTerm* vt_;
  int rows_, cols_;
  bool latin1_;
  std::vector<std::string> scrollback_;
};

// How the console promises to show text: control characters as caret pairs
// (^M, ^?), C1 controls as M- and a caret pair (M-^E for 0x85); in a UTF-8
// window, worked out with the C library, bytes that are no character and
// characters without a picture as U+FFFD; in any other, every other byte as
// itself.
std::string pictured(std::string_view text, bool utf8 = true);

// What the window must show: each line handed on, after the prompt, then
// the prompt and the line being edited, wrapped at the width, with the
// cursor where the character after its first `curp` bytes starts (or where
// one typed at the end would go). A window of fewer rows shows a stretch of
// those rows that holds the cursor's, and what scrolled off its top must be
// the rows before, in order: never a row again, never one that was not so.
class Transcript {
 public:
  static constexpr int rows = 500;  // by default: enough that nothing scrolls

  Transcript(int width, std::string prompt, bool utf8 = true)
      : width_(width), utf8_(utf8), prompt_(std::move(prompt)) {}
  void sent(const std::string& line) { text_ += prompt_ + pictured(line, utf8_) + "\r\n"; }

  // How `screen` differs from the transcript with `line` being edited; ""
  // when it shows exactly that, or when the check is skipped: the
  // transcript holds a character whose width the C library and the emulator
  // library do not agree on, or is too long to lay out.
  std::string differs(const ScreenModel& screen, const std::string& line, int curp);
  // How many checks were skipped.
  int skipped() const { return skipped_; }

 private:
  int width_;
  bool utf8_;
  std::string prompt_, text_;
  int skipped_ = 0;
  // Screens made once and reset for every check: the transcript's, and one
  // that tells where the next character goes.
  std::unique_ptr<ScreenModel> want_, probe_;
};

}  // namespace zelvotest
