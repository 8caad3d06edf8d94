// The runtime's read of a large regular file against cat of the same file
// to /dev/null; pipe gathering a command's large output against a plain
// read loop on a pipe from the same command; and readfd draining a long
// stream against a plain loop making the same paused reads. Times are
// wall-clock, as the baselines' work is done by a child process.
#include <fcntl.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <ctime>
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

// The read end of a pipe of 1 MiB, the capacity pipe gives its commands,
// with cat of the file writing into it; -1 if cat did not start.
int catpipe(const std::string& path, pid_t* pid) {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) return -1;
  fcntl(ends[0], F_SETPIPE_SZ, 1 << 20);
  bool ran = cat(path, ends[1], pid);
  close(ends[1]);
  if (ran) return ends[0];
  close(ends[0]);
  return -1;
}

void streamzelvo(benchmark::State& state) {
  const Scratch& file = bigfile();
  timed(state, file, [&file](int64_t& done) {
    pid_t pid;
    int fd = catpipe(file.path(), &pid);
    if (fd < 0) return int64_t{0};
    rt::Array result;
    rt::readfd(&result, fd);
    done = nowns();
    int64_t n = rt::elemcount(result.rank, result.shape);
    rt::detalloc(&result);
    close(fd);
    return ended(pid) ? n : 0;
  });
}

// What readfd does at the least: a 10 ms pause, then one read of what the
// pipe holds (else as much as last time), into a buffer that doubles.
void streambaseline(benchmark::State& state) {
  const Scratch& file = bigfile();
  timed(state, file, [&file](int64_t& done) {
    pid_t pid;
    int fd = catpipe(file.path(), &pid);
    if (fd < 0) return int64_t{0};
    char* buf = nullptr;
    int64_t n = 0, room = 0, chunk = 4096;
    for (ssize_t k = 1; k > 0; n += k) {
      timespec pause{0, 10000000};
      nanosleep(&pause, nullptr);
      int pending = 0;
      if (ioctl(fd, FIONREAD, &pending) == 0 && pending > 0) chunk = pending;
      if (n + chunk > room) {
        room = std::max(n + chunk, 2 * room);
        buf = static_cast<char*>(std::realloc(buf, static_cast<std::size_t>(room)));
      }
      k = read(fd, buf + n, static_cast<std::size_t>(chunk));
      if (k < 0) k = 0;
    }
    done = nowns();
    benchmark::DoNotOptimize(buf);
    std::free(buf);
    close(fd);
    return ended(pid) ? n : 0;
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
  const std::string read = "read 256 MiB file", gather = "pipe 64 MiB from cat", stream = "readfd 256 MiB stream";
  add(read + "/zelvo", 5, readzelvo);
  add(read + "/baseline", 5, readbaseline);
  add(gather + "/zelvo", 2, pipezelvo);  // about 0.7 s: up to 1 MiB per 10 ms pause
  add(gather + "/baseline", 5, pipebaseline);
  add(stream + "/zelvo", 1, streamzelvo);  // about 2.7 s, as its baseline
  add(stream + "/baseline", 1, streambaseline);
  // At least half of cat's throughput: at most twice its time.
  addgoal({read + " vs cat", Test::Ratio, 2.0, "ms", counter(read + "/zelvo", "ms"), counter(read + "/baseline", "ms")});
  addgoal({gather, Test::AtLeast, 60.0, "MB/s", counter(gather + "/zelvo", "MB/s"), counter(gather + "/baseline", "MB/s")});
  addgoal({stream + " vs paused loop", Test::Ratio, 1.1, "ms", counter(stream + "/zelvo", "ms"),
           counter(stream + "/baseline", "ms")});
});

}  // namespace
