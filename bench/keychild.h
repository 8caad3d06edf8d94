// A key loop running in a child process on a pseudo-terminal in raw mode,
// with its standard output on a pipe: the console's own loop, or the bare
// loop of the baselines, which only pauses 10 ms, reads what the terminal
// has and writes it back (and on Return writes the line and its count as the
// console does).
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>

namespace zelvobench {

class KeyChild {
 public:
  enum Kind { Console, Bare };

  // Starts the loop, waits for its prompt and lets it take its first read
  // (which both loops throw away).
  explicit KeyChild(Kind kind);
  // Closes the terminal's master side, which ends the loop, and collects it.
  ~KeyChild();
  KeyChild(const KeyChild&) = delete;
  KeyChild& operator=(const KeyChild&) = delete;

  // Whether the loop started and took its first read.
  bool ok() const { return ok_; }
  pid_t pid() const { return pid_; }
  int master() const { return master_; }  // the operator's side of the terminal
  int out() const { return out_; }        // the read end of the loop's standard output

  // What the loop writes on the terminal for letters typed at the end of the line.
  std::string echo(const std::string& letters) const;
  // What it writes on the terminal for Return: CR LF and the next prompt.
  static std::string newline();
  // What it writes on standard output for a finished line.
  static std::string delivered(const std::string& line);

 private:
  Kind kind_;
  pid_t pid_ = -1;
  int master_ = -1, slave_ = -1, out_ = -1;
  bool ok_ = false;
};

}  // namespace zelvobench
