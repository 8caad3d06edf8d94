// KeySession.
#include "tests/support/keysession.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include <gtest/gtest.h>

#include "console/arrays.h"
#include "console/globals.h"
#include "console/keyloop.h"

namespace zelvotest {

namespace {
// Everything readable on fd now, after waiting up to timeoutms for the first byte.
std::string drain(int fd, int timeoutms) {
  std::string got;
  pollfd p{fd, POLLIN, 0};
  while (poll(&p, 1, got.empty() ? timeoutms : 20) > 0) {
    char buf[4096];
    ssize_t k = read(fd, buf, sizeof buf);
    if (k <= 0) break;
    got.append(buf, static_cast<std::size_t>(k));
  }
  return got;
}

// Waits until nothing typed is left unread on the slave side.
void consumed(int slave) {
  for (int i = 0; i < 5000; ++i) {
    int count = 0;
    if (ioctl(slave, FIONREAD, &count) == 0 && count == 0) return;
    usleep(1000);
  }
  ADD_FAILURE() << "the loop did not read the batch";
}
}  // namespace

KeySession::~KeySession() {
  if (pid_ > 0 && !reaped_) finish();
  if (out_ >= 0) close(out_);
  if (err_ >= 0) close(err_);
}

std::string KeySession::start(const std::string& hello) {
  if (!pty_.open()) return "";
  int o[2], e[2];
  if (pipe(o) != 0 || pipe(e) != 0) return "";
  std::fflush(nullptr);
  pid_ = fork();
  if (pid_ == 0) {
    dup2(o[1], 1);
    dup2(e[1], 2);
    close(o[0]);
    close(o[1]);
    close(e[0]);
    close(e[1]);
    pty_.closemaster();
    zelvo::LINEOFFSET.create();
    zelvo::keyloop(zelvo::charvec("zelvo: "), zelvo::intscalar(pty_.slave()));
    zelvo::LINEOFFSET.release();
    std::exit(0);
  }
  close(o[1]);
  close(e[1]);
  out_ = o[0];
  err_ = e[0];
  std::string prompt = pty_.output(5000, 7);
  pty_.type(hello);
  pty_.pending(hello.size());
  consumed(pty_.slave());
  return prompt;
}

std::string KeySession::key(const std::string& batch) {
  pty_.type(batch);
  pty_.pending(batch.size(), 500);
  consumed(pty_.slave());
  return pty_.output(150);
}

std::string KeySession::out(int timeoutms) { return drain(out_, timeoutms); }

std::string KeySession::err(int timeoutms) { return drain(err_, timeoutms); }

bool KeySession::running(int waitms) {
  usleep(static_cast<useconds_t>(waitms) * 1000);
  if (!reaped_ && pid_ > 0 && waitpid(pid_, &raw_, WNOHANG) == pid_) reaped_ = true;
  return !reaped_;
}

int KeySession::finish() {
  pty_.closemaster();
  if (pid_ > 0 && !reaped_) waitpid(pid_, &raw_, 0);
  reaped_ = true;
  return WIFEXITED(raw_) ? WEXITSTATUS(raw_) : 128 + WTERMSIG(raw_);
}

}  // namespace zelvotest
