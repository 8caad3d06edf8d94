// Fuzzes the key loop with arbitrary key batches on a pseudo-terminal of a
// chosen width, in this process (tests/support/keyscreen.h): each batch is
// typed from the loop's after-batch hook once the slave holds all of it, so
// that every read of the loop takes exactly one batch. The slave does not
// block: once the batches are used up, the next read delivers nothing and the
// loop ends. After every batch the line and the history must be consistent
// (0 <= CurP <= Nl, Nl the length of Line, at most 100 lines in the history),
// and the window, modelled by a terminal emulator in UTF-8, must show the
// transcript with the cursor at CurP.
//
// Every read of the runtime pauses 10 ms first, so that keys typed by a
// person gather into one batch. Here each batch is pending in full before
// the read, so the pause changes nothing but the speed: the target defines
// the system's nanosleep to return at once (the runtime's pauses are its
// only callers; the C library's own sleeps do not come here).
//
// The input is a width byte, then a list of batches, each a header byte and
// then its bytes: the low 5 bits give the length less one (1 to 32 bytes);
// with the top bit set, the byte after the header repeats the batch 1 to 256
// times. At most 160 batches and 2048 bytes are typed (the screen check costs
// time in the length of the lines). An escape with fewer than three
// characters, or a batch that ends inside a UTF-8 sequence, is typed
// together with the batch after it: the loop reads on for the rest without
// handing a batch back, and appends what it reads, so that is the same batch.
// Typing stops before a batch longer than one read of the terminal (80
// bytes) and leaves out a last batch that the loop would read on after.
#include <fcntl.h>
#include <sanitizer/common_interface_defs.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <clocale>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "console/arrays.h"
#include "console/editing.h"
#include "console/globals.h"
#include "console/keyloop.h"
#include "console/screen.h"
#include "fuzz/support.h"
#include "tests/support/keyscreen.h"

namespace {

constexpr size_t maxbatches = 160, maxbytes = 2048;
constexpr int widths[] = {46, 20, 80, 9, 7, 5};  // 7: the prompt fills its row; 5: it wraps
constexpr int rows = 120;  // longer transcripts scroll, and are not compared
int devnull = -1, stderrcopy = -1;

// Standard error back in place, a message, and an abort (a finding).
[[noreturn]] void fail(const std::string& what) {
  dup2(stderrcopy, 2);
  std::fprintf(stderr, "keyloop fuzz: %s\n", what.c_str());
  std::abort();
}

// The loop must never stop through rterror.
[[noreturn]] void stopped(int) { fail("the key loop stopped with a run-time error"); }

// The batches of an input, as the loop is to read them.
std::vector<std::string> batches(const uint8_t* data, size_t size) {
  std::vector<std::string> out;
  size_t pos = 0, typed = 0;
  while (pos < size && out.size() < maxbatches && typed < maxbytes) {
    uint8_t header = data[pos++];
    size_t times = 1;
    if ((header & 0x80) != 0 && pos < size) times = 1 + size_t{data[pos++]};
    size_t n = std::min<size_t>(1 + (header & 0x1F), size - pos);
    if (n == 0) break;
    std::string batch(reinterpret_cast<const char*>(data + pos), n);
    pos += n;
    for (size_t i = 0; i < times && out.size() < maxbatches && typed < maxbytes; ++i) {
      out.push_back(batch);
      typed += n;
    }
  }
  // The loop reads on until an escape has three characters, and until a
  // character split between reads is whole; a last batch that it would read
  // on after waits for keys that never come, and is left out.
  auto incomplete = [](const std::string& b) {
    return b[0] == 27 ? b.size() <= 2
                      : b[0] != 8 && b[0] != 127 && zelvo::unfinished(zelvo::Temp(zelvo::charvec(b)));
  };
  for (size_t i = 0; i + 1 < out.size();) {
    if (incomplete(out[i])) {
      out[i] += out[i + 1];
      out.erase(out.begin() + static_cast<std::ptrdiff_t>(i) + 1);
    } else {
      ++i;
    }
  }
  // The loop reads at most 80 bytes at a time: a longer batch would be read
  // as two, and what comes after it is not typed.
  auto longer = std::find_if(out.begin(), out.end(), [](const std::string& b) { return b.size() > 80; });
  out.erase(longer, out.end());
  if (!out.empty() && incomplete(out.back())) out.pop_back();
  return out;
}

int32_t intof(const zelvo::Var& v) {
  const rt::Array& a = v.get();
  if (a.type != rt::Int || a.rank != 0) fail("a counter is not an integer scalar");
  return *rt::ints(a);
}

// The invariants of the line and the history.
void check(const zelvo::KeyState& k) {
  int32_t curp = intof(k.CurP), nl = intof(k.Nl);
  const rt::Array& line = k.Line.get();
  if (line.type != rt::Char || line.rank != 1) fail("Line is not a character vector");
  if (curp < 0 || curp > nl) fail("CurP outside 0..Nl");
  if (line.shape[0] != nl) fail("Nl is not the length of Line");
  const rt::Array& history = k.History.get();
  if (history.type != rt::Char || history.rank != 1) fail("History is not a character vector");
  int32_t lines = 0;
  for (int32_t i = 0; i < history.shape[0]; ++i) lines += rt::chars(history)[i] == '\r';
  if (lines > 100) fail("more than 100 lines in the history");
  if (history.shape[0] > 0 && rt::chars(history)[history.shape[0] - 1] != '\r') fail("History does not end in CR");
}

}  // namespace

extern "C" int nanosleep(const timespec*, timespec*) { return 0; }

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  zelvofuzz::setup();
  zelvo::LINEOFFSET.create();
  if (std::setlocale(LC_CTYPE, "C.UTF-8") == nullptr) std::abort();
  zelvo::readcodeset();
  // The loop rings the bell on descriptor 2, which is the fuzzer's own
  // output: while it runs, 2 is /dev/null, and sanitizer reports go to a
  // copy of the real standard error.
  stderrcopy = dup(2);
  devnull = open("/dev/null", O_WRONLY);
  if (stderrcopy < 0 || devnull < 0) std::abort();
  __sanitizer_set_report_fd(reinterpret_cast<void*>(static_cast<intptr_t>(stderrcopy)));
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  int width = widths[data[0] % std::size(widths)];
  std::vector<std::string> keys = batches(data + 1, size - 1);
  zelvotest::KeyScreen screen(width, rows);
  dup2(devnull, 2);
  void (*exit)(int) = rt::errorexit;
  rt::errorexit = stopped;
  std::string difference = screen.run(keys, check);
  rt::errorexit = exit;
  dup2(stderrcopy, 2);
  if (!difference.empty()) fail("width " + std::to_string(width) + ": the window differs: " + difference);
  return 0;
}
