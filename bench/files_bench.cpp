// The runtime's read of a large regular file against cat of the same file
// to /dev/null, and pipe gathering a command's large output against a plain
// read loop on a pipe from the same command. Times are wall-clock, as the
// baselines' work is done by a child process.
#include <fcntl.h>
#include <spawn.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "bench/goals.h"
#include "runtime/core/array.h"
#include "runtime/system/files.h"
#include "runtime/system/process.h"

namespace {

using zelvobench::addgoal;
using zelvobench::counter;
using zelvobench::nowns;
using zelvobench::Test;

constexpr int64_t mib = 1 << 20;

// A file of pseudo-random bytes in /tmp, made on first use when the space
// is there (with as much again to spare). It is unlinked at once and named
// through this process's descriptor of it, so that it goes away when the
// program ends, however it ends.
class Scratch {
 public:
  explicit Scratch(int64_t bytes) : bytes_(bytes) {
    struct statvfs fs;
    if (statvfs("/tmp", &fs) != 0 || static_cast<int64_t>(fs.f_bavail * fs.f_frsize) < 2 * bytes) return;
    char name[] = "/tmp/zelvo-bench-XXXXXX";
    fd_ = mkstemp(name);
    if (fd_ < 0) return;
    unlink(name);
    path_ = "/proc/" + std::to_string(getpid()) + "/fd/" + std::to_string(fd_);
    std::mt19937_64 random(20240611);
    std::vector<uint64_t> block(mib / 8);
    bool written = true;
    for (int64_t at = 0; at < bytes && written; at += mib) {
      for (uint64_t& w : block) w = random();
      written = write(fd_, block.data(), mib) == mib;
    }
    ok_ = written;
  }
  ~Scratch() {
    if (fd_ >= 0) close(fd_);
  }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;

  bool ok() const { return ok_; }
  int64_t bytes() const { return bytes_; }
  const std::string& path() const { return path_; }

 private:
  int64_t bytes_;
  int fd_ = -1;
  std::string path_;
  bool ok_ = false;
};

const Scratch& bigfile() {
  static Scratch file(256 * mib);
  return file;
}

const Scratch& pipefile() {
  static Scratch file(64 * mib);
  return file;
}

// A character vector over a string's bytes, owned by the string.
rt::Array charview(const std::string& s, int32_t* length) {
  *length = static_cast<int32_t>(s.size());
  rt::Array a;
  a.type = rt::Char;
  a.rank = 1;
  a.shape = length;
  a.storage = rt::Fixed;
  a.value = const_cast<char*>(s.data());
  return a;
}

// Starts cat of the file with its standard output on fd; gives whether it
// started (the caller collects it by its pid).
bool cat(const std::string& path, int fd, pid_t* pid) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fd, 1);
  const char* argv[] = {"cat", path.c_str(), nullptr};
  int failed = posix_spawnp(pid, "cat", &actions, nullptr, const_cast<char* const*>(argv), environ);
  posix_spawn_file_actions_destroy(&actions);
  return failed == 0;
}

// Collects a child; gives whether it ended with status 0.
bool ended(pid_t pid) {
  int status;
  return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Runs body once per iteration and sets the counters "ms" and "MB/s" to the
// least wall time of an iteration and the rate it stands for. Body gives the
// bytes it got, which must be all, and sets `done` to the time it had them
// (before it releases them).
template <typename Body>
void timed(benchmark::State& state, const Scratch& file, Body body) {
  if (!file.ok()) {
    state.SkipWithError("no room for the file in /tmp");
    return;
  }
  double least = std::numeric_limits<double>::infinity();
  for (auto _ : state) {
    int64_t start = nowns(), done = 0;
    int64_t got = body(done);
    least = std::min(least, static_cast<double>(done - start) / 1e6);
    if (got != file.bytes()) {
      state.SkipWithError("not every byte came");
      return;
    }
  }
  state.counters["ms"] = least;
  state.counters["MB/s"] = static_cast<double>(file.bytes()) / 1e3 / least;
}

void readzelvo(benchmark::State& state) {
  const Scratch& file = bigfile();
  timed(state, file, [&file](int64_t& done) {
    int32_t length;
    rt::Array name = charview(file.path(), &length), result;
    rt::read(&result, &name);
    done = nowns();
    int64_t n = rt::elemcount(result.rank, result.shape);
    rt::detalloc(&result);
    return n;
  });
}

void readbaseline(benchmark::State& state) {
  const Scratch& file = bigfile();
  timed(state, file, [&file](int64_t& done) {
    int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    pid_t pid;
    bool ran = cat(file.path(), null, &pid);
    close(null);
    bool ok = ran && ended(pid);
    done = nowns();
    return ok ? file.bytes() : 0;
  });
}

void pipezelvo(benchmark::State& state) {
  const Scratch& file = pipefile();
  timed(state, file, [&file](int64_t& done) {
    int32_t length, none = 0;
    std::string command = "cat " + file.path();
    rt::Array text = charview(command, &length), input = charview("", &none), result;
    input.value = nullptr;  // nothing to feed
    rt::pipe(&result, &text, &input);
    done = nowns();
    int64_t n = rt::elemcount(result.rank, result.shape);
    rt::detalloc(&result);
    return n;
  });
}

// A read loop of 64 KiB reads on a pipe from cat, gathering into one buffer.
void pipebaseline(benchmark::State& state) {
  const Scratch& file = pipefile();
  timed(state, file, [&file](int64_t& done) {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) return int64_t{0};
    pid_t pid;
    bool ran = cat(file.path(), ends[1], &pid);
    close(ends[1]);
    std::vector<char> got;
    int64_t n = 0;
    for (ssize_t k = 1; ran && k > 0; n += k) {
      got.resize(static_cast<std::size_t>(n + 65536));
      k = read(ends[0], got.data() + n, 65536);
      if (k < 0) k = 0;
    }
    close(ends[0]);
    bool ok = ran && ended(pid);
    done = nowns();
    benchmark::DoNotOptimize(got.data());
    return ok ? n : 0;
  });
}

// Registers a wall-clock benchmark of a fixed number of iterations.
void add(const std::string& name, int iterations, void (*body)(benchmark::State&)) {
  benchmark::RegisterBenchmark(name.c_str(), body)->Iterations(iterations)->UseRealTime()->Unit(benchmark::kMillisecond);
}

zelvobench::Adder added([] {
  const std::string read = "read 256 MiB file", gather = "pipe 64 MiB from cat";
  add(read + "/zelvo", 5, readzelvo);
  add(read + "/baseline", 5, readbaseline);
  add(gather + "/zelvo", 1, pipezelvo);  // about 10 s: 64 KiB per 10 ms pause
  add(gather + "/baseline", 5, pipebaseline);
  // At least half of cat's throughput: at most twice its time.
  addgoal({read + " vs cat", Test::Ratio, 2.0, "ms", counter(read + "/zelvo", "ms"), counter(read + "/baseline", "ms")});
  addgoal({gather, Test::AtLeast, 6.0, "MB/s", counter(gather + "/zelvo", "MB/s"), counter(gather + "/baseline", "MB/s")});
});

}  // namespace
