// The characters of a line, their columns, and the rows of the window.
#include "console/screen.h"

#include <sys/ioctl.h>
#include <wchar.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "console/arrays.h"
#include "console/chars.h"
#include "console/keystate.h"

namespace zelvo {

namespace {

const std::string_view replacement = "\xEF\xBF\xBD";  // U+FFFD

// The caret pairs of the control characters: ^@ to ^_ for codes 0 to 31,
// then ^? for DEL.
const char carets[] = "^@^A^B^C^D^E^F^G^H^I^J^K^L^M^N^O^P^Q^R^S^T^U^V^W^X^Y^Z^[^\\^]^^^_^?";

// One character of a text: where it starts, its bytes (zero-width
// characters after it included), its columns, and the picture of its first
// character (the bytes themselves, a caret pair or U+FFFD); the zero-width
// characters after it show as themselves. A picture is one character of the
// terminal's, or for a caret pair two of a column each, which a row's end
// can part.
struct Glyph {
  int32_t start = 0, bytes = 0, base = 0, cols = 0;
  int32_t cell = 0;  // the columns of each of the terminal's characters in the picture
  bool merges = false;  // a byte that is no character: a neighbour could make it one
  std::string_view picture;
};

// A control character as a caret pair.
std::string_view caret(unsigned char b) { return {carets + 2 * (b == 0x7F ? 32 : b), 2}; }

// The next character of s from byte `at`: its bytes, columns and picture,
// zero-width characters not joined yet.
Glyph single(std::string_view s, int32_t at) {
  Glyph g;
  g.start = at;
  g.base = 1;
  unsigned char b = static_cast<unsigned char>(s[static_cast<std::size_t>(at)]);
  if (b < 0x20 || b == 0x7F) {
    g.bytes = 1;
    g.cols = 2;
    g.cell = 1;
    g.picture = caret(b);
    return g;
  }
  char32_t cp = 0;
  int32_t n = utf8codeset() ? sequence(s.substr(static_cast<std::size_t>(at)), &cp) : 1;
  if (n <= 0) {  // no character: one byte, shown as U+FFFD
    g.bytes = 1;
    g.cols = g.cell = 1;
    g.merges = true;
    g.picture = replacement;
    return g;
  }
  g.bytes = g.base = n;
  g.picture = s.substr(static_cast<std::size_t>(at), static_cast<std::size_t>(n));
  if (b < 0x80 || !utf8codeset()) {
    g.cols = g.cell = 1;
    return g;
  }
  int w = wcwidth(static_cast<wchar_t>(cp));
  if (w < 0) {  // a character the screen has no picture for
    g.cols = g.cell = 1;
    g.picture = replacement;
  } else {
    g.cols = g.cell = w;
  }
  return g;
}

// The characters of s in order, each zero-width character joined to the
// character before it.
std::vector<Glyph> glyphs(std::string_view s) {
  std::vector<Glyph> out;
  out.reserve(s.size());
  int32_t n = static_cast<int32_t>(s.size());
  for (int32_t at = 0; at < n;) {
    Glyph g = single(s, at);
    at += g.bytes;
    if (g.cols == 0 && !g.merges && !out.empty()) {
      out.back().bytes += g.bytes;
    } else {
      out.push_back(std::move(g));
    }
  }
  return out;
}

// Appends what shows g, a character of s.
void draw(std::string& out, std::string_view s, const Glyph& g) {
  out += g.picture;
  out += s.substr(static_cast<std::size_t>(g.start + g.base), static_cast<std::size_t>(g.bytes - g.base));
}

int32_t sumcols(const std::vector<Glyph>& gs) {
  int32_t c = 0;
  for (const Glyph& g : gs) c += g.cols;
  return c;
}

// A place on the screen, counted from the start of the prompt's row. A
// column equal to the width is the terminal's pending wrap: the cursor
// still stands in the last column, and the next character goes to the next
// row.
struct Pos {
  int32_t row = 0, col = 0;
  bool operator==(const Pos&) const = default;
};

// Where g starts when the character before it ends at p: on the next row
// if its first character does not fit in this one.
Pos startof(Pos p, const Glyph& g, int32_t width) {
  if (width > 0 && p.col + std::max(g.cell, 1) > width) return {p.row + 1, 0};
  return p;
}

// p after g, each of its characters placed in turn.
Pos past(Pos p, const Glyph& g, int32_t width) {
  for (int32_t done = 0; done < g.cols; done += g.cell) {
    p = startof(p, g, width);
    p.col += g.cell;
  }
  return p;
}

// Where the cursor stands after a text that ends at p: on the next row when
// the text fills its last row.
Pos beyond(Pos p, int32_t width) { return width > 0 && p.col >= width ? Pos{p.row + 1, 0} : p; }

// The command ESC "[" n letter.
std::string csi(int32_t n, char letter) { return "\033[" + std::to_string(n) + letter; }

// Whether text, after the prompt, fits in the prompt's row with the cursor
// after it, and is made of characters that show the same wherever they
// stand (so that the actions' own bytes show it right).
bool inrow(const KeyState& k, const rt::Array& text, int32_t width) {
  std::vector<Glyph> gs = glyphs(textof(text));
  // A zero-width character written apart from the character it goes with
  // (after a cursor command, or at the line's start) lands on whichever
  // character the emulator picks: xterm takes the one left of the cursor,
  // others only the one printed last. Lines holding one are drawn whole.
  for (const Glyph& g : gs)
    if (g.merges || g.bytes > g.base || g.cols == 0) return false;
  return width == 0 || sumcols(glyphs(textof(k.Prompt.get()))) + sumcols(gs) < width;
}

// Draws the prompt and Line from the start of the prompt's row, clears what
// was below, and puts the cursor at the start of the character after CurP
// bytes (past the end: after the line, on a fresh row if it fills its last).
void redraw(KeyState& k, int32_t width) {
  std::string out;
  if (num(k.CurRow) > 0) out += csi(num(k.CurRow), 'A');
  out += "\r\033[J";
  Pos end, cursor;
  bool placed = false;
  std::string_view prompt = textof(k.Prompt.get()), line = textof(k.Line.get());
  for (const Glyph& g : glyphs(prompt)) {
    end = past(end, g, width);
    draw(out, prompt, g);
  }
  int32_t at = num(k.CurP);
  for (const Glyph& g : glyphs(line)) {
    if (!placed && g.start >= at) {
      cursor = startof(end, g, width);
      placed = true;
    }
    end = past(end, g, width);
    draw(out, line, g);
  }
  if (!placed) cursor = beyond(end, width);
  if (cursor.row > end.row) {
    out += "\r\n";
  } else if (!(cursor == end)) {
    if (end.row > cursor.row) out += csi(end.row - cursor.row, 'A');
    out += '\r';
    if (cursor.col > 0) out += csi(cursor.col, 'C');
  }
  show(k, Temp(charvec(out)));
  k.CurRow.set(intscalar(cursor.row));
  k.EndRow.set(intscalar(end.row));
}

}  // namespace

int32_t charbefore(const rt::Array& text, int32_t at) {
  int32_t from = 0;
  for (const Glyph& g : glyphs(textof(text))) {
    if (g.start >= at) break;
    from = g.start;
  }
  return at - from;
}

int32_t charafter(const rt::Array& text, int32_t at) {
  for (const Glyph& g : glyphs(textof(text)))
    if (g.start + g.bytes > at) return g.start + g.bytes - at;
  return 0;
}

int32_t columns(const rt::Array& text) { return sumcols(glyphs(textof(text))); }

rt::Array visible(const rt::Array& text) {
  std::string out;
  std::string_view s = textof(text);
  for (const Glyph& g : glyphs(s)) draw(out, s, g);
  return charvec(out);
}

int32_t termwidth(const rt::Array& tty) {
  winsize ws{};
  if (ioctl(firstint(tty), TIOCGWINSZ, &ws) != 0) return 0;
  return ws.ws_col;
}

void atprompt(KeyState& k) {
  int32_t width = termwidth(k.XTtty.get());
  Pos end;
  for (const Glyph& g : glyphs(textof(k.Prompt.get()))) end = past(end, g, width);
  Pos cursor = beyond(end, width);
  if (cursor.row > end.row) show(k, Temp(charvec("\r\n")));  // a prompt that fills its row
  k.CurRow.set(intscalar(cursor.row));
  k.EndRow.set(intscalar(end.row));
}

void showedit(KeyState& k, const rt::Array& old, const rt::Array& part) {
  int32_t width = termwidth(k.XTtty.get());
  if (num(k.CurRow) == 0 && num(k.EndRow) == 0 && inrow(k, old, width) && inrow(k, k.Line.get(), width)) {
    if (rt::elemcount(part.rank, part.shape) > 0) show(k, part);
    return;
  }
  redraw(k, width);
}

void endline(KeyState& k) {
  int32_t cursor = num(k.CurRow), end = num(k.EndRow);
  std::string out = cursor < end ? csi(end - cursor, 'B') : "";
  out += cursor <= end ? "\r\n" : "\r";  // below the end the cursor is on a fresh row already
  show(k, Temp(charvec(out)));
}

}  // namespace zelvo
