// The key loop running in a child process on a pseudo-terminal: the test
// types batches on the master, one batch per read of the loop, and reads
// back the exact bytes the loop wrote on the terminal, on standard output
// (a pipe) and on standard error (a pipe).
#pragma once

#include <sys/types.h>

#include <string>

#include "tests/support/pty.h"

namespace zelvotest {

class KeySession {
 public:
  KeySession() = default;
  ~KeySession();
  KeySession(const KeySession&) = delete;
  KeySession& operator=(const KeySession&) = delete;

  // Starts keyloop with the prompt "zelvo: " and gives what it wrote first
  // (the command that turns bracketed paste on, and the prompt). The loop's first read, which it throws away, gets `hello`.
  std::string start(const std::string& hello = "\033[?1;2c");

  // Types one batch, waits until the loop has read it, and gives what the
  // loop then wrote on the terminal.
  std::string key(const std::string& batch);

  // Types one batch and waits until the loop has read it, without waiting
  // for what it shows.
  void type(const std::string& batch);

  // What the loop has written on standard output (or error) since the last
  // call, waiting up to timeoutms for the first byte.
  std::string out(int timeoutms = 0);
  std::string err(int timeoutms = 0);

  // Whether the loop is still running after waitms.
  bool running(int waitms = 100);

  // Ends the terminal (closes the master side) and gives the loop's exit
  // status; the rest of standard output and error stay readable.
  int finish();

 private:
  Pty pty_;
  pid_t pid_ = -1;
  int out_ = -1, err_ = -1;
  int raw_ = 0;
  bool reaped_ = false;
};

}  // namespace zelvotest
