// The number syntax shared by evaluated input and execute: the token buffer
// that receives a number's text, the character sources the two scanners
// read, the code that collects one number, and the growing list of numbers
// both build their result from.
//
// Syntax: an optional negative sign ("-", "_" or ".ng"), digits, optionally
// a point and digits, optionally "e" or "E", a sign ("+", "-", "_" or ".ng")
// and digits. Only digits make an integer; a point or an exponent a real.
#pragma once

#include <cstdint>
#include <cstdio>

#include "runtime/core/array.h"

namespace rt {

// Room for a number's text, terminator included.
inline constexpr int32_t numtokensize = 44;

// The text of the number last scanned, NUL-terminated, negative signs
// written "-". Empty when no number was found.
extern char numtoken[numtokensize];

// Where a scanner's characters come from. get() gives the next character as
// an unsigned char value, or EOF at the end; unget(c) gives back c, the last
// character got, so that get() returns it again. Giving back EOF does nothing.
class CharSource {
 public:
  virtual int get() = 0;
  virtual void unget(int c) = 0;

 protected:
  ~CharSource() = default;
};

// Characters of a stream. Given-back characters are pushed back onto the
// stream itself, so whatever a scanner does not use stays there for the next
// reader. The scanners give back at most three characters in a row: more
// than the one pushback the C standard promises, but within what the GNU C
// library's ungetc holds (it grows its pushback room as needed).
class StreamSource final : public CharSource {
 public:
  explicit StreamSource(FILE* stream) : stream_(stream) {}
  int get() override { return std::fgetc(stream_); }
  void unget(int c) override {
    if (c != EOF) std::ungetc(c, stream_);
  }

 private:
  FILE* stream_;
};

// Characters of a NUL-terminated text.
class TextSource final : public CharSource {
 public:
  explicit TextSource(const char* text) : next_(text) {}
  int get() override { return *next_ == '\0' ? EOF : static_cast<unsigned char>(*next_++); }
  void unget(int c) override {
    if (c != EOF) --next_;
  }

 private:
  const char* next_;
};

// Takes a negative sign ("-", "_" or the three characters ".ng") and says
// whether there was one. Anything else, a "." or ".n" that does not complete
// ".ng" included, is left unread.
bool takesign(CharSource& src);

// What collectnumber found.
struct NumScan {
  int32_t code;  // 0 no number, 2 integer, 3 real
  bool toolong;  // the text did not fit numtoken (code is then 0)
};

// Collects the number that starts at the next character into numtoken,
// after a sign already taken when `negative`. The character that ends it is
// left unread; when no number starts here nothing is read at all. An integer
// outside the 32-bit range is reported as a real, so that it converts with
// atof instead of overflowing. A number too long for numtoken is read to its
// end but not kept.
NumScan collectnumber(CharSource& src, bool negative);

// Numbers as they are read: integers until the first real, then reals.
struct NumList {
  void* value;       // the elements, of type `type`
  int32_t type;      // Int or Real
  int32_t count;     // numbers stored
  int32_t capacity;  // elements the storage holds in the current type
};

// Starts an empty list with room for 80 numbers.
void numstart(NumList* list);

// Appends the number in numtoken, scanned with code 2 (atoi) or 3 (atof).
// The first real turns every stored integer into a real; a full list grows
// by 80 elements. A number past the most that an int counts stops.
void numstore(NumList* list, int32_t code);

// Hands the list over to result: one number gives a scalar, several a
// vector, none the empty integer vector.
void numresult(NumList* list, Array* result);

}  // namespace rt
