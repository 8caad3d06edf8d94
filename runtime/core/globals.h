// The runtime's settings: the two streams and their map flags, print
// precision, index origin, random link and the argument record. They change
// only through sysvar (and setargs for the argument record).
#pragma once

#include <cstdint>
#include <cstdio>

namespace rt {

extern FILE* outstream;        // where printit writes; standard output at start
extern FILE* errstream;        // where rterror and detail lines go; standard error at start
extern int32_t outflag;        // stream map: 0 output to standard output, else standard error
extern int32_t errflag;        // stream map: 0 errors to standard output, else standard error
extern int32_t printprecision; // 7 at start
extern int32_t indexorigin;    // 1 at start
extern int32_t randomlink;     // 1 at start
extern int argcount;           // recorded by setargs
extern char** argvector;

// Puts every setting back to its start-up value (for tests of a fresh runtime).
void resetglobals();

}  // namespace rt
