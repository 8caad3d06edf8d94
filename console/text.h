// Text utilities of the console: lower-casing, and picking one line out of a
// text of separator-terminated lines relative to the offset in LINEOFFSET.
#pragma once

#include "runtime/core/array.h"

namespace zelvo {

// Text with the capital letters A-Z made small; nothing else changes.
rt::Array tolower(rt::Array text);

// The line after the offset in LINEOFFSET, in a text whose lines each end in
// the one character eol; LINEOFFSET is moved past it.
rt::Array nextline(rt::Array eol, rt::Array text);

// The line before the offset in LINEOFFSET; LINEOFFSET is moved before it.
rt::Array prevline(rt::Array eol, rt::Array text);

}  // namespace zelvo
