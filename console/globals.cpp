// Definitions of the console's globals.
#include "console/globals.h"

namespace zelvo {

Named Prompt("Prompt");
Named XTcmd("XTcmd");
FixedInt V("V");
Named FdC("FdC");
FixedInt LINEOFFSET("LINEOFFSET");

}  // namespace zelvo
