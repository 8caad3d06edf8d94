// The variables of one run of the key loop, shared by the loop, its editing
// actions and the screen, and the one write to the terminal they all use.
#pragma once

#include <cstdint>

#include "console/locals.h"
#include "runtime/core/array.h"

namespace zelvo {

// The variables of keyloop (the editing actions and the screen share them).
struct KeyState {
  KeyState(rt::Array prompt, rt::Array xttty) : Prompt("Prompt", prompt), XTtty("XTtty", xttty) {}

  Var Prompt, XTtty;
  Var Text{"Text"};                                          // what was read and is not handled yet
  Var Line{"Line"}, Nl{"Nl"}, CurP{"CurP"}, Tmp{"Tmp"};      // the line being edited
  Var History{"History"}, Nhl{"Nhl"}, NhMax{"NhMax"}, Hoffset{"Hoffset"}, Flag{"Flag"};
  Var Bs{"Bs"}, Delete{"Delete"}, Esc{"Esc"};                // keys
  Var Lost{"Lost"};  // the lines that did not reach standard output whole
  Var CurR{"CurR"}, CurL{"CurL"}, SaveCur{"SaveCur"}, RestoreCur{"RestoreCur"};  // commands
  // Where the window's cursor stands, and the row of the line's end, both
  // counted in rows below the prompt's row; and for a line taller than the
  // window, the row of the line shown in the window's top row (else -1).
  Var CurRow{"CurRow"}, EndRow{"EndRow"}, TopRow{"TopRow"};
};

// The value of an integer variable of the loop.
int32_t num(const Var& v);

// Writes text to the terminal; the byte count is discarded.
void show(KeyState& k, const rt::Array& text);

}  // namespace zelvo
