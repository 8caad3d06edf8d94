// The variables of one run of the key loop, and the editing and history
// actions on them. Each action keeps Line, Nl and CurP consistent and writes
// to the terminal exactly the bytes that make the window show the new state:
// while the line fits in the prompt's row, the bytes below, else the line
// drawn anew (console/screen.h). Characters and their columns are the
// screen's: a multi-byte character is edited whole, and the cursor moves by
// the columns it takes.
//
// Terminal commands written to the window:
//   ESC "7"   SaveCur     save the cursor position
//   ESC "8"   RestoreCur  restore the saved cursor position
//   ESC "[C"  CurR        move the cursor one column right
//   BS (8)    CurL        move the cursor one column left
//   BEL (7)               the bell, written to standard error, not the window
#pragma once

#include "console/locals.h"
#include "runtime/core/array.h"

namespace zelvo {

// The variables of keyloop (the editing actions share them).
struct KeyState {
  KeyState(rt::Array prompt, rt::Array xttty) : Prompt("Prompt", prompt), XTtty("XTtty", xttty) {}

  Var Prompt, XTtty;
  Var Text{"Text"}, ChN{"ChN"};                              // the batch being handled
  Var Line{"Line"}, Nl{"Nl"}, CurP{"CurP"}, Tmp{"Tmp"};      // the line being edited
  Var History{"History"}, Nhl{"Nhl"}, NhMax{"NhMax"}, Hoffset{"Hoffset"}, Flag{"Flag"};
  Var Bs{"Bs"}, Delete{"Delete"}, Esc{"Esc"};                // keys
  Var CurR{"CurR"}, CurL{"CurL"}, SaveCur{"SaveCur"}, RestoreCur{"RestoreCur"};  // commands
  // Where the window's cursor stands, and the row of the line's end, both
  // counted in rows below the prompt's row.
  Var CurRow{"CurRow"}, EndRow{"EndRow"};
};

// Sets the loop's constants: NhMax, the keys and the terminal commands; and
// reads the locale's codeset for the screen.
void setconstants(KeyState& k);

// The value of an integer variable of the loop.
int32_t num(const Var& v);

// Writes text to the terminal; the byte count is discarded.
void show(KeyState& k, const rt::Array& text);

void insert(KeyState& k);     // Text at the cursor
void backspace(KeyState& k);  // the character left of the cursor
void deletechar(KeyState& k); // the character under the cursor
void left(KeyState& k);
void right(KeyState& k);      // past the end the line grows by a blank
void store(KeyState& k);      // Line into the history, oldest dropped past NhMax
void up(KeyState& k);         // the older history line replaces Line
void down(KeyState& k);       // the newer history line replaces Line

}  // namespace zelvo
