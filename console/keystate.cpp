// The loop's integer reader, its history flag and its write to the terminal.
#include "console/keystate.h"

#include "console/arrays.h"
#include "console/services.h"
#include "runtime/scalar/opcodes.h"

namespace zelvo {

int32_t num(const Var& v) { return firstint(v.get()); }

void setflag(KeyState& k, Move m) { k.Flag.set(charscalar(static_cast<char>(m))); }

bool flagis(const KeyState& k, Move m) {
  return firstint(Temp(dyadic(rt::OpEqual, k.Flag.get(), Temp(charscalar(static_cast<char>(m)))))) != 0;
}

// A window that takes nothing has gone, and its end comes to the loop as
// the end of its input at the next read; nothing is said on standard error,
// which the loop never waits for.
void show(KeyState& k, const rt::Array& text) {
  int failure = 0;
  Temp count(writeto(k.XTtty.get(), text, &failure));
}

}  // namespace zelvo
