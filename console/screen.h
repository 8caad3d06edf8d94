// screen: what the window shows of the line being edited, and how a change
// of the line reaches it.
//
// Characters. Under a UTF-8 codeset a valid multi-byte sequence is one
// character; in any other locale, and for any byte that is not part of a
// valid sequence, a byte is one. A zero-width character (a combining mark)
// goes with the character before it, so the cursor never stands between
// the two. Each character takes the columns wcwidth gives it; a control
// character (CR, DEL) is shown as a caret pair such as ^M, and a byte that
// is no character, or a character the screen has no way to show, as the
// replacement character U+FFFD.
//
// Rows. A line that fits in the prompt's row, leaving room for the cursor
// after it, is kept up to date with the editing actions' own bytes. A line
// that wraps at the window's width (asked of the terminal at every change,
// so that a resized window is followed) is drawn anew from its prompt on.
// Terminal commands written for that:
//   ESC "[" n "A"   cursor up n rows
//   ESC "[" n "B"   cursor down n rows
//   ESC "[" n "C"   cursor right n columns
//   ESC "[J"        clear from the cursor to the end of the screen
//   CR, CR LF       to the start of the row; to the start of the next row
#pragma once

#include <cstdint>

#include "runtime/core/array.h"

namespace zelvo {

struct KeyState;

// The bytes of the character that ends at byte `at` of text, or that holds
// byte at - 1 (0 at the start).
int32_t charbefore(const rt::Array& text, int32_t at);

// The bytes from `at` to the end of the character that holds byte `at`
// (0 at the end).
int32_t charafter(const rt::Array& text, int32_t at);

// The columns that text takes on the screen.
int32_t columns(const rt::Array& text);

// The bytes that show text on the screen.
rt::Array visible(const rt::Array& text);

// The terminal's width in columns; 0 when it does not tell, which counts as
// a row without end.
int32_t termwidth(const rt::Array& tty);

// The prompt has just been written at the start of a fresh row.
void atprompt(KeyState& k);

// Shows an edit: `part` (the action's own bytes, which assume the line sits
// in the prompt's row) when the line shown before, `old`, and the new Line
// both fit there; otherwise the prompt and Line drawn anew, wrapped at the
// window's width, with the cursor after CurP bytes.
void showedit(KeyState& k, const rt::Array& old, const rt::Array& part);

// Return: the cursor to the start of a fresh row below the whole line.
void endline(KeyState& k);

}  // namespace zelvo
