// The console's key loop against a bare loop, both in child processes on
// pseudo-terminals of the console's window size at the same time: the
// latency of a key's echo and of a finished line's delivery on standard
// output, and the CPU time of waiting for a key.
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/goals.h"
#include "console/arrays.h"
#include "console/editing.h"
#include "console/keystate.h"
#include "console/screen.h"
#include "tests/support/keysession.h"
#include "tests/support/record.h"
#include "tests/support/scratch.h"

namespace {

using zelvobench::addgoal;
using zelvobench::nowns;
using zelvobench::counter;
using zelvobench::Test;
using zelvotest::KeySession;

const char prompt[] = "zelvo: ";
const std::size_t promptlength = sizeof prompt - 1;

void pause10ms() {
  timespec t{0, 10000000L};
  nanosleep(&t, nullptr);
}

void put(int fd, const char* bytes, std::size_t n) {
  ssize_t k = write(fd, bytes, n);
  (void)k;  // as in the console, a short write is not retried
}

// The baseline: the console's terminal traffic without its array runtime. A
// 10 ms pause before every read, each batch written back, and on a batch
// ending in CR the line to standard output by a direct write, its count
// through the buffered stream, flushed.
[[noreturn]] void bareloop(int tty) {
  char line[4096], batch[80];
  std::size_t n = 0;
  put(tty, prompt, promptlength);
  pause10ms();
  if (read(tty, batch, sizeof batch) <= 0) _exit(0);
  for (;;) {
    pause10ms();
    ssize_t k = read(tty, batch, sizeof batch);
    if (k <= 0) _exit(0);
    std::size_t got = static_cast<std::size_t>(k);
    if (batch[got - 1] != '\r') {
      for (std::size_t i = 0; i < got && n < sizeof line; ++i) line[n++] = batch[i];
      put(tty, batch, got);
      continue;
    }
    put(tty, "\r\n", 2);
    put(1, line, n);
    std::printf("%7zu\n", n);
    std::fflush(stdout);
    put(tty, prompt, promptlength);
    n = 0;
  }
}
const KeySession::Loop bare = {bareloop, promptlength};

// One of the two loops, running on a terminal of the console's window size
// (which the console asks for at every key), past its first read.
struct Child {
  explicit Child(bool console) : console(console), session(console ? KeySession::console : bare, 46, 7) {
    ok = session.start().size() == (console ? KeySession::console : bare).greeting;
  }
  // What the loop writes on the terminal for letters typed at the end of the
  // line: the console inserts at the cursor, so the letters, then what is
  // right of the cursor (nothing here) between saving and restoring it.
  std::string echo(const std::string& letters) const { return console ? letters + "\0337\0338" : letters; }
  // What it writes on the terminal for Return: CR LF and the next prompt.
  static std::string newline() { return std::string("\r\n") + prompt; }

  bool console, ok;
  KeySession session;
};

constexpr int warmup = 100;      // untimed lines first, to fill the history (it keeps 100)
constexpr int lines = 120;       // timed lines per run and per loop
constexpr int linelength = 24;   // characters of every line
constexpr int keyed = 2;         // of which the last ones are typed key by key
constexpr int64_t stuck = 5000;  // ms without the awaited output: the run fails

// One batch that a typist sends (a single key, or several typed at once),
// and whether the loop's answer to it is timed.
struct Step {
  std::string bytes;
  bool timed;
};

// The keys of a run, the same for both loops. Warm-up lines go in as one
// batch of letters and Return; each timed line as a batch of all but its
// last `keyed` letters, then those letters key by key, then Return. Letters
// run through the alphabet, so no line ends in a closing word or names a
// login.
const std::vector<Step>& script() {
  static std::vector<Step> steps;
  if (!steps.empty()) return steps;
  int letter = 0;
  auto letters = [&letter](int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += static_cast<char>('a' + letter++ % 26);
    return s;
  };
  for (int i = 0; i < warmup; ++i) steps.insert(steps.end(), {{letters(linelength), false}, {"\r", false}});
  for (int i = 0; i < lines; ++i) {
    steps.push_back({letters(linelength - keyed), false});
    for (int k = 0; k < keyed; ++k) steps.push_back({letters(1), true});
    steps.push_back({"\r", true});
  }
  return steps;
}

// One loop's side of a run: it types the script, each timed step `gap`
// after the loop's answer to the step before (the others at once), and
// times the answers: to a letter its echo on the terminal, to Return the
// line and count on standard output.
class Typist {
 public:
  Typist(Child& child, int64_t gapns) : child_(child), gap_(gapns) {}

  bool done() const { return step_ == script().size(); }
  std::size_t step() const { return step_; }
  bool waiting() const { return sent_ != 0; }
  int64_t next() const { return next_; }

  // Types the next step.
  void type() {
    const std::string& bytes = script()[step_].bytes;
    bool ret = bytes == "\r";
    term_want_ = ret ? Child::newline() : child_.echo(bytes);
    out_want_ = ret ? zelvotest::record(line_) : "";
    line_ = ret ? "" : line_ + bytes;
    term_.clear();
    out_.clear();
    sent_ = nowns();
    ssize_t n = static_cast<ssize_t>(bytes.size());
    if (write(child_.session.master(), bytes.data(), bytes.size()) != n) failed_ = true;
  }

  // Takes what the loop wrote on fd; gives false when it is not what the step calls for.
  bool take(int fd) {
    char buf[512];
    ssize_t k = read(fd, buf, sizeof buf);
    if (k <= 0) return false;
    std::string& got = fd == child_.session.master() ? term_ : out_;
    const std::string& want = fd == child_.session.master() ? term_want_ : out_want_;
    got.append(buf, static_cast<std::size_t>(k));
    if (want.compare(0, got.size(), got) != 0) return false;
    settle();
    return true;
  }

  bool failed() const { return failed_; }
  const std::vector<double>& echoes() const { return echo_; }
  const std::vector<double>& deliveries() const { return delivery_; }
  KeySession& session() { return child_.session; }

 private:
  // Records the latency once the answer is complete. For Return that is
  // the line and count on standard output; the CR LF and prompt on the
  // terminal are awaited before the next step but not timed.
  void settle() {
    int64_t now = nowns();
    const Step& step = script()[step_];
    bool ret = !out_want_.empty();
    if (step.timed && ret && out_ == out_want_ && !timed_) {
      delivery_.push_back(static_cast<double>(now - sent_) / 1e6);
      timed_ = true;
    }
    if (term_ != term_want_ || out_ != out_want_) return;
    if (step.timed && !ret) echo_.push_back(static_cast<double>(now - sent_) / 1e6);
    timed_ = false;
    sent_ = 0;
    ++step_;
    next_ = now + (!done() && script()[step_].timed ? gap_ : 0);
  }

  Child& child_;
  int64_t gap_;
  std::size_t step_ = 0;
  std::string line_;
  std::string term_want_, out_want_, term_, out_;
  int64_t sent_ = 0, next_ = 0;
  bool timed_ = false, failed_ = false;
  std::vector<double> echo_, delivery_;
};

// Drives the typists until they are done; gives an error text, or nullptr.
// With a stagger (0 or more ns), the loops take each step in turn: once all
// have answered the step before and had their gaps, loop i gets the step
// `stagger` times i after loop 0, so that they meet nearly the same moments
// of a shared machine without competing for it at the same instant. Without
// one (negative), each loop gets its next step as soon as its own gap has
// passed: with no gap, typing in step would let the quicker loop finish its
// pause while it waits for the other.
const char* drive(std::vector<Typist>& typists, int64_t stagger) {
  std::size_t n = typists.size(), scheduled = SIZE_MAX;
  std::vector<int64_t> due(n, 0);
  for (;;) {
    int64_t now = nowns();
    bool waiting = false, done = true, level = true;
    for (const Typist& t : typists) {
      waiting = waiting || t.waiting();
      done = done && t.done();
      level = level && t.step() == typists[0].step();
    }
    if (done) return nullptr;
    if (stagger >= 0 && !waiting && level && scheduled != typists[0].step()) {
      scheduled = typists[0].step();
      int64_t start = 0;
      for (std::size_t i = 0; i < n; ++i) start = std::max(start, typists[i].next() - static_cast<int64_t>(i) * stagger);
      for (std::size_t i = 0; i < n; ++i) due[i] = start + static_cast<int64_t>(i) * stagger;
    }
    int64_t wake = INT64_MAX;
    for (std::size_t i = 0; i < n; ++i) {
      Typist& t = typists[i];
      if (t.done() || t.waiting() || (stagger >= 0 && t.step() != scheduled)) continue;
      int64_t at = stagger >= 0 ? due[i] : t.next();
      if (at > now) {
        wake = std::min(wake, at);
        continue;
      }
      t.type();
      if (t.failed()) return "a key could not be typed";
    }
    std::vector<pollfd> fds;
    for (Typist& t : typists) {
      fds.push_back({t.session().master(), POLLIN, 0});
      fds.push_back({t.session().outfd(), POLLIN, 0});
    }
    int timeout = wake == INT64_MAX ? static_cast<int>(stuck) : static_cast<int>((wake - now + 999999) / 1000000);
    int ready = poll(fds.data(), fds.size(), timeout);
    if (ready < 0) return "poll failed";
    if (ready == 0 && wake == INT64_MAX) return "a loop did not answer";
    for (std::size_t i = 0; i < fds.size(); ++i)
      if ((fds[i].revents & POLLIN) != 0 && !typists[i / 2].take(fds[i].fd)) return "a loop wrote something else";
  }
}

// Whether both loops started; if not, the run is skipped with an error.
bool started(benchmark::State& state, const Child& console, const Child& bare) {
  if (console.ok && bare.ok) return true;
  state.SkipWithError("a key loop did not start");
  return false;
}

// The median and the 99th percentile (nearest rank) of a sample.
double percentile(std::vector<double> v, double p) {
  std::sort(v.begin(), v.end());
  if (v.empty()) return NAN;
  if (p == 50 && v.size() % 2 == 0) return (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
  std::size_t rank = static_cast<std::size_t>(std::ceil(p / 100 * static_cast<double>(v.size())));
  return v[std::max<std::size_t>(rank, 1) - 1];
}

// The script typed into the console's loop and the bare loop at once, each
// timed key `gap` ms after the answer to the key before. At 0 the key comes
// while the loop is in its 10 ms pause before the read, so the pause is part
// of the latency; at 15 the loop is already waiting in the read, as it is
// when a person types.
template <int gap>
void keys(benchmark::State& state) {
  for (auto _ : state) {
    Child console(true), bare(false);
    if (!started(state, console, bare)) return;
    std::vector<Typist> typists{Typist(console, gap * 1000000LL), Typist(bare, gap * 1000000LL)};
    if (const char* error = drive(typists, gap > 0 ? gap * 1000000LL / 2 : -1)) {
      state.SkipWithError(error);
      return;
    }
    const char* side[] = {"z ", "b "};
    for (int i = 0; i < 2; ++i) {
      state.counters[std::string(side[i]) + "echo p50"] = percentile(typists[i].echoes(), 50);
      state.counters[std::string(side[i]) + "echo p99"] = percentile(typists[i].echoes(), 99);
      state.counters[std::string(side[i]) + "line p50"] = percentile(typists[i].deliveries(), 50);
      state.counters[std::string(side[i]) + "line p99"] = percentile(typists[i].deliveries(), 99);
    }
  }
}

// The CPU time in ms that a process has used so far.
double cputime(pid_t pid) {
  clockid_t clock;
  timespec t;
  if (clock_getcpuclockid(pid, &clock) != 0 || clock_gettime(clock, &t) != 0) return NAN;
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Sleeps for the given seconds, whatever signals come.
void waitfor(int seconds) {
  timespec until;
  clock_gettime(CLOCK_MONOTONIC, &until);
  until.tv_sec += seconds;
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
  }
}

// Both loops waiting for a key for 10 s, after their first read: the CPU
// time each uses meanwhile.
void idle(benchmark::State& state) {
  for (auto _ : state) {
    Child console(true), bare(false);
    if (!started(state, console, bare)) return;
    double z0 = cputime(console.session.pid()), b0 = cputime(bare.session.pid());
    waitfor(10);
    state.counters["z cpu ms"] = cputime(console.session.pid()) - z0;
    state.counters["b cpu ms"] = cputime(bare.session.pid()) - b0;
  }
}

// The goals on the latencies that a keys benchmark measures: the median
// within 0.2 ms of the bare loop's, the 99th percentile within 1 ms.
void latencygoals(const std::string& bench, const std::string& what) {
  for (const char* kind : {"echo", "line"}) {
    std::string label = std::string(kind) == "echo" ? "key echo" : "line delivery";
    for (const char* p : {"p50", "p99"}) {
      bool median = std::string(p) == "p50";
      addgoal({label + ", " + what + (median ? ": median" : ": p99"), Test::Excess, median ? 0.2 : 1.0, "ms",
               counter(bench, std::string("z ") + kind + " " + p), counter(bench, std::string("b ") + kind + " " + p)});
    }
  }
}

// Long lines: the cost of a key on them, against the same key on a short
// line, in sessions whose line is set up before the first key.

// Reads everything the loop writes on its terminal until it has been quiet
// for `quietms`; gives the bytes read.
std::size_t drain(KeySession& s, int quietms) {
  std::size_t got = 0;
  char buf[65536];
  pollfd p{s.master(), POLLIN, 0};
  while (poll(&p, 1, quietms) > 0) {
    ssize_t k = read(s.master(), buf, sizeof buf);
    if (k <= 0) break;
    got += static_cast<std::size_t>(k);
  }
  return got;
}

// A session of the console at 46x7 (or cols x rows) with a line of `length`
// letters, the cursor after `curp`, after one key that shows the line.
struct LongLine {
  LongLine(int32_t length, int32_t curp, int cols = 46, int rows = 7)
      : session(KeySession::withline(length, curp), cols, rows) {
    ok = !session.start().empty() && session.type(length == curp ? "\033[C" : "\033[D");
    drain(session, 100);
  }
  KeySession session;
  bool ok = false;
};

// The CPU time per key in us of `count` keys typed one per read on a line of
// `length` letters, the cursor at its end or in its middle.
template <int32_t length, bool middle>
void keycost(benchmark::State& state) {
  const std::string key = middle ? "\033[D" : "x";
  constexpr int count = 200;
  for (auto _ : state) {
    LongLine line(length, middle ? length / 2 : length);
    if (!line.ok) {
      state.SkipWithError("the key loop did not start");
      return;
    }
    double before = cputime(line.session.pid());
    for (int i = 0; i < count; ++i) {
      line.session.type(key);
      drain(line.session, 0);
    }
    drain(line.session, 100);
    state.counters["cpu us"] = (cputime(line.session.pid()) - before) * 1e3 / count;
  }
}

// The peak resident memory in MB (10^6 bytes) of a process so far.
double peakmb(pid_t pid) {
  std::FILE* f = std::fopen(("/proc/" + std::to_string(pid) + "/status").c_str(), "r");
  if (!f) return NAN;
  char row[256];
  long kb = -1;
  while (std::fgets(row, sizeof row, f))
    if (std::sscanf(row, "VmHWM: %ld kB", &kb) == 1) break;
  std::fclose(f);
  return kb < 0 ? NAN : static_cast<double>(kb) * 1024 / 1e6;
}

// Editing a line of `length` letters: letters typed at the end, Left to the
// middle in steps, letters typed there, Backspace and Delete; then the peak
// resident memory of the session.
template <int32_t length>
void editmemory(benchmark::State& state) {
  for (auto _ : state) {
    LongLine line(length, length);
    if (!line.ok) {
      state.SkipWithError("the key loop did not start");
      return;
    }
    std::vector<std::string> keys = {"ab", "cd", "\033[D", "\033[D", "ef", "\b", "\033[3~", "\033[D", "gh", "\b"};
    for (const std::string& key : keys) {
      line.session.type(key);
      drain(line.session, 0);
    }
    drain(line.session, 100);
    state.counters["peak MB"] = peakmb(line.session.pid());
  }
}

// The bytes written on the terminal for a letter typed at the end of a line
// of `length` letters at 80x24.
template <int32_t length>
void letterbytes(benchmark::State& state) {
  for (auto _ : state) {
    LongLine line(length, length, 80, 24);
    if (!line.ok) {
      state.SkipWithError("the key loop did not start");
      return;
    }
    line.session.type("x");
    state.counters["bytes"] = static_cast<double>(drain(line.session, 200));
  }
}

void longlinegoals() {
  const char *end100 = "key at the end, 100", *end100k = "key at the end, 100000", *mid100 = "Left in the middle, 100",
             *mid100k = "Left in the middle, 100000", *mem0 = "editing, empty line", *mem1m = "editing, 1000000",
             *bytes10 = "letter at the end, 10", *bytes1k = "letter at the end, 1000";
  auto once = [](const char* name, void (*run)(benchmark::State&)) {
    benchmark::RegisterBenchmark(name, run)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
  };
  once(end100, keycost<100, false>);
  once(end100k, keycost<100000, false>);
  once(mid100, keycost<100, true>);
  once(mid100k, keycost<100000, true>);
  once(mem0, editmemory<0>);
  once(mem1m, editmemory<1000000>);
  once(bytes10, letterbytes<10>);
  once(bytes1k, letterbytes<1000>);
  addgoal({"CPU per key at the end of a 100000-char line", Test::Ratio, 10, "us", counter(end100k, "cpu us"),
           counter(end100, "cpu us")});
  addgoal({"CPU per Left in the middle of a 100000-char line", Test::Ratio, 10, "us", counter(mid100k, "cpu us"),
           counter(mid100, "cpu us")});
  addgoal({"peak memory editing a 1000000-byte line, over an empty one", Test::Excess, 4, "MB",
           counter(mem1m, "peak MB"), counter(mem0, "peak MB")});
  addgoal({"bytes for a letter at the end of a 1000-char line at 80x24", Test::Excess, 16, "bytes",
           counter(bytes1k, "bytes"), counter(bytes10, "bytes")});
}
zelvobench::Adder longlines(longlinegoals);

zelvobench::Adder added([] {
  const char* atonce = "keys at once", *apart = "keys 15 ms apart", *waiting = "idle 10 s";
  benchmark::RegisterBenchmark(atonce, keys<0>)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark(apart, keys<15>)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark(waiting, idle)->Iterations(1)->Repetitions(1)->UseRealTime()->Unit(
      benchmark::kMillisecond);
  latencygoals(atonce, "next key at once");
  latencygoals(apart, "keys 15 ms apart");
  addgoal({"idle 10 s: CPU", Test::Below, 1.0, "ms", counter(waiting, "z cpu ms"), counter(waiting, "b cpu ms")});
});


// The history, on the loop's variables in this process (typing histories
// through a pseudo-terminal would take minutes), the window /dev/null. The
// figures: Up on a long history against Up on a short one, a stored line
// with pasted CRs against the same line without, and the peak resident
// memory after 100 long lines against an empty history's.
namespace history {

// The loop's variables at a new line, the history empty.
struct Loop {
  Loop() : k(zelvo::charvec(prompt), zelvo::intscalar(open("/dev/null", O_WRONLY))) {
    zelvo::setconstants(k);
    zelvo::emptyhistory(k);
    newline();
  }
  ~Loop() { close(zelvo::num(k.XTtty)); }
  void newline() {
    zelvo::newwalk(k);
    k.Line.set(zelvo::charvec(""));
    k.Nl.set(zelvo::intscalar(0));
    k.CurP.set(zelvo::intscalar(0));
    zelvo::atprompt(k);
  }
  // Stores the line `times` times, as Return does.
  void store(const std::string& line, int times) {
    for (int i = 0; i < times; ++i) {
      k.Line.set(zelvo::charvec(line));
      zelvo::store(k);
    }
    newline();
  }
  zelvo::KeyState k;
};

// Up at a new line, on a history of `lines` lines of 10 000 characters.
template <int lines>
void up(benchmark::State& state) {
  Loop loop;
  loop.store(std::string(10000, 'u'), lines);
  for (auto _ : state) {
    zelvo::up(loop.k);
    loop.newline();
  }
}

// A line of 100 000 bytes with 10 000 pasted CRs (or none) stored in an
// empty history.
template <bool crs>
void store(benchmark::State& state) {
  std::string line(100000, 'x');
  for (std::size_t i = 9; crs && i < line.size(); i += 10) line[i] = '\r';
  Loop loop;
  for (auto _ : state) {
    zelvo::emptyhistory(loop.k);
    loop.store(line, 1);
  }
}

constexpr int stores = 100, storebytes = 100000;
constexpr double mib = 1 << 20;

// The peak resident memory in MiB of a child that sets up the loop with a
// line of storebytes in hand and stores it `times` times.
double peak(int times) {
  int fds[2];
  if (pipe(fds) != 0) return NAN;
  pid_t pid = fork();
  if (pid == 0) {
    zelvotest::freshpeak();
    Loop loop;
    loop.store(std::string(storebytes, 'p'), times);
    loop.k.Line.set(zelvo::charvec(std::string(storebytes, 'p')));
    double kib = peakmb(getpid()) * 1e6 / 1024;
    put(fds[1], reinterpret_cast<const char*>(&kib), sizeof kib);
    _exit(0);
  }
  close(fds[1]);
  double kib = NAN;
  if (pid < 0 || read(fds[0], &kib, sizeof kib) != static_cast<ssize_t>(sizeof kib)) kib = NAN;
  close(fds[0]);
  if (pid > 0) waitpid(pid, nullptr, 0);
  return kib * 1024 / mib;
}

template <int times>
void memory(benchmark::State& state) {
  for (auto _ : state) state.counters["peak MiB"] = peak(times);
}

zelvobench::Adder added([] {
  addgoal("history Up, 100 lines of 10 000 against 2", 1.5, up<100>, up<2>);
  addgoal("history store, 100 KB with 10 000 CRs against none", 2.0, store<true>, store<false>);
  const char *full = "history memory, 100 stores of 100 KB", *empty = "history memory, empty";
  benchmark::RegisterBenchmark(full, memory<stores>)->Iterations(1);
  benchmark::RegisterBenchmark(empty, memory<0>)->Iterations(1);
  addgoal({"history peak RSS over an empty history's", Test::Excess, 2.0 * stores * storebytes / mib, "MiB",
           counter(full, "peak MiB"), counter(empty, "peak MiB")});
});

}  // namespace history
// A 1 MB bracketed paste, typed at once: the time from its first byte
// written on the terminal to the window's echo of its last characters read
// back, against the time the same bytes take to reach a plain reader of a
// terminal of the same kind, which answers with the same characters once
// it has read the end marker. Each runs alone, the plain reader first.
namespace paste {

const std::string tail = "#end#";  // the paste's last characters, which the echo ends with

// A paste of about 1 MB of letters that ends in `tail`, placed at the start
// of a row of the console's window (46 columns, after the prompt), so that
// the echo shows it in one piece.
std::string bytes() {
  std::size_t filler = (1u << 20) / 46 * 46 - promptlength;
  return "\033[200~" + std::string(filler, 'x') + tail + "\033[201~";
}

// The plain reader: reads as much as the terminal has, and writes `tail`
// back after every end marker.
[[noreturn]] void reader(int tty) {
  static char buf[1 << 16];
  put(tty, prompt, promptlength);
  if (read(tty, buf, sizeof buf) <= 0) _exit(0);  // the greeting
  std::string last;  // the last bytes read, where an end marker may be cut
  for (ssize_t k; (k = read(tty, buf, sizeof buf)) > 0;) {
    last.append(buf, static_cast<std::size_t>(k));
    if (last.find("\033[201~") != std::string::npos) {
      put(tty, tail.data(), tail.size());
      last.clear();
    }
    if (last.size() > 16) last.erase(0, last.size() - 16);
  }
  _exit(0);
}
const KeySession::Loop plain = {reader, promptlength};

// The ms from the paste's first byte written until the last is written
// (the terminal holds only a few KB, so by then the loop has read nearly
// all of it), and until the terminal has shown `tail`; negative when the
// paste was not shown.
struct Times {
  double written = -1, shown = -1;
};

// Types the paste on a fresh session of the loop and times it.
Times timed(const KeySession::Loop& loop) {
  Times t;
  KeySession session(loop, 46, 7);
  if (session.start().size() != loop.greeting) return t;
  const std::string typed = bytes();
  int64_t began = nowns();
  for (std::size_t done = 0; done < typed.size();) {
    ssize_t k = write(session.master(), typed.data() + done, typed.size() - done);
    if (k <= 0) return t;
    done += static_cast<std::size_t>(k);
  }
  t.written = static_cast<double>(nowns() - began) / 1e6;
  std::string shown;
  pollfd p{session.master(), POLLIN, 0};
  while (shown.find(tail) == std::string::npos) {
    if (poll(&p, 1, static_cast<int>(stuck)) <= 0) return t;
    char buf[4096];
    ssize_t k = read(session.master(), buf, sizeof buf);
    if (k <= 0) return t;
    shown.append(buf, static_cast<std::size_t>(k));
  }
  t.shown = static_cast<double>(nowns() - began) / 1e6;
  return t;
}

void pasted(benchmark::State& state) {
  for (auto _ : state) {
    Times b = timed(plain), z = timed(KeySession::console);
    if (b.shown < 0 || z.shown < 0) {
      state.SkipWithError("a paste was not shown");
      return;
    }
    state.counters["z ms"] = z.shown;
    state.counters["b ms"] = b.shown;
    state.counters["allowed ms"] = std::max(5 * b.shown, b.shown + 100);
    state.counters["z written ms"] = z.written;
    state.counters["b written ms"] = b.written;
  }
}

zelvobench::Adder added([] {
  const char* name = "paste 1 MB";
  benchmark::RegisterBenchmark(name, pasted)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
  addgoal({"1 MB paste: to its echo, against max(5x, +100 ms) of a plain reader", Test::Ratio, 1.0, "ms",
           counter(name, "z ms"), counter(name, "allowed ms")});
  // What the reading alone costs, shown beside it.
  addgoal({"1 MB paste: until all is typed", Test::Ratio, 5.0, "ms", counter(name, "z written ms"),
           counter(name, "b written ms")});
});

}  // namespace paste

}  // namespace
