// A key loop running in a child process on a pseudo-terminal: the test
// types batches on the master, one batch per read of the loop, and reads
// back the exact bytes the loop wrote on the terminal, on standard output
// (a pipe) and on standard error (a pipe). The loop is the console's, or
// another one that serves a terminal the same way (the benchmarks' bare
// loop); the child keeps nothing open but the terminal and the pipes.
//
// The other key-loop harness, KeyScreen (keyscreen.h), runs the loop in the
// test's own process, where its hook can look at the loop's state after
// every read and a fuzz target can drive it. A session keeps the loop in a
// process of its own instead, for what only a process shows: its exit
// status, its pace and CPU time, and what it leaves on its streams.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "tests/support/pty.h"

namespace zelvotest {

class KeySession {
 public:
  // A loop to run: called in the child with the terminal's descriptor (the
  // child exits 0 when it returns), and the number of bytes it writes on
  // the terminal before its first read.
  struct Loop {
    void (*run)(int tty);
    std::size_t greeting;
  };
  // The console's key loop with the prompt "zelvo: "; it greets with the
  // command that turns bracketed paste on, and the prompt.
  // When the reader of its standard output goes, it ends as the program does.
  static const Loop console;
  // The console's key loop with Line already holding `length` letters (no
  // closing word) and the cursor after `curp` of them, set before the first
  // key, which draws the line: for lines too long to type.
  static Loop withline(int32_t length, int32_t curp);

  // A session of the loop, on a terminal of cols by rows when cols is not 0.
  explicit KeySession(const Loop& loop = console, int cols = 0, int rows = 0);
  ~KeySession();
  KeySession(const KeySession&) = delete;
  KeySession& operator=(const KeySession&) = delete;

  // Starts the loop and gives its greeting; the loop's first read, which it
  // throws away, gets `hello`. Gives "" if the loop did not read it.
  std::string start(const std::string& hello = "\033[?1;2c");

  // Types one batch, waits until the loop has read it, and gives what the
  // loop then wrote on the terminal.
  std::string key(const std::string& batch);

  // Types one batch and waits until the loop has read it, without waiting
  // for what it shows; gives whether it was read.
  bool type(const std::string& batch);

  // What the loop has written on standard output (or error) since the last
  // call, waiting up to timeoutms for the first byte.
  std::string out(int timeoutms = 0);
  std::string err(int timeoutms = 0);

  // Closes the read end of standard output: the loop's reader goes away.
  void closeout();

  // Whether the loop is still running after waitms.
  bool running(int waitms = 100);

  // Ends the terminal (closes the master side) and gives the loop's exit
  // status; the rest of standard output and error stay readable.
  int finish();

  // For a caller that reads and writes on its own: the loop's process, the
  // master side of its terminal, and the read end of its standard output.
  pid_t pid() const { return pid_; }
  int master() const { return pty_.master(); }
  int outfd() const { return out_; }

 private:
  Loop loop_;
  int cols_, rows_;
  Pty pty_;
  pid_t pid_ = -1;
  int out_ = -1, err_ = -1;
  int raw_ = 0;
  bool reaped_ = false;
};

}  // namespace zelvotest
