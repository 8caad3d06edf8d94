// announce: prints a text on the output stream when the verbosity switch is on.
#pragma once

#include "runtime/core/array.h"

namespace zelvo {

// Shows `text` (with its line break) when the first element of `verbose` is
// non-zero; takes over both arguments.
void announce(rt::Array verbose, rt::Array text);

}  // namespace zelvo
