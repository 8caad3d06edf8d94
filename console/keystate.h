// The variables of one run of the key loop, shared by the loop, its editing
// actions and the screen, and the one write to the terminal they all use.
#pragma once

#include <cstdint>

#include "console/locals.h"
#include "runtime/core/array.h"

namespace zelvo {

// The longest line in bytes: a line's count is written in seven columns.
constexpr int32_t maxline = 9999999;

// The values of Flag: the last move in the history.
enum class Move : char {
  None = '0',       // none since the loop began
  Completed = 'N',  // a line was completed
  Up = 'U',         // Up showed an older line
  Down = 'D',       // Down showed a newer line
};

// The variables of keyloop (the editing actions and the screen share them).
// Counts and positions are in bytes; the rows are the window's, counted
// below the prompt's row.
struct KeyState {
  KeyState(rt::Array prompt, rt::Array xttty) : Prompt("Prompt", prompt), XTtty("XTtty", xttty) {}

  Var Prompt;            // the prompt, written before every line
  Var XTtty;             // the terminal's descriptor: every read, every write to the window
  Var Text{"Text"};      // what the reads delivered and no key has taken yet
  Var Line{"Line"};      // the line being edited, as the window shows it after the prompt
  Var Nl{"Nl"};          // the length of Line, after every action
  Var CurP{"CurP"};      // the bytes of Line left of the cursor: 0 <= CurP <= Nl
  Var Tmp{"Tmp"};        // scratch: the tail of Line that an action redraws
  // The history: the stored lines, oldest first, each whole (pasted CRs
  // included), run together in History, with their lengths in Hlen (none of
  // them 0). It keeps at most NhMax lines and at most Hbytes bytes, except
  // that the newest line always stays, however long.
  Var History{"History"};
  Var Hlen{"Hlen"};
  Var Nhl{"Nhl"};        // every line ever stored, those dropped since included: it never decreases
  Var NhMax{"NhMax"};    // the most lines the history keeps (100)
  Var Hbytes{"Hbytes"};  // the most bytes it keeps (16 MiB)
  // The walk: the index (from 0, oldest first) of the stored line that Up
  // or Down showed last; the number of stored lines at the place past the
  // newest, where every new line starts; -1 past the oldest.
  Var Hpos{"Hpos"};
  // The line in hand when Up last left the place past the newest line;
  // empty at every new line. Down brings it back there.
  Var Draft{"Draft"};
  Var Flag{"Flag"};      // the last move in the history, a Move as a character
  Var Bs{"Bs"}, Delete{"Delete"}, Esc{"Esc"};  // the characters of the Backspace, Delete and Escape keys
  Var Lost{"Lost"};      // the lines that did not reach standard output whole
  // Terminal commands (console/terminal.h): cursor right, cursor left, save
  // and restore the cursor.
  Var CurR{"CurR"}, CurL{"CurL"}, SaveCur{"SaveCur"}, RestoreCur{"RestoreCur"};
  Var CurRow{"CurRow"};  // the row where the window's cursor stands
  Var EndRow{"EndRow"};  // the row of the line's end
  Var TopRow{"TopRow"};  // for a line taller than the window, its row in the window's top row; else -1
  Var CurCol{"CurCol"};  // the column where the window's cursor stands; -1 after an action's own bytes
  // Where each row of the prompt and Line starts, laid out at Width columns:
  // 4 times the offset of its first character (the prompt's bytes, then
  // Line's) plus the part of that character's picture the row starts with.
  Var RowStarts{"RowStarts"};
  Var Width{"Width"};
};

// The value of an integer variable of the loop.
int32_t num(const Var& v);

// Flag <- the move m.
void setflag(KeyState& k, Move m);
// Whether Flag holds the move m.
bool flagis(const KeyState& k, Move m);

// Writes text to the terminal, all of it; the byte count, and a failure,
// are discarded.
void show(KeyState& k, const rt::Array& text);

}  // namespace zelvo
