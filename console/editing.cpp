// The editing actions and the history.
#include "console/editing.h"

#include "console/arrays.h"
#include "runtime/scalar/opcodes.h"
#include "console/globals.h"
#include "console/text.h"
#include "runtime/system/files.h"

namespace zelvo {

namespace {
const char cr = '\r';

// Reads an integer variable.
int32_t num(const Var& v) { return firstint(v.get()); }

// Whether the character variable v holds c.
bool is(const Var& v, char c) { return firstint(Temp(dyadic(rt::OpEqual, v.get(), Temp(charscalar(c))))) != 0; }

// a + b and 0 max a - 1, the two counter updates of the actions.
rt::Array plus(const rt::Array& a, int32_t b) { return dyadic(rt::OpPlus, a, Temp(intscalar(b))); }
rt::Array lessone(const rt::Array& a) {
  return dyadic(rt::OpMax, Temp(intscalar(0)), Temp(dyadic(rt::OpMinus, a, Temp(intscalar(1)))));
}

// Line <- (CurP take Line), tail.
void rejoin(KeyState& k, const rt::Array& tail) {
  k.Line.set(catenate(Temp(take(k.CurP.get(), k.Line.get())), tail));
}

// Wipes the shown line and shows Line in its place, the cursor at its end;
// old is the length of the line that was shown.
void replaceline(KeyState& k, int32_t old) {
  Temp crprompt(catenate(Temp(charscalar(cr)), k.Prompt.get()));
  show(k, Temp(catenate(crprompt, Temp(reshape(Temp(intscalar(old)), Temp(charscalar(' ')))))));
  show(k, Temp(catenate(crprompt, k.Line.get())));
  k.Nl.set(intscalar(length(k.Line.get())));
  k.CurP.set(copyof(k.Nl.get()));
}
}  // namespace

void setconstants(KeyState& k) {
  k.NhMax.set(intscalar(100));
  k.Bs.set(charscalar(8));
  k.Delete.set(charscalar(127));
  k.Esc.set(charscalar(27));
  k.CurR.set(charvec("\033[C"));
  k.CurL.set(charscalar(8));
  k.SaveCur.set(charvec("\0337"));
  k.RestoreCur.set(charvec("\0338"));
}

void show(KeyState& k, const rt::Array& text) {
  rt::Array count;
  rt::descclear(&count);
  rt::write(&count, &k.XTtty.get(), &text);
  rt::detalloc(&count);
}

void insert(KeyState& k) {
  k.Tmp.set(drop(k.CurP.get(), k.Line.get()));
  Temp saved(catenate(Temp(catenate(k.Text.get(), k.SaveCur.get())), k.Tmp.get()));
  show(k, Temp(catenate(saved, k.RestoreCur.get())));
  rejoin(k, Temp(catenate(k.Text.get(), k.Tmp.get())));
  int32_t n = length(k.Text.get());
  k.CurP.set(plus(k.CurP.get(), n));
  k.Nl.set(plus(k.Nl.get(), n));
}

void backspace(KeyState& k) {
  if (num(k.CurP) == 0) return;
  k.Tmp.set(drop(k.CurP.get(), k.Line.get()));
  Temp saved(catenate(Temp(catenate(k.Bs.get(), k.SaveCur.get())), k.Tmp.get()));
  show(k, Temp(catenate(Temp(catenate(saved, Temp(charscalar(' ')))), k.RestoreCur.get())));
  k.CurP.set(lessone(k.CurP.get()));
  rejoin(k, k.Tmp.get());
  k.Nl.set(lessone(k.Nl.get()));
}

void deletechar(KeyState& k) {
  if (num(k.CurP) == num(k.Nl)) return;
  k.Tmp.set(drop(Temp(plus(k.CurP.get(), 1)), k.Line.get()));
  Temp saved(catenate(k.SaveCur.get(), k.Tmp.get()));
  show(k, Temp(catenate(Temp(catenate(saved, Temp(charscalar(' ')))), k.RestoreCur.get())));
  rejoin(k, k.Tmp.get());
  k.Nl.set(lessone(k.Nl.get()));
}

void left(KeyState& k) {
  if (num(k.CurP) == 0) return;
  k.CurP.set(lessone(k.CurP.get()));
  show(k, k.CurL.get());
}

void right(KeyState& k) {
  k.CurP.set(plus(k.CurP.get(), 1));
  show(k, k.CurR.get());
  if (firstint(Temp(dyadic(rt::OpGreater, k.CurP.get(), k.Nl.get()))) != 0) {
    k.Line.set(catenate(k.Line.get(), Temp(charscalar(' '))));
    k.Nl.set(plus(k.Nl.get(), 1));
  }
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
  // A CR inside a batch is inserted like any character, so a line may hold
  // CRs of its own and stand for several lines of the history: drop the
  // oldest until no more than NhMax are left.
  while (historylines(k) > num(k.NhMax)) dropoldest(k);
}

namespace {
// One step of the history walk: `pick` (prevline or nextline) finds the line
// beyond Hoffset; when the walk turns around, the line shown last is first
// stepped over once more, so that the next line is not the same one.
void walkhistory(KeyState& k, rt::Array (*pick)(rt::Array, rt::Array), bool turning, char flag) {
  LINEOFFSET.set(num(k.Hoffset));
  if (turning) Temp discarded(pick(charscalar(cr), copyof(k.History.get())));
  int32_t old = num(k.Nl);
  k.Line.set(pick(charscalar(cr), copyof(k.History.get())));
  k.Hoffset.set(copyof(LINEOFFSET.get()));
  replaceline(k, old);
  k.Flag.set(charscalar(flag));
}
}  // namespace

// Up turns around after a Down, unless Down has gone past the newest line.
void up(KeyState& k) {
  walkhistory(k, prevline, is(k.Flag, 'D') && num(k.Hoffset) != length(k.History.get()) + 2, 'U');
}

// Down turns around after an Up, unless Up has gone past the oldest line.
void down(KeyState& k) { walkhistory(k, nextline, is(k.Flag, 'U') && num(k.Hoffset) != -2, 'D'); }

}  // namespace zelvo
