// The whole program in a real X window: a virtual display (Xvfb), the real
// terminal emulator, keys typed by an X test client (xdotool), and the
// program's standard output read from a pipe. Skipped when the X tools are
// not installed. The program and its window run in a UTF-8 locale; the
// emulator is the real one behind a wrapper first on the PATH, which binds
// F12 to writing the screen's text (its saved lines included) to a file, so
// that what the window shows can be held against what the reader got, and
// F11 to pasting the primary selection, as the middle mouse button does.
//
// Keys are sent one step at a time, and each step waits until the program
// has read what the step sends (its read count in /proc/<pid>/io), so a
// cursor key never shares a read with the keys before it and Return never
// shares one with the last letters typed.
#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/scratch.h"
#include "tests/support/screenmodel.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto patience = std::chrono::seconds(10);  // the longest any one step may take

const char* const title = "Zelvo: Keyboard Commands";

void pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// The path of the first executable of this name on the PATH, or "".
std::string onpath(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "";
  std::size_t start = 0;
  while (start <= dirs.size()) {
    std::size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    std::string file = dirs.substr(start, end - start) + "/" + name;
    if (access(file.c_str(), X_OK) == 0) return file;
    start = end + 1;
  }
  return "";
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

  // With `path` put first on the PATH, in the C.UTF-8 locale.
  void start(const std::string& display, const std::string& errfile, const std::string& path) {
    int fds[2];
    ASSERT_EQ(pipe2(fds, O_CLOEXEC), 0);
    std::fflush(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
      // A session of its own, with no controlling terminal, as a service
      // manager starts a program: the program and the emulator it starts
      // are one group to clean up.
      setsid();
      setenv("DISPLAY", display.c_str(), 1);
      setenv("PATH", (path + ":" + std::getenv("PATH")).c_str(), 1);
      setenv("LC_ALL", "C.UTF-8", 1);
      dup2(fds[1], 1);
      int err = open(errfile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(err, 2);
      int null = open("/dev/null", O_RDONLY);
      dup2(null, 0);
      const std::string path = ZELVO_BINARY_DIR "/zelvo";
      execl(path.c_str(), "zelvo", static_cast<char*>(nullptr));
      _exit(127);
    }
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

  // Reads standard output until it holds at least `size` bytes or `wait`
  // has passed; gives all that has arrived.
  const std::string& output(std::size_t size, Clock::duration wait = patience) {
    auto deadline = Clock::now() + wait;
    pollfd p{out_, POLLIN, 0};
    while (got_.size() < size && Clock::now() < deadline && poll(&p, 1, 50) >= 0) {
      if (p.revents == 0) continue;
      char buf[512];
      ssize_t k = read(out_, buf, sizeof buf);
      eof_ = k == 0;
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

  // Whether standard output has reached its end (within the patience).
  bool ended() {
    output(std::string::npos);
    return eof_;
  }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  std::string got_;
  bool eof_ = false;
};

// Makes this process the subreaper of its descendants for one test, so that
// the emulator, orphaned when the shell that started it ends, can be
// collected here instead of being left behind.
class Subreaper {
 public:
  Subreaper() { prctl(PR_SET_CHILD_SUBREAPER, 1); }
  ~Subreaper() { prctl(PR_SET_CHILD_SUBREAPER, 0); }
};

// A session: the program in a window of its own on a display of its own,
// the window found and focused, the program waiting for keys.
class Window : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* tool : {"Xvfb", "xterm", "xdotool"})
      if (onpath(tool).empty()) GTEST_SKIP() << tool << " is not installed";
    std::string why;
    ASSERT_TRUE(display_.start(dir_ / "xvfb.log", &why)) << why;
    x_ = display_.name();
    mkdir((dir_ / "bin").c_str(), 0755);
    zelvotest::writefile(dir_ / "bin/xterm", "#!/bin/sh\nexec " + onpath("xterm") +
                                                 " -xrm '*VT100.translations: #override <Key>F12: print-immediate()"
                                                 "\\n<Key>F11: insert-selection(PRIMARY, CUT_BUFFER0)'"
                                                 " -xrm '*printFileImmediate: " + (dir_ / "screen") + "'"
                                                 " -xrm '*printAttributes: 0' \"$@\"\n");
    chmod((dir_ / "bin/xterm").c_str(), 0755);
    ASSERT_NO_FATAL_FAILURE(zelvo_.start(x_, dir_ / "stderr", dir_ / "bin"));
    auto deadline = Clock::now() + patience;
    while (window_.empty() && Clock::now() < deadline) {
      run(x_, {"xdotool", "search", "--onlyvisible", "--name", title}, &window_);
      if (window_.empty()) pause(50);
    }
    window_ = window_.substr(0, window_.find('\n'));
    ASSERT_FALSE(window_.empty()) << "no window titled \"" << title << "\"\n" << diagnosis();
    ASSERT_EQ(run(x_, {"xdotool", "windowfocus", "--sync", window_}), 0);
    ASSERT_TRUE(zelvo_.waitidle()) << "the program never waited for keys\n" << diagnosis();
  }

  std::string diagnosis() const { return "standard error:\n" + zelvotest::readfile(dir_ / "stderr"); }

  // One step: type a text (with a key delay; xdotool needs a long one for
  // characters outside ASCII) or press a key, then wait until the program
  // has read the bytes that sends.
  void step(const char* how, const std::string& what, long bytes, int delay = 20) {
    long before = zelvo_.readcount();
    ASSERT_GE(before, 0) << "cannot see the program's read count";
    if (std::strcmp(how, "type") == 0)
      ASSERT_EQ(run(x_, {"xdotool", "type", "--delay", std::to_string(delay), what}), 0);
    else
      ASSERT_EQ(run(x_, {"xdotool", "key", what}), 0);
    ASSERT_TRUE(zelvo_.waitread(before, bytes)) << how << " " << what << " was not read\n" << diagnosis();
  }
  void keys(const char* key, int times) {
    for (int i = 0; i < times; ++i) ASSERT_NO_FATAL_FAILURE(step("key", key, 3));
  }

  // Return, then the whole output so far must be there at once; the line
  // joins the transcript.
  void complete(const std::string& line) {
    ASSERT_NO_FATAL_FAILURE(step("key", "Return", 1));
    char count[16];
    std::snprintf(count, sizeof count, "%7zu\n", line.size());
    expected_ += line + count;
    ASSERT_EQ(zelvo_.output(expected_.size()), expected_) << diagnosis();
    sent_.push_back(line);
  }

  // The rows the window shows, saved lines first, as the emulator writes
  // them out: blanks at the ends of rows and empty rows at the end dropped,
  // and the filler that follows a wide character left out.
  std::vector<std::string> screen() {
    pause(200);  // the emulator shows what the program wrote last
    for (const std::string& old : dumps()) unlink((dir_ / old).c_str());
    EXPECT_EQ(run(x_, {"xdotool", "key", "F12"}), 0);
    auto deadline = Clock::now() + patience;
    while (dumps().empty() && Clock::now() < deadline) pause(20);
    pause(100);
    std::vector<std::string> names = dumps();
    if (names.empty()) {
      ADD_FAILURE() << "the emulator wrote no screen";
      return {};
    }
    std::vector<std::string> rows;
    std::string text = zelvotest::readfile(dir_ / names.front()), row;
    for (std::size_t at = 0; (at = text.find("\xEF\xBF\xBF", at)) != std::string::npos;) text.erase(at, 3);
    for (std::istringstream in(text); std::getline(in, row);) {
      row.erase(row.find_last_not_of(' ') + 1);
      rows.push_back(row);
    }
    while (!rows.empty() && rows.back().empty()) rows.pop_back();
    return rows;
  }

  // The rows the transcript gives at this width: the lines sent, each after
  // the prompt, then the prompt and `line` (a terminal emulator lays them out).
  std::vector<std::string> transcript(int width, const std::string& line) const {
    zelvotest::ScreenModel model(200, width);
    std::string text;
    // Control characters show as caret pairs.
    auto shown = [](std::string t) {
      for (std::size_t i = 0; i < t.size(); ++i)
        if (static_cast<unsigned char>(t[i]) < 0x20 || t[i] == 0x7F) t.replace(i, 1, {'^', static_cast<char>(t[i] ^ 0x40)});
      return t;
    };
    for (const std::string& sent : sent_) text += "zelvo: " + shown(sent) + "\r\n";
    model.feed(text + "zelvo: " + shown(line));
    std::vector<std::string> rows = model.rows();
    while (!rows.empty() && rows.back().empty()) rows.pop_back();
    return rows;
  }

  // Saves a picture of the window as window.png in the build folder (when
  // the X tools for it are there).
  void screenshot() {
    if (onpath("xwd").empty() || onpath("convert").empty()) return;
    pause(300);  // the emulator draws what the program wrote last
    std::string shot = ZELVO_BINARY_DIR "/window.png";
    std::string command = "xwd -silent -id " + window_ + " | convert xwd:- '" + shot + "'";
    EXPECT_EQ(run(x_, {"sh", "-c", command}), 0);
    struct stat st;
    EXPECT_TRUE(stat(shot.c_str(), &st) == 0 && st.st_size > 0) << "no screenshot in " << shot;
  }

  // Types "quit", and the program ends with status 0, nothing on standard
  // error and nothing of its group left behind.
  void quit() {
    ASSERT_NO_FATAL_FAILURE(step("type", "quit", 4));
    ASSERT_NO_FATAL_FAILURE(complete("quit"));
    EXPECT_EQ(zelvo_.wait(), 0) << diagnosis();
    EXPECT_EQ(zelvotest::readfile(dir_ / "stderr"), "");
    pid_t group = zelvo_.group();
    zelvo_.stop();
    EXPECT_NE(kill(-group, 0), 0) << "a process of the program's group is still running";
  }

  std::vector<std::string> dumps() const {
    std::vector<std::string> names;
    if (DIR* d = opendir(dir_.path().c_str())) {
      while (dirent* e = readdir(d))
        if (std::strncmp(e->d_name, "screen", 6) == 0) names.push_back(e->d_name);
      closedir(d);
    }
    return names;
  }

  Subreaper reaper_;
  zelvotest::TempDir dir_;
  VirtualDisplay display_;
  std::string x_, window_;
  Program zelvo_;
  std::string expected_;
  std::vector<std::string> sent_;
};

TEST_F(Window, TypedLinesReachStandardOutput) {
  // A typed line: its characters, its count in seven columns, a line break.
  ASSERT_NO_FATAL_FAILURE(step("type", "ls -l", 5));
  ASSERT_NO_FATAL_FAILURE(complete("ls -l"));
  // "daye": Left, Backspace takes the y, t goes in before the e.
  ASSERT_NO_FATAL_FAILURE(step("type", "daye", 4));
  ASSERT_NO_FATAL_FAILURE(step("key", "Left", 3));
  ASSERT_NO_FATAL_FAILURE(step("key", "BackSpace", 1));
  ASSERT_NO_FATAL_FAILURE(step("type", "t", 1));
  ASSERT_NO_FATAL_FAILURE(complete("date"));
  // Up recalls the line before.
  ASSERT_NO_FATAL_FAILURE(step("key", "Up", 3));
  ASSERT_NO_FATAL_FAILURE(complete("date"));
  // A line naming a password goes out but stays out of the history.
  ASSERT_NO_FATAL_FAILURE(step("type", "set Password xyzzy", 18));
  ASSERT_NO_FATAL_FAILURE(complete("set Password xyzzy"));
  ASSERT_NO_FATAL_FAILURE(step("key", "Up", 3));
  ASSERT_NO_FATAL_FAILURE(complete("date"));

  quit();
}

// Lines longer than a row of the 46-column window: an edit across the row's
// edge, Return in the middle of a line, a line that fills its row exactly,
// and short and long lines recalled over each other. After each, the window
// shows exactly the lines the reader got, wrapped, and the line in hand.
TEST_F(Window, LongLinesShowWhatIsSent) {
  ASSERT_NO_FATAL_FAILURE(step("type", "ls -l", 5));
  ASSERT_NO_FATAL_FAILURE(complete("ls -l"));
  const std::string fox = "echo the quick brown fox jumps over the lazy dog twice";
  ASSERT_NO_FATAL_FAILURE(step("type", fox, 54));
  ASSERT_NO_FATAL_FAILURE(keys("Left", 20));
  ASSERT_NO_FATAL_FAILURE(step("type", "XY", 2));
  std::string edited = "echo the quick brown fox jumps oveXYr the lazy dog twice";
  EXPECT_EQ(screen(), transcript(46, edited));
  ASSERT_NO_FATAL_FAILURE(screenshot());  // the picture in the README
  ASSERT_NO_FATAL_FAILURE(keys("Left", 30));  // back to the first row, then Return
  ASSERT_NO_FATAL_FAILURE(complete(edited));
  const std::string full(39, 'f');  // fills its row with the prompt
  ASSERT_NO_FATAL_FAILURE(step("type", full, 39));
  EXPECT_EQ(screen(), transcript(46, full));
  ASSERT_NO_FATAL_FAILURE(complete(full));
  ASSERT_NO_FATAL_FAILURE(step("type", "ls", 2));
  ASSERT_NO_FATAL_FAILURE(complete("ls"));
  // Up: ls; Up: the full line over it; Up: the long one over that.
  ASSERT_NO_FATAL_FAILURE(keys("Up", 3));
  EXPECT_EQ(screen(), transcript(46, edited));
  ASSERT_NO_FATAL_FAILURE(complete(edited));
  // Up: the long line again; Up: ls over it.
  ASSERT_NO_FATAL_FAILURE(keys("Up", 2));
  EXPECT_EQ(screen(), transcript(46, "ls"));
  ASSERT_NO_FATAL_FAILURE(complete("ls"));
  quit();
}

// UTF-8: é is edited whole (Backspace takes both its bytes), and the wide
// characters of 日本語 take two columns each, so that a letter typed three
// characters back from the end lands where the window shows the cursor.
TEST_F(Window, Utf8CharactersAreEditedWhole) {
  ASSERT_NO_FATAL_FAILURE(step("type", "café", 5, 150));
  ASSERT_NO_FATAL_FAILURE(step("key", "BackSpace", 1));
  ASSERT_NO_FATAL_FAILURE(step("type", "e", 1));
  ASSERT_NO_FATAL_FAILURE(complete("cafe"));
  ASSERT_NO_FATAL_FAILURE(step("type", "日本語 x", 11, 150));
  ASSERT_NO_FATAL_FAILURE(keys("Left", 3));
  ASSERT_NO_FATAL_FAILURE(step("type", "Z", 1));
  EXPECT_EQ(screen(), transcript(46, "日本Z語 x"));
  ASSERT_NO_FATAL_FAILURE(complete("日本Z語 x"));
  quit();
}

// A line taller than the window (8 rows of 7), edited in its middle: the
// window shows the stretch of its rows around the cursor, the edit in it,
// and nothing of the line goes to the saved lines until Return, when all of
// it does, once and in order. A window shrunk to two rows and grown back
// again behaves the same.
TEST_F(Window, LinesTallerThanTheWindowShowTheCursorsRows) {
  ASSERT_NO_FATAL_FAILURE(step("type", "ls -l", 5));
  ASSERT_NO_FATAL_FAILURE(complete("ls -l"));
  // The window's last `height` rows: a stretch of the line's rows that
  // holds `mark`, the saved lines above them the lines sent, whole.
  auto stretch = [&](const std::string& line, const std::string& mark, std::size_t height) {
    std::vector<std::string> rows = screen(), all = transcript(46, line);
    long before = static_cast<long>(transcript(46, "").size()) - 1;  // the rows of the lines sent
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(before) + height);
    EXPECT_TRUE(std::equal(rows.begin(), rows.begin() + before, all.begin())) << "the saved lines are not those sent";
    EXPECT_NE(std::search(all.begin() + before, all.end(), rows.begin() + before, rows.end()), all.end());
    std::string joined;
    for (auto r = rows.begin() + before; r != rows.end(); ++r) joined += *r;
    EXPECT_NE(joined.find(mark), std::string::npos) << joined;
  };
  std::string tall;
  for (int i = 0; tall.size() < 350; ++i) tall += std::to_string(i % 10) + "abcdefgh ";
  tall.resize(350);
  ASSERT_NO_FATAL_FAILURE(step("type", tall, 350, 1));
  ASSERT_NO_FATAL_FAILURE(keys("Left", 340));
  ASSERT_NO_FATAL_FAILURE(step("type", "XY", 2));
  tall = tall.substr(0, 10) + "XY" + tall.substr(10);
  ASSERT_NO_FATAL_FAILURE(stretch(tall, "XY", 7));
  ASSERT_NO_FATAL_FAILURE(complete(tall));
  EXPECT_EQ(screen(), transcript(46, ""));

  ASSERT_EQ(run(x_, {"xdotool", "windowsize", "--usehints", window_, "46", "2"}), 0);
  pause(300);
  std::string line(100, 'm');
  ASSERT_NO_FATAL_FAILURE(step("type", line, 100, 1));
  ASSERT_NO_FATAL_FAILURE(keys("Left", 50));
  ASSERT_NO_FATAL_FAILURE(step("type", "Z", 1));
  line = line.substr(0, 50) + "Z" + line.substr(50);
  ASSERT_NO_FATAL_FAILURE(stretch(line, "Z", 2));
  ASSERT_EQ(run(x_, {"xdotool", "windowsize", "--usehints", window_, "46", "7"}), 0);
  pause(300);
  ASSERT_NO_FATAL_FAILURE(keys("Right", 1));
  ASSERT_NO_FATAL_FAILURE(complete(line));
  EXPECT_EQ(screen(), transcript(46, ""));
  quit();
}

// A widened window: lines wrap at the new width, and an edit in a line
// longer than the old width stays on the one row it takes now.
TEST_F(Window, FollowsAWidenedWindow) {
  ASSERT_EQ(run(x_, {"xdotool", "windowsize", "--usehints", window_, "100", "7"}), 0);
  pause(300);
  const std::string line = "printf '%s\\n' widened so that this line, longer than 46 columns, fits";
  ASSERT_NO_FATAL_FAILURE(step("type", line, static_cast<long>(line.size())));
  ASSERT_NO_FATAL_FAILURE(keys("Left", 5));
  ASSERT_NO_FATAL_FAILURE(step("type", "X", 1));
  std::string edited = line.substr(0, line.size() - 5) + "X" + line.substr(line.size() - 5);
  EXPECT_EQ(screen(), transcript(100, edited));
  ASSERT_NO_FATAL_FAILURE(complete(edited));
  // A line over two rows of the new width, mended on its first row.
  std::string longer = edited + " " + edited;
  ASSERT_NO_FATAL_FAILURE(step("type", longer, static_cast<long>(longer.size())));
  ASSERT_NO_FATAL_FAILURE(keys("Left", 60));
  ASSERT_NO_FATAL_FAILURE(step("type", "Y", 1));
  longer.insert(longer.size() - 60, "Y");
  EXPECT_EQ(screen(), transcript(100, longer));
  ASSERT_NO_FATAL_FAILURE(complete(longer));
  quit();
}

// Keys typed 1 ms apart share reads, and each still acts in turn; a paste
// of several lines is one insertion of data: nothing goes out until Return,
// and then exactly one line, its line breaks (pasted as CR) and tab in it.
TEST_F(Window, QuickKeysAndPastesReachTheLineWhole) {
  long before = zelvo_.readcount();
  ASSERT_EQ(run(x_, {"xdotool", "type", "--delay", "1", "hello"}), 0);
  ASSERT_EQ(run(x_, {"xdotool", "key", "--delay", "1", "BackSpace", "BackSpace", "Left", "Left"}), 0);
  ASSERT_EQ(run(x_, {"xdotool", "type", "--delay", "1", "X"}), 0);
  ASSERT_TRUE(zelvo_.waitread(before, 5 + 2 + 6 + 1)) << diagnosis();
  ASSERT_NO_FATAL_FAILURE(complete("hXel"));
  if (onpath("xclip").empty()) GTEST_SKIP() << "xclip is not installed";
  ASSERT_EQ(run(x_, {"sh", "-c", "printf 'echo one\\ntwo\\tthree\\n' | xclip -selection primary -i >/dev/null 2>&1"}), 0);
  const std::string pasted = "echo one\rtwo\tthree\r";
  ASSERT_NO_FATAL_FAILURE(step("key", "F11", static_cast<long>(pasted.size()) + 12));  // and the two markers
  EXPECT_TRUE(zelvo_.waitidle());
  EXPECT_EQ(zelvo_.output(expected_.size() + 1, std::chrono::milliseconds(500)), expected_)
      << "the paste sent something by itself";
  EXPECT_EQ(screen(), transcript(46, pasted));
  ASSERT_NO_FATAL_FAILURE(complete(pasted));
  quit();
}

// Closing the window ends the program as an end of input does: status 0 at
// once, and the reader gets the end of its input. The program leads its
// session, and still the window's terminal never became its controlling
// one, whose end would kill it by a hangup.
TEST_F(Window, ClosingTheWindowEndsTheProgram) {
  ASSERT_NO_FATAL_FAILURE(step("type", "ls", 2));
  ASSERT_NO_FATAL_FAILURE(complete("ls"));
  auto closed = Clock::now();
  ASSERT_EQ(run(x_, {"xdotool", "windowkill", window_}), 0);
  EXPECT_EQ(zelvo_.wait(), 0) << diagnosis();
  EXPECT_LT(Clock::now() - closed, std::chrono::seconds(2));
  EXPECT_TRUE(zelvo_.ended()) << "standard output did not end";
}

}  // namespace
