// screen: what the window shows of the line being edited, and how a change
// of the line reaches it.
//
// Characters (console/chars.h). A zero-width character (a combining mark)
// goes with the character before it, so the cursor never stands between
// the two. Each character takes the columns wcwidth gives it. No character
// reaches the window as something it would obey: a control character (CR,
// DEL) is shown as a caret pair such as ^M, a C1 control (the byte 0x80 to
// 0x9F, or under UTF-8 the character U+0080 to U+009F) as M- and a caret
// pair, as M-^E for 0x85, and a byte that is no character, or a character
// the screen has no way to show, as the replacement character U+FFFD.
//
// Rows. A line that fits in the prompt's row, leaving room for the cursor
// after it, is kept up to date with the editing actions' own bytes. A line
// that wraps at the window's width is drawn from the first character an
// edit changed on, the rows before left as they are (a move of the cursor
// alone is only that); when it first wraps, it is drawn anew from its
// prompt on. A line taller than the window fills the window with the
// stretch of its rows around the cursor's, drawn anew from the window's top
// when that stretch changes, else like a wrapped line; its rows reach the
// scrollback only when it is finished, whole and in order. Each key lays
// out only what it draws: where each row starts is kept from key to key,
// so that the place of a character is found by walking from its row's
// start, and the characters beside the cursor are found by stepping back
// from it. The window's size is asked of the terminal at every change, so
// that a resized window is followed. The rows are moved through and cleared
// with the commands of console/terminal.h: rows up and down, columns right,
// clear below, CR, CR LF and LF.
#pragma once

#include <cstdint>
#include <functional>

#include "runtime/core/array.h"

namespace zelvo {

struct KeyState;

// The bytes of the character that ends at byte `at` of text, or that holds
// byte at - 1 (0 at the start).
int32_t charbefore(const rt::Array& text, int32_t at);

// The bytes from `at` to the end of the character that holds byte `at`
// (0 at the end).
int32_t charafter(const rt::Array& text, int32_t at);

// The columns that text takes on the screen; the columns that its n bytes
// from byte `from` on take (n bytes that end where a character does).
int32_t columns(const rt::Array& text);
int32_t columns(const rt::Array& text, int32_t from, int32_t n);

// The bytes that show text on the screen.
rt::Array visible(const rt::Array& text);

// The terminal's size in columns and rows; 0 for either when the terminal
// does not tell, which counts as without end.
struct Size {
  int32_t cols = 0, rows = 0;
};
Size termsize(const rt::Array& tty);

// The prompt has just been written at the start of a fresh row, and Line
// is empty.
void atprompt(KeyState& k);

// Shows an edit that changed Line from byte `from` on (Line's length for an
// edit that moved the cursor only): the bytes `part` gives (the action's
// own, which assume the line sits in the prompt's row) when the line shown
// before, `old`, and the new Line both fit there; otherwise the prompt and
// Line wrapped at the window's width, with the cursor after CurP bytes:
// only the rows from the first that changed on are drawn again, or only
// the cursor moves, while the window shows the rest as it was.
void showedit(KeyState& k, const rt::Array& old, int32_t from, const std::function<rt::Array()>& part);

// Return: the cursor to the start of a fresh row below the whole line.
void endline(KeyState& k);

}  // namespace zelvo
