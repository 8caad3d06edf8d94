// quadin, quadnum and lineread.
#include "runtime/text/input.h"

#include "runtime/core/error.h"
#include "runtime/core/globals.h"
#include "runtime/text/number.h"

namespace rt {

// Characters lineread keeps from one line.
static constexpr int32_t linelength = 80;

void quadin(FILE* stream, Array* result) {
  std::printf(".bx:\n");
  std::fflush(stdout);  // the prompt must show before the read waits
  int c = std::fgetc(stream);
  if (c == '\'') rterror("character input not implemented yet");
  if (c != EOF) std::ungetc(c, stream);
  NumList list;
  numstart(&list);
  for (int32_t code; (code = quadnum(stream)) != 0;) numstore(&list, code);
  numresult(&list, result);
}

int32_t quadnum(FILE* stream) {
  StreamSource src(stream);
  int c;
  do c = src.get();
  while (c == ' ' || c == '\t' || c == '\f');
  src.unget(c);
  bool negative = takesign(src);
  c = src.get();
  if (c == EOF) rterror("[quad] unexpected end of file");
  if (c == '\n') return 0;
  src.unget(c);
  NumScan scan = collectnumber(src, negative);
  if (scan.toolong) {
    std::fprintf(errstream, "\n[quad] number too long in input (more than %d characters)\n", numtokensize - 1);
    return 0;
  }
  if (scan.code != 0) return scan.code;
  c = src.get();
  std::fprintf(errstream, "\n[quad] unknown character in input : %c [%d]\n", c, c);
  return 0;
}

void lineread(FILE* stream, Array* result) {
  void* p;
  vectalloc(&p, linelength, Char);
  char* line = static_cast<char*>(p);
  int32_t n = 0;
  for (int c; n < linelength && (c = std::fgetc(stream)) != EOF && c != '\n';) line[n++] = static_cast<char>(c);
  *result = adoptvector(Char, n, p);
}

}  // namespace rt
