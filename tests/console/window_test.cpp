// The whole program in a real X window: a virtual display (Xvfb), the real
// terminal emulator, keys typed by an X test client (xdotool), and the
// program's standard output read from a pipe. Skipped when the X tools are
// not installed.
//
// Keys are sent one step at a time, and each step waits until the program
// has read what the step sends (its read count in /proc/<pid>/io), so a
// cursor key never shares a read with the keys before it and Return never
// shares one with the last letters typed.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/scratch.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto patience = std::chrono::seconds(10);  // the longest any one step may take

const char* const title = "Zelvo: Keyboard Commands";

void pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Whether an executable of this name is on the PATH.
bool onpath(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "";
  std::size_t start = 0;
  while (start <= dirs.size()) {
    std::size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    std::string file = dirs.substr(start, end - start) + "/" + name;
    if (access(file.c_str(), X_OK) == 0) return true;
    start = end + 1;
  }
  return false;
}

// Runs a command with DISPLAY set and gives its exit status (-1 if it had
// to be killed after the step's patience ran out), keeping its standard
// output in *out when asked.
int run(const std::string& display, const std::vector<std::string>& args, std::string* out = nullptr) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return -1;
  std::fflush(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    setenv("DISPLAY", display.c_str(), 1);
    dup2(fds[1], 1);
    int null = open("/dev/null", O_WRONLY);
    dup2(null, 2);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  close(fds[1]);
  std::string text;
  auto deadline = Clock::now() + patience;
  pollfd p{fds[0], POLLIN, 0};
  while (Clock::now() < deadline && poll(&p, 1, 50) >= 0) {
    if (p.revents == 0) continue;
    char buf[512];
    ssize_t k = read(fds[0], buf, sizeof buf);
    if (k <= 0) break;
    text.append(buf, static_cast<std::size_t>(k));
  }
  close(fds[0]);
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (Clock::now() >= deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return -1;
    }
    pause(5);
  }
  if (out) *out = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Ends a process group: SIGTERM (so that the display server removes its
// lock file and socket), SIGKILL for what is left after a while, and every
// member that is our child collected. The program's own group also holds
// the emulator, which the shell left behind and which, orphaned, comes to
// this process as its subreaper.
void endgroup(pid_t group) {
  if (group <= 0) return;
  kill(-group, SIGTERM);
  auto start = Clock::now();
  bool killed = false;
  while (Clock::now() - start < patience) {
    pid_t done = waitpid(-group, nullptr, WNOHANG);
    if (done < 0) return;  // no member left
    if (done > 0) continue;
    if (!killed && Clock::now() - start > std::chrono::seconds(2)) {
      kill(-group, SIGKILL);
      killed = true;
    }
    pause(5);
  }
}

// A virtual X display on a number the server picks itself (-displayfd), so
// that it never collides with a display already in use. -noreset keeps the
// server from resetting whenever its last client leaves, which would refuse
// a client that connects at that moment.
class VirtualDisplay {
 public:
  ~VirtualDisplay() { endgroup(pid_); }

  // Starts the server; false, with the reason in *why, if it gives no display.
  bool start(const std::string& log, std::string* why) {
    int fds[2];
    if (pipe(fds) != 0) return false;
    std::fflush(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
      setpgid(0, 0);
      int sink = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(sink, 1);
      dup2(sink, 2);
      close(fds[0]);
      std::string fd = std::to_string(fds[1]);
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
             "-noreset", static_cast<char*>(nullptr));
      _exit(127);
    }
    setpgid(pid_, pid_);
    close(fds[1]);
    std::string number;
    auto deadline = Clock::now() + patience;
    pollfd p{fds[0], POLLIN, 0};
    while (Clock::now() < deadline && number.find('\n') == std::string::npos && poll(&p, 1, 50) >= 0) {
      if (p.revents == 0) continue;
      char buf[32];
      ssize_t k = read(fds[0], buf, sizeof buf);
      if (k <= 0) break;
      number.append(buf, static_cast<std::size_t>(k));
    }
    close(fds[0]);
    if (number.find('\n') == std::string::npos) {
      *why = "Xvfb gave no display number:\n";
      why->append(zelvotest::readfile(log));
      return false;
    }
    char name[32];
    std::snprintf(name, sizeof name, ":%d", std::atoi(number.c_str()));
    name_ = name;
    return true;
  }

  const std::string& name() const { return name_; }

 private:
  pid_t pid_ = -1;
  std::string name_;
};

// The program, run on a display with its standard output in a pipe and its
// standard error (the bells, and what the emulator says) in a file.
class Program {
 public:
  ~Program() {
    stop();
    if (out_ >= 0) close(out_);
  }

  // Ends what is left of the program's group.
  void stop() {
    endgroup(pid_);
    pid_ = -1;
  }

  void start(const std::string& display, const std::string& errfile) {
    int fds[2];
    ASSERT_EQ(pipe2(fds, O_CLOEXEC), 0);
    std::fflush(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
      setpgid(0, 0);  // the program and the emulator it starts: one group to clean up
      setenv("DISPLAY", display.c_str(), 1);
      dup2(fds[1], 1);
      int err = open(errfile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(err, 2);
      int null = open("/dev/null", O_RDONLY);
      dup2(null, 0);
      const std::string path = ZELVO_BINARY_DIR "/zelvo";
      execl(path.c_str(), "zelvo", static_cast<char*>(nullptr));
      _exit(127);
    }
    setpgid(pid_, pid_);
    close(fds[1]);
    out_ = fds[0];
  }

  // The number of bytes the program has read so far (all reads, also those
  // before its window opened), or -1.
  long readcount() const {
    std::string io = zelvotest::readfile("/proc/" + std::to_string(pid_) + "/io");
    std::size_t at = io.find("rchar: ");
    return at == std::string::npos ? -1 : std::atol(io.c_str() + at + 7);
  }

  // What the program is waiting in: "wait_woken" while it waits in a read of
  // its terminal; "" or "0" where the system does not tell.
  std::string waitingin() const { return zelvotest::readfile("/proc/" + std::to_string(pid_) + "/wchan"); }

  // Waits until the program has read at least `bytes` more than `before`.
  bool waitread(long before, long bytes) const {
    auto deadline = Clock::now() + patience;
    while (Clock::now() < deadline) {
      if (readcount() >= before + bytes) return true;
      pause(5);
    }
    return false;
  }

  // Waits until the program waits for keys with nothing unread: it sits in a
  // read of its terminal and has read nothing for a while (the window sends
  // its id before it shows, and that takes a moment to reach the program).
  bool waitidle() const {
    auto deadline = Clock::now() + patience;
    long last = -2;
    auto since = Clock::now();
    while (Clock::now() < deadline) {
      long now = readcount();
      std::string w = waitingin();
      bool told = !w.empty() && w != "0";
      if (now != last || (told && w != "wait_woken")) {
        last = now;
        since = Clock::now();
      } else if (Clock::now() - since >= std::chrono::milliseconds(told ? 150 : 500)) {
        return true;
      }
      pause(10);
    }
    return false;
  }

  // Reads standard output until it holds at least `size` bytes or the
  // patience runs out; gives all that has arrived.
  const std::string& output(std::size_t size) {
    auto deadline = Clock::now() + patience;
    pollfd p{out_, POLLIN, 0};
    while (got_.size() < size && Clock::now() < deadline && poll(&p, 1, 50) >= 0) {
      if (p.revents == 0) continue;
      char buf[512];
      ssize_t k = read(out_, buf, sizeof buf);
      if (k <= 0) break;
      got_.append(buf, static_cast<std::size_t>(k));
    }
    return got_;
  }

  // Waits for the program to end; its exit status, or -1 if it does not end
  // in time or dies of a signal.
  int wait() {
    auto deadline = Clock::now() + patience;
    int status = 0;
    while (Clock::now() < deadline) {
      pid_t done = waitpid(pid_, &status, WNOHANG);
      if (done == pid_) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      if (done < 0) return -1;
      pause(5);
    }
    return -1;
  }

  pid_t group() const { return pid_; }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  std::string got_;
};

// Makes this process the subreaper of its descendants for one test, so that
// the emulator, orphaned when the shell that started it ends, can be
// collected here instead of being left behind.
class Subreaper {
 public:
  Subreaper() { prctl(PR_SET_CHILD_SUBREAPER, 1); }
  ~Subreaper() { prctl(PR_SET_CHILD_SUBREAPER, 0); }
};

TEST(Window, TypedLinesReachStandardOutput) {
  for (const char* tool : {"Xvfb", "xterm", "xdotool"})
    if (!onpath(tool)) GTEST_SKIP() << tool << " is not installed";
  Subreaper reaper;
  zelvotest::TempDir dir;
  VirtualDisplay display;
  std::string why;
  ASSERT_TRUE(display.start(dir / "xvfb.log", &why)) << why;
  const std::string& x = display.name();
  Program zelvo;
  ASSERT_NO_FATAL_FAILURE(zelvo.start(x, dir / "stderr"));
  auto diagnosis = [&] {
    std::string text = "standard error:\n";
    return text.append(zelvotest::readfile(dir / "stderr"));
  };

  std::string window;
  auto deadline = Clock::now() + patience;
  while (window.empty() && Clock::now() < deadline) {
    run(x, {"xdotool", "search", "--onlyvisible", "--name", title}, &window);
    if (window.empty()) pause(50);
  }
  window = window.substr(0, window.find('\n'));
  ASSERT_FALSE(window.empty()) << "no window titled \"" << title << "\"\n" << diagnosis();
  ASSERT_EQ(run(x, {"xdotool", "windowfocus", "--sync", window}), 0);
  ASSERT_TRUE(zelvo.waitidle()) << "the program never waited for keys\n" << diagnosis();

  // One step: type a text or press a key, then wait until the program has
  // read the bytes that sends.
  auto step = [&](const char* how, const std::string& what, long bytes) {
    long before = zelvo.readcount();
    ASSERT_GE(before, 0) << "cannot see the program's read count";
    if (std::strcmp(how, "type") == 0)
      ASSERT_EQ(run(x, {"xdotool", "type", "--delay", "20", what}), 0);
    else
      ASSERT_EQ(run(x, {"xdotool", "key", what}), 0);
    ASSERT_TRUE(zelvo.waitread(before, bytes)) << how << " " << what << " was not read\n" << diagnosis();
  };
  // Return, then the whole output so far must be there at once.
  std::string expected;
  auto complete = [&](const std::string& line) {
    ASSERT_NO_FATAL_FAILURE(step("key", "Return", 1));
    expected += line;
    ASSERT_EQ(zelvo.output(expected.size()), expected) << diagnosis();
  };

  // A typed line: its characters, its count in seven columns, a line break.
  ASSERT_NO_FATAL_FAILURE(step("type", "ls -l", 5));
  ASSERT_NO_FATAL_FAILURE(complete("ls -l      5\n"));
  // "daye": Left, Backspace takes the y, t goes in before the e.
  ASSERT_NO_FATAL_FAILURE(step("type", "daye", 4));
  ASSERT_NO_FATAL_FAILURE(step("key", "Left", 3));
  ASSERT_NO_FATAL_FAILURE(step("key", "BackSpace", 1));
  ASSERT_NO_FATAL_FAILURE(step("type", "t", 1));
  ASSERT_NO_FATAL_FAILURE(complete("date      4\n"));
  // Up recalls the line before.
  ASSERT_NO_FATAL_FAILURE(step("key", "Up", 3));
  ASSERT_NO_FATAL_FAILURE(complete("date      4\n"));
  // A line naming a password goes out but stays out of the history.
  ASSERT_NO_FATAL_FAILURE(step("type", "set Password xyzzy", 18));
  ASSERT_NO_FATAL_FAILURE(complete("set Password xyzzy     18\n"));
  ASSERT_NO_FATAL_FAILURE(step("key", "Up", 3));
  ASSERT_NO_FATAL_FAILURE(complete("date      4\n"));

  if (onpath("xwd") && onpath("convert")) {
    pause(300);  // the emulator draws the last prompt
    std::string shot = ZELVO_BINARY_DIR "/window.png";
    std::string command = "xwd -silent -id " + window + " | convert xwd:- '" + shot + "'";
    EXPECT_EQ(run(x, {"sh", "-c", command}), 0);
    struct stat st;
    EXPECT_TRUE(stat(shot.c_str(), &st) == 0 && st.st_size > 0) << "no screenshot in " << shot;
  }

  ASSERT_NO_FATAL_FAILURE(step("type", "quit", 4));
  ASSERT_NO_FATAL_FAILURE(complete("quit      4\n"));
  EXPECT_EQ(zelvo.wait(), 0) << diagnosis();
  // No key of this session rings the bell, and the window starts without a
  // word from the emulator (its fonts are there).
  EXPECT_EQ(zelvotest::readfile(dir / "stderr"), "");

  // Nothing of the program's group (the emulator) may be left behind.
  pid_t group = zelvo.group();
  zelvo.stop();
  EXPECT_NE(kill(-group, 0), 0) << "a process of the program's group is still running";
}

}  // namespace
