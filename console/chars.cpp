// Characters of the locale's codeset.
#include "console/chars.h"

#include <langinfo.h>

#include <cstring>

namespace zelvo {

namespace {
bool utf8 = false;  // set by readcodeset
}  // namespace

void readcodeset() { utf8 = std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0; }

bool utf8codeset() { return utf8; }

int32_t sequence(std::string_view s, char32_t* cp) {
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  unsigned char b = byte(0), lo = 0x80, hi = 0xBF;
  int32_t length;
  char32_t c;
  if (b < 0x80) {
    *cp = b;
    return 1;
  }
  if (b >= 0xC2 && b <= 0xDF) {
    length = 2;
    c = b & 0x1F;
  } else if (b >= 0xE0 && b <= 0xEF) {
    length = 3;
    c = b & 0x0F;
    if (b == 0xE0) lo = 0xA0;  // no overlong forms
    if (b == 0xED) hi = 0x9F;  // no surrogates
  } else if (b >= 0xF0 && b <= 0xF4) {
    length = 4;
    c = b & 0x07;
    if (b == 0xF0) lo = 0x90;
    if (b == 0xF4) hi = 0x8F;  // nothing past U+10FFFF
  } else {
    return 0;
  }
  for (int32_t i = 1; i < length; ++i) {
    if (static_cast<std::size_t>(i) >= s.size()) return -1;
    unsigned char t = byte(static_cast<std::size_t>(i));
    if (t < (i == 1 ? lo : 0x80) || t > (i == 1 ? hi : 0xBF)) return 0;
    c = (c << 6) | (t & 0x3F);
  }
  *cp = c;
  return length;
}

int32_t unfinished(std::string_view s) {
  if (!utf8) return 0;
  char32_t cp;
  for (std::size_t back = 1; back <= 3 && back <= s.size(); ++back)
    if (sequence(s.substr(s.size() - back), &cp) == -1) return static_cast<int32_t>(back);
  return 0;
}

int32_t c1control(std::string_view s) {
  char32_t cp = 0;
  if (!utf8 || s.empty() || sequence(s, &cp) != 2) return 0;
  return isc1(cp) ? 2 : 0;
}

}  // namespace zelvo
