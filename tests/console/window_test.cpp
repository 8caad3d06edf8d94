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
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/program.h"
#include "tests/support/record.h"
#include "tests/support/scratch.h"
#include "tests/support/screenmodel.h"

namespace {

using Clock = std::chrono::steady_clock;
using zelvotest::ProgramRun;
constexpr int patience = 10000;  // ms: the longest any one step may take

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

// Makes this process the subreaper of its descendants for one test, so that
// the emulator, orphaned when the shell that started it ends, can be
// collected here instead of being left behind.
class Subreaper {
 public:
  Subreaper() { prctl(PR_SET_CHILD_SUBREAPER, 1); }
  ~Subreaper() { prctl(PR_SET_CHILD_SUBREAPER, 0); }
};

// A session: a virtual X display, the program in a window of its own on it
// (standard error in a file: the bells, and what the emulator says), the
// window found and focused, the program waiting for keys.
class Window : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* tool : {"Xvfb", "xterm", "xdotool"})
      if (onpath(tool).empty()) GTEST_SKIP() << tool << " is not installed";
    // The server picks a display number that is free and writes it out
    // (-displayfd), so that it never collides with a display in use.
    // -noreset keeps it from resetting whenever its last client leaves,
    // which would refuse a client that connects at that moment.
    display_.emplace(ProgramRun::Env{},
                     std::vector<std::string>{"Xvfb", "-displayfd", "1", "-screen", "0", "1280x1024x24", "-nolisten",
                                              "tcp", "-noreset"},
                     dir_ / "xvfb.log");
    auto line = [](const std::string& out) { return out.find('\n') != std::string::npos; };
    ASSERT_TRUE(display_->waitout(line, patience)) << "Xvfb gave no display number:\n"
                                                   << zelvotest::readfile(dir_ / "xvfb.log");
    x_ = ":";
    x_ += std::to_string(std::atoi(display_->out().c_str()));
    mkdir((dir_ / "bin").c_str(), 0755);
    // The user's settings let pasted control characters through and hold
    // the window after its program; the program's own resources must win.
    zelvotest::writefile(dir_ / "bin/xterm", "#!/bin/sh\nexec " + onpath("xterm") +
                                                 " -xrm '*allowPasteControls: true' -xrm '*hold: true'"
                                                 " -xrm '*VT100.translations: #override <Key>F12: print-immediate()"
                                                 "\\n<Key>F11: insert-selection(PRIMARY, CUT_BUFFER0)'"
                                                 " -xrm '*printFileImmediate: " + (dir_ / "screen") + "'"
                                                 " -xrm '*printAttributes: 0' \"$@\"\n");
    chmod((dir_ / "bin/xterm").c_str(), 0755);
    // A session of its own, with no controlling terminal, as a service
    // manager starts a program: the program and the emulator it starts are
    // one group to clean up.
    ProgramRun::Env env = {{"DISPLAY", x_}, {"PATH", dir_ / "bin:" + std::getenv("PATH")}, {"LC_ALL", "C.UTF-8"}};
    zelvo_.emplace(env, std::vector<std::string>{}, dir_ / "stderr");
    auto deadline = Clock::now() + std::chrono::milliseconds(patience);
    while (window_.empty() && Clock::now() < deadline) {
      run({"xdotool", "search", "--onlyvisible", "--name", title}, &window_);
      if (window_.empty()) pause(50);
    }
    window_ = window_.substr(0, window_.find('\n'));
    ASSERT_FALSE(window_.empty()) << "no window titled \"" << title << "\"\n" << diagnosis();
    ASSERT_EQ(run({"xdotool", "windowfocus", "--sync", window_}), 0);
    ASSERT_TRUE(waitidle()) << "the program never waited for keys\n" << diagnosis();
  }

  // Whatever is left of the program's group ends with the test.
  void TearDown() override {
    if (zelvo_) zelvo_->stop();
  }

  // Runs an X client on the display and gives its exit status, keeping its
  // standard output in *out when asked.
  int run(const std::vector<std::string>& args, std::string* out = nullptr) {
    ProgramRun client({{"DISPLAY", x_}}, args, "/dev/null");
    zelvotest::ChildResult r = client.finish(patience);
    if (out) *out = r.out;
    return r.status;
  }

  std::string diagnosis() const { return "standard error:\n" + zelvotest::readfile(dir_ / "stderr"); }

  // The number of bytes the program has read so far (all reads, also those
  // before its window opened), or -1.
  long reads() const { return zelvotest::readcount(zelvo_->pid()); }

  // Waits until the program waits for keys with nothing unread: it sits in a
  // read of its terminal ("wait_woken"; where the system does not tell, ""
  // or "0") and has read nothing for a while (the window sends its id
  // before it shows, and that takes a moment to reach the program). A wait
  // for the terminal in poll shows as "poll_schedule_timeout...".
  bool waitidle() const {
    auto deadline = Clock::now() + std::chrono::milliseconds(patience);
    long last = -2;
    auto since = Clock::now();
    while (Clock::now() < deadline) {
      long now = reads();
      std::string w = zelvotest::readfile("/proc/" + std::to_string(zelvo_->pid()) + "/wchan");
      bool told = !w.empty() && w != "0";
      bool waiting = w == "wait_woken" || w.starts_with("poll_schedule_timeout");
      if (now != last || (told && !waiting)) {
        last = now;
        since = Clock::now();
      } else if (Clock::now() - since >= std::chrono::milliseconds(told ? 150 : 500)) {
        return true;
      }
      pause(10);
    }
    return false;
  }

  // One step: type a text (with a key delay; xdotool needs a long one for
  // characters outside ASCII) or press a key, then wait until the program
  // has read the bytes that sends.
  void step(const char* how, const std::string& what, long bytes, int delay = 20) {
    long before = reads();
    ASSERT_GE(before, 0) << "cannot see the program's read count";
    if (std::strcmp(how, "type") == 0)
      ASSERT_EQ(run({"xdotool", "type", "--delay", std::to_string(delay), what}), 0);
    else
      ASSERT_EQ(run({"xdotool", "key", what}), 0);
    ASSERT_TRUE(zelvotest::waitread(zelvo_->pid(), before, bytes, patience))
        << how << " " << what << " was not read\n" << diagnosis();
  }
  void keys(const char* key, int times) {
    for (int i = 0; i < times; ++i) ASSERT_NO_FATAL_FAILURE(step("key", key, 3));
  }

  // Return, then the whole output so far must be there at once; the line
  // joins the transcript.
  void complete(const std::string& line) {
    ASSERT_NO_FATAL_FAILURE(step("key", "Return", 1));
    expected_ += zelvotest::record(line);
    zelvo_->waitout(expected_.size(), patience);
    ASSERT_EQ(zelvo_->out(), expected_) << diagnosis();
    sent_.push_back(line);
  }

  // The rows the window shows, saved lines first, as the emulator writes
  // them out: blanks at the ends of rows and empty rows at the end dropped,
  // and the filler that follows a wide character left out.
  std::vector<std::string> screen() {
    pause(200);  // the emulator shows what the program wrote last
    for (const std::string& old : dumps()) unlink((dir_ / old).c_str());
    EXPECT_EQ(run({"xdotool", "key", "F12"}), 0);
    auto deadline = Clock::now() + std::chrono::milliseconds(patience);
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
    return model.rows();
  }

  // Saves a picture of the window as window.png in the build folder (when
  // the X tools for it are there).
  void screenshot() {
    if (onpath("xwd").empty() || onpath("convert").empty()) return;
    pause(300);  // the emulator draws what the program wrote last
    std::string shot = ZELVO_BINARY_DIR "/window.png";
    std::string command = "xwd -silent -id " + window_ + " | convert xwd:- '" + shot + "'";
    EXPECT_EQ(run({"sh", "-c", command}), 0);
    struct stat st;
    EXPECT_TRUE(stat(shot.c_str(), &st) == 0 && st.st_size > 0) << "no screenshot in " << shot;
  }

  // Types "quit", and the program ends with status 0, nothing on standard
  // error and nothing of its group left behind.
  void quit() {
    ASSERT_NO_FATAL_FAILURE(step("type", "quit", 4));
    ASSERT_NO_FATAL_FAILURE(complete("quit"));
    EXPECT_EQ(zelvo_->wait(patience), 0) << diagnosis();
    EXPECT_EQ(zelvotest::readfile(dir_ / "stderr"), "");
    zelvo_->finish(patience);
    EXPECT_TRUE(zelvo_->ended()) << "standard output did not end with the program";
    bool gone = false;  // the window goes by itself
    for (int i = 0; i < 100 && !gone; ++i, pause(20)) gone = run({"xdotool", "getwindowname", window_}) != 0;
    EXPECT_TRUE(gone) << "the window stayed after the program";
    pid_t group = zelvo_->pid();
    zelvo_->stop();
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
  std::optional<ProgramRun> display_, zelvo_;
  std::string x_, window_;
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
  // Up, Up, Down: one line at a time, turning round at the oldest.
  ASSERT_NO_FATAL_FAILURE(keys("Up", 2));
  ASSERT_NO_FATAL_FAILURE(keys("Down", 1));
  ASSERT_NO_FATAL_FAILURE(complete("date"));
  // Up recalls the line before.
  ASSERT_NO_FATAL_FAILURE(step("key", "Up", 3));
  ASSERT_NO_FATAL_FAILURE(complete("date"));
  // A line naming a password goes out but stays out of the history.
  ASSERT_NO_FATAL_FAILURE(step("type", "set Password xyzzy", 18));
  ASSERT_NO_FATAL_FAILURE(complete("set Password xyzzy"));
  ASSERT_NO_FATAL_FAILURE(step("key", "Up", 3));
  ASSERT_NO_FATAL_FAILURE(complete("date"));
  // Past the newest line, Down gives back the line in hand; a recalled line's edit goes.
  ASSERT_NO_FATAL_FAILURE(step("type", "dra", 3));
  ASSERT_NO_FATAL_FAILURE(keys("Up", 1));
  ASSERT_NO_FATAL_FAILURE(step("type", "X", 1));
  ASSERT_NO_FATAL_FAILURE(keys("Down", 1));
  ASSERT_NO_FATAL_FAILURE(complete("dra"));

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

  ASSERT_EQ(run({"xdotool", "windowsize", "--usehints", window_, "46", "2"}), 0);
  pause(300);
  std::string line(100, 'm');
  ASSERT_NO_FATAL_FAILURE(step("type", line, 100, 1));
  ASSERT_NO_FATAL_FAILURE(keys("Left", 50));
  ASSERT_NO_FATAL_FAILURE(step("type", "Z", 1));
  line = line.substr(0, 50) + "Z" + line.substr(50);
  ASSERT_NO_FATAL_FAILURE(stretch(line, "Z", 2));
  ASSERT_EQ(run({"xdotool", "windowsize", "--usehints", window_, "46", "7"}), 0);
  pause(300);
  ASSERT_NO_FATAL_FAILURE(keys("Right", 1));
  ASSERT_NO_FATAL_FAILURE(complete(line));
  EXPECT_EQ(screen(), transcript(46, ""));
  quit();
}

// A widened window: lines wrap at the new width, and an edit in a line
// longer than the old width stays on the one row it takes now.
TEST_F(Window, FollowsAWidenedWindow) {
  ASSERT_EQ(run({"xdotool", "windowsize", "--usehints", window_, "100", "7"}), 0);
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
// A pasted end-of-paste marker cannot end the paste early: the window
// pastes ESC, BS, DEL and ENQ as blanks and drops NUL.
TEST_F(Window, QuickKeysAndPastesReachTheLineWhole) {
  long before = reads();
  ASSERT_EQ(run({"xdotool", "type", "--delay", "1", "hello"}), 0);
  ASSERT_EQ(run({"xdotool", "key", "--delay", "1", "BackSpace", "BackSpace", "Left", "Left"}), 0);
  ASSERT_EQ(run({"xdotool", "type", "--delay", "1", "X"}), 0);
  ASSERT_TRUE(zelvotest::waitread(zelvo_->pid(), before, 5 + 2 + 6 + 1, patience)) << diagnosis();
  ASSERT_NO_FATAL_FAILURE(complete("hXel"));
  if (onpath("xclip").empty()) GTEST_SKIP() << "xclip is not installed";
  ASSERT_EQ(run({"sh", "-c", "printf 'echo one\\ntwo\\tthree\\033[201~\\n\\b\\177\\005\\000x\\n' |"
                             " xclip -selection primary -i >/dev/null 2>&1"}), 0);
  const std::string pasted = "echo one\rtwo\tthree [201~\r   x\r";
  ASSERT_NO_FATAL_FAILURE(step("key", "F11", static_cast<long>(pasted.size()) + 12));  // and the two markers
  EXPECT_TRUE(waitidle());
  zelvo_->waitout(expected_.size() + 1, 500);
  EXPECT_EQ(zelvo_->out(), expected_) << "the paste sent something by itself";
  EXPECT_EQ(screen(), transcript(46, pasted));
  ASSERT_NO_FATAL_FAILURE(complete(pasted));
  ASSERT_NO_FATAL_FAILURE(step("key", "Up", 3));  // recalled whole, its line breaks in it
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
  ASSERT_EQ(run({"xdotool", "windowkill", window_}), 0);
  EXPECT_EQ(zelvo_->wait(patience), 0) << diagnosis();
  EXPECT_LT(Clock::now() - closed, std::chrono::seconds(2));
  zelvo_->finish(patience);
  EXPECT_TRUE(zelvo_->ended()) << "standard output did not end";
}

}  // namespace
