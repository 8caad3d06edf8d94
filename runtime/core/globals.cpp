// Definitions of the runtime's settings.
#include "runtime/core/globals.h"

namespace rt {

FILE* outstream = stdout;
FILE* errstream = stderr;
// Both flags read 0 until the map is first set, although the error stream
// starts as standard error: the flags describe the last assignment.
int32_t outflag = 0;
int32_t errflag = 0;
int32_t printprecision = 7;
int32_t indexorigin = 1;
int32_t randomlink = 1;
int argcount = 0;
char** argvector = nullptr;

void resetglobals() {
  outstream = stdout;
  errstream = stderr;
  outflag = 0;
  errflag = 0;
  printprecision = 7;
  indexorigin = 1;
  randomlink = 1;
}

}  // namespace rt
