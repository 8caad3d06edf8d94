// keys: what the terminal sends, cut into the keys the loop handles one at
// a time. A key never depends on where the terminal cut its reads: a key
// that the input so far holds only part of is unfinished, and the loop reads
// on for the rest.
//
//   BS (8)                     Backspace
//   DEL (127), ESC "[3~"       Delete
//   ESC "[A" "[B" "[C" "[D"    Up, Down, Right, Left
//   CR (13)                    Return
//   ESC "[200~" ... ESC "[201~"  a paste (bracketed paste mode): the bytes
//                              between the markers are data, whatever
//                              they are
//   any other escape sequence  refused (one bell): ESC, "[" or "O", any
//                              parameter bytes (0x30-0x3F), any intermediate
//                              bytes (0x20-0x2F), one final byte (0x40-0x7E)
//   ESC and any other byte     the Escape key alone, refused; the byte is a
//                              key of its own
//   a control character        refused: codes 0-31, and under UTF-8 the C1
//                              controls U+0080-U+009F
//   a run of other characters  characters to insert
#pragma once

#include <cstdint>
#include <string_view>

namespace zelvo {

enum class KeyKind { Backspace, Delete, Up, Down, Right, Left, Return, Characters, Paste, Refused, Unfinished };

struct Key {
  KeyKind kind = KeyKind::Unfinished;
  int32_t length = 0;          // the bytes of the input that the key takes
  int32_t from = 0, count = 0;  // Characters and Paste: the bytes to insert
};

// The first key of input; Unfinished (with length 0) when input is empty or
// ends before the key does.
Key firstkey(std::string_view input);

}  // namespace zelvo
