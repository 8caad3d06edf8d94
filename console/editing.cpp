// The editing actions and the history.
#include "console/editing.h"

#include <algorithm>
#include <functional>

#include "console/arrays.h"
#include "console/globals.h"
#include "console/chars.h"
#include "console/screen.h"
#include "console/terminal.h"
#include "console/text.h"
#include "runtime/scalar/opcodes.h"

namespace zelvo {

namespace {
const char cr = '\r';

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

namespace {
// Drops the oldest non-empty line of the history, with any empty lines
// stored before it.
void dropoldest(KeyState& k) {
  LINEOFFSET.set(0);
  Temp discarded(nextline(charscalar(cr), copyof(k.History.get())));
  k.History.set(drop(LINEOFFSET.get(), k.History.get()));
}

// The number of lines in the history: its CRs.
int32_t historylines(const KeyState& k) {
  return firstint(Temp(plusreduce(Temp(dyadic(rt::OpEqual, k.History.get(), Temp(charscalar(cr)))))));
}
}  // namespace

void store(KeyState& k) {
  k.History.set(catenate(Temp(catenate(k.History.get(), k.Line.get())), Temp(charscalar(cr))));
  k.Nhl.set(plus(k.Nhl.get(), 1));
  if (num(k.Nhl) > num(k.NhMax)) dropoldest(k);
  // A pasted CR is data in the line, so a line may hold CRs of its own and
  // stand for several lines of the history: drop the oldest until no more
  // than NhMax are left.
  while (historylines(k) > num(k.NhMax)) dropoldest(k);
}

namespace {
// One step of the history walk: `seek` (prevline or nextline) finds the line
// beyond Hoffset; when the walk turns around, the line shown last is first
// stepped over once more, so that the next line is not the same one.
void walkhistory(KeyState& k, rt::Array (*seek)(rt::Array, rt::Array), bool turning, Move move) {
  LINEOFFSET.set(num(k.Hoffset));
  if (turning) Temp discarded(seek(charscalar(cr), copyof(k.History.get())));
  Temp old(copyof(k.Line.get()));
  k.Line.set(seek(charscalar(cr), copyof(k.History.get())));
  k.Hoffset.set(copyof(LINEOFFSET.get()));
  replaceline(k, old);
  setflag(k, move);
}
}  // namespace

// Up turns around after a Down, unless Down has gone past the newest line.
void up(KeyState& k) {
  walkhistory(k, prevline, flagis(k, Move::Down) && num(k.Hoffset) != length(k.History.get()) + 2, Move::Up);
}

// Down turns around after an Up, unless Up has gone past the oldest line.
void down(KeyState& k) { walkhistory(k, nextline, flagis(k, Move::Up) && num(k.Hoffset) != -2, Move::Down); }

}  // namespace zelvo
