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

// Whether the byte at `at` of s can only continue a UTF-8 sequence.
bool continuation(std::string_view s, int32_t at) {
  unsigned char b = static_cast<unsigned char>(s[static_cast<std::size_t>(at)]);
  return b >= 0x80 && b <= 0xBF;
}

// Where the character that holds byte `at` of s starts: a byte that can
// only continue a sequence belongs to the valid sequence that covers it, if
// one starts within the three bytes before it, else it stands alone. Any
// other byte starts a character wherever it stands.
int32_t charstart(std::string_view s, int32_t at) {
  if (!utf8codeset() || !continuation(s, at)) return at;
  for (int32_t from = at - 1; from >= 0 && from >= at - 3; --from) {
    if (continuation(s, from)) continue;
    char32_t cp = 0;
    return sequence(s.substr(static_cast<std::size_t>(from)), &cp) > at - from ? from : at;
  }
  return at;
}

// Whether the character at byte `at` of s goes with the character before
// it: a zero-width one.
bool joins(std::string_view s, int32_t at) {
  Glyph g = single(s, at);
  return g.cols == 0 && !g.merges;
}

// Where the glyph (a character and the zero-width characters after it)
// that holds byte `at` of s starts: found by stepping back from it.
int32_t glyphstart(std::string_view s, int32_t at) {
  int32_t from = charstart(s, at);
  while (from > 0 && joins(s, from)) from = charstart(s, from - 1);
  return from;
}

// The glyph of s that starts at byte `at`, zero-width characters after it
// joined.
Glyph glyphat(std::string_view s, int32_t at) {
  Glyph g = single(s, at);
  int32_t n = static_cast<int32_t>(s.size());
  while (at + g.bytes < n && joins(s, at + g.bytes)) g.bytes += single(s, at + g.bytes).bytes;
  return g;
}

// Appends what shows g, a character of s.
void draw(std::string& out, std::string_view s, const Glyph& g) {
  out += g.picture;
  out += s.substr(static_cast<std::size_t>(g.start + g.base), static_cast<std::size_t>(g.bytes - g.base));
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
// stand (so that the actions' own bytes show it right). A character takes
// at most four bytes for each of its columns, so a longer text is not
// looked at.
bool inrow(const KeyState& k, const rt::Array& text, int32_t width) {
  std::string_view s = textof(text);
  if (width > 0 && s.size() >= 4 * static_cast<std::size_t>(width)) return false;
  // A zero-width character written apart from the character it goes with
  // (after a cursor command, or at the line's start) lands on whichever
  // character the emulator picks: xterm takes the one left of the cursor,
  // others only the one printed last. Lines holding one are drawn whole.
  int32_t n = static_cast<int32_t>(s.size());
  for (int32_t at = 0; at < n;) {
    Glyph g = glyphat(s, at);
    if (g.merges || g.bytes > g.base || g.cols == 0) return false;
    at += g.bytes;
  }
  return width == 0 || columns(k.Prompt.get()) + columns(text) < width;
}

// The terminal's characters (pieces) that show the prompt and Line, one at
// a time, from a place known to start one, placed at a width as the
// terminal places them; nothing is allocated. A glyph is one piece, or for
// a picture that a row's end can part (a caret pair, M- and a caret pair)
// one piece per column. Offsets count the prompt's bytes, then Line's.
class Walk {
 public:
  Walk(const KeyState& k, int32_t width)
      : prompt_(textof(k.Prompt.get())), line_(textof(k.Line.get())), width_(width) {}

  int32_t total() const { return static_cast<int32_t>(prompt_.size() + line_.size()); }
  int32_t promptsize() const { return static_cast<int32_t>(prompt_.size()); }

  // Goes to part `part` of the glyph at offset `at`, whose piece stands at
  // `pos` (where the glyph before it left the terminal's cursor, or the
  // start of a row).
  void from(int32_t at, int32_t part, Pos pos) {
    at_ = at;
    part_ = part;
    end_ = pos;
    fixed_ = true;
    load();
  }
  bool done() const { return at_ >= total(); }
  int32_t at() const { return at_; }
  int32_t part() const { return part_; }
  // Where the next piece stands. A piece of no columns (a zero-width
  // character that begins the line) stays where the one before it ended,
  // as the terminal puts it on that character's cell, even in a pending
  // wrap.
  Pos next() const { return fixed_ || g_.cols == 0 ? end_ : startof(end_, g_, width_); }
  // Where the cursor stands before the next glyph.
  Pos cursor() const { return fixed_ ? end_ : startof(end_, g_, width_); }
  // Where the last piece placed ends.
  Pos end() const { return end_; }

  // Places the next piece, and appends its bytes to out when given.
  void place(std::string* out) {
    Pos at = next();
    if (g_.cols != 0) end_ = {at.row, at.col + g_.cell};
    fixed_ = false;
    if (out) {
      std::string_view s = text(), picture = g_.picture;
      bool last = part_ + 1 == parts_;
      *out += parts_ == 1 ? picture : picture.substr(static_cast<std::size_t>(part_), last ? std::string::npos : 1);
      if (last) *out += s.substr(static_cast<std::size_t>(g_.start + g_.base), static_cast<std::size_t>(g_.bytes - g_.base));
    }
    if (++part_ < parts_) return;
    at_ += g_.bytes;
    part_ = 0;
    load();
  }

 private:
  std::string_view text() const { return at_ < promptsize() ? prompt_ : line_; }
  void load() {
    if (done()) return;
    g_ = glyphat(text(), at_ < promptsize() ? at_ : at_ - promptsize());
    parts_ = g_.cols > 0 && g_.cell > 0 && g_.cols > g_.cell ? g_.cols / g_.cell : 1;
  }

  std::string_view prompt_, line_;
  int32_t width_, at_ = 0, part_ = 0, parts_ = 1;
  Pos end_;
  bool fixed_ = true;
  Glyph g_;
};

// A row start as RowStarts keeps it.
int32_t rowcode(const Walk& w) { return 4 * w.at() + w.part(); }

// The walk from the start of row `row`, whose code is `code`.
void fromrow(Walk& w, int32_t row, int32_t code) { w.from(code / 4, code % 4, {row, 0}); }

// The prompt and Line laid out at a width: where the line ends, and where
// the cursor stands (at the start of the character after CurP bytes; past
// the end, after the line, on a fresh row if the line fills its last).
struct Layout {
  Pos end, cursor;
  int32_t rows() const { return std::max(end.row, cursor.row) + 1; }
};

// The rows of RowStarts.
int32_t rowcount(const KeyState& k) { return length(k.RowStarts.get()); }
int32_t rowstart(const KeyState& k, int32_t row) { return rt::ints(k.RowStarts.get())[row]; }

// The last row that starts at or before part 0 of the glyph at `at`.
int32_t rowof(const KeyState& k, int32_t at) {
  const int32_t* starts = rt::ints(k.RowStarts.get());
  return static_cast<int32_t>(std::upper_bound(starts, starts + rowcount(k), 4 * at) - starts) - 1;
}

// Where the glyph at `at` starts, or the cursor before it: walked from
// the start of its row. At the end, where the cursor stands after the line.
Pos locate(const KeyState& k, int32_t width, int32_t at) {
  Walk w(k, width);
  int32_t row = rowof(k, at);
  fromrow(w, row, rowstart(k, row));
  while (!w.done() && !(w.part() == 0 && w.at() >= at)) w.place(nullptr);
  return w.done() ? beyond(w.end(), width) : w.cursor();
}

// Lays out the prompt and Line at a width, keeping the rows of RowStarts
// that start before the glyph at `from` (nothing changed before it, and
// the glyph a row starts with is still there) and walking on from the last
// of them to the line's end, for the rows after.
Layout relayout(KeyState& k, int32_t width, int32_t from) {
  int32_t kept = 1;
  if (from > 0) {
    const int32_t* starts = rt::ints(k.RowStarts.get());
    kept = std::max(static_cast<int32_t>(std::lower_bound(starts, starts + rowcount(k), 4 * from) - starts), 1);
  }
  std::vector<int32_t> after;
  Walk w(k, width);
  int32_t row = kept - 1;
  fromrow(w, row, from > 0 ? rowstart(k, row) : 0);
  while (!w.done()) {
    for (; row < w.next().row; ++row) after.push_back(rowcode(w));
    w.place(nullptr);
  }
  if (from == 0 || !after.empty() || kept != rowcount(k)) {
    rt::Array starts = rt::newarray(rt::Int, 1, rt::vect1(kept + static_cast<int32_t>(after.size())));
    int32_t* to = rt::ints(starts);
    if (from > 0) std::copy_n(rt::ints(k.RowStarts.get()), kept, to);
    to[0] = 0;
    std::copy(after.begin(), after.end(), to + kept);
    k.RowStarts.set(starts);
  }
  Layout l;
  l.end = w.end();
  l.cursor = locate(k, width, w.promptsize() + num(k.CurP));
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

// The cursor from `from` to `to`, both places the window shows: a few
// columns left by backspaces, else by rows and columns.
void moveto(std::string& out, Pos from, Pos to) {
  if (from.row == to.row && to.col <= from.col && from.col - to.col <= 4) {
    out.append(static_cast<std::size_t>(from.col - to.col), term::cursorleft);
    return;
  }
  if (to.row < from.row) out += term::rowsup(from.row - to.row);
  if (to.row > from.row) out += term::rowsdown(to.row - from.row);
  out += term::rowstart;
  if (to.col > 0) out += term::columnsright(to.col);
}

// Writes the pieces of the walk from where it stands on, the terminal's
// cursor at the first: up to the line's end, wrapped by the terminal; or,
// for a line taller than the window, up to its bottom row `last`, each row
// ended by CR LF but the last. Gives the row drawn last.
int32_t drawon(std::string& out, Walk& w, int32_t last) {
  int32_t row = w.next().row;
  while (!w.done()) {
    Pos at = w.next();
    if (last >= 0 && at.row > last) break;
    for (; last >= 0 && row < at.row; ++row) out += term::newrow;
    row = at.row;
    w.place(&out);
  }
  return row;
}

// The cursor from the end of a line that fits in the window, just drawn,
// to its place.
void fromend(std::string& out, const Layout& l) {
  if (l.cursor.row > l.end.row) {
    out += term::newrow;
  } else if (!(l.cursor == l.end)) {
    tocursor(out, l, l.end.row);
  }
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
void drawanew(std::string& out, const KeyState& k, const Layout& l, int32_t top, int32_t height) {
  out += cleared(k);
  Walk w(k, num(k.Width));
  if (top < 0) {
    fromrow(w, 0, 0);
    drawon(out, w, -1);
    fromend(out, l);
    return;
  }
  if (num(k.TopRow) < 0 && height > 1)
    out += std::string(static_cast<std::size_t>(height - 1), term::linefeed) + term::rowsup(height - 1);
  int32_t row = top;  // a fresh row below the line's end has nothing to draw
  if (top < rowcount(k)) {
    fromrow(w, top, rowstart(k, top));
    row = drawon(out, w, top + height - 1);
  }
  tocursor(out, l, row);
}

// Draws what an edit changed, from the glyph at `from` on, when the window
// shows the rest as it was: the cursor from its place to that glyph's,
// everything after it cleared and drawn again, as far as the window goes.
// Where nothing changed (from at the end), only the cursor moves.
void drawchange(std::string& out, const KeyState& k, const Layout& l, int32_t from, int32_t top, int32_t height) {
  Pos was{num(k.CurRow), num(k.CurCol)};
  Walk w(k, num(k.Width));
  if (from >= w.total()) {
    moveto(out, was, l.cursor);
    return;
  }
  Pos at = locate(k, num(k.Width), from);
  moveto(out, was, at);
  out += term::clearbelow;
  w.from(from, 0, at);
  if (top < 0) {
    drawon(out, w, -1);
    fromend(out, l);
  } else {
    tocursor(out, l, drawon(out, w, top + height - 1));
  }
}

// The first glyph that an edit of Line from byte `from` on may have
// changed, as an offset after the prompt: the one that holds the byte
// before, which a character typed after it may join or complete; under
// UTF-8 the one that holds the fourth byte before, unless the byte before
// is ASCII, as a sequence is at most four bytes long. At or past both ends
// of the line, before and after the edit, nothing changed: the end.
int32_t firstchanged(const KeyState& k, int32_t oldlength, int32_t from) {
  std::string_view line = textof(k.Line.get());
  int32_t n = static_cast<int32_t>(line.size()), prompt = length(k.Prompt.get());
  if (from >= n && from >= oldlength) return prompt + n;
  from = std::min(from, n);
  if (from == 0) return prompt;
  bool ascii = !utf8codeset() || static_cast<unsigned char>(line[static_cast<std::size_t>(from - 1)]) < 0x80;
  return prompt + glyphstart(line, std::max(from - (ascii ? 1 : 4), 0));
}

// Shows the prompt and Line as laid out now. While the window shows them
// as laid out at the same width, only what changed from the glyph at
// `from` on is drawn, unless the window's top row changes; else all is
// drawn anew.
void redraw(KeyState& k, Size size, int32_t from) {
  bool kept = num(k.CurCol) >= 0 && num(k.Width) == size.cols;
  Layout l = relayout(k, size.cols, kept ? from : 0);
  int32_t top = size.rows == 0 || l.rows() <= size.rows ? -1 : firstshown(num(k.TopRow), l, size.rows);
  k.Width.set(intscalar(size.cols));
  std::string out;
  int32_t prompt = length(k.Prompt.get());
  if (kept && top == num(k.TopRow) && from > prompt && (from >= prompt + length(k.Line.get()) ||
                                                        locate(k, size.cols, from).row >= std::max(top, 0))) {
    drawchange(out, k, l, from, top, size.rows);
  } else {
    drawanew(out, k, l, top, size.rows);
  }
  show(k, Temp(charvec(out)));
  k.CurRow.set(intscalar(l.cursor.row));
  k.CurCol.set(intscalar(l.cursor.col));
  k.EndRow.set(intscalar(l.end.row));
  k.TopRow.set(intscalar(top));
}

}  // namespace

int32_t charbefore(const rt::Array& text, int32_t at) {
  return at > 0 ? at - glyphstart(textof(text), at - 1) : 0;
}

int32_t charafter(const rt::Array& text, int32_t at) {
  std::string_view s = textof(text);
  if (at >= static_cast<int32_t>(s.size())) return 0;
  int32_t from = glyphstart(s, at);
  return from + glyphat(s, from).bytes - at;
}

int32_t columns(const rt::Array& text, int32_t from, int32_t n) {
  std::string_view s = textof(text).substr(static_cast<std::size_t>(from), static_cast<std::size_t>(n));
  int32_t cols = 0;
  for (int32_t at = 0; at < n;) {
    Glyph g = glyphat(s, at);
    cols += g.cols;
    at += g.bytes;
  }
  return cols;
}

int32_t columns(const rt::Array& text) { return columns(text, 0, length(text)); }

rt::Array visible(const rt::Array& text) {
  std::string out;
  std::string_view s = textof(text);
  int32_t n = static_cast<int32_t>(s.size());
  for (int32_t at = 0; at < n;) {
    Glyph g = glyphat(s, at);
    draw(out, s, g);
    at += g.bytes;
  }
  return charvec(out);
}

Size termsize(const rt::Array& tty) {
  winsize ws{};
  if (ioctl(firstint(tty), TIOCGWINSZ, &ws) != 0) return {};
  return {ws.ws_col, ws.ws_row};
}

void atprompt(KeyState& k) {
  int32_t width = termsize(k.XTtty.get()).cols;
  Layout l = relayout(k, width, 0);  // Line is empty
  if (l.cursor.row > l.end.row) show(k, Temp(charvec(term::newrow)));  // a prompt that fills its row
  k.CurRow.set(intscalar(l.cursor.row));
  k.CurCol.set(intscalar(l.cursor.col));
  k.EndRow.set(intscalar(l.end.row));
  k.TopRow.set(intscalar(-1));
  k.Width.set(intscalar(width));
}

void showedit(KeyState& k, const rt::Array& old, int32_t from, const std::function<rt::Array()>& part) {
  Size size = termsize(k.XTtty.get());
  if (num(k.TopRow) < 0 && num(k.CurRow) == 0 && num(k.EndRow) == 0 && inrow(k, old, size.cols) &&
      inrow(k, k.Line.get(), size.cols)) {
    Temp bytes(part());
    if (rt::elemcount(bytes.get().rank, bytes.get().shape) > 0) show(k, bytes);
    k.CurCol.set(intscalar(-1));  // the window no longer shows the rows as laid out
    return;
  }
  redraw(k, size, firstchanged(k, length(old), from));
}

// A line taller than the window is written out whole from the window's top,
// so that its first rows go to the scrollback in order and its last stay
// on the screen; the new row comes below them.
void endline(KeyState& k) {
  int32_t cursor = num(k.CurRow), end = num(k.EndRow);
  std::string out;
  if (num(k.TopRow) >= 0) {
    out = cleared(k);
    Walk w(k, termsize(k.XTtty.get()).cols);
    fromrow(w, 0, 0);
    while (!w.done()) w.place(&out);
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
