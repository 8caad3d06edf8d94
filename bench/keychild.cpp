// KeyChild, and the bare loop of the baselines.
#include "bench/keychild.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "console/arrays.h"
#include "console/globals.h"
#include "console/keyloop.h"

namespace zelvobench {

namespace {

const char prompt[] = "zelvo: ";
const std::size_t promptlength = sizeof prompt - 1;

void pause10ms() {
  timespec t{0, 10000000L};
  nanosleep(&t, nullptr);
}

void put(int fd, const char* bytes, std::size_t n) {
  ssize_t k = write(fd, bytes, n);
  (void)k;  // as in the console, a short write is not retried
}

// The baseline: the console's terminal traffic without its array runtime. A
// 10 ms pause before every read, each batch written back, and on a batch
// ending in CR the line to standard output by a direct write, its count
// through the buffered stream, flushed.
[[noreturn]] void bareloop(int tty) {
  char line[4096], batch[80];
  std::size_t n = 0;
  put(tty, prompt, promptlength);
  pause10ms();
  if (read(tty, batch, sizeof batch) <= 0) _exit(0);
  for (;;) {
    pause10ms();
    ssize_t k = read(tty, batch, sizeof batch);
    if (k <= 0) _exit(0);
    std::size_t got = static_cast<std::size_t>(k);
    if (batch[got - 1] != '\r') {
      for (std::size_t i = 0; i < got && n < sizeof line; ++i) line[n++] = batch[i];
      put(tty, batch, got);
      continue;
    }
    put(tty, "\r\n", 2);
    put(1, line, n);
    std::printf("%7zu\n", n);
    std::fflush(stdout);
    put(tty, prompt, promptlength);
    n = 0;
  }
}

// The child: standard output on the pipe, the terminal on descriptor 3 and
// nothing else open, so that no other child's terminal stays open in it.
[[noreturn]] void runloop(KeyChild::Kind kind, int slave, const int out[2]) {
  dup2(out[1], 1);
  int high = fcntl(slave, F_DUPFD, 64);
  if (high < 0) _exit(1);
  close_range(3, static_cast<unsigned>(high) - 1, 0);
  close_range(static_cast<unsigned>(high) + 1, ~0U, 0);
  dup2(high, 3);
  close(high);
  if (kind == KeyChild::Bare) bareloop(3);
  zelvo::LINEOFFSET.create();
  zelvo::keyloop(zelvo::charvec(prompt), zelvo::intscalar(3));
  zelvo::LINEOFFSET.release();
  std::fflush(nullptr);
  _exit(0);
}

// Reads n bytes from fd within timeoutms; gives whether they came.
bool take(int fd, std::size_t n, int timeoutms) {
  std::size_t got = 0;
  while (got < n) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, timeoutms) <= 0) return false;
    char buf[256];
    ssize_t k = read(fd, buf, sizeof buf);
    if (k <= 0) return false;
    got += static_cast<std::size_t>(k);
  }
  return true;
}

// Waits until n typed bytes have reached the slave side (they get there
// asynchronously) and then until the loop has read them.
bool consumed(int slave, int n) {
  bool arrived = false;
  for (int i = 0; i < 5000; ++i) {
    int count = 0;
    if (ioctl(slave, FIONREAD, &count) != 0) return false;
    arrived = arrived || count >= n;
    if (arrived && count == 0) return true;
    usleep(1000);
  }
  return false;
}

}  // namespace

KeyChild::KeyChild(Kind kind) : kind_(kind) {
  // The size of the console's window, which the loop asks for at every key.
  winsize size{};
  size.ws_col = 46;
  size.ws_row = 7;
  if (openpty(&master_, &slave_, nullptr, nullptr, &size) != 0) return;
  termios t;
  tcgetattr(slave_, &t);
  cfmakeraw(&t);  // as the console sets its terminal: raw, no echo
  tcsetattr(slave_, TCSANOW, &t);
  int out[2];
  if (pipe(out) != 0) return;
  std::fflush(nullptr);
  pid_ = fork();
  if (pid_ == 0) runloop(kind, slave_, out);
  close(out[1]);
  out_ = out[0];
  if (pid_ < 0) {
    close(out[0]);
    out_ = -1;
    return;
  }
  // The terminal's answer to an identification request, as the window sends it first.
  static const char hello[] = "\033[?1;2c";
  const int n = sizeof hello - 1;
  // The console turns bracketed paste on before its prompt.
  std::size_t first = promptlength + (kind == Console ? sizeof "\033[?2004h" - 1 : 0);
  ok_ = take(master_, first, 5000) && write(master_, hello, n) == n && consumed(slave_, n);
}

KeyChild::~KeyChild() {
  if (master_ >= 0) close(master_);
  if (pid_ > 0) {
    int status;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
  }
  if (slave_ >= 0) close(slave_);
  if (out_ >= 0) close(out_);
}

std::string KeyChild::echo(const std::string& letters) const {
  // The console inserts at the cursor: the letters, then what is right of
  // the cursor (nothing here) between saving and restoring the cursor.
  return kind_ == Console ? letters + "\0337\0338" : letters;
}

std::string KeyChild::newline() { return std::string("\r\n") + prompt; }

std::string KeyChild::delivered(const std::string& line) {
  char count[32];
  std::snprintf(count, sizeof count, "%7zu\n", line.size());
  return line + count;
}

}  // namespace zelvobench
