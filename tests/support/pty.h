// A pseudo-terminal pair for tests: the code under test uses the slave side
// as its terminal, the test types on the master side and reads what the
// code wrote there.
#pragma once

#include <cstddef>
#include <string>

namespace zelvotest {

class Pty {
 public:
  Pty() = default;
  ~Pty() { close(); }
  Pty(const Pty&) = delete;
  Pty& operator=(const Pty&) = delete;

  // Opens a pair. With raw set (the default) the slave is put in raw mode
  // without echo, as the console sets its terminal: every key is readable at
  // once. A window size is set when cols is not 0. Gives false (and records
  // a test failure) if no pair can be had.
  bool open(bool raw = true, int cols = 0, int rows = 0);

  int master() const { return master_; }
  int slave() const { return slave_; }

  // Types bytes on the master; gives whether all of them were written.
  bool type(const std::string& bytes);

  // Waits until the slave has at least n bytes pending for a reader (typed
  // bytes reach the slave asynchronously), or timeoutms has passed; gives
  // whether they are there.
  bool pending(std::size_t n, int timeoutms = 2000);

  // Reads what the slave's side wrote: waits up to timeoutms for output,
  // then takes whatever follows until the output pauses for 50 ms, or until
  // `want` bytes have come when want is not 0.
  std::string output(int timeoutms = 2000, std::size_t want = 0);

  void closemaster();
  void closeslave();
  void close();

 private:
  int master_ = -1;
  int slave_ = -1;
};

}  // namespace zelvotest
