// txtmat, droptrail and noblanks.
#include "console/textmat.h"

#include "console/arrays.h"
#include "runtime/scalar/opcodes.h"
#include "console/locals.h"
#include "runtime/core/error.h"
#include "runtime/core/print.h"

namespace zelvo {

namespace {

// Whether some axis of a has a non-zero length.
bool hasitems(const rt::Array& a) {
  for (int32_t k = 0; k < a.rank; ++k)
    if (a.shape[k] != 0) return true;
  return false;
}
}  // namespace

// Splits a text into a padded matrix (rank 1 argument).
static rt::Array splittext(Var& Txt, const Var& ChD, const Var& ChF) {
  Var N("N"), Nv("Nv"), Nd("Nd"), Lines("Lines"), Cols("Cols"), I("I"), Res("Res");
  // Every piece, the last included, now ends with a delimiter.
  Txt.set(catenate(Txt.get(), ChD.get()));
  Temp positions(iota(Temp(intscalar(length(Txt.get())))));
  N.set(compress(Temp(dyadic(rt::OpEqual, Txt.get(), ChD.get())), positions));
  // Piece lengths: the distance between neighbouring delimiters, less one.
  Temp before(catenate(Temp(intscalar(0)), Temp(drop(Temp(intscalar(-1)), N.get()))));
  Nv.set(dyadic(rt::OpMinus, Temp(dyadic(rt::OpMinus, N.get(), before)), Temp(intscalar(1))));
  Lines.set(intscalar(length(Nv.get())));
  Cols.set(maxreduce(Nv.get()));
  Res.set(reshape(Temp(catenate(Lines.get(), Cols.get())), ChF.get()));
  // Start offset of each piece.
  Nd.set(catenate(Temp(intscalar(0)), Temp(plusscan(Temp(dyadic(rt::OpPlus, Temp(intscalar(1)), Nv.get()))))));
  for (I.set(intscalar(1)); firstint(I.get()) <= firstint(Lines.get());
       I.set(intscalar(firstint(I.get()) + 1))) {
    Temp nv(pick(Nv.get(), I.get())), nd(pick(Nd.get(), I.get()));
    Temp piece(take(nv, Temp(drop(nd, Txt.get()))));
    Temp pad(reshape(Temp(dyadic(rt::OpMinus, Cols.get(), nv)), ChF.get()));
    assignrow(Res.place(), I.get(), Temp(catenate(piece, pad)));
  }
  return Res.result();
}

// Joins the rows of a matrix with the delimiter (rank 2 argument).
static rt::Array joinrows(const Var& Txt, const Var& ChD, const Var& ChF) {
  Var I("I"), Res("Res");
  Res.set(charvec(""));
  for (I.set(intscalar(1)); firstint(I.get()) <= Txt.get().shape[0];
       I.set(intscalar(firstint(I.get()) + 1))) {
    Temp line(droptrail(copyof(ChF.get()), row(Txt.get(), I.get())));
    Res.set(catenate(Temp(catenate(Res.get(), line)), ChD.get()));
  }
  Res.set(drop(Temp(intscalar(-1)), Res.get()));
  return Res.result();
}

rt::Array txtmat(rt::Array chdchf, rt::Array txt) {
  Var ChDChF("ChDChF", chdchf), Txt("Txt", txt), ChD("ChD"), ChF("ChF"), Res("Res");
  ChD.set(charscalar(' '));
  ChF.set(copyof(ChD.get()));
  if (rt::elemcount(ChDChF.get().rank, ChDChF.get().shape) == 0)
    rt::rterror("[txtmat] domain error, no delimiter");
  ChD.set(take(Temp(intscalar(1)), ChDChF.get()));
  if (rt::elemcount(ChDChF.get().rank, ChDChF.get().shape) > 1)
    ChF.set(pick(ChDChF.get(), Temp(intscalar(2))));
  if (!hasitems(Txt.get())) {
    Res.set(Txt.take());
    return Res.result();
  }
  switch (Txt.get().rank) {
    case 1: Res.set(splittext(Txt, ChD, ChF)); break;
    case 2: Res.set(joinrows(Txt, ChD, ChF)); break;
    default: rt::display(Temp(charvec("RANK ERROR")));  // no result is assigned
  }
  return Res.result();
}

rt::Array droptrail(rt::Array ch, rt::Array text) {
  Var Ch("Ch", ch), Text("Text", text);
  // Keep each character unless all from it to the end equal Ch.
  Temp keep(reverse(Temp(orscan(Temp(reverse(Temp(dyadic(rt::OpNotEqual, Text.get(), Ch.get()))))))));
  return compress(keep, Text.get());
}

rt::Array noblanks(rt::Array text) {
  Var Text("Text", text);
  return compress(Temp(dyadic(rt::OpNotEqual, Text.get(), Temp(charscalar(' ')))), Text.get());
}

}  // namespace zelvo
