// tolower, nextline and prevline.
//
// The offsets of nextline and prevline are not character positions: an
// offset counts the characters of the text with one separator put in front
// of it, and may be negative or lie beyond the end. This arithmetic is kept
// exactly, including the end values -2 and the text length plus 2.
#include "console/text.h"

#include <cstdint>

#include "console/arrays.h"
#include "runtime/scalar/opcodes.h"
#include "console/globals.h"
#include "console/locals.h"

namespace zelvo {

rt::Array tolower(rt::Array text) {
  Var Text("Text", text), Lower("Lower"), QA("QA"), Qa("Qa"), Index("Index");
  {
    Temp letters(charvec("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    QA.set(take(Temp(intscalar(26)), letters));
    Qa.set(take(Temp(intscalar(-26)), letters));
  }
  Lower.set(copyof(Text.get()));
  // Positions of the capitals: their index in QA is at most 26.
  Index.set(compress(Temp(dyadic(rt::OpNotGreater, Temp(indexof(QA.get(), Text.get())), Temp(intscalar(26)))),
                     Temp(iota(Temp(intscalar(length(Text.get())))))));
  assign(Lower.place(), Index.get(),
         Temp(pick(Qa.get(), Temp(indexof(QA.get(), Temp(pick(Text.get(), Index.get())))))));
  return Lower.result();
}

rt::Array nextline(rt::Array eol, rt::Array text) {
  Var EOL("EOL", eol), Text("Text", text), Res("Res"), Offset("Offset"), Sel("Sel"), OFFSET("OFFSET");
  Offset.set(copyof(LINEOFFSET.get()));
  // Put one separator in front, then drop one character less than the offset
  // (none for an offset below 1: the offset is raised to 1 before the minus,
  // so that the smallest int does not wrap around to the largest).
  Temp raised(dyadic(rt::OpMax, Temp(intscalar(1)), Offset.get()));
  Text.set(drop(Temp(dyadic(rt::OpMinus, raised, Temp(intscalar(1)))), Temp(catenate(EOL.get(), Text.get()))));
  // Skip the rest of the line that the offset points into.
  Sel.set(andscan(Temp(dyadic(rt::OpNotEqual, EOL.get(), Text.get()))));
  Text.set(compress(Temp(dyadic(rt::OpEqual, Sel.get(), Temp(intscalar(0)))), Text.get()));
  OFFSET.set(dyadic(rt::OpPlus, Offset.get(), Temp(plusreduce(Sel.get()))));
  // Skip the separators, and with them any empty lines.
  Sel.set(andscan(Temp(dyadic(rt::OpEqual, EOL.get(), Text.get()))));
  Text.set(compress(Temp(dyadic(rt::OpEqual, Sel.get(), Temp(intscalar(0)))), Text.get()));
  OFFSET.set(dyadic(rt::OpPlus, OFFSET.get(), Temp(plusreduce(Sel.get()))));
  // The line up to its separator.
  Sel.set(orscan(Temp(dyadic(rt::OpEqual, EOL.get(), Text.get()))));
  Temp notsel(dyadic(rt::OpEqual, Sel.get(), Temp(intscalar(0))));
  Res.set(compress(notsel, Text.get()));
  OFFSET.set(dyadic(rt::OpPlus, OFFSET.get(), Temp(plusreduce(notsel))));
  LINEOFFSET.set(firstint(OFFSET.get()));
  return Res.result();
}

rt::Array prevline(rt::Array eol, rt::Array text) {
  Var EOL("EOL", eol), Text("Text", text), Res("Res"), N("N");
  N.set(intscalar(length(Text.get())));
  // An offset so far before the start that its mirror image is no int lies
  // beyond the end of the reversed text, where nextline finds no line and
  // keeps the offset: so no line, and LINEOFFSET stays.
  int64_t mirrored = int64_t{firstint(N.get())} - LINEOFFSET.value();
  if (mirrored > INT32_MAX) return charvec("");
  LINEOFFSET.set(static_cast<int32_t>(mirrored));
  Res.set(reverse(Temp(nextline(copyof(EOL.get()), reverse(Text.get())))));
  LINEOFFSET.set(firstint(N.get()) - LINEOFFSET.value());
  return Res.result();
}

}  // namespace zelvo
