// execute and execnum.
#include "runtime/text/execute.h"

#include <cstdio>
#include <cstring>

#include "runtime/core/error.h"
#include "runtime/core/globals.h"
#include "runtime/text/number.h"

namespace rt {

// Characters one token of execute may hold.
static constexpr int32_t tokenlength = 31;

static bool isseparator(char c) { return c == ' ' || c == '\t' || c == '\n'; }

void execute(Array* result, const Array* argument) {
  int32_t n = elemcount(argument->rank, argument->shape);
  if (n <= 0) {
    *result = emptyvector(Int);
    return;
  }
  if (argument->type != Char) {
    std::fprintf(errstream, "argument type %d\n", argument->type);
    rterror("[execute] type error");
  }
  const char* text = chars(*argument);
  if (text[0] == '\'') rterror("[execute] character input not implemented yet");
  NumList list;
  numstart(&list);
  char token[tokenlength + 1];
  for (int32_t i = 0; i < n;) {
    while (i < n && isseparator(text[i])) ++i;
    int32_t start = i;
    while (i < n && !isseparator(text[i])) ++i;
    int32_t length = i - start;
    if (length == 0) break;
    // A longer token is refused rather than cut: cutting would change its value.
    if (length > tokenlength) {
      std::fprintf(errstream, "\n[execute] token of %d characters, longer than %d\n", length, tokenlength);
      rterror("[execute] domain error, token too long");
    }
    std::memcpy(token, text + start, static_cast<std::size_t>(length));
    token[length] = '\0';
    int32_t code = execnum(token);
    if (code == 0) rterror("[execute] type error");
    numstore(&list, code);
  }
  numresult(&list, result);
}

int32_t execnum(const char* text) {
  TextSource src(text);
  int c;
  do c = src.get();
  while (c == ' ' || c == '\t' || c == '\n' || c == '\r');
  src.unget(c);
  bool negative = takesign(src);
  c = src.get();
  if (c == EOF) {
    numtoken[0] = '\0';
    return 0;
  }
  src.unget(c);
  NumScan scan = collectnumber(src, negative);
  if (scan.toolong) {
    std::fprintf(errstream, "\n[execute] domain error, number longer than %d characters\n", numtokensize - 1);
    return 0;
  }
  c = src.get();
  if (scan.code == 0 || c != EOF) std::fprintf(errstream, "\n[execute] domain error, character %d[%c]\n", c, c);
  return scan.code;
}

}  // namespace rt
