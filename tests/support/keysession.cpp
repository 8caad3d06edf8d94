// KeySession.
#include "tests/support/keysession.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <utility>

#include <gtest/gtest.h>

#include "console/arrays.h"
#include "console/globals.h"
#include "console/keyloop.h"
#include "console/keystate.h"
#include "console/start.h"
#include "tests/support/child.h"
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

int32_t seedlength = 0, seedcurp = 0;  // for withline: the child takes them over

}  // namespace

const KeySession::Loop KeySession::console = {
    [](int tty) {
      zelvo::LINEOFFSET.create();
      zelvo::LoopEnd end = zelvo::keyloop(zelvo::charvec("zelvo: "), zelvo::intscalar(tty));
      zelvo::LINEOFFSET.release();
      if (end == zelvo::LoopEnd::ReaderGone) std::exit(zelvo::readergone());  // as the program ends
    },
    sizeof "\033[?2004hzelvo: " - 1};

KeySession::Loop KeySession::withline(int32_t length, int32_t curp) {
  seedlength = length;
  seedcurp = curp;
  auto run = [](int tty) {
    zelvo::LINEOFFSET.create();
    bool seeded = false;
    zelvo::keyloop(zelvo::charvec("zelvo: "), zelvo::intscalar(tty), [&seeded](const zelvo::KeyState& state) {
      if (std::exchange(seeded, true)) return;
      auto& k = const_cast<zelvo::KeyState&>(state);  // the loop's own variables, shown to its hook as const
      std::string line(static_cast<std::size_t>(seedlength), 'a');
      for (std::size_t i = 0; i < line.size(); ++i) line[i] = static_cast<char>('a' + i % 26);
      k.Line.set(zelvo::charvec(line));
      k.Nl.set(zelvo::intscalar(seedlength));
      k.CurP.set(zelvo::intscalar(seedcurp));
      k.CurCol.set(zelvo::intscalar(-1));  // the next key draws the line anew
    });
    zelvo::LINEOFFSET.release();
  };
  return {run, console.greeting};
}

KeySession::KeySession(const Loop& loop, int cols, int rows) : loop_(loop), cols_(cols), rows_(rows) {}

KeySession::~KeySession() {
  if (pid_ > 0 && !reaped_) finish();
  if (out_ >= 0) close(out_);
  if (err_ >= 0) close(err_);
}

std::string KeySession::start(const std::string& hello) {
  if (!pty_.open(true, cols_, rows_)) return "";
  int o[2], e[2];
  if (pipe(o) != 0 || pipe(e) != 0) return "";
  std::fflush(nullptr);
  pid_ = fork();
  if (pid_ == 0) {
    // Standard output and error on the pipes, the terminal on 3, and
    // nothing else: no other session's terminal stays open here.
    dup2(o[1], 1);
    dup2(e[1], 2);
    dup2(pty_.slave(), 3);
    close_range(4, ~0U, 0);
    freshpeak();  // so that a benchmark can read what the loop itself used
    loop_.run(3);
    std::exit(0);
  }
  close(o[1]);
  close(e[1]);
  out_ = o[0];
  err_ = e[0];
  std::string greeting = pty_.output(5000, loop_.greeting);
  return type(hello) ? greeting : "";
}

// The loop reads nothing but its terminal, so its read count tells when it
// has taken the batch.
bool KeySession::type(const std::string& batch) {
  long before = readcount(pid_);
  pty_.type(batch);
  if (waitread(pid_, before, static_cast<long>(batch.size()), 2500)) return true;
  ADD_FAILURE() << "the loop did not read the batch";
  return false;
}

std::string KeySession::key(const std::string& batch) {
  type(batch);
  return pty_.output(150);
}

std::string KeySession::out(int timeoutms) { return drain(out_, timeoutms); }

std::string KeySession::err(int timeoutms) { return drain(err_, timeoutms); }

void KeySession::closeout() {
  close(out_);
  out_ = -1;
}

bool KeySession::running(int waitms) {
  usleep(static_cast<useconds_t>(waitms) * 1000);
  if (!reaped_ && pid_ > 0 && waitpid(pid_, &raw_, WNOHANG) == pid_) reaped_ = true;
  return !reaped_;
}

int KeySession::finish() {
  pty_.closemaster();
  if (pid_ > 0 && !reaped_) waitpid(pid_, &raw_, 0);
  reaped_ = true;
  return exitstatus(raw_);
}

}  // namespace zelvotest
