// ScreenModel, pictured and Transcript.
#include "tests/support/screenmodel.h"

#include <vterm.h>
#include <wchar.h>

#include <algorithm>
#include <cstdint>
#include <cwchar>
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

int ScreenModel::pushline(int, const void*, void* user) {
  static_cast<ScreenModel*>(user)->scrolled_ = true;
  return 1;
}

int ScreenModel::moved(int row, void* user) {
  ScreenModel* model = static_cast<ScreenModel*>(user);
  model->used_ = std::max(model->used_, row + 1);
  return 1;
}

ScreenModel::ScreenModel(int rows, int cols) : vt_(vterm_new(rows, cols)), cols_(cols) {
  static const VTermScreenCallbacks callbacks = {
      nullptr, nullptr,
      [](VTermPos pos, VTermPos, int, void* user) { return moved(pos.row, user); },
      nullptr, nullptr, nullptr,
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
  scrolled_ = false;
  used_ = 1;
}

void ScreenModel::feed(std::string_view bytes) { vterm_input_write(vt_, bytes.data(), bytes.size()); }

std::vector<std::string> ScreenModel::rows() const {
  std::vector<std::string> out;
  VTermScreen* screen = vterm_obtain_screen(vt_);
  for (int r = 0; r < used_; ++r) {
    std::string row;
    for (int c = 0; c < cols_; ++c) {
      VTermScreenCell cell = cellat(screen, r, c);
      if (cell.chars[0] == static_cast<uint32_t>(-1)) continue;  // the right half of a wide character
      if (cell.chars[0] == 0) row += ' ';
      for (int i = 0; i < VTERM_MAX_CHARS_PER_CELL && cell.chars[i] != 0; ++i) appendutf8(row, cell.chars[i]);
      if (cell.width == 2) ++c;
    }
    row.erase(row.find_last_not_of(' ') + 1);
    out.push_back(row);
  }
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

std::string pictured(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    unsigned char b = static_cast<unsigned char>(text[i]);
    wchar_t wc = 0;
    std::size_t n = b < 0x20 || b == 0x7F ? 0 : character(text.substr(i), &wc);
    if (b < 0x20 || b == 0x7F) {
      out += '^';
      out += static_cast<char>(b ^ 0x40);
    } else if (n == 0 || wcwidth(wc) < 0) {
      out += replacement;
    } else {
      out.append(text.substr(i, n));
    }
    i += n == 0 ? 1 : n;
  }
  return out;
}

std::string Transcript::differs(const ScreenModel& screen, const std::string& line, int curp) {
  if (!want_) {
    want_ = std::make_unique<ScreenModel>(rows_, width_);
    probe_ = std::make_unique<ScreenModel>(rows_, width_);
  }
  if (!widthsagree(text_) || !widthsagree(line)) return "";  // nothing to hold it against
  ScreenModel& want = *want_;
  want.reset();
  want.feed(text_ + prompt_ + pictured(line));
  std::vector<std::string> shown = screen.rows(), wanted = want.rows();
  if (want.scrolled()) return "";  // too long to compare
  for (std::size_t r = 0; r < std::max(shown.size(), wanted.size()); ++r) {
    std::string a = r < shown.size() ? shown[r] : "", b = r < wanted.size() ? wanted[r] : "";
    if (a != b) return "row " + std::to_string(r) + " shows \"" + a + "\", want \"" + b + "\"";
  }

  // The cursor: where the next character starts when it follows the first
  // curp bytes (a zero-width one, or none, counts as a one-column "X").
  std::string rest = line.substr(static_cast<std::size_t>(curp));
  wchar_t wc = 0;
  std::size_t n = rest.empty() ? 0 : character(rest, &wc);
  std::string next = n > 0 && wcwidth(wc) == 0 ? "X" : pictured(rest.substr(0, n > 0 ? n : 1));
  if (rest.empty()) next = "X";
  wchar_t first = 0;
  character(next, &first);
  ScreenModel& probe = *probe_;
  probe.reset();
  probe.feed(text_ + prompt_ + pictured(line.substr(0, static_cast<std::size_t>(curp))) + next);
  auto [row, col] = probe.cursor();
  while (col > 0 && probe.charat(row, col) != static_cast<unsigned>(first)) --col;
  std::pair<int, int> at = screen.cursor();
  if (at != std::make_pair(row, col))
    return "cursor at " + std::to_string(at.first) + "," + std::to_string(at.second) + ", want " +
           std::to_string(row) + "," + std::to_string(col);
  return "";
}

}  // namespace zelvotest
