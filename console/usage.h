// The command line: the options, answered or kept for the run, and the
// operands, kept for the runtime.
#pragma once

#include <vector>

#include "console/window.h"

namespace zelvo {

// What a command line asks of a run.
struct Options {
  WindowSetup window;
  std::vector<char*> args;  // the program's name, the operands in order, a null pointer
  int argc() const { return static_cast<int>(args.size()) - 1; }
};

// Reads the command line with getopt_long (abbreviations, --opt=value and
// --opt value, "--" ending the options, operands anywhere). --help (-h) and
// --version are answered at once on standard output and give 0, or 1 (with
// a line on standard error) when standard output could not take the
// answer. A command line it cannot take (an unknown option, an argument
// missing or not wanted, a malformed geometry) gives getopt's message or
// "zelvo: invalid geometry 'G'", then a pointer to --help, on standard
// error and 2. Otherwise gives -1, with `opts` holding the window's setup
// and the arguments for the runtime. `argv` itself is left as it is.
int options(int argc, char** argv, Options& opts);

}  // namespace zelvo
