// Fuzzes the key loop with arbitrary input on a pseudo-terminal of a chosen
// size, in this process (tests/support/keyscreen.h), cut into reads in two
// ways: as the input's pieces say, each typed from the loop's before-read
// hook so that every read takes one piece, and again into reads of 1 to 8
// bytes, cut at places drawn from the input.
// After every read of the first run the line and the history must be
// consistent (0 <= CurP <= Nl, Nl the length of Line, at most 100 lines in
// the history), and the window, modelled by a terminal emulator in UTF-8,
// must show a stretch of the transcript's rows with the cursor at CurP, and
// its scrollback the rows before, in order. The two runs must hand
// on the same lines and end with the same line in hand: what the operator
// gets never depends on where the terminal cut reads that come without a
// pause. No stored line is empty, and their lengths add up to the history's
// bytes; the same input, read as actions, must walk the history as a plain
// model does (walkagrees).
//
// Every read of the runtime pauses 10 ms first, so that keys typed by a
// person gather into one batch. Here each piece is pending in full before
// the read, so the pause changes nothing but the speed: the target defines
// the system's nanosleep to return at once (the runtime's pauses are its
// only callers; the C library's own sleeps do not come here).
//
// The input is a size byte (width and height), then a list of pieces, each a header byte and
// what it gives. With the top bit clear, bytes follow: the low 5 bits give
// their number less one (1 to 32); with bit 6 set, the byte after the
// header repeats the piece 1 to 256 times. With the top bit set, the low 7
// bits pick one of the tokens below: keys and their parts, paste markers,
// characters and their first bytes. At most 160 pieces and 4096 bytes are
// typed (the screen check costs time in the length of the lines).
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
#include "console/chars.h"
#include "console/editing.h"
#include "console/globals.h"
#include "console/keyloop.h"
#include "console/keystate.h"
#include "console/screen.h"
#include "fuzz/support.h"
#include "tests/support/keyscreen.h"

namespace {

constexpr size_t maxpieces = 160, maxbytes = 4096;
constexpr int widths[] = {46, 20, 80, 9, 7, 5};  // 7: the prompt fills its row; 5: it wraps
constexpr int heights[] = {24, 7, 3, 2, 1};  // lines taller than the window are shown in part
int devnull = -1, stderrcopy = -1;

const char* const tokens[] = {
    "\033[200~", "\033[201~", "\033[20", "\033[A", "\033[B", "\033[C", "\033[D", "\033[3~", "\033[3",
    "\033[1;5D", "\033OP", "\033O", "\033[H", "\033[", "\033", "\r", "\b", "\x7f", "\t", "\n", "\x03",
    "\xC3\xA9", "\xC3", "\xE6\x97\xA5", "\xE6\x97", "\xCC\x81", "\xC2\x85", "\xC2\x9B", "\xC2", "\xFF",
};

// Standard error back in place, a message, and an abort (a finding).
[[noreturn]] void fail(const std::string& what) {
  dup2(stderrcopy, 2);
  std::fprintf(stderr, "keyloop fuzz: %s\n", what.c_str());
  std::abort();
}

// The loop must never stop through rterror.
[[noreturn]] void stopped(int) { fail("the key loop stopped with a run-time error"); }

// The pieces of an input, one read each.
std::vector<std::string> pieces(const uint8_t* data, size_t size) {
  std::vector<std::string> out;
  size_t pos = 0, typed = 0;
  while (pos < size && out.size() < maxpieces && typed < maxbytes) {
    uint8_t header = data[pos++];
    std::string piece;
    size_t times = 1;
    if ((header & 0x80) != 0) {
      piece = tokens[(header & 0x7F) % std::size(tokens)];
    } else {
      if ((header & 0x40) != 0 && pos < size) times = 1 + size_t{data[pos++]};
      size_t n = std::min<size_t>(1 + (header & 0x1F), size - pos);
      if (n == 0) break;
      piece.assign(reinterpret_cast<const char*>(data + pos), n);
      pos += n;
    }
    for (size_t i = 0; i < times && out.size() < maxpieces && typed < maxbytes; ++i) {
      out.push_back(piece);
      typed += piece.size();
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
  const rt::Array& lengths = k.Hlen.get();
  if (history.type != rt::Char || history.rank != 1) fail("History is not a character vector");
  if (lengths.type != rt::Int || lengths.rank != 1) fail("Hlen is not an integer vector");
  if (lengths.shape[0] > 100) fail("more than 100 lines in the history");
  int64_t bytes = 0;
  for (int32_t i = 0; i < lengths.shape[0]; bytes += rt::ints(lengths)[i++])
    if (rt::ints(lengths)[i] <= 0) fail("an empty line in the history");
  if (bytes != history.shape[0]) fail("Hlen does not add up to History");
}

// What an operator ends up with: the lines handed on, and the line in hand.
struct Outcome {
  std::vector<std::string> sent;
  std::string line;
  bool operator==(const Outcome&) const = default;
};

// Runs the loop over the pieces; gives the window's first difference from
// the transcript in *difference when the screen is checked.
Outcome session(int width, int height, const std::vector<std::string>& input, bool checked,
                std::string* difference) {
  zelvotest::KeyScreen screen(width, height);
  if (!checked) screen.unchecked();
  Outcome got;
  auto each = [&](const zelvo::KeyState& k) {
    check(k);
    got.line = std::string(zelvo::textof(k.Line.get()));
  };
  dup2(devnull, 2);
  void (*exit)(int) = rt::errorexit;
  rt::errorexit = stopped;
  std::string found = screen.run(input, each);
  rt::errorexit = exit;
  dup2(stderrcopy, 2);
  if (difference) *difference = found;
  got.sent = screen.sent();
  // A closing word ends the loop, and what was in hand before it is moot.
  auto ends = [](const std::string& l) {
    return l.size() >= 4 && (l.compare(l.size() - 4, 4, "quit") == 0 || l.compare(l.size() - 4, 4, "exit") == 0);
  };
  if (!got.sent.empty() && ends(got.sent.back())) got.line.clear();
  return got;
}

std::string joined(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& l : lines) out += "[" + l + "]";
  return out;
}

// The history walk against a plain model: the stored lines, the walk's
// place in them (-1 past the oldest, their number past the newest) and the
// draft. Each input byte is one action on the loop's variables (the window
// is /dev/null): Up, Down, Return, or a byte typed or a Backspace at the
// end of the line in hand.
struct WalkModel {
  std::vector<std::string> lines;
  int pos = 0;
  std::string draft, line;

  int newest() const { return static_cast<int>(lines.size()); }
  void up() {
    if (pos == newest()) draft = line;
    pos = std::max(-1, pos - 1);
    line = pos < 0 ? "" : lines[static_cast<size_t>(pos)];
  }
  void down() {
    if (pos < newest()) line = ++pos == newest() ? draft : lines[static_cast<size_t>(pos)];
  }
  void enter() {
    if (!line.empty()) lines.push_back(line);
    if (lines.size() > 100) lines.erase(lines.begin());
    pos = newest();
    draft = line = "";
  }
};

void walkagrees(const uint8_t* data, size_t size) {
  void (*exit)(int) = rt::errorexit;
  rt::errorexit = stopped;
  zelvo::KeyState k(zelvo::charvec("zelvo: "), zelvo::intscalar(devnull));
  zelvo::setconstants(k);
  zelvo::emptyhistory(k);
  WalkModel model;
  for (size_t i = 0; i <= size; ++i) {
    uint8_t b = i == 0 ? 4 : data[i - 1];  // a Return first: the first prompt
    switch (b % 8) {
      case 0: case 1: zelvo::up(k); model.up(); break;
      case 2: case 3: zelvo::down(k); model.down(); break;
      case 4:
        if (i > 0) zelvo::store(k);
        zelvo::newwalk(k);
        k.Line.set(zelvo::charvec(""));
        k.Nl.set(zelvo::intscalar(0));
        k.CurP.set(zelvo::intscalar(0));
        zelvo::atprompt(k);
        model.enter();
        break;
      case 7:
        zelvo::backspace(k);
        if (!model.line.empty()) model.line.pop_back();
        break;
      default:
        model.line += "ab \rxyz."[b / 8 % 8];
        zelvo::insert(k, zelvo::Temp(zelvo::charvec(model.line.substr(model.line.size() - 1))));
    }
    std::string shown(zelvo::textof(k.Line.get()));
    if (shown != model.line) fail("the walk shows [" + shown + "], the model [" + model.line + "]");
  }
  std::string stored;
  for (const std::string& l : model.lines) stored += l;
  if (zelvo::textof(k.History.get()) != stored || zelvo::length(k.Hlen.get()) != model.newest())
    fail("the history differs from the model's");
  rt::errorexit = exit;
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
  walkagrees(data, size);
  int width = widths[data[0] % std::size(widths)];
  int height = heights[data[0] / std::size(widths) % std::size(heights)];
  std::vector<std::string> input = pieces(data + 1, size - 1);
  std::string difference;
  Outcome cut = session(width, height, input, true, &difference);
  if (!difference.empty())
    fail(std::to_string(width) + "x" + std::to_string(height) + ": the window differs: " + difference);
  // The same bytes cut elsewhere: into reads of 1 to 8 bytes, at places
  // drawn from the input.
  std::string all;
  for (const std::string& p : input) all += p;
  std::vector<std::string> recut;
  uint32_t draw = static_cast<uint32_t>(size) * 2654435761u;
  for (size_t at = 0; at < all.size();) {
    draw = draw * 1103515245u + 12345u + data[at % size];
    size_t n = 1 + (draw >> 16) % 8;
    recut.push_back(all.substr(at, n));
    at += n;
  }
  Outcome other = session(width, height, recut, false, nullptr);
  if (!(other == cut))
    fail("the outcome depends on the cut: as pieces " + joined(cut.sent) + " with [" + cut.line +
         "] in hand, cut elsewhere " + joined(other.sent) + " with [" + other.line + "]");
  return 0;
}
