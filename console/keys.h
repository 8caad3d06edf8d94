// keys: what the terminal sends, cut into the keys the loop handles one at
// a time. A key never depends on where the terminal cut reads that come
// without a pause: a key that the input so far holds only part of is
// unfinished, and the loop reads on for the rest. A terminal sends each
// escape sequence in one piece, so one cut short by a pause is refused.
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
#include <string>
#include <string_view>

namespace zelvo {

enum class KeyKind { Backspace, Delete, Up, Down, Right, Left, Return, Characters, Paste, Refused, Unfinished };

struct Key {
  KeyKind kind = KeyKind::Unfinished;
  int32_t length = 0;          // the bytes of the input that the key takes
  int32_t from = 0, count = 0;  // Characters and Paste: the bytes to insert
};

inline constexpr std::string_view pastestart = "\033[200~", pasteend = "\033[201~";

// The first key of input; Unfinished (with length 0) when input is empty or
// ends before the key does.
Key firstkey(std::string_view input);

// What input, whose first key is unfinished, waits for: nothing (it is
// empty); the next byte of a character; the rest of an escape sequence; or
// the end marker of the paste whose start marker begins it.
enum class Awaiting { Nothing, Character, Sequence, Paste };
Awaiting awaiting(std::string_view input);

// The window's id, which the terminal window sends first: 1 to 16
// hexadecimal digits and a line end, LF or CR LF. Gives the bytes the id
// takes at the start of input, 0 when input does not begin with one, -1
// when input may be one cut short.
int32_t windowid(std::string_view input);

// A paste being read, from the bytes after its start marker on. Its data
// are kept while the line has room for them; once it has not, only the
// last bytes, where the end marker may begin, are kept. Each byte is
// searched for the end marker once.
class PasteRead {
 public:
  // The paste's first bytes, and the bytes the line has room for.
  PasteRead(std::string_view first, int64_t room);

  // Where the bytes that the terminal gives next are appended; then call
  // ended().
  std::string& bytes() { return bytes_; }

  // Whether the end marker has come; drops what will not fit.
  bool ended();

  // Once ended: whether the data fit in the room, the data (when they fit)
  // and what followed the end marker.
  bool fits() const { return dropped_ == 0 && static_cast<int64_t>(end_) <= room_; }
  std::string_view data() const { return std::string_view(bytes_).substr(0, end_); }
  std::string_view rest() const { return std::string_view(bytes_).substr(end_ + pasteend.size()); }

 private:
  std::string bytes_;
  std::size_t searched_ = 0;  // the bytes where the end marker does not begin
  std::size_t end_ = std::string::npos;
  int64_t dropped_ = 0, room_;
};

}  // namespace zelvo
