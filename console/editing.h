// The editing and history actions on the variables of the key loop. Each
// action keeps Line, Nl and CurP consistent and writes to the terminal
// exactly the bytes that make the window show the new state:
// while the line fits in the prompt's row, the bytes below, else the line
// drawn anew (console/screen.h). Characters and their columns are the
// screen's: a multi-byte character is edited whole, and the cursor moves by
// the columns it takes. The actions write the terminal commands of
// console/terminal.h through the loop's variables SaveCur, RestoreCur, CurR
// and CurL (Bs too moves the cursor left).
#pragma once

#include "console/keystate.h"
#include "runtime/core/array.h"

namespace zelvo {

// Sets the loop's constants: NhMax, the keys and the terminal commands; and
// reads the locale's codeset for the screen.
void setconstants(KeyState& k);

// text (characters) at the cursor; false, and nothing changes, when Line
// would pass maxline bytes
bool insert(KeyState& k, const rt::Array& text);
void backspace(KeyState& k);  // the character left of the cursor
void deletechar(KeyState& k); // the character under the cursor
void left(KeyState& k);
void right(KeyState& k);      // past the end the line grows by a blank, up to maxline bytes
// Whether Right would take Line past maxline bytes (a refused key).
bool rightrefused(const KeyState& k);

// The history (console/keystate.h). Only Return changes the stored lines;
// Up and Down walk them one line at a time, each costing the length of the
// lines it swaps, not the history's size.
void emptyhistory(KeyState& k);  // no line stored yet
// A new line's walk: at the place past the newest line, the draft empty.
void newwalk(KeyState& k);
// Line, whole, as the newest stored line, unless it is empty; the oldest
// lines go past NhMax lines or Hbytes bytes.
void store(KeyState& k);
// The next older line, or an empty line past the oldest; leaving the place
// past the newest line, the line in hand is kept as the draft.
void up(KeyState& k);
// The next newer line, or the draft past the newest; nothing there.
void down(KeyState& k);

}  // namespace zelvo
