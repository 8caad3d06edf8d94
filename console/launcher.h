// startxt: the console's own terminal window on a pseudo-terminal.
#pragma once

#include <string>

#include "runtime/core/array.h"

namespace zelvo {

// Where startxt looks for pseudo-terminals. The defaults are the system's;
// tests point them at a folder of stand-in devices.
struct LauncherSetup {
  std::string slaveglob = "/dev/ttyq*";                     // BSD-style slaves
  std::string listing = "ls -l /dev/ttyq* | grep root ";     // lists the free ones
  std::string masterprefix = "/dev/pty";                    // + the slave's last two characters
  int32_t columns = 55;                                     // listing columns before the path
};
extern LauncherSetup launchersetup;

// Finds a free pseudo-terminal, starts the terminal emulator command xtcmd
// on its master side in the background, opens the slave side read-write
// (never as the controlling terminal), sets its mode with sttycmd (when not
// empty), closes its own copy of the master side (the emulator's stays, so
// the window's end ends the terminal) and returns the slave's descriptor.
// BSD-style pairs are tried first; when there are none (or none opens) a
// Unix98 pair from /dev/ptmx is used instead.
rt::Array startxt(rt::Array sttycmd, rt::Array xtcmd);

}  // namespace zelvo
