// Definitions of the runtime's settings.
#include "runtime/core/globals.h"

namespace rt {

FILE* outstream = stdout;
FILE* errstream = stderr;
int32_t printprecision = 7;
int32_t indexorigin = 1;
int32_t randomlink = 1;
int argcount = 0;
char** argvector = nullptr;

void resetglobals() {
  outstream = stdout;
  errstream = stderr;
  printprecision = 7;
  indexorigin = 1;
  randomlink = 1;
}

}  // namespace rt
