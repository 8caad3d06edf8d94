// The entry point: globals, launcher, announcements, key loop, release.
#include "console/start.h"

#include <poll.h>

#include <clocale>
#include <csignal>
#include <cstdio>
#include <string>

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

namespace {
// Whether the terminal's other side is gone already: the window ended before
// the loop could greet it.
bool hungup(const rt::Array& tty) {
  pollfd p{firstint(tty), 0, 0};
  return poll(&p, 1, 0) == 1 && (p.revents & POLLHUP) != 0;
}
}  // namespace

int readergone() {
  struct sigaction now {};
  if (sigaction(SIGPIPE, nullptr, &now) == 0 && now.sa_handler == SIG_DFL) std::raise(SIGPIPE);
  std::fputs("zelvo: the reader has gone\n", stderr);
  return 1;
}

int zelvomain(int argc, char** argv, const WindowSetup& window) {
  // The window runs in the same locale, so it sends and shows the locale's
  // characters (UTF-8 sequences in a UTF-8 locale).
  std::setlocale(LC_CTYPE, "");
  rt::setargs(argc, argv);
  V.create();
  LINEOFFSET.create();
  V.set(0);
  Prompt.set(charvec("zelvo: "));
  XTcmd.set(charvec(xtermcommand(window).c_str()));
  FdC.set(startxt(charvec("stty raw -echo "), copyof(XTcmd.get())));
  announce(V.get(), announcement(startedtext));
  LoopEnd end = hungup(FdC.get()) ? LoopEnd::NoWindow : keyloop(copyof(Prompt.get()), copyof(FdC.get()));
  // Nobody reads a stop announcement once the reader has gone.
  if (end != LoopEnd::NoWindow && end != LoopEnd::ReaderGone) announce(V.get(), announcement(stoppedtext));

  FdC.release();
  XTcmd.release();
  Prompt.release();
  V.release();
  LINEOFFSET.release();
  if (end == LoopEnd::ReaderGone) return readergone();
  if (end == LoopEnd::NoWindow) {
    std::fputs("zelvo: the terminal window could not be opened\n", stderr);
    return 1;
  }
  // A line that was lost makes the whole run a failure, however it ended.
  if (end == LoopEnd::LinesLost) {
    std::fputs("zelvo: some lines were not delivered to standard output\n", stderr);
    return 1;
  }
  return 0;
}

}  // namespace zelvo
