// rterror and syserror.
#include "runtime/core/error.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime/core/globals.h"

namespace rt {

// The normal exit path, which flushes both streams.
static void exitprocess(int status) { std::exit(status); }

void (*errorexit)(int status) = exitprocess;

void rterror(const char* message) {
  std::fprintf(errstream, "apl run-time error: \n%s\n", message);
  errorexit(1);
  std::exit(1);
}

// The system's text for an errno value, or null when the value is not one the
// system knows. Unknown values come back from strerror_r as "Unknown error N".
static const char* errortext(int err, char* buf, std::size_t len) {
  if (err <= 0) return nullptr;
  const char* text = strerror_r(err, buf, len);  // GNU form: returns the text
  if (text == nullptr || std::strncmp(text, "Unknown error", 13) == 0) return nullptr;
  return text;
}

void syserror(const char* message) {
  int err = errno;
  std::fprintf(errstream, "system error: %s (%d", message, err);
  char buf[256];
  if (const char* text = errortext(err, buf, sizeof buf))
    std::fprintf(errstream, ": %s)\n", text);
  else
    std::fprintf(errstream, ")\n");
  errorexit(1);
  std::exit(1);
}

}  // namespace rt
