// terminal: every command the console writes to the window, named once
// here for the editing actions, the screen, the loop and their tests.
//
//   savecursor      ESC "7"          save the cursor position
//   restorecursor   ESC "8"          restore the saved cursor position
//   cursorright     ESC "[C"         the cursor one column right
//   cursorleft      BS (8)           the cursor one column left
//   rowsup(n)       ESC "[" n "A"    the cursor up n rows
//   rowsdown(n)     ESC "[" n "B"    the cursor down n rows
//   columnsright(n) ESC "[" n "C"    the cursor right n columns
//   clearbelow      ESC "[J"         clear from the cursor to the end of the screen
//   rowstart        CR               the cursor to the start of its row
//   newrow          CR LF            the cursor to the start of the next row
//   linefeed        LF               the cursor to the next row, the window
//                                    scrolling at its bottom
//   pastemode       ESC "[?2004h"    bracketed paste on: pastes then come
//                                    between ESC "[200~" and ESC "[201~"
//   bell            BEL (7)          the bell, written to standard error,
//                                    never to the window
#pragma once

#include <cstdint>
#include <string>

namespace zelvo::term {

inline constexpr char savecursor[] = "\0337";
inline constexpr char restorecursor[] = "\0338";
inline constexpr char cursorright[] = "\033[C";
inline constexpr char cursorleft = '\b';
inline constexpr char clearbelow[] = "\033[J";
inline constexpr char rowstart = '\r';
inline constexpr char newrow[] = "\r\n";
inline constexpr char linefeed = '\n';
inline constexpr char pastemode[] = "\033[?2004h";
inline constexpr char bell = '\a';

// The command ESC "[" n letter.
inline std::string csi(int32_t n, char letter) { return "\033[" + std::to_string(n) + letter; }
inline std::string rowsup(int32_t n) { return csi(n, 'A'); }
inline std::string rowsdown(int32_t n) { return csi(n, 'B'); }
inline std::string columnsright(int32_t n) { return csi(n, 'C'); }

}  // namespace zelvo::term
