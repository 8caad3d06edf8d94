// The two options the program answers itself, without opening a window:
// --help and --version.
#pragma once

namespace zelvo {

// When the first argument is "--help" or "--version", writes the usage or
// the program's name and version on standard output and gives the exit
// status: 0, or 1 (with a line on standard error) when standard output
// could not take it. Gives -1 for any other arguments, which are not read
// here: the console runs and keeps them for the runtime.
int options(int argc, char** argv);

}  // namespace zelvo
