// A program run as a process of its own, by default the built program with
// the stand-in emulator as its window: standard input from /dev/null,
// standard output (and error, unless it goes to a file) through pipes that
// the test reads while the program runs. The program leads a session of
// its own, so that what it starts can be ended with it. Unlike runchild,
// nothing turns off the sanitizers' check of its exit.
#pragma once

#include <sys/types.h>

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/child.h"

namespace zelvotest {

class ProgramRun {
 public:
  using Env = std::vector<std::pair<std::string, std::string>>;

  // Starts the built program with the variables of `env` set in its
  // environment, after the stand-in's folder is put first on its PATH.
  explicit ProgramRun(const Env& env) : ProgramRun(env, {}, "") {}
  // Starts `command` the same way (its first word, the program's name,
  // looked up on the PATH; "zelvo" is the built program), or the built
  // program when it is empty, with
  // its standard error going to `errfile` when that is not "".
  ProgramRun(const Env& env, const std::vector<std::string>& command, const std::string& errfile);
  ~ProgramRun();  // ends the program's group if the program still runs
  ProgramRun(const ProgramRun&) = delete;
  ProgramRun& operator=(const ProgramRun&) = delete;

  pid_t pid() const { return pid_; }

  // Reads standard output until `enough` says it holds enough, or until it
  // holds at least `bytes` bytes; false if timeoutms pass first. out() is
  // all that has been read so far.
  bool waitout(const std::function<bool(const std::string&)>& enough, int timeoutms);
  bool waitout(std::size_t bytes, int timeoutms) {
    return waitout([bytes](const std::string& out) { return out.size() >= bytes; }, timeoutms);
  }
  const std::string& out() const { return result_.out; }
  // The read end of the pipe from the program's standard output (-1 once
  // it has ended), for a test to size or to look into.
  int outfd() const { return out_; }

  // Whether the program has not ended yet.
  bool running();

  // Waits up to timeoutms for the program to end, reading its streams
  // meanwhile; gives its exit status (128 + the signal's number if a signal
  // ended it), or -1 if it still runs.
  int wait(int timeoutms);

  // Waits up to timeoutms for the program to end and for its streams to
  // reach their end (what it started may hold them too), kills the program
  // if it is still running then, and gives its status and all it wrote.
  ChildResult finish(int timeoutms);

  // Whether the streams read here have reached their end.
  bool ended() const { return out_ < 0 && err_ < 0; }

  // Ends the program's process group: SIGTERM, then SIGKILL for what is
  // left after two seconds; collects every member that is this process's
  // child.
  void stop();

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

}  // namespace zelvotest
