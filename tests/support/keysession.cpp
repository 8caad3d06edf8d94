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
#include "tests/support/scratch.h"

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

// The bytes that process pid has read so far, or -1.
long readcount(pid_t pid) {
  std::string io = readfile("/proc/" + std::to_string(pid) + "/io");
  std::size_t at = io.find("rchar: ");
  return at == std::string::npos ? -1 : std::atol(io.c_str() + at + 7);
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
  std::string prompt = pty_.output(5000, 15);  // the paste mode command and the prompt
  type(hello);
  return prompt;
}

// The loop reads nothing but its terminal, so its read count tells when it
// has taken the batch.
void KeySession::type(const std::string& batch) {
  long before = readcount(pid_);
  pty_.type(batch);
  for (int i = 0; i < 5000; ++i) {
    if (readcount(pid_) >= before + static_cast<long>(batch.size())) return;
    usleep(500);
  }
  ADD_FAILURE() << "the loop did not read the batch";
}

std::string KeySession::key(const std::string& batch) {
  type(batch);
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
