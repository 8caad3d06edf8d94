// startxt and the pseudo-terminal layer under it.
//
// On systems with BSD-style pairs, the listing of slave devices still owned
// by root names the free ones; the master of /dev/ttyqX is /dev/ptyqX, and
// the emulator is told "-S" + the two-letter suffix + the master's
// descriptor. Current Linux systems have Unix98 pairs instead: the master
// comes from /dev/ptmx, its slave is /dev/pts/N, and the emulator's form of
// the option is "-S" + N + "/" + the descriptor.
#include "console/launcher.h"

#include <fcntl.h>
#include <glob.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

#include "console/announce.h"
#include "console/arrays.h"
#include "console/globals.h"
#include "console/locals.h"
#include "console/services.h"
#include "console/textmat.h"
#include "runtime/core/error.h"

namespace zelvo {

LauncherSetup launchersetup;

namespace {
// The slave side, opened read-write but never as the controlling terminal:
// a program that leads a session of its own (started by setsid, or by a
// service manager) would otherwise take the window's terminal for its own,
// and the window's end would kill it by a hangup instead of ending its
// input. Nothing is created where the device has gone. The descriptor, or -1.
rt::Array openslave(const rt::Array& name) {
  return intscalar(::open(std::string(textof(name)).c_str(), O_RDWR | O_NOCTTY));
}

// The digits of a descriptor, without blanks.
rt::Array digits(const rt::Array& fd) { return noblanks(format(fd)); }

bool anyslaves() {
  glob_t found;
  bool any = glob(launchersetup.slaveglob.c_str(), 0, nullptr, &found) == 0 && found.gl_pathc > 0;
  globfree(&found);
  return any;
}

// The state of one startxt call, shared by its two paths.
struct Launch {
  Launch(rt::Array sttycmd, rt::Array xtcmd) : SttyCmd("SttyCmd", sttycmd), XTcmd("XTcmd", xtcmd) {}
  Var SttyCmd, XTcmd;
  Var Ttys{"Ttys"}, I{"I"}, Tty{"Tty"}, TtyCC{"TtyCC"}, FdP{"FdP"}, TtyN{"TtyN"}, Res{"Res"};
};

// BSD-style pairs: the first listed candidate whose master opens. Leaves
// FdP, Tty and TtyCC set and gives true, or false when none opens.
bool bsdpair(Launch& s) {
  if (!anyslaves()) return false;  // no listing, so no error text from ls
  rt::Array listing = piped(Temp(charvec(launchersetup.listing)), Temp(charvec("")));
  s.Ttys.set(txtmat(charscalar('\n'), listing));
  const rt::Array& ttys = s.Ttys.get();
  if (ttys.rank != 2 || ttys.shape[1] <= launchersetup.columns) return false;
  s.Ttys.set(drop(Temp(catenate(Temp(intscalar(0)), Temp(intscalar(launchersetup.columns)))), s.Ttys.get()));
  for (s.I.set(intscalar(1)); firstint(s.I.get()) <= s.Ttys.get().shape[0];
       s.I.set(intscalar(firstint(s.I.get()) + 1))) {
    s.Tty.set(row(s.Ttys.get(), s.I.get()));
    // A blank row (the listing's final line break gives one) names no
    // device: opening "/dev/pty" and two blanks with "rw" would create it.
    if (length(Temp(noblanks(copyof(s.Tty.get())))) == 0) continue;
    s.TtyCC.set(take(Temp(intscalar(-2)), s.Tty.get()));
    Temp master(catenate(Temp(charvec(launchersetup.masterprefix)), s.TtyCC.get()));
    s.FdP.set(openfile(Temp(charvec("rw")), master));
    if (firstint(s.FdP.get()) != -1) return true;
  }
  return false;
}

// A Unix98 pair: the master from /dev/ptmx, granted and unlocked, kept open
// (and inherited by the emulator). Sets FdP, Tty and TtyCC (here the number
// of the slave followed by "/", the emulator's separator before the
// descriptor); false when the system gives none.
bool unix98pair(Launch& s) {
  int master = posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0) return false;
  const char* slave = nullptr;
  if (grantpt(master) != 0 || unlockpt(master) != 0 || (slave = ptsname(master)) == nullptr) {
    ::close(master);
    return false;
  }
  std::string path = slave;
  std::string number = path.substr(path.rfind('/') + 1) + "/";
  s.FdP.set(intscalar(master));
  s.Tty.set(charvec(path.c_str()));
  s.TtyCC.set(charvec(number.c_str()));
  return true;
}
}  // namespace

rt::Array startxt(rt::Array sttycmd, rt::Array xtcmd) {
  Launch s(sttycmd, xtcmd);
  if (!bsdpair(s) && !unix98pair(s))
    rt::rterror("[startxt] no pseudo-terminal: no listed /dev/ttyq* device opened and /dev/ptmx gave none");
  s.TtyN.set(digits(s.FdP.get()));
  Temp option(catenate(Temp(catenate(Temp(charvec(" -S")), s.TtyCC.get())), s.TtyN.get()));
  // The emulator reads and writes /dev/null, not the program's standard
  // streams: the reader's pipe must end when the program ends, whatever the
  // emulator does. Its standard error stays, where it says why it failed.
  Temp group(catenate(Temp(charvec("{ ")), s.XTcmd.get()));
  s.XTcmd.set(catenate(Temp(catenate(group, option)), Temp(charvec("; } </dev/null >/dev/null & "))));
  // The terminal is in its mode before the emulator starts, so that keys
  // typed as the window appears are neither echoed nor held for a line.
  // The program opens its side only once the emulator has been started:
  // with the slave side open already, xterm was seen to keep a descriptor
  // of its own on it, and its window then stayed after the program had
  // ended. The shell's statuses are not examined: the emulator runs in the
  // background, and a mode command that fails leaves the mode as it was.
  if (length(s.SttyCmd.get()) != 0) {
    Temp mode(catenate(Temp(catenate(s.SttyCmd.get(), Temp(charvec(" < ")))), s.Tty.get()));
    Temp set(runshell(mode));
  }
  Temp started(runshell(s.XTcmd.get()));
  s.Res.set(openslave(s.Tty.get()));
  // The emulator holds the master side from here on. The program's own copy
  // would keep the terminal open after the window has gone, so that its end
  // never showed as the end of input.
  Temp closed(closefds(s.FdP.get()));
  Temp head(catenate(Temp(charvec(" ... startxt: x terminal ")), s.Tty.get()));
  Temp tail(catenate(Temp(charvec(" started in mode ")), s.SttyCmd.get()));
  announce(copyof(V.get()), catenate(head, tail));
  return s.Res.result();
}

}  // namespace zelvo
