// The console's globals. The entry point creates them and releases them; the
// other console functions reach V and LINEOFFSET by name.
#pragma once

#include "console/locals.h"

namespace zelvo {

extern Named Prompt;       // "zelvo: ", the prompt
extern Named XTcmd;        // the terminal-window command
extern FixedInt V;         // verbosity switch for announce
extern Named FdC;          // the terminal's descriptor
extern FixedInt LINEOFFSET;  // the line offset that nextline and prevline read and move

}  // namespace zelvo
