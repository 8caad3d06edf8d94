// The editing actions and the history.
#include "console/editing.h"

#include <algorithm>
#include <functional>

#include "console/arrays.h"
#include "console/chars.h"
#include "console/screen.h"
#include "console/terminal.h"
#include "runtime/scalar/opcodes.h"

namespace zelvo {

namespace {
// a + b, and a - b floored at 0 (0 max a - b): the counter updates of the
// actions.
rt::Array plus(const rt::Array& a, int32_t b) { return dyadic(rt::OpPlus, a, Temp(intscalar(b))); }
rt::Array minusfloored(const rt::Array& a, int32_t b) {
  return dyadic(rt::OpMax, Temp(intscalar(0)), Temp(dyadic(rt::OpMinus, a, Temp(intscalar(b)))));
}

// Line <- (CurP take old), tail: old is the line as it was, handed over
// rather than copied.
void rejoin(KeyState& k, const rt::Array& old, const rt::Array& tail) {
  k.Line.set(catenate(Temp(take(k.CurP.get(), old)), tail));
}

// The columns of the n bytes of Line from byte `from` on.
int32_t columnsat(const KeyState& k, int32_t from, int32_t n) { return columns(k.Line.get(), from, n); }

// n copies of a terminal command or character: what moves the cursor, or
// wipes, n columns.
rt::Array times(int32_t n, const rt::Array& what) { return reshape(Temp(intscalar(n * length(what))), what); }

// a, b, c, d: one text to write.
rt::Array joined(const rt::Array& a, const rt::Array& b, const rt::Array& c, const rt::Array& d) {
  return catenate(Temp(catenate(Temp(catenate(a, b)), c)), d);
}

// SaveCur, Tmp as shown, w blanks, RestoreCur: the tail redrawn over a
// character of w columns that went, its old last columns wiped, and the
// cursor back where it was.
rt::Array closegap(const KeyState& k, int32_t w) {
  Temp blanks(times(w, Temp(charscalar(' '))));
  return joined(k.SaveCur.get(), Temp(visible(k.Tmp.get())), blanks, k.RestoreCur.get());
}

// Takes a character of n bytes out of Line at the cursor, Tmp holding what
// follows it, and shows the change with `part`.
void takeout(KeyState& k, int32_t n, const std::function<rt::Array()>& part) {
  Var old("old", k.Line.take());
  rejoin(k, old.get(), k.Tmp.get());
  k.Nl.set(minusfloored(k.Nl.get(), n));
  showedit(k, old.get(), num(k.CurP), part);
}

// Shows Line in place of the line `old`, the cursor at its end: the old
// line is wiped with blanks, then the new one written after the prompt.
void replaceline(KeyState& k, const rt::Array& old) {
  k.Nl.set(intscalar(length(k.Line.get())));
  k.CurP.set(copyof(k.Nl.get()));
  showedit(k, old, 0, [&] {
    Temp crprompt(catenate(Temp(charscalar(term::rowstart)), k.Prompt.get()));
    Temp blanks(times(columns(old), Temp(charscalar(' '))));
    return joined(crprompt, blanks, crprompt, Temp(visible(k.Line.get())));
  });
}
}  // namespace

void setconstants(KeyState& k) {
  k.NhMax.set(intscalar(100));
  k.Hbytes.set(intscalar(16 << 20));
  k.Bs.set(charscalar(8));
  k.Delete.set(charscalar(127));
  k.Esc.set(charscalar(27));
  k.CurR.set(charvec(term::cursorright));
  k.CurL.set(charscalar(term::cursorleft));
  k.SaveCur.set(charvec(term::savecursor));
  k.RestoreCur.set(charvec(term::restorecursor));
  readcodeset();
}

bool insert(KeyState& k, const rt::Array& text) {
  int32_t n = length(text), at = num(k.CurP);
  if (num(k.Nl) > maxline - n) return false;
  k.Tmp.set(drop(k.CurP.get(), k.Line.get()));
  Var old("old", k.Line.take());
  rejoin(k, old.get(), Temp(catenate(text, k.Tmp.get())));
  k.CurP.set(plus(k.CurP.get(), n));
  k.Nl.set(plus(k.Nl.get(), n));
  showedit(k, old.get(), at, [&] {
    return joined(Temp(visible(text)), k.SaveCur.get(), Temp(visible(k.Tmp.get())), k.RestoreCur.get());
  });
  return true;
}

void backspace(KeyState& k) {
  if (num(k.CurP) == 0) return;
  int32_t n = charbefore(k.Line.get(), num(k.CurP));
  int32_t w = columnsat(k, num(k.CurP) - n, n);
  k.Tmp.set(drop(k.CurP.get(), k.Line.get()));
  k.CurP.set(minusfloored(k.CurP.get(), n));
  takeout(k, n, [&] { return catenate(Temp(times(w, k.Bs.get())), Temp(closegap(k, w))); });
}

void deletechar(KeyState& k) {
  if (num(k.CurP) == num(k.Nl)) return;
  int32_t n = charafter(k.Line.get(), num(k.CurP));
  int32_t w = columnsat(k, num(k.CurP), n);
  k.Tmp.set(drop(Temp(plus(k.CurP.get(), n)), k.Line.get()));
  takeout(k, n, [&] { return closegap(k, w); });
}

void left(KeyState& k) {
  if (num(k.CurP) == 0) return;
  int32_t n = charbefore(k.Line.get(), num(k.CurP));
  int32_t w = columnsat(k, num(k.CurP) - n, n);
  k.CurP.set(minusfloored(k.CurP.get(), n));
  showedit(k, k.Line.get(), num(k.Nl), [&] { return times(w, k.CurL.get()); });
}

bool rightrefused(const KeyState& k) { return num(k.CurP) >= num(k.Nl) && num(k.Nl) >= maxline; }

// Past the end the cursor moves one column and the line grows by a blank,
// up to the longest line.
void right(KeyState& k) {
  if (rightrefused(k)) return;
  int32_t n = std::max(1, charafter(k.Line.get(), num(k.CurP))), at = num(k.CurP);
  bool grows = at + n > num(k.Nl);
  int32_t w = at < num(k.Nl) ? columnsat(k, at, n) : 1;
  k.CurP.set(plus(k.CurP.get(), n));
  auto part = [&] { return times(w, k.CurR.get()); };
  if (!grows) {
    showedit(k, k.Line.get(), num(k.Nl), part);
    return;
  }
  Var old("old", k.Line.take());
  k.Line.set(catenate(old.get(), Temp(charscalar(' '))));
  k.Nl.set(plus(k.Nl.get(), 1));
  showedit(k, old.get(), at, part);
}

void emptyhistory(KeyState& k) {
  k.History.set(charvec(""));
  k.Hlen.set(iota(Temp(intscalar(0))));
  k.Nhl.set(intscalar(0));
}

void newwalk(KeyState& k) {
  k.Hpos.set(intscalar(length(k.Hlen.get())));
  k.Draft.set(charvec(""));
}

namespace {
// How many of the oldest stored lines go when a line of m bytes joins them:
// enough to leave NhMax lines, and every one from which the bytes up to the
// newest line, the new one included, run beyond Hbytes.
int32_t droppedlines(const KeyState& k, int32_t m) {
  const rt::Array& lengths = k.Hlen.get();
  int32_t bylines = std::max(0, length(lengths) + 1 - num(k.NhMax));
  Temp before(dyadic(rt::OpMinus, Temp(plusscan(lengths)), lengths));
  Temp onward(dyadic(rt::OpMinus, Temp(plusreduce(lengths)), before));
  Temp over(dyadic(rt::OpGreater, onward, Temp(intscalar(num(k.Hbytes) - m))));
  return std::max(bylines, firstint(Temp(plusreduce(over))));
}
}  // namespace

// The history is copied once: the oldest lines leave it in the same pass
// that appends the new one.
void store(KeyState& k) {
  int32_t m = length(k.Line.get());
  if (m == 0) return;
  Var Drop("Drop");
  Drop.set(intscalar(droppedlines(k, m)));
  Temp bytes(plusreduce(Temp(take(Drop.get(), k.Hlen.get()))));
  k.History.set(dropcatenate(bytes, k.History.get(), k.Line.get()));
  k.Hlen.set(dropcatenate(Drop.get(), k.Hlen.get(), Temp(intscalar(m))));
  k.Nhl.set(plus(k.Nhl.get(), 1));
}

namespace {
// Stored line i (from 0, oldest first), cut out of History: the cost is its
// length and i, not the history's size.
rt::Array storedline(const KeyState& k, int32_t i) {
  Temp at(plusreduce(Temp(take(Temp(intscalar(i)), k.Hlen.get()))));
  Temp n(slice(Temp(intscalar(i)), Temp(intscalar(1)), k.Hlen.get()));
  return slice(at, n, k.History.get());
}

// Shows the line at the walk's place Hpos in place of Line: the stored
// line, an empty one past the oldest, or the draft past the newest. What
// was in hand goes (a recalled line's edits with it).
void showwalk(KeyState& k, Move move) {
  int32_t i = num(k.Hpos);
  Temp old(k.Line.take());
  if (i < 0)
    k.Line.set(charvec(""));
  else if (i == length(k.Hlen.get()))
    k.Line.set(copyof(k.Draft.get()));
  else
    k.Line.set(storedline(k, i));
  replaceline(k, old);
  setflag(k, move);
}
}  // namespace

// Leaving the place past the newest line, the line in hand becomes the draft.
void up(KeyState& k) {
  int32_t i = num(k.Hpos);
  if (i == length(k.Hlen.get())) k.Draft.set(copyof(k.Line.get()));
  k.Hpos.set(intscalar(std::max(-1, i - 1)));
  showwalk(k, Move::Up);
}

// At the place past the newest line there is nothing newer: nothing changes.
void down(KeyState& k) {
  int32_t i = num(k.Hpos);
  if (i == length(k.Hlen.get())) return;
  k.Hpos.set(intscalar(i + 1));
  showwalk(k, Move::Down);
}

}  // namespace zelvo
