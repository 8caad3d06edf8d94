// The built program run as a process of its own, with the stand-in emulator
// as its window: standard input from /dev/null, standard output and error
// through pipes that the test reads while the program runs. Unlike
// runchild, nothing turns off the sanitizers' check of its exit.
#pragma once

#include <sys/types.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/child.h"

namespace zelvotest {

class ProgramRun {
 public:
  // Starts the program with these variables added to its environment and
  // the stand-in's folder first on its PATH.
  explicit ProgramRun(const std::vector<std::pair<std::string, std::string>>& env);
  ~ProgramRun();  // kills and collects the program if it still runs
  ProgramRun(const ProgramRun&) = delete;
  ProgramRun& operator=(const ProgramRun&) = delete;

  pid_t pid() const { return pid_; }

  // Reads standard output until it holds at least `bytes` bytes; false if
  // timeoutms pass first. out() is all that has been read so far.
  bool waitout(std::size_t bytes, int timeoutms);
  const std::string& out() const { return result_.out; }

  // Whether the program has not ended yet.
  bool running();

  // Waits up to timeoutms for the program to end and for both streams to
  // reach their end (the emulator holds them too), kills the program if it
  // is still running then, and gives its status and all it wrote.
  ChildResult finish(int timeoutms);

  // Sends the program a signal.
  void signal(int sig);

 private:
  // Reads whatever either stream has within waitms; false once both ended.
  bool pump(int waitms);
  void collect(int options);

  pid_t pid_ = -1;
  int out_ = -1, err_ = -1;
  bool ended_ = false;
  ChildResult result_;
};

// The open descriptors of a process and what each refers to.
std::map<int, std::string> openfds(pid_t pid);

// The processes whose parent is pid.
std::vector<int> childrenof(pid_t pid);

// Whether the process exists and has not ended (a zombie has ended).
bool alive(pid_t pid);

}  // namespace zelvotest
