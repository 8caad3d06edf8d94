// pipe, spawn and the collection of finished children, with real shell
// commands.
#include "runtime/system/process.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

#include "runtime/system/files.h"
#include "runtime/system/sysvar.h"
#include "tests/support/child.h"
#include "tests/support/scratch.h"
#include "tests/support/values.h"

using zelvotest::Capture;
using zelvotest::TempDir;
using zelvotest::Val;

namespace {

// What the shell command prints for this input.
std::string piped(const std::string& command, const Val& input, int* rank = nullptr) {
  Val cmd = Val::chars(command), r;
  rt::pipe(&r, &cmd, &input);
  EXPECT_EQ(r->type, rt::Char);
  if (rank != nullptr) *rank = r->rank;
  return r.text();
}

// Writes text into a descriptor through the runtime.
void put(int fd, const std::string& text) {
  Val d = Val::intscalar(fd), t = Val::chars(text), r;
  rt::write(&r, &d, &t);
  EXPECT_EQ(r.first(), static_cast<double>(text.size()));
}

// Everything the runtime reads from a descriptor.
std::string take(int fd) {
  Val d = Val::intscalar(fd), r;
  rt::read(&r, &d);
  return r.text();
}

void closefds(const std::vector<int32_t>& fds) {
  Val list = Val::ints(fds), r;
  rt::close(&r, &list);
  EXPECT_EQ(r.count(), static_cast<int32_t>(fds.size()));
}

// One call of the runtime that does nothing else: reading the clock.
void runtimecall() {
  Val none, clock;
  rt::sysvar(rt::ClockSeconds, &clock, &none, &none);
}

// Calls the runtime until this process has no more than `left` children, for
// at most two seconds; each call collects the children that have finished.
void collectuntil(int left) {
  for (int tries = 0; tries < 400 && zelvotest::children() > left; ++tries) {
    usleep(5000);
    runtimecall();
  }
}

// Waits up to two seconds for the descriptor to become readable.
bool readable(int fd) {
  pollfd p{fd, POLLIN, 0};
  return poll(&p, 1, 2000) == 1;
}

TEST(Pipe, GathersTheCommandsOutput) {
  std::string big;
  for (int i = 0; i < 3000; ++i) big += static_cast<char>('a' + i % 26);
  struct Case { const char* command; Val input; std::string out; int rank; } cases[] = {
      {"printf ab; echo", Val::chars(""), "ab\n", 1},
      {"printf x", Val::chars(""), "x", 0},  // one byte: a character scalar
      {"true", Val::chars(""), "", 1},
      {"cat", Val::chars(big), big, 1},  // fed in pieces of 1024, 1024 and 952
      {"cat", Val::chars("q", {}), "q", 0},
      {"cat", Val::chars(""), "", 1},  // nothing fed: the command sees end of file
      {"tr a-z A-Z | rev", Val::chars("abc"), "CBA", 1},
      {"echo started & sleep 0.05; echo done", Val::chars(""), "started\ndone\n", 1},
  };
  for (auto& c : cases) {
    int rank = -1;
    EXPECT_EQ(piped(c.command, c.input, &rank), c.out) << c.command;
    EXPECT_EQ(rank, c.rank) << c.command;
  }
}

// A program that has closed its standard input still gets the pipe's pieces
// where they belong.
TEST(Pipe, WorksAfterTheStandardInputWasClosed) {
  auto child = zelvotest::runchild([] {
    ::close(0);
    Val input = Val::chars("still fed");
    std::printf("[%s]", piped("cat", input).c_str());
  });
  EXPECT_EQ(child.status, 0);
  EXPECT_EQ(child.out, "[still fed]");
  EXPECT_EQ(child.err, "");
}

// A timer whose signal is handled without restarting system calls keeps
// interrupting pipe's read while the command sleeps: the read is resumed,
// and the output comes whole.
TEST(Pipe, ReadsInterruptedByASignalAreResumed) {
  auto child = zelvotest::runchild([] {
    struct sigaction tick = {};
    tick.sa_handler = [](int) {};
    sigaction(SIGALRM, &tick, nullptr);
    itimerval every50ms = {{0, 50000}, {0, 50000}};
    setitimer(ITIMER_REAL, &every50ms, nullptr);
    std::printf("[%s]", piped("sleep 1; echo hello", Val::chars("")).c_str());
  });
  EXPECT_EQ(child.out, "[hello\n]");
}

// The largest input an array can hold is fed whole, and no more: the
// piece after the last one lies past the int range.
TEST(Pipe, FeedsTheLargestInputWhole) {
  Val input(rt::Char, {1, INT32_MAX});
  EXPECT_EQ(piped("wc -c", input), "2147483647\n");
}

// Under a process limit (root gives up root first, as root is not held to
// it), pipe and spawn retry a fork for a second, then stop with the reason.
TEST(PipeDeathTest, ForksRefusedForWantOfProcessesStopTheProgram) {
  Val command = Val::chars("echo no"), none = Val::chars(""), two = Val::intscalar(2), r;
  for (bool spawning : {false, true}) {
    auto start = std::chrono::steady_clock::now();
    auto child = zelvotest::runchild([&] {
      rlimit nothing = {0, 0};
      if (setrlimit(RLIMIT_NPROC, &nothing) != 0 || (geteuid() == 0 && setuid(65534) != 0)) _exit(99);
      if (spawning) rt::spawn(&r, &two, &command);
      else rt::pipe(&r, &command, &none);
    });
    EXPECT_EQ(child.err, std::string("system error: ") + (spawning ? "[spawn]" : "[pipe]") +
                             ": fork failed (11: Resource temporarily unavailable)\n");
    EXPECT_EQ(child.status, 1);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900));
  }
}

TEST(PipeDeathTest, NonCharacterCommand) {
  Val number = Val::intscalar(1), input = Val::chars(""), r;
  EXPECT_RTERROR(rt::pipe(&r, &number, &input), "^" RTMSG("\\[pipe\\]: bad command type") "$");
}

TEST(Spawn, TalksToTheChildBothWays) {
  Val selections[] = {Val::intscalar(2), Val::ints({2}), Val::chars("00ib01ob")};
  for (auto& sel : selections) {
    Val cmd = Val::chars("tr a-z A-Z"), r;
    rt::spawn(&r, &sel, &cmd);
    ASSERT_EQ(r->rank, 1);
    std::vector<int32_t> ends = r.list();
    ASSERT_EQ(ends.size(), 2u);
    EXPECT_EQ(fcntl(ends[0], F_GETFL) & O_ACCMODE, O_WRONLY) << "the child's standard input";
    EXPECT_EQ(fcntl(ends[1], F_GETFL) & O_ACCMODE, O_RDONLY) << "its standard output";
    put(ends[0], "hello child");
    closefds({ends[0]});  // end of file for the child
    EXPECT_EQ(take(ends[1]), "HELLO CHILD");
    closefds({ends[1]});
  }
}

TEST(Spawn, StandardErrorAndChosenDescriptors) {
  Val three = Val::intscalar(3), cmd = Val::chars("echo out; echo err >&2"), r;
  rt::spawn(&r, &three, &cmd);
  std::vector<int32_t> ends = r.list();
  ASSERT_EQ(ends.size(), 3u);
  closefds({ends[0]});
  EXPECT_EQ(take(ends[1]), "out\n");
  EXPECT_EQ(take(ends[2]), "err\n");
  closefds({ends[1], ends[2]});

  // Descriptor 7 in, descriptor 4 out, in the caller's order.
  Val sel = Val::chars("07ib04ob"), copy = Val::chars("cat <&7 >&4"), r2;
  rt::spawn(&r2, &sel, &copy);
  ends = r2.list();
  put(ends[0], "via 7 and 4");
  closefds({ends[0]});
  EXPECT_EQ(take(ends[1]), "via 7 and 4");
  closefds({ends[1]});
}

TEST(Spawn, NonBlockingEntryGivesAScalar) {
  // Run where descriptors 3 and 4 are free, so that the pipe itself lands on
  // the number the child asks for.
  auto child = zelvotest::runchild([] {
    ::close(3);
    ::close(4);
    Val sel = Val::chars("03on"), cmd = Val::chars("echo hi >&3"), r;
    rt::spawn(&r, &sel, &cmd);
    int fd = static_cast<int>(r.first());
    bool nonblocking = (fcntl(fd, F_GETFL) & O_NONBLOCK) != 0;
    bool ready = readable(fd);
    std::printf("rank %d %s %s [%s]", r->rank, nonblocking ? "nonblocking" : "blocking", ready ? "ready" : "silent",
                take(fd).c_str());
  });
  EXPECT_EQ(child.status, 0);
  EXPECT_EQ(child.out, "rank 0 nonblocking ready [hi\n]");
  EXPECT_EQ(child.err, "");
}

TEST(Spawn, DoesNotWait) {
  Val none = Val::intscalar(0), cmd = Val::chars("sleep 0.5"), r;
  auto t0 = std::chrono::steady_clock::now();
  rt::spawn(&r, &none, &cmd);
  EXPECT_EQ(r->rank, 1);
  EXPECT_EQ(r.count(), 0);
  runtimecall();  // looks for finished children without waiting
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count(), 0.4);
  EXPECT_EQ(zelvotest::children(), 1) << "the child runs on";
}

TEST(SpawnDeathTest, SelectionRefusals) {
  Val cmd = Val::chars("true"), r;
  struct Case { Val sel; const char* error; } cases[] = {
      {Val::intscalar(12), "\\[spawn\\]: selection: fewer, or use character mode please "},
      {Val::ints({12}), "\\[spawn\\]: selection: fewer, or use character mode please "},
      {Val::ints({1, 2}), "\\[spawn\\]: bad selection length"},
      {Val::ints({}), "\\[spawn\\]: bad selection length"},
      {Val(rt::Int, {1, 1}), "\\[spawn\\]: bad selection length"},
      {Val::intscalar(-1), "\\[spawn\\]: selection: negative count"},
      {Val::chars(std::string(48, 'o')), "\\[spawn\\]: selection: fewer pipes please \\(or re-compile for more\\) "},
      {Val::chars("00ib01ob02"), "\\[spawn\\]: selection: wrong nomber of characters"},
      {Val::chars("00ibx1ob"), "\\[spawn\\]: bad selection type"},  // descriptors are two digits
      {Val::chars("1xob"), "\\[spawn\\]: bad selection type"},
      {Val::chars("-1ob"), "\\[spawn\\]: bad selection type"},
      {Val::real(2), "\\[spawn\\]: bad selection type"},
      {Val(), "\\[spawn\\]: bad selection type"},
  };
  for (auto& c : cases)
    EXPECT_RTERROR(rt::spawn(&r, &c.sel, &cmd), std::string("^apl run-time error: \n") + c.error + "\n$");
  Val two = Val::intscalar(2), number = Val::intscalar(1);
  EXPECT_RTERROR(rt::spawn(&r, &two, &number), "^" RTMSG("\\[spawn\\]: bad command type") "$");
}

// A long-running child started while another child's pipes are open does
// not hold them: closing the program's end still gives the first child end
// of file at once, however the second one was started: the child of spawn
// waits in system while its command runs, the feeder of pipe waits while a
// command in the background holds its input unread (through a copy, since
// the input of a background command is otherwise /dev/null), and shell
// leaves its command running.
TEST(Children, ALaterChildDoesNotHoldAnEarlierChildsPipe) {
  struct Case { std::string how, command; } cases[] = {
      {"spawn", "sleep 3"}, {"pipe", "exec 3<&0; sleep 3 <&3 >/dev/null &"}, {"shell", "sleep 3 &"}};
  for (auto& c : cases) {
    Val two = Val::intscalar(2), cat = Val::chars("cat"), ends;
    rt::spawn(&ends, &two, &cat);
    std::vector<int32_t> e = ends.list();
    Val none = Val::intscalar(0), sleeper = Val::chars(c.command), input = Val::chars(std::string(100000, 'i')), r;
    if (c.how == "spawn") rt::spawn(&r, &none, &sleeper);
    if (c.how == "pipe") rt::pipe(&r, &sleeper, &input);
    if (c.how == "shell") rt::sysvar(rt::Shell, &r, &none, &sleeper);
    put(e[0], "fed");
    closefds({e[0]});
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(take(e[1]), "fed") << c.how;
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count(), 1.5) << c.how;
    closefds({e[1]});
  }
}

// Finished children are collected by the runtime's next call, and only the
// runtime's own: a child of the caller keeps its status for the caller.
TEST(Children, FinishedOnesAreCollectedWithoutWaiting) {
  pid_t own = fork();
  if (own == 0) _exit(7);
  for (int tries = 0; tries < 400 && !zelvotest::iszombie(own); ++tries) usleep(5000);
  ASSERT_TRUE(zelvotest::iszombie(own));

  Val input = Val::chars("");
  piped("true", input);
  Val none = Val::intscalar(0), cmd = Val::chars("true"), r;
  rt::spawn(&r, &none, &cmd);
  collectuntil(1);
  EXPECT_EQ(zelvotest::children(), 1) << "only the caller's own child is left";
  EXPECT_TRUE(zelvotest::iszombie(own));
  int status = 0;
  EXPECT_EQ(waitpid(own, &status, 0), own);
  EXPECT_EQ(WEXITSTATUS(status), 7);
}

// Files, pipes and children, over and over, leave no descriptor open and no
// child uncollected.
TEST(Children, NoDescriptorsOrZombiesLeftBehind) {
  TempDir dir;
  int before = zelvotest::fdcount();
  for (int round = 0; round < 3; ++round) {
    Val mode = Val::chars("rw"), name = Val::chars(dir / "f"), fd;
    rt::open(&fd, &mode, &name);
    put(static_cast<int>(fd.first()), "round");
    closefds({static_cast<int32_t>(fd.first())});
    Val contents;
    rt::read(&contents, &name);
    EXPECT_EQ(contents.text(), "round");

    Val input = Val::chars("through cat");
    EXPECT_EQ(piped("cat", input), "through cat");

    Val two = Val::intscalar(2), cmd = Val::chars("cat"), ends;
    rt::spawn(&ends, &two, &cmd);
    std::vector<int32_t> e = ends.list();
    put(e[0], "both ways");
    closefds({e[0]});
    EXPECT_EQ(take(e[1]), "both ways");
    closefds({e[1]});
  }
  EXPECT_EQ(zelvotest::fdcount(), before);
  collectuntil(0);
  EXPECT_EQ(zelvotest::children(), 0);
}

}  // namespace
