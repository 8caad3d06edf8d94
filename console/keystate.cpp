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

void show(KeyState& k, const rt::Array& text) { Temp count(writeto(k.XTtty.get(), text)); }

}  // namespace zelvo
