// startxt against a folder of stand-in BSD-style devices and a stand-in
// emulator command, and the Unix98 pair that replaces them.
#include "console/launcher.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "console/arrays.h"
#include "console/globals.h"
#include "console/locals.h"
#include "tests/support/child.h"
#include "tests/support/scratch.h"

using namespace zelvo;
using zelvotest::TempDir;

namespace {

// A listing line: 55 columns of what ls shows before the name, then the name.
std::string listed(const std::string& path) {
  std::string line = "crw-rw-rw-   1 root     tty        3,  48 Dec  7 06:30";
  line.resize(55, ' ');
  return line + path + "\n";
}

// Stand-in devices: slaves ttyq0 and ttyq1; the master of q0 cannot be
// opened (it is a folder), the master of q1 can.
struct Devices {
  TempDir dir;
  Devices() {
    mkdir((dir / "dev").c_str(), 0755);
    mkdir((dir / "dev/ptyq0").c_str(), 0755);
    zelvotest::writefile(dir / "dev/ptyq1", "");
    zelvotest::writefile(dir / "dev/ttyq0", "");
    zelvotest::writefile(dir / "dev/ttyq1", "");
    zelvotest::writefile(dir / "listing", listed(dir / "dev/ttyq0") + listed(dir / "dev/ttyq1"));
    launchersetup.slaveglob = dir / "dev/ttyq*";
    launchersetup.listing = "cat " + (dir / "listing") + " | grep root ";
    launchersetup.masterprefix = dir / "dev/pty";
  }
  ~Devices() { launchersetup = LauncherSetup(); }
  // The emulator stand-in notes its start where the mode command writes,
  // and its last word (the -S option) in a file of its own.
  std::string emulator() const { return "echo started >>" + (dir / "stty") + "; printf '%s\\n' >>" + (dir / "emu"); }
};

// The descriptor this process has open on path, or -1.
int fdof(const std::string& path) {
  for (int fd = 0; fd < 256; ++fd) {
    char link[PATH_MAX] = {};
    std::string proc = "/proc/self/fd/" + std::to_string(fd);
    if (readlink(proc.c_str(), link, sizeof link - 1) > 0 && path == link) return fd;
  }
  return -1;
}

// Runs startxt in a child; its standard output, and what the stand-ins wrote.
// The child's standard error tells the descriptor it still has on the
// master after startxt (-1 once it closed its copy) and the slave's.
struct Launched {
  zelvotest::ChildResult child;
  std::string emu, stty;
};

Launched launch(const Devices& d, const std::string& stty, int verbose, int lowfd = 0) {
  Launched run;
  run.child = zelvotest::runchild([&] {
    V.create();
    V.set(verbose);
    while (lowfd > 0 && ::open("/dev/null", O_RDONLY) < lowfd) {
    }
    Var FdC("FdC", startxt(charvec(stty.c_str()), charvec(d.emulator().c_str())));
    int master = fdof(d.dir / "dev/ptyq1");
    std::fprintf(stderr, "master %d slave %d", master, firstint(FdC.get()));
    usleep(200000);  // the background emulator stand-in writes its file
  });
  run.emu = zelvotest::readfile(d.dir / "emu");
  run.stty = zelvotest::readfile(d.dir / "stty");
  return run;
}

// The descriptor the emulator was told to serve, from its -S option.
int servedfd(const std::string& emu) {
  int fd = -1;
  std::sscanf(emu.c_str(), "-Sq1%d", &fd);
  return fd;
}

TEST(Launcher, TriesListedCandidatesInTurn) {
  Devices d;
  Launched r = launch(d, "echo mode >>" + (d.dir / "stty") + " ", 0);
  EXPECT_EQ(r.child.status, 0);
  EXPECT_EQ(r.child.out, "");  // V off: no announcement
  int master = 0, slave = -1;
  ASSERT_EQ(std::sscanf(r.child.err.c_str(), "master %d slave %d", &master, &slave), 2) << r.child.err;
  EXPECT_GE(slave, 0);
  // q0's master refused, so the second row was taken: q1 and its
  // descriptor, which the emulator holds and the program no longer does.
  EXPECT_GE(servedfd(r.emu), 3) << r.emu;
  EXPECT_EQ(master, -1);
  EXPECT_EQ(r.stty, "mode\nstarted\n");  // the mode first, then the emulator
}

TEST(Launcher, TwoDigitDescriptorsAndTheAnnouncement) {
  Devices d;
  Launched r = launch(d, "", 1, 10);  // empty mode command: no stty run
  EXPECT_EQ(r.child.status, 0);
  EXPECT_GE(servedfd(r.emu), 10) << r.emu;
  EXPECT_EQ(r.stty, "started\n");
  EXPECT_EQ(r.child.out, " ... startxt: x terminal " + (d.dir / "dev/ttyq1") + " started in mode \n");
}

TEST(Launcher, FallsBackToAUnix98Pair) {
  enum Fault { NoSlaves, NoneOpens, ShortLines };
  struct Case { const char* what; Fault fault; } cases[] = {
      {"no BSD slaves at all", NoSlaves},
      {"listed, none opens", NoneOpens},
      {"lines too short", ShortLines},
  };
  for (const auto& c : cases) {
    Devices d;
    if (c.fault == NoSlaves) launchersetup.slaveglob = d.dir / "dev/none*";
    if (c.fault == NoneOpens) {
      unlink((d.dir / "dev/ptyq1").c_str());
      mkdir((d.dir / "dev/ptyq1").c_str(), 0755);
    }
    if (c.fault == ShortLines) zelvotest::writefile(d.dir / "listing", "crw root /dev/ttyq1\n");
    auto r = zelvotest::runchild([&] {
      V.create();
      Var FdC("FdC", startxt(charvec(""), charvec(d.emulator().c_str())));
      usleep(200000);  // the emulator stand-in writes its file
      char slave[PATH_MAX] = {};
      std::string proc = "/proc/self/fd/" + std::to_string(firstint(FdC.get()));
      if (readlink(proc.c_str(), slave, sizeof slave - 1) < 0) std::strcpy(slave, "none");
      std::strtok(slave, " ");  // the pair is gone with its emulator: "(deleted)" follows
      int n = -1, fd = -1;
      std::sscanf(zelvotest::readfile(d.dir / "emu").c_str(), "-S%d/%d", &n, &fd);
      // The slave of the pair whose master the emulator was given; the
      // program's own copy of that master is closed.
      std::printf("%s %d", slave, fd >= 0 && fdof("/dev/ptmx") == -1 ? n : -1);
    });
    EXPECT_EQ(r.status, 0) << c.what;
    std::string emu = zelvotest::readfile(d.dir / "emu");
    int n = -1, fd = -1;
    EXPECT_EQ(std::sscanf(emu.c_str(), "-S%d/%d", &n, &fd), 2) << c.what << ": " << emu;
    EXPECT_EQ(r.out, "/dev/pts/" + std::to_string(n) + " " + std::to_string(n)) << c.what;
    EXPECT_EQ(r.err, "") << c.what;
  }
}

}  // namespace
