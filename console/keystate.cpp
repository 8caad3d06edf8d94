// The loop's integer reader and its write to the terminal.
#include "console/keystate.h"

#include "console/arrays.h"
#include "console/services.h"

namespace zelvo {

int32_t num(const Var& v) { return firstint(v.get()); }

void show(KeyState& k, const rt::Array& text) { Temp count(writeto(k.XTtty.get(), text)); }

}  // namespace zelvo
