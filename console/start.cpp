// The entry point: globals, launcher, announcements, key loop, release.
#include "console/start.h"

#include <string>

#include "console/announce.h"
#include "console/arrays.h"
#include "console/globals.h"
#include "runtime/core/array.h"

namespace zelvo {

const char* const startedtext = " STARTED  ";
const char* const stoppedtext = " STOPPED  ";

// " ... " followed by the prompt and the given tail.
static rt::Array announcement(const char* tail) {
  const rt::Array& prompt = Prompt.get();
  std::string text = " ... ";
  text.append(rt::chars(prompt), static_cast<std::size_t>(length(prompt)));
  text += tail;
  return charvec(text.c_str());
}

int zelvomain(int argc, char** argv) {
  rt::setargs(argc, argv);
  V.create();
  LINEOFFSET.create();
  V.set(0);
  Prompt.set(charvec("zelvo: "));
  XTcmd.set(charvec("xterm -name \"Zelvo: Keyboard Commands\" -sb -geometry 46x7+740+518"));
  XTcmd.get();

  announce(V.get(), announcement(startedtext));
  announce(V.get(), announcement(stoppedtext));

  FdC.release();
  XTcmd.release();
  Prompt.release();
  V.release();
  LINEOFFSET.release();
  return 0;
}

}  // namespace zelvo
