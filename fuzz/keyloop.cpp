// Fuzzes the key loop with arbitrary key batches on a pseudo-terminal, in
// this process: the loop's terminal is the slave side, and each batch is
// typed on the master from the loop's after-batch hook, which waits until the
// slave holds all of it, so that every read of the loop takes exactly one
// batch. The slave does not block: once the batches are used up, the next
// read delivers nothing and the loop ends. After every batch the line and
// the history must be consistent: 0 <= CurP <= Nl, Nl the length of Line,
// and no more than 100 lines in the history.
//
// Every read of the runtime pauses 10 ms first, so that keys typed by a
// person gather into one batch. Here each batch is pending in full before
// the read, so the pause changes nothing but the speed: the target defines
// the system's nanosleep to return at once (the runtime's pauses are its
// only callers; the C library's own sleeps do not come here).
//
// The input is a list of batches, each a header byte and then its bytes:
// the low 5 bits give the length less one (1 to 32 bytes); with the top bit
// set, the byte after the header repeats the batch 1 to 256 times. At most
// 160 batches are typed. An escape
// with fewer than three characters is typed together with the batch after
// it: the loop reads on for the rest of the sequence without handing a
// batch back, and appends what it reads, so that is the same batch.
#include <fcntl.h>
#include <pty.h>
#include <sanitizer/common_interface_defs.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
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
#include "fuzz/support.h"

namespace {

constexpr size_t maxbatches = 160;
int master = -1, slave = -1, devnull = -1, stderrcopy = -1;

// Standard error back in place, a message, and an abort (a finding).
[[noreturn]] void fail(const char* what) {
  dup2(stderrcopy, 2);
  std::fprintf(stderr, "keyloop fuzz: %s\n", what);
  std::abort();
}

// The loop must never stop through rterror.
[[noreturn]] void stopped(int) { fail("the key loop stopped with a run-time error"); }

// Milliseconds on a monotonic clock.
long long nowms() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// Reads and drops what the loop wrote on its terminal.
void drain() {
  char buf[4096];
  while (read(master, buf, sizeof buf) > 0) {
  }
}

// Types bytes on the master and waits until the slave holds all of them.
void type(const std::string& bytes) {
  if (write(master, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) fail("typing failed");
  long long end = nowms() + 5000;
  for (;;) {
    int count = 0;
    if (ioctl(slave, FIONREAD, &count) == 0 && static_cast<size_t>(count) == bytes.size()) return;
    if (nowms() >= end) fail("a typed batch did not reach the terminal");
    usleep(100);
  }
}

// The batches of an input, as the loop is to read them.
std::vector<std::string> batches(const uint8_t* data, size_t size) {
  std::vector<std::string> out;
  size_t pos = 0;
  while (pos < size && out.size() < maxbatches) {
    uint8_t header = data[pos++];
    size_t times = 1;
    if ((header & 0x80) != 0 && pos < size) times = 1 + size_t{data[pos++]};
    size_t n = std::min<size_t>(1 + (header & 0x1F), size - pos);
    if (n == 0) break;
    std::string batch(reinterpret_cast<const char*>(data + pos), n);
    pos += n;
    for (size_t i = 0; i < times && out.size() < maxbatches; ++i) out.push_back(batch);
  }
  // An escape is read on until it has three characters.
  for (size_t i = 0; i + 1 < out.size();) {
    if (out[i][0] == 27 && out[i].size() <= 2) {
      out[i] += out[i + 1];
      out.erase(out.begin() + static_cast<std::ptrdiff_t>(i) + 1);
    } else {
      ++i;
    }
  }
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
  // The loop rings the bell on descriptor 2, which is the fuzzer's own
  // output: while it runs, 2 is /dev/null, and sanitizer reports go to a
  // copy of the real standard error.
  stderrcopy = dup(2);
  devnull = open("/dev/null", O_WRONLY);
  if (stderrcopy < 0 || devnull < 0) std::abort();
  __sanitizer_set_report_fd(reinterpret_cast<void*>(static_cast<intptr_t>(stderrcopy)));
  if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) std::abort();
  termios t;
  tcgetattr(slave, &t);
  cfmakeraw(&t);
  tcsetattr(slave, TCSANOW, &t);
  fcntl(slave, F_SETFL, fcntl(slave, F_GETFL) | O_NONBLOCK);
  fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> keys = batches(data, size);
  tcflush(slave, TCIOFLUSH);
  drain();
  type("\033[?1;2c");  // the terminal's first answer, which the loop throws away
  size_t next = 0;
  auto afterbatch = [&](const zelvo::KeyState& k) {
    check(k);
    drain();
    if (next < keys.size()) type(keys[next++]);
  };
  dup2(devnull, 2);
  void (*exit)(int) = rt::errorexit;
  rt::errorexit = stopped;
  zelvo::keyloop(zelvo::charvec("zelvo: "), zelvo::intscalar(slave), afterbatch);
  rt::errorexit = exit;
  dup2(stderrcopy, 2);
  return 0;
}
