// standardfds: descriptors 0, 1 and 2 are open before anything else runs.
#pragma once

namespace zelvo {

// Opens /dev/null on each of descriptors 0, 1 and 2 that is closed, so that
// nothing the program opens later (the terminal above all) lands there and
// is taken for a standard stream, by the program or by the emulator that
// inherits them. Standard output gets it read-only, so that writing there
// still fails as on a closed descriptor ("not delivered", status 1).
void openstandard();

}  // namespace zelvo
