// chars: how the bytes of a text make characters in the current locale.
// Under a UTF-8 codeset a valid multi-byte sequence is one character; in any
// other locale, and for any byte that is no part of a valid sequence, a byte
// is one. The key cutter and the screen both read characters through here.
#pragma once

#include <cstdint>
#include <string_view>

namespace zelvo {

// Reads the codeset of the current locale (LC_CTYPE): UTF-8 rules, or a
// byte per character.
void readcodeset();

// Whether the codeset read last is UTF-8.
bool utf8codeset();

// The valid UTF-8 sequence at the start of s (not empty): its length, with
// its code point in *cp; 0 when the bytes are no valid sequence; -1 when
// they are the valid beginning of one that s ends too soon to hold. Old
// forms past U+10FFFF, overlong forms and surrogates are not valid.
int32_t sequence(std::string_view s, char32_t* cp);

// The bytes at the end of s that begin a UTF-8 sequence more bytes could
// complete; 0 when there are none, and always outside UTF-8 rules.
int32_t unfinished(std::string_view s);

// Whether c is a C1 control: a code from 0x80 to 0x9F, which a terminal
// obeys as a command.
constexpr bool isc1(char32_t c) { return c >= 0x80 && c <= 0x9F; }

// The bytes of the C1 control character (U+0080 to U+009F, the codes that
// a terminal obeys as commands) at the start of s under UTF-8 rules: 2, or
// 0 when s does not start with one or the codeset is not UTF-8.
int32_t c1control(std::string_view s);

}  // namespace zelvo
