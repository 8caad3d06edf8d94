// announce.
#include "console/announce.h"

#include "console/arrays.h"
#include "console/locals.h"
#include "runtime/core/print.h"

namespace zelvo {

void announce(rt::Array verbose, rt::Array text) {
  Var Verbose("Verbose", verbose), Text("Text", text), Res("Res");
  if (firstint(Verbose.get()) == 0) return;
  Res.set(Text.take());
  rt::display(Res.get());
}

}  // namespace zelvo
