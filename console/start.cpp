// The entry point: globals, launcher, announcements, key loop, release.
#include "console/start.h"

#include "console/announce.h"
#include "console/arrays.h"
#include "console/globals.h"
#include "console/keyloop.h"
#include "console/launcher.h"
#include "runtime/core/array.h"

namespace zelvo {

const char* const startedtext = " STARTED  ";
const char* const stoppedtext = " STOPPED  ";

rt::Array announcement(const char* tail) {
  Var Head("Head", charvec(" ... ")), Tail("Tail", charvec(tail));
  Var Res("Res", catenate(Head.get(), Prompt.get()));
  return catenate(Res.get(), Tail.get());
}

int zelvomain(int argc, char** argv) {
  rt::setargs(argc, argv);
  V.create();
  LINEOFFSET.create();
  V.set(0);
  Prompt.set(charvec("zelvo: "));
  XTcmd.set(charvec("xterm -name \"Zelvo: Keyboard Commands\" -sb -geometry 46x7+740+518"));
  FdC.set(startxt(charvec("stty raw -echo "), copyof(XTcmd.get())));
  announce(V.get(), announcement(startedtext));
  keyloop(copyof(Prompt.get()), copyof(FdC.get()));
  announce(V.get(), announcement(stoppedtext));

  FdC.release();
  XTcmd.release();
  Prompt.release();
  V.release();
  LINEOFFSET.release();
  return 0;
}

}  // namespace zelvo
