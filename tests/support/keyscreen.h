// The key loop run in this process on a pseudo-terminal of a given size,
// fed one batch per read from its after-batch hook (the loop calls it before
// every read), with its window modelled by a terminal emulator and checked
// after every read: the screen must show the transcript, and the cursor
// stand at CurP. The screen and the transcript take the codeset of the
// locale set when the KeyScreen is made. A thread reads the master
// side all the while, as a window does, so that no write of the loop ever
// waits for room; once the batches are used up and read, an end of file
// makes the next read deliver nothing and the loop ends. (KeySession, in
// keysession.h, runs the loop in a child process instead; it says why both
// exist.)
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/screenmodel.h"

namespace zelvo {
struct KeyState;
}

namespace zelvotest {

class KeyScreen {
 public:
  KeyScreen(int width, int rows = Transcript::rows);
  ~KeyScreen();
  KeyScreen(const KeyScreen&) = delete;
  KeyScreen& operator=(const KeyScreen&) = delete;

  // Runs the loop over the batches, calling `each` after every read too.
  // A batch may end anywhere, inside a key too; one longer than a read of
  // the terminal (80 bytes) is read in pieces, the next batch typed after
  // the first.
  // Standard output is taken while the loop runs (it tells which lines were
  // handed on) and given back after. Gives the first difference between the
  // screen and the transcript, "" when there was none.
  std::string run(const std::vector<std::string>& batches,
                  const std::function<void(const zelvo::KeyState&)>& each = {});

  // Leaves the screen unchecked (the lines handed on are still gathered).
  void unchecked() { checked_ = false; }

  // The lines handed on to standard output, without their counts.
  const std::vector<std::string>& sent() const { return sent_; }

  // How many checks were skipped (see Transcript::differs).
  int skipped() const { return transcript_.skipped(); }

 private:
  void type(const std::string& bytes);
  void catchup();
  void gathersent();
  void readmaster();

  int master_ = -1, slave_ = -1, out_ = -1;
  std::thread reader_;
  std::mutex lock_;
  std::condition_variable arrived_;
  std::string shown_;  // what the reader has taken from the master and the screen not yet seen
  bool ended_ = false;
  ScreenModel screen_;
  Transcript transcript_;
  std::string handed_;  // standard output not yet split into lines
  std::vector<std::string> sent_;
  bool checked_ = true;
};

}  // namespace zelvotest
