// The console's entry point.
#pragma once

namespace zelvo {

// Runs the whole program: creates the globals, opens the terminal window,
// runs the key loop, releases the globals. Returns the exit status, 0.
int zelvomain(int argc, char** argv);

// The texts of the start and stop announcements, built from the prompt.
extern const char* const startedtext;
extern const char* const stoppedtext;

}  // namespace zelvo
