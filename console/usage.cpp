// --help and --version.
#include "console/usage.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "console/version.h"

namespace zelvo {

namespace {

const char* const usagetext =
    "Usage: zelvo [--help | --version]\n"
    "Opens a terminal window of its own with the prompt \"zelvo: \" and writes\n"
    "each line typed there on standard output: the line's characters, its\n"
    "length in bytes right-aligned in seven columns, and a line break.\n"
    "A line ending in \"quit\" or \"exit\", or closing the window, ends it.\n"
    "\n"
    "  --help     show this help and exit\n"
    "  --version  show the version and exit\n"
    "\n"
    "Other arguments are not read. The manual page is zelvo(1).\n";

// Writes text on standard output; false when it could not all be written.
bool say(const std::string& text) {
  errno = 0;
  bool written = std::fputs(text.c_str(), stdout) >= 0;
  return std::fflush(stdout) == 0 && written;
}

}  // namespace

int options(int argc, char** argv) {
  if (argc < 2) return -1;
  bool ok;
  if (std::strcmp(argv[1], "--help") == 0) {
    ok = say(usagetext);
  } else if (std::strcmp(argv[1], "--version") == 0) {
    ok = say(std::string("zelvo ") + version + "\n");
  } else {
    return -1;
  }
  if (ok) return 0;
  std::fprintf(stderr, "zelvo: cannot write to standard output: %s\n",
               errno != 0 ? std::strerror(errno) : "write failed");
  return 1;
}

}  // namespace zelvo
