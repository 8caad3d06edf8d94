// ScreenModel, pictured and Transcript.
#include "tests/support/screenmodel.h"

#include <vterm.h>
#include <wchar.h>

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <functional>
#include <map>

namespace zelvotest {

namespace {

const char replacement[] = "\xEF\xBF\xBD";

void appendutf8(std::string& out, uint32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The character at the start of s as the C library reads it: its length in
// bytes (0 when the bytes are no character) and its code point. The C
// library also reads the old forms of code points beyond Unicode's last,
// U+10FFFF; those are no characters.
std::size_t character(std::string_view s, wchar_t* wc) {
  std::mbstate_t state{};
  std::size_t n = std::mbrtowc(wc, s.data(), s.size(), &state);
  if (n == static_cast<std::size_t>(-1) || n == static_cast<std::size_t>(-2)) return 0;
  return static_cast<unsigned long>(*wc) > 0x10FFFF ? 0 : n;
}

VTermScreenCell cellat(VTermScreen* screen, int row, int col) {
  VTermScreenCell cell{};
  vterm_screen_get_cell(screen, VTermPos{row, col}, &cell);
  return cell;
}

// Whether the C library and the terminal emulator library give every
// character of text the same width. They follow different editions of
// Unicode, and where they differ the console (which follows the C library)
// and the model cannot agree; real terminals differ there too.
bool widthsagree(std::string_view text) {
  static VTerm* scratch = [] {
    VTerm* vt = vterm_new(1, 20);
    vterm_set_utf8(vt, 1);
    vterm_screen_reset(vterm_obtain_screen(vt), 1);
    return vt;
  }();
  static std::map<wchar_t, int> widths;
  for (std::size_t i = 0; i < text.size();) {
    wchar_t wc = 0;
    std::size_t n = static_cast<unsigned char>(text[i]) < 0x80 ? 0 : character(text.substr(i), &wc);
    if (n > 0 && wcwidth(wc) >= 0) {
      auto known = widths.find(wc);
      if (known == widths.end()) {
        std::string probe = "\r\033[Ka" + std::string(text.substr(i, n)) + "b";
        vterm_input_write(scratch, probe.data(), probe.size());
        VTermPos pos;
        vterm_state_get_cursorpos(vterm_obtain_state(scratch), &pos);
        known = widths.emplace(wc, pos.col - 2).first;
      }
      if (known->second != wcwidth(wc)) return false;
    }
    i += n > 0 ? n : 1;
  }
  return true;
}

}  // namespace

// A row of cells as text: blanks at its end dropped, the right half of a
// wide character left out.
std::string rowtext(int cols, const std::function<VTermScreenCell(int)>& cellof) {
  std::string row;
  for (int c = 0; c < cols; ++c) {
    VTermScreenCell cell = cellof(c);
    if (cell.chars[0] == static_cast<uint32_t>(-1)) continue;  // the right half of a wide character
    if (cell.chars[0] == 0) row += ' ';
    for (int i = 0; i < VTERM_MAX_CHARS_PER_CELL && cell.chars[i] != 0; ++i) appendutf8(row, cell.chars[i]);
    if (cell.width == 2) ++c;
  }
  row.erase(row.find_last_not_of(' ') + 1);
  return row;
}

int ScreenModel::pushline(int cols, const void* cells, void* user) {
  const VTermScreenCell* row = static_cast<const VTermScreenCell*>(cells);
  static_cast<ScreenModel*>(user)->scrollback_.push_back(rowtext(cols, [&](int c) { return row[c]; }));
  return 1;
}

ScreenModel::ScreenModel(int rows, int cols, bool utf8)
    : vt_(vterm_new(rows, cols)), rows_(rows), cols_(cols), latin1_(!utf8) {
  static const VTermScreenCallbacks callbacks = {
      nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
      [](int cols, const VTermScreenCell* cells, void* user) { return pushline(cols, cells, user); },
      nullptr};
  vterm_set_utf8(vt_, 1);
  VTermScreen* screen = vterm_obtain_screen(vt_);
  vterm_screen_set_callbacks(screen, &callbacks, this);
  vterm_screen_reset(screen, 1);
}

ScreenModel::~ScreenModel() { vterm_free(vt_); }

void ScreenModel::reset() {
  vterm_screen_reset(vterm_obtain_screen(vt_), 1);
  scrollback_.clear();
}

// A byte per character: as a terminal in an ISO 8859-1 locale reads them,
// 0x80 to 0x9F are the C1 commands (each the same as ESC and a letter, as
// 0x85 is ESC "E" and 0x9B is ESC "["), and 0xA0 to 0xFF the characters
// U+00A0 to U+00FF.
void ScreenModel::feed(std::string_view bytes) {
  if (!latin1_) {
    vterm_input_write(vt_, bytes.data(), bytes.size());
    return;
  }
  std::string read;
  for (char c : bytes) {
    unsigned char b = static_cast<unsigned char>(c);
    if (b >= 0x80 && b <= 0x9F) {
      read += '\033';
      read += static_cast<char>(b - 0x40);
    } else {
      appendutf8(read, b);
    }
  }
  vterm_input_write(vt_, read.data(), read.size());
}

std::vector<std::string> ScreenModel::rows(int count) const {
  std::vector<std::string> out;
  VTermScreen* screen = vterm_obtain_screen(vt_);
  int shown = count >= 0 ? std::min(count, rows_) : rows_;
  for (int r = 0; r < shown; ++r) out.push_back(rowtext(cols_, [&](int c) { return cellat(screen, r, c); }));
  while (!out.empty() && out.back().empty()) out.pop_back();
  return out;
}

unsigned ScreenModel::charat(int row, int col) const {
  return cellat(vterm_obtain_screen(vt_), row, col).chars[0];
}

std::pair<int, int> ScreenModel::cursor() const {
  VTermPos pos;
  vterm_state_get_cursorpos(vterm_obtain_state(vt_), &pos);
  return {pos.row, pos.col};
}

std::string pictured(std::string_view text, bool utf8) {
  std::string out;
  auto caret = [&](unsigned c) {
    out += '^';
    out += static_cast<char>(c ^ 0x40);
  };
  for (std::size_t i = 0; i < text.size();) {
    unsigned char b = static_cast<unsigned char>(text[i]);
    wchar_t wc = 0;
    std::size_t n = b < 0x20 || b == 0x7F ? 0 : utf8 ? character(text.substr(i), &wc) : 1;
    unsigned code = utf8 ? static_cast<unsigned>(wc) : b;
    if (b < 0x20 || b == 0x7F) {
      caret(b);
    } else if (n > 0 && code >= 0x80 && code <= 0x9F) {
      out += "M-";
      caret(code - 0x80);
    } else if (n == 0 || (utf8 && wcwidth(wc) < 0)) {
      out += replacement;
    } else {
      out.append(text.substr(i, n));
    }
    i += n == 0 ? 1 : n;
  }
  return out;
}

std::string Transcript::differs(const ScreenModel& screen, const std::string& line, int curp) {
  constexpr int laid = 300;  // rows enough for the transcripts the tests make
  if (!want_) {
    want_ = std::make_unique<ScreenModel>(laid, width_, utf8_);
    probe_ = std::make_unique<ScreenModel>(laid, width_, utf8_);
  }
  if (utf8_ && (!widthsagree(text_) || !widthsagree(line))) {  // nothing to hold it against
    ++skipped_;
    return "";
  }
  ScreenModel& want = *want_;
  want.reset();
  want.feed(text_ + prompt_ + pictured(line, utf8_));
  if (want.scrolled()) {  // too long to lay out
    ++skipped_;
    return "";
  }
  std::vector<std::string> wanted = want.rows(want.cursor().first + 1);  // nothing is below the cursor

  // The cursor: where the next character starts when it follows the first
  // curp bytes (a zero-width one, or none, counts as a one-column "X"). A
  // cursor inside a character (bytes typed before a byte of the line that
  // made one with them) stands where the character after that one starts.
  wchar_t wc = 0;
  std::size_t whole = 0;
  while (utf8_ && whole < static_cast<std::size_t>(curp))
    whole += std::max<std::size_t>(character(std::string_view(line).substr(whole), &wc), 1);
  curp = std::max(curp, static_cast<int>(whole));
  std::string rest = line.substr(static_cast<std::size_t>(curp));
  std::size_t n = rest.empty() ? 0 : utf8_ ? character(rest, &wc) : 1;
  std::string next = n > 0 && utf8_ && wcwidth(wc) == 0 ? "X" : pictured(rest.substr(0, n > 0 ? n : 1), utf8_);
  if (rest.empty()) next = "X";
  // Only its first character on the screen: a picture of several parts at
  // a row's end, where its first part stays on the row.
  std::size_t k = utf8_ ? character(next, &wc) : 0;
  unsigned first = k > 0 ? static_cast<unsigned>(wc) : static_cast<unsigned char>(next[0]);
  next.resize(k > 0 ? k : 1);
  ScreenModel& probe = *probe_;
  probe.reset();
  probe.feed(text_ + prompt_ + pictured(line.substr(0, static_cast<std::size_t>(curp)), utf8_) + next);
  if (probe.scrolled()) {
    ++skipped_;
    return "";
  }
  auto [row, col] = probe.cursor();
  while (col > 0 && probe.charat(row, col) != first) --col;

  // What left the window's top: the transcript's first rows, in order.
  const std::vector<std::string>& gone = screen.scrollback();
  for (std::size_t r = 0; r < gone.size(); ++r) {
    std::string b = r < wanted.size() ? wanted[r] : "";
    if (gone[r] != b) return "scrollback row " + std::to_string(r) + " holds \"" + gone[r] + "\", want \"" + b + "\"";
  }
  // The window: the rows from its top on, the cursor where the transcript's
  // is; its top never a row that went to the scrollback already.
  std::pair<int, int> at = screen.cursor();
  int top = row - at.first;
  if (top < static_cast<int>(gone.size()))
    return "the window's top row is transcript row " + std::to_string(top) + ", which is in the scrollback";
  std::vector<std::string> shown = screen.rows();
  for (int r = 0; r < screen.height(); ++r) {
    std::size_t t = static_cast<std::size_t>(top + r);
    std::string a = static_cast<std::size_t>(r) < shown.size() ? shown[static_cast<std::size_t>(r)] : "";
    std::string b = t < wanted.size() ? wanted[t] : "";
    if (a != b)
      return "row " + std::to_string(r) + " shows \"" + a + "\", want \"" + b + "\" (transcript row " +
             std::to_string(t) + ")";
  }
  if (at.second != col)
    return "cursor at " + std::to_string(at.first) + "," + std::to_string(at.second) + ", want " +
           std::to_string(at.first) + "," + std::to_string(col);
  return "";
}

}  // namespace zelvotest
