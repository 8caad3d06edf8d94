// Shell commands as child processes connected to the program through pipes:
// pipe (feed a text, gather the output) and spawn (pipes on chosen
// descriptors, returned at once), and the collection of those children once
// they have finished.
#pragma once

#include "runtime/core/array.h"

namespace rt {

// Runs the command under the shell with the input's bytes (its element
// count, 1 for a scalar) on its standard input, and gives everything it
// writes on its standard output until that ends: a character scalar for
// exactly one byte, else a character vector. The command is not waited for.
void pipe(Array* result, const Array* command, const Array* input);

// Starts the command under the shell with n pipes on descriptors of its own
// and gives the program's ends at once (an int scalar for one entry, else an
// int vector): the write end for an input entry, the read end otherwise.
// The selection is a count n (the first n entries of the default table
// "00ib01ob02ob03ib...10ob", at most 11) or 4 characters per entry: two
// decimal digits for the child's descriptor (anything else there is a
// run-time error), "i" for its input (anything else: its output), "n" for a
// non-blocking program end (anything else: blocking).
// The program's ends are close-on-exec, and a child of pipe or spawn closes
// such ends before its command runs, so that no child started later holds
// them open: closing an input end gives this child end of file at once.
void spawn(Array* result, const Array* selection, const Array* command);

// Collects the children that pipe and spawn started and that have finished,
// without ever waiting: each one is asked for by its own pid, so children
// that other code started are left to their owners. Once a child has been
// started, every system function calls this on entry (sysentry), so that a
// long run gathers no zombies. errno is left as it was.
void reapchildren();

}  // namespace rt
