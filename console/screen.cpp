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
#include "console/terminal.h"

namespace zelvo {

namespace {

const std::string_view replacement = "\xEF\xBF\xBD";  // U+FFFD

// The caret pairs of the control characters: ^@ to ^_ for codes 0 to 31,
// then ^? for DEL.
const char carets[] = "^@^A^B^C^D^E^F^G^H^I^J^K^L^M^N^O^P^Q^R^S^T^U^V^W^X^Y^Z^[^\\^]^^^_^?";

// The pictures of the C1 controls, codes 0x80 to 0x9F, which a terminal
// would obey as commands: M- and the caret pair of the code less 0x80, as
// cat -v shows them (M-^E for 0x85).
const std::string metacarets = [] {
  std::string s;
  for (int c = 0; c < 32; ++c) s += std::string("M-^") + static_cast<char>(c + '@');
  return s;
}();

// One character of a text: where it starts, its bytes (zero-width
// characters after it included), its columns, and the picture of its first
// character (the bytes themselves, a caret pair, M- and a caret pair, or
// U+FFFD); the zero-width characters after it show as themselves. A picture
// is one character of the terminal's, or for a control character two or
// four of a column each, which a row's end can part.
struct Glyph {
  int32_t start = 0, bytes = 0, base = 0, cols = 0;
  int32_t cell = 0;  // the columns of each of the terminal's characters in the picture
  bool merges = false;  // a byte that is no character: a neighbour could make it one
  std::string_view picture;
};

// A control character as a caret pair.
std::string_view caret(unsigned char b) { return {carets + 2 * (b == 0x7F ? 32 : b), 2}; }

// The picture of a C1 control, code c (0x80 to 0x9F): four characters of a
// column each.
Glyph meta(Glyph g, char32_t c) {
  g.cols = 4;
  g.cell = 1;
  g.picture = std::string_view(metacarets).substr(4 * (c - 0x80), 4);
  return g;
}

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
  if (!utf8codeset() && isc1(b)) {
    g.bytes = 1;
    return meta(g, b);
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
  if (isc1(cp)) return meta(g, cp);
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

// Where the cursor stands after a text that ends at p: on the next row when
// the text fills its last row.
Pos beyond(Pos p, int32_t width) { return width > 0 && p.col >= width ? Pos{p.row + 1, 0} : p; }

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

// One character of the terminal's, placed: where it stands and the bytes
// that show it (zero-width characters that go with it included).
struct Piece {
  Pos at;
  std::string bytes;
};

// The prompt and Line laid out at a width: their characters in order, where
// the line ends, and where the cursor stands (at the start of the character
// after CurP bytes; past the end, after the line, on a fresh row if the
// line fills its last).
struct Layout {
  std::vector<Piece> pieces;
  Pos end, cursor;
  int32_t rows() const { return std::max(end.row, cursor.row) + 1; }
};

// Appends the pieces of g, a character of s, placed from `end` on. A
// character of no columns (one that begins the line) stays where the one
// before it ended, as the terminal puts it on that character's cell, even
// in a pending wrap.
void place(Layout& l, std::string_view s, const Glyph& g, int32_t width) {
  std::string picture;
  draw(picture, s, g);
  if (g.cols == 0) {
    l.pieces.push_back({l.end, std::move(picture)});
    return;
  }
  int32_t parts = g.cell > 0 && g.cols > g.cell ? g.cols / g.cell : 1;  // a caret pair parts at a row's end
  for (int32_t i = 0; i < parts; ++i) {
    Piece c;
    c.at = l.end = startof(l.end, g, width);
    std::size_t at = static_cast<std::size_t>(i);
    c.bytes = parts == 1 ? picture : picture.substr(at, i + 1 < parts ? 1 : std::string::npos);
    l.pieces.push_back(std::move(c));
    l.end.col += g.cell;
  }
}

Layout layout(const KeyState& k, int32_t width) {
  Layout l;
  std::string_view prompt = textof(k.Prompt.get()), line = textof(k.Line.get());
  for (const Glyph& g : glyphs(prompt)) place(l, prompt, g, width);
  bool placed = false;
  int32_t at = num(k.CurP);
  for (const Glyph& g : glyphs(line)) {
    if (!placed && g.start >= at) {
      l.cursor = startof(l.end, g, width);
      placed = true;
    }
    place(l, line, g, width);
  }
  if (!placed) l.cursor = beyond(l.end, width);
  return l;
}

// The line's first row to show when it is taller than the window: the one
// shown before if the cursor's row is still in view, else the nearest that
// brings it in; never past the line's last rows.
int32_t firstshown(int32_t before, const Layout& l, int32_t height) {
  int32_t top = std::max(before, 0);
  if (l.cursor.row < top) top = l.cursor.row;
  if (l.cursor.row >= top + height) top = l.cursor.row - height + 1;
  return std::clamp(top, 0, l.rows() - height);
}

// The cursor from row `row` (where the last character drawn stands) to its
// place.
void tocursor(std::string& out, const Layout& l, int32_t row) {
  for (; row < l.cursor.row; ++row) out += term::newrow;
  if (row > l.cursor.row) out += term::rowsup(row - l.cursor.row);
  out += term::rowstart;
  if (l.cursor.col > 0) out += term::columnsright(l.cursor.col);
}

// The prompt and Line from the start of the prompt's row, wrapped by the
// terminal, then the cursor from the line's end to its place.
void drawwhole(std::string& out, const Layout& l) {
  for (const Piece& c : l.pieces) out += c.bytes;
  if (l.cursor.row > l.end.row) {
    out += term::newrow;
  } else if (!(l.cursor == l.end)) {
    tocursor(out, l, l.end.row);
  }
}

// The line's rows top to top + height - 1, from the start of the cursor's
// row on, each ended by CR LF but the last, then the cursor to its place.
void drawrows(std::string& out, const Layout& l, int32_t top, int32_t height) {
  int32_t row = top;
  for (const Piece& c : l.pieces) {
    if (c.at.row < top) continue;
    if (c.at.row >= top + height) break;
    for (; row < c.at.row; ++row) out += term::newrow;
    out += c.bytes;
  }
  tocursor(out, l, row);
}

// The cursor up to the start of the row where the prompt and Line were
// drawn from last (the prompt's, or the window's top for a line taller than
// the window), and everything from there on cleared.
std::string cleared(const KeyState& k) {
  int32_t up = num(k.CurRow) - std::max(num(k.TopRow), 0);
  std::string out = up > 0 ? term::rowsup(up) : "";
  out += term::rowstart;
  out += term::clearbelow;
  return out;
}

// Draws the prompt and Line anew, from the row where they were drawn last:
// the prompt's row, or for a line taller than the window the window's top
// row. The cursor gets there by moving up, so that rows the emulator moved
// (as it does when the window is resized) are followed. A line that fits in
// the window is drawn from its prompt on. A taller one fills the window
// with a stretch of its rows around the cursor's; when it first outgrows
// the window, the rows above its prompt are scrolled away first, so that
// none of its own rows goes to the scrollback while it is being edited.
void redraw(KeyState& k, Size size) {
  Layout l = layout(k, size.cols);
  int32_t top = num(k.TopRow);
  std::string out = cleared(k);
  if (size.rows == 0 || l.rows() <= size.rows) {
    drawwhole(out, l);
    top = -1;
  } else {
    if (top < 0 && size.rows > 1)
      out += std::string(static_cast<std::size_t>(size.rows - 1), term::linefeed) + term::rowsup(size.rows - 1);
    top = firstshown(top, l, size.rows);
    drawrows(out, l, top, size.rows);
  }
  show(k, Temp(charvec(out)));
  k.CurRow.set(intscalar(l.cursor.row));
  k.EndRow.set(intscalar(l.end.row));
  k.TopRow.set(intscalar(top));
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

Size termsize(const rt::Array& tty) {
  winsize ws{};
  if (ioctl(firstint(tty), TIOCGWINSZ, &ws) != 0) return {};
  return {ws.ws_col, ws.ws_row};
}

void atprompt(KeyState& k) {
  Layout l = layout(k, termsize(k.XTtty.get()).cols);  // Line is empty
  if (l.cursor.row > l.end.row) show(k, Temp(charvec(term::newrow)));  // a prompt that fills its row
  k.CurRow.set(intscalar(l.cursor.row));
  k.EndRow.set(intscalar(l.end.row));
  k.TopRow.set(intscalar(-1));
}

void showedit(KeyState& k, const rt::Array& old, const rt::Array& part) {
  Size size = termsize(k.XTtty.get());
  if (num(k.TopRow) < 0 && num(k.CurRow) == 0 && num(k.EndRow) == 0 && inrow(k, old, size.cols) &&
      inrow(k, k.Line.get(), size.cols)) {
    if (rt::elemcount(part.rank, part.shape) > 0) show(k, part);
    return;
  }
  redraw(k, size);
}

// A line taller than the window is written out whole from the window's top,
// so that its first rows go to the scrollback in order and its last stay
// on the screen; the new row comes below them.
void endline(KeyState& k) {
  int32_t cursor = num(k.CurRow), end = num(k.EndRow);
  std::string out;
  if (num(k.TopRow) >= 0) {
    out = cleared(k);
    for (const Piece& c : layout(k, termsize(k.XTtty.get()).cols).pieces) out += c.bytes;
    out += term::newrow;
  } else if (cursor <= end) {
    if (cursor < end) out += term::rowsdown(end - cursor);
    out += term::newrow;
  } else {
    out += term::rowstart;  // below the end the cursor is on a fresh row already
  }
  show(k, Temp(charvec(out)));
}

}  // namespace zelvo
