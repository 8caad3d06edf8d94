// The loop's integer reader and its write to the terminal.
#include "console/keystate.h"

#include "console/arrays.h"
#include "runtime/system/files.h"

namespace zelvo {

int32_t num(const Var& v) { return firstint(v.get()); }

void show(KeyState& k, const rt::Array& text) {
  rt::Array count;
  rt::descclear(&count);
  rt::write(&count, &k.XTtty.get(), &text);
  rt::detalloc(&count);
}

}  // namespace zelvo
