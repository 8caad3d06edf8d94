// KeyScreen.
#include "tests/support/keyscreen.h"

#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "console/arrays.h"
#include "console/chars.h"
#include "console/editing.h"
#include "console/globals.h"
#include "console/keyloop.h"
#include "tests/support/record.h"

namespace zelvotest {

namespace {
// Written after each batch on the terminal, so that everything the loop
// wrote before it is known to have reached the master: it changes nothing
// on the screen (it resets the character attributes).
const std::string sentinel = "\033[0m";

// Where a broken run is reported: standard error as it was when the first
// KeyScreen was made (a fuzz target sends it elsewhere while the loop runs).
int reportfd = -1;

[[noreturn]] void broken(const char* what) {
  dprintf(reportfd >= 0 ? reportfd : 2, "KeyScreen: %s (%s)\n", what, std::strerror(errno));
  std::abort();
}

// Writes all of bytes, going on after a short write or a signal (a fuzzer's
// timer interrupts a write that has to wait for room).
bool writeall(int fd, const std::string& bytes) {
  for (std::size_t done = 0; done < bytes.size();) {
    ssize_t k = write(fd, bytes.data() + done, bytes.size() - done);
    if (k < 0 && errno == EINTR) continue;
    if (k <= 0) return false;
    done += static_cast<std::size_t>(k);
  }
  return true;
}

// Whether the locale's codeset is UTF-8, as the console reads it.
bool utf8locale() {
  zelvo::readcodeset();
  return zelvo::utf8codeset();
}
}  // namespace

KeyScreen::KeyScreen(int width, int rows)
    : screen_(rows, width, utf8locale()), transcript_(width, "zelvo: ", utf8locale()) {
  if (reportfd < 0) reportfd = dup(2);
  winsize size{};
  size.ws_col = static_cast<unsigned short>(width);
  size.ws_row = static_cast<unsigned short>(rows);
  if (openpty(&master_, &slave_, nullptr, nullptr, &size) != 0) broken("no pseudo-terminal");
  termios t;
  tcgetattr(slave_, &t);
  cfmakeraw(&t);
  tcsetattr(slave_, TCSANOW, &t);
  reader_ = std::thread([this] { readmaster(); });
}

KeyScreen::~KeyScreen() {
  close(slave_);  // the reader's next read ends
  reader_.join();
  close(master_);
}

void KeyScreen::readmaster() {
  char buf[4096];
  for (ssize_t k; (k = read(master_, buf, sizeof buf)) > 0;) {
    std::lock_guard<std::mutex> hold(lock_);
    shown_.append(buf, static_cast<std::size_t>(k));
    arrived_.notify_one();
  }
  std::lock_guard<std::mutex> hold(lock_);
  ended_ = true;
  arrived_.notify_one();
}

// Types bytes on the master and waits until the slave holds all of them
// (after what it held already: the loop is not reading meanwhile).
void KeyScreen::type(const std::string& bytes) {
  int held = 0;
  if (ioctl(slave_, FIONREAD, &held) != 0) broken("no count of pending bytes");
  if (!writeall(master_, bytes)) broken("typing failed");
  for (int i = 0; i < 50000; ++i) {
    int count = 0;
    if (ioctl(slave_, FIONREAD, &count) == 0 && static_cast<std::size_t>(count) == held + bytes.size()) return;
    usleep(100);
  }
  broken("a typed batch did not reach the terminal");
}

// Feeds the screen all the loop wrote, and the transcript the lines it
// handed on. Unchecked, what the loop wrote is let go unseen.
void KeyScreen::catchup() {
  if (!checked_) {
    std::lock_guard<std::mutex> hold(lock_);
    shown_.clear();
  } else {
    if (!writeall(slave_, sentinel)) broken("no sentinel");
    std::string got;
    {
      std::unique_lock<std::mutex> hold(lock_);
      auto done = [&] {
        return ended_ || (shown_.size() >= sentinel.size() &&
                          shown_.compare(shown_.size() - sentinel.size(), sentinel.size(), sentinel) == 0);
      };
      if (!arrived_.wait_for(hold, std::chrono::seconds(10), done) || ended_) broken("the terminal's output stopped");
      got.swap(shown_);
    }
    screen_.feed(got);
  }
  gathersent();
}

// Splits what the loop has handed on to standard output into lines.
void KeyScreen::gathersent() {
  std::fflush(stdout);
  char buf[4096];
  for (ssize_t k; (k = read(out_, buf, sizeof buf)) > 0;) handed_.append(buf, static_cast<std::size_t>(k));
  // A record ends at the first line break that its seven-column count
  // points to: a pasted line break is part of the line.
  std::size_t end = handed_.find('\n', 7);
  while (end != std::string::npos) {
    std::string line = handed_.substr(0, end - 7);
    if (handed_.compare(0, end + 1, zelvotest::record(line)) != 0) {
      end = handed_.find('\n', end + 1);
      continue;
    }
    sent_.push_back(line);
    transcript_.sent(line);
    handed_.erase(0, end + 1);
    end = handed_.find('\n', 7);
  }
}

std::string KeyScreen::run(const std::vector<std::string>& batches,
                           const std::function<void(const zelvo::KeyState&)>& each) {
  int fds[2];
  if (pipe2(fds, O_NONBLOCK) != 0) broken("no pipe");
  std::fflush(stdout);
  int saved = dup(1);
  dup2(fds[1], 1);
  close(fds[1]);
  out_ = fds[0];
  std::string difference;
  std::size_t next = 0;
  auto afterbatch = [&](const zelvo::KeyState& k) {
    catchup();
    if (checked_ && difference.empty()) {
      difference = transcript_.differs(screen_, std::string(zelvo::textof(k.Line.get())), zelvo::firstint(k.CurP.get()));
      if (!difference.empty() && next > 0) difference += " (after batch " + std::to_string(next) + ")";
    }
    if (each) each(k);
    int held = 0;
    if (next < batches.size()) {
      type(batches[next++]);
    } else if (ioctl(slave_, FIONREAD, &held) == 0 && held == 0) {
      // The batches are used up and read: an end of file (the EOF character
      // in canonical mode) makes the next read deliver nothing.
      termios t;
      tcgetattr(slave_, &t);
      t.c_lflag |= ICANON;
      if (tcsetattr(slave_, TCSANOW, &t) != 0 || !writeall(master_, std::string(1, static_cast<char>(t.c_cc[VEOF]))))
        broken("no end of input");
    }
  };
  type("\033[?1;2c");  // the window's greeting, which the loop throws away
  bool created = !zelvo::LINEOFFSET.defined();
  if (created) zelvo::LINEOFFSET.create();
  zelvo::keyloop(zelvo::charvec("zelvo: "), zelvo::intscalar(slave_), afterbatch);
  if (created) zelvo::LINEOFFSET.release();
  gathersent();
  dup2(saved, 1);
  close(saved);
  close(out_);
  out_ = -1;
  return difference;
}

}  // namespace zelvotest
