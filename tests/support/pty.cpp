// The pseudo-terminal pair of the tests.
#include "tests/support/pty.h"

#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

#include <gtest/gtest.h>

namespace zelvotest {

// Milliseconds on a monotonic clock.
static long long nowms() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

bool Pty::open(bool raw, int cols, int rows) {
  close();
  winsize size{};
  size.ws_col = static_cast<unsigned short>(cols);
  size.ws_row = static_cast<unsigned short>(rows);
  if (openpty(&master_, &slave_, nullptr, nullptr, cols != 0 ? &size : nullptr) != 0) {
    ADD_FAILURE() << "openpty failed: errno " << errno;
    master_ = slave_ = -1;
    return false;
  }
  if (raw) {
    termios t;
    tcgetattr(slave_, &t);
    cfmakeraw(&t);
    tcsetattr(slave_, TCSANOW, &t);
  }
  return true;
}

bool Pty::type(const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t k = ::write(master_, bytes.data() + done, bytes.size() - done);
    if (k < 0 && errno == EINTR) continue;
    if (k <= 0) return false;
    done += static_cast<std::size_t>(k);
  }
  return true;
}

bool Pty::pending(std::size_t n, int timeoutms) {
  long long end = nowms() + timeoutms;
  for (;;) {
    int count = 0;
    if (ioctl(slave_, FIONREAD, &count) == 0 && static_cast<std::size_t>(count) >= n) return true;
    if (nowms() >= end) return false;
    usleep(1000);
  }
}

std::string Pty::output(int timeoutms, std::size_t want) {
  std::string got;
  long long end = nowms() + timeoutms;
  for (;;) {
    // Before the first byte, wait up to the deadline; after it, stop at a pause.
    int wait = got.empty() || want != 0 ? static_cast<int>(end - nowms()) : 50;
    if (wait < 0) break;
    pollfd p{master_, POLLIN, 0};
    int ready = poll(&p, 1, wait);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) break;
    char buf[4096];
    ssize_t k = ::read(master_, buf, sizeof buf);
    if (k <= 0) break;  // the slave side is closed
    got.append(buf, static_cast<std::size_t>(k));
    if (want != 0 && got.size() >= want) break;
  }
  return got;
}

void Pty::closemaster() {
  if (master_ >= 0) ::close(master_);
  master_ = -1;
}

void Pty::closeslave() {
  if (slave_ >= 0) ::close(slave_);
  slave_ = -1;
}

void Pty::close() {
  closeslave();
  closemaster();
}

}  // namespace zelvotest
