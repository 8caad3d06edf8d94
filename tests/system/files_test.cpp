// open, read, write, fwrite, lseek, fcntl, close and the empty vectors, on
// real files, pipes and a pseudo-terminal.
#include "runtime/system/files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <utility>

#include "runtime/core/globals.h"
#include "runtime/system/sysargs.h"
#include "tests/support/child.h"
#include "tests/support/pty.h"
#include "tests/support/scratch.h"
#include "tests/support/values.h"

using zelvotest::Capture;
using zelvotest::readfile;
using zelvotest::TempDir;
using zelvotest::Val;
using zelvotest::writefile;

namespace {

// Opens path with the mode letters; the descriptor.
int openwith(const std::string& mode, const std::string& path) {
  Val m = Val::chars(mode), name = Val::chars(path), r;
  rt::open(&r, &m, &name);
  EXPECT_EQ(r->type, rt::Int);
  EXPECT_EQ(r->rank, 0);
  return static_cast<int>(r.first());
}

// Sizes around the int limit: a sparse file of 3 GiB holds more bytes than
// an array can, and costs nothing to make.
constexpr off_t threegib = off_t{3} << 30;
constexpr off_t intmax = INT32_MAX;

// A sparse file of `size` bytes with the given texts at their offsets, open
// for reading and writing and already unlinked, so that it goes away with its
// descriptor however the test ends. It is made in /dev/shm where there is
// one: there the unwritten parts read as zeros without being stored.
int sparsefile(off_t size, const std::vector<std::pair<off_t, std::string>>& marks) {
  char name[] = "/dev/shm/zelvo-test-XXXXXX";
  int fd = mkstemp(name);
  if (fd < 0) {
    std::strcpy(name, "/tmp/zelvo-test-XXXXXX");
    fd = mkstemp(name);
  }
  unlink(name);
  EXPECT_EQ(ftruncate(fd, size), 0);
  for (auto& [at, text] : marks) EXPECT_EQ(pwrite(fd, text.data(), text.size(), at), static_cast<ssize_t>(text.size()));
  return fd;
}

// The read end of a pipe into which a child writes `bytes` bytes 'z' and
// ends (its pid in *writer). The pipe is as large as the system allows, up
// to 128 MiB, so that the paused reads gather 2 GiB in as few calls as they
// can (64 KiB each would take minutes).
int bigstream(int64_t bytes, pid_t* writer) {
  int ends[2];
  if (::pipe(ends) != 0) return -1;
  for (int size = 128 << 20; size > 65536 && fcntl(ends[0], F_SETPIPE_SZ, size) < 0; size /= 2) {
  }
  *writer = fork();
  if (*writer == 0) {
    static char block[1 << 20];
    std::memset(block, 'z', sizeof block);
    for (int64_t left = bytes; left > 0;) {
      ssize_t k = ::write(ends[1], block, static_cast<std::size_t>(std::min<int64_t>(left, sizeof block)));
      if (k <= 0) _exit(1);
      left -= k;
    }
    _exit(0);
  }
  ::close(ends[1]);
  return ends[0];
}

TEST(Open, ModeLetters) {
  TempDir dir;
  struct Case {
    const char* mode;
    bool exists;   // whether the file is there before the open
    int access;    // O_RDONLY, O_WRONLY or O_RDWR; -1: the open is refused
    int extra;     // status flags that must be set
    bool emptied;  // whether the old contents are gone
  } cases[] = {
      {"r", true, O_RDONLY, 0, false},
      {"", true, O_RDONLY, 0, false},
      {"xyz", true, O_RDONLY, 0, false},  // other letters are ignored
      {"rw", true, O_RDWR, 0, true},
      {"w", true, O_WRONLY, 0, true},
      {"a", true, O_WRONLY, O_APPEND, false},
      {"ra", true, O_RDWR, O_APPEND, false},
      {"rn", true, O_RDONLY, O_NONBLOCK, false},
      {"ca", true, O_WRONLY, O_APPEND, false},  // a outranks c: not exclusive
      {"wc", true, -1, 0, false},               // c outranks w: exclusive, and the file exists
      {"c", false, O_WRONLY, 0, false},
      {"r", false, -1, 0, false},
      {"a", false, O_WRONLY, O_APPEND, false},
  };
  int i = 0;
  for (auto c : cases) {
    std::string path = dir / std::to_string(i++);
    if (c.exists) writefile(path, "old");
    Capture streams;
    int fd = openwith(c.mode, path);
    EXPECT_EQ(streams.err(), "") << "a refusal is silent";
    if (c.access < 0) {
      EXPECT_EQ(fd, -1) << c.mode;
      continue;
    }
    ASSERT_GE(fd, 0) << c.mode;
    int status = fcntl(fd, F_GETFL);
    EXPECT_EQ(status & O_ACCMODE, c.access) << c.mode;
    EXPECT_EQ(status & c.extra, c.extra) << c.mode;
    EXPECT_EQ(status & O_APPEND, c.extra & O_APPEND) << c.mode;
    ::close(fd);
    if (c.exists) {
      EXPECT_EQ(readfile(path), c.emptied ? "" : "old") << c.mode;
    }
  }
}

TEST(Open, CreatesWith0664LessTheUmask) {
  TempDir dir;
  mode_t old = umask(027);
  int fd = openwith("rw", dir / "new");
  umask(old);
  ASSERT_GE(fd, 0);
  struct stat st;
  fstat(fd, &st);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  ::close(fd);
}

TEST(Open, EmptyNameAndPipes) {
  Val mode = Val::chars("r"), empty = Val::chars(""), r;
  rt::open(&r, &mode, &empty);
  EXPECT_EQ(r.first(), 0) << "the standard stream: nothing opened";

  Val two = Val::intscalar(2), pipes;
  rt::open(&pipes, &mode, &two);
  ASSERT_EQ(pipes->rank, 1);
  std::vector<int32_t> ends = pipes.list();
  ASSERT_EQ(ends.size(), 4u);
  for (int p = 0; p < 2; ++p) {  // read end, then write end, of each pipe
    ASSERT_EQ(::write(ends[2 * p + 1], "z", 1), 1);
    char c = 0;
    EXPECT_EQ(::read(ends[2 * p], &c, 1), 1);
    EXPECT_EQ(c, 'z');
  }
  for (int fd : ends) ::close(fd);

  Val zero = Val::ints({0}, {}, rt::Bit), none;
  rt::open(&none, &mode, &zero);
  EXPECT_EQ(none->rank, 1);
  EXPECT_EQ(none->shape[0], 0);
}

TEST(OpenDeathTest, Refusals) {
  Val mode = Val::chars("r"), real = Val::real(1), undefined, r;
  Val negative = Val::intscalar(-1), huge = Val::intscalar(0x40000000), name = Val::chars("/tmp/x");
  Val intmode = Val::intscalar(114);
  EXPECT_RTERROR(rt::open(&r, &mode, &real), "^" RTMSG("\\[open\\]: bad file type") "$");
  EXPECT_RTERROR(rt::open(&r, &mode, &undefined), "^" RTMSG("\\[open\\]: bad file type") "$");
  EXPECT_RTERROR(rt::open(&r, &mode, &negative), "^" RTMSG("\\[open:pipe\\]: bad pipe count") "$");
  EXPECT_RTERROR(rt::open(&r, &mode, &huge), "^" RTMSG("\\[open:pipe\\]: bad pipe count") "$");
  EXPECT_RTERROR(rt::open(&r, &intmode, &name), "^" RTMSG("\\[open\\]: bad mode type") "$");
  EXPECT_RTERROR(rt::open(&r, &undefined, &name), "^" RTMSG("\\[open\\]: bad mode type") "$");
}

TEST(Read, FilesByNameAndDescriptor) {
  TempDir dir;
  std::string big(100000, 'q');
  big[77777] = '\0';  // bytes, not strings
  struct Case { const char* name; std::string contents; int rank; } cases[] = {
      {"empty", "", 1}, {"one", "x", 0}, {"two", "xy\n", 1}, {"big", big, 1},
  };
  for (auto& c : cases) {
    writefile(dir / c.name, c.contents);
    Val name = Val::chars(dir / c.name), r;
    Capture streams;
    rt::read(&r, &name);
    EXPECT_EQ(r->type, rt::Char);
    EXPECT_EQ(r->rank, c.rank) << c.name;
    EXPECT_EQ(r.text(), c.contents) << c.name;
    EXPECT_EQ(streams.err(), "");

    int fd = ::open((dir / c.name).c_str(), O_RDONLY);
    Val d = Val::intscalar(fd), byfd;
    rt::read(&byfd, &d);
    EXPECT_EQ(byfd.text(), c.contents) << c.name;
    EXPECT_EQ(::close(fd), 0) << "a descriptor stays the caller's";
  }
}

// A regular file that reports size 0 (those under /proc) is read to its
// end, in as many reads as it takes (smaps takes several).
TEST(Read, FilesReportingSizeZeroAreReadWhole) {
  Val status = Val::chars("/proc/self/status"), smaps = Val::chars("/proc/self/smaps"), r, s;
  rt::read(&r, &status);
  EXPECT_TRUE(r.text().ends_with("\n") && r.text().find("\nnonvoluntary_ctxt_switches:") != std::string::npos);
  rt::read(&s, &smaps);
  EXPECT_TRUE(s.text().size() > 4096 && s.text().ends_with("\n"));
}

// A name of more than one axis stops the program; a name holding NUL is
// refused as one the system cannot open, and nothing is created.
TEST(FilesDeathTest, NamesThatNameNoOneFile) {
  TempDir dir;
  Val matrix = Val::chars("target", {1, 6}), mode = Val::chars("w"), text = Val::chars("t"), r;
  EXPECT_RTERROR(rt::open(&r, &mode, &matrix), "^" RTMSG("\\[open\\]: bad file name rank") "$");
  EXPECT_RTERROR(rt::read(&r, &matrix), "^" RTMSG("\\[read\\]: bad file name rank") "$");
  EXPECT_RTERROR(rt::fwrite(&r, &matrix, &text, "a"), "^" RTMSG("fwrite: bad file name rank") "$");
  EXPECT_RTERROR(rt::write(&r, &matrix, &text), "^" RTMSG("fwrite: bad file name rank") "$");

  std::string report = dir / "report";
  Val nul = Val::chars(report + std::string(1, '\0') + ".txt"), fd, text0;
  rt::open(&fd, &mode, &nul);
  EXPECT_EQ(fd.first(), -1);
  {
    Capture streams;
    rt::read(&text0, &nul);
    EXPECT_EQ(text0.text(), "");
    EXPECT_EQ(streams.err(), "\nread: can't find " + report + "\n");
  }
  const std::string refused = "^\nfwrite: can't open " + report + "\n" RTMSG("fwrite: open failed") "$";
  EXPECT_RTERROR(rt::fwrite(&r, &nul, &text, "w"), refused);
  EXPECT_RTERROR(rt::write(&r, &nul, &text), refused);
  EXPECT_NE(::access(report.c_str(), F_OK), 0);
}

TEST(Read, MissingFileIsReportedAndGivesNothing) {
  Val name = Val::chars("/nonexistent/zelvo"), r;
  Capture streams;
  rt::read(&r, &name);
  EXPECT_EQ(r->type, rt::Char);
  EXPECT_EQ(r->rank, 1);
  EXPECT_EQ(r->shape[0], 0);
  EXPECT_NE(r->value, nullptr);
  EXPECT_EQ(streams.err(), "\nread: can't find /nonexistent/zelvo\n");
}

TEST(Read, TerminalKeys) {
  zelvotest::Pty pty;
  ASSERT_TRUE(pty.open());
  struct Case { std::string typed; int rank; std::string got; } cases[] = {
      {"a", 0, "a"},
      {"xyz", 1, "xyz"},
      {std::string(100, 'k'), 1, std::string(80, 'k')},  // one read of at most 80
      {std::string(20, 'k'), 1, std::string(20, 'k')},   // the rest of the previous batch
  };
  for (auto& c : cases) {
    if (c.typed.size() != 20) {
      ASSERT_TRUE(pty.type(c.typed));
      ASSERT_TRUE(pty.pending(c.typed.size()));
    }
    Val d = Val::intscalar(pty.slave()), r;
    rt::read(&r, &d);
    EXPECT_EQ(r->rank, c.rank) << c.typed;
    EXPECT_EQ(r.text(), c.got);
  }
}

TEST(Read, NonBlockingDescriptorWithNothingPendingGivesNothing) {
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  fcntl(ends[0], F_SETFL, O_NONBLOCK);
  Val d = Val::intscalar(ends[0]), r;
  rt::read(&r, &d);
  EXPECT_EQ(r->rank, 1);
  EXPECT_EQ(r.count(), 0);
  ::close(ends[0]);
  ::close(ends[1]);
}

// A pipe or FIFO is read in chunks of what is pending in it: 200 KB already
// written arrive in one read (and a second finds the end), where chunks of
// the 4 KiB block size would take 49 reads with a 10 ms pause before each.
TEST(Read, PendingBytesOfAPipeArriveInOneChunk) {
  TempDir dir;
  std::string bytes(200000, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 % 251);
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
  for (bool named : {false, true}) {
    int ends[2];
    if (named) {  // the read end first, without waiting for a writer
      ends[0] = ::open((dir / "fifo").c_str(), O_RDONLY | O_NONBLOCK);
      ends[1] = ::open((dir / "fifo").c_str(), O_WRONLY);
      ASSERT_EQ(fcntl(ends[0], F_SETFL, 0), 0);
    } else {
      ASSERT_EQ(::pipe(ends), 0);
    }
    ASSERT_GE(fcntl(ends[1], F_SETPIPE_SZ, 256 * 1024), static_cast<int>(bytes.size()));
    ASSERT_EQ(::write(ends[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    ::close(ends[1]);
    Val d = Val::intscalar(ends[0]), r;
    auto start = std::chrono::steady_clock::now();
    rt::read(&r, &d);
    auto took = std::chrono::steady_clock::now() - start;
    EXPECT_TRUE(r.text() == bytes) << (named ? "fifo" : "pipe");
    EXPECT_LT(took, std::chrono::milliseconds(250)) << (named ? "fifo" : "pipe");
    ::close(ends[0]);
  }
}

TEST(Read, StandardStreamIsReadThenClosed) {
  auto child = zelvotest::runchild([] {
    int ends[2];
    if (::pipe(ends) != 0) return;
    dup2(ends[0], 0);
    ::close(ends[0]);
    if (::write(ends[1], "typed", 5) != 5) return;
    ::close(ends[1]);
    Val empty = Val::chars(""), r;
    rt::read(&r, &empty);
    std::printf("%s %s", r.text().c_str(), fcntl(0, F_GETFD) < 0 ? "closed" : "open");
  });
  EXPECT_EQ(child.out, "typed closed");
}

TEST(ReadDeathTest, Refusals) {
  auto child = zelvotest::runchild([] {
    Val name = Val::chars("/tmp"), r;
    rt::read(&r, &name);
  });
  EXPECT_EQ(child.status, 1);
  EXPECT_EQ(child.out, "[read fd] file is a directory \n");
  EXPECT_EQ(child.err, RTMSG("read fd: read failed"));

  Val real = Val::real(0), closed = Val::intscalar(1000), empty = Val::ints({}), r;
  EXPECT_RTERROR(rt::read(&r, &real), "^" RTMSG("\\[read\\]: bad file name type") "$");
  EXPECT_RTERROR(rt::read(&r, &closed), "^" RTMSG("read fd: read fstat failed") "$");
  EXPECT_RTERROR(rt::read(&r, &empty), "^" RTMSG("\\[read\\]: no file descriptor") "$");
}

// A regular file is read whole up to the int limit, which takes two read
// calls (one gives at most 2,147,479,552 bytes), and refused beyond it rather
// than cut short: by name (3 GiB) and from a position 2^31 bytes before its end.
TEST(ReadDeathTest, FilesUpToTheIntLimitComeWholeAndLargerOnesAreRefused) {
  off_t start = threegib - intmax, seam = start + 2147479552;
  int fd = sparsefile(threegib, {{start, "head"}, {seam - 2, "seam"}, {threegib - 4, "tail"}});
  Val name = Val::chars("/proc/self/fd/" + std::to_string(fd)), d = Val::intscalar(fd), r;
  EXPECT_RTERROR(rt::read(&r, &name), "^" RTMSG("read fd: file size beyond the int range") "$");
  ASSERT_EQ(::lseek(fd, start - 1, SEEK_SET), start - 1);
  EXPECT_RTERROR(rt::read(&r, &d), "^" RTMSG("read fd: file size beyond the int range") "$");
  ASSERT_EQ(::lseek(fd, start, SEEK_SET), start);
  rt::read(&r, &d);
  ASSERT_EQ(r.count(), INT32_MAX);
  const char* bytes = rt::chars(*r);
  EXPECT_EQ(std::string(bytes, 4), "head");
  EXPECT_EQ(std::string(bytes + (seam - 2 - start), 4), "seam");
  EXPECT_EQ(std::string(bytes + intmax - 4, 4), "tail");
  ::close(fd);
}

// A stream longer than an array can hold is refused rather than cut short.
// Without the privilege for pipes above 1 MiB this takes some 2,000 paused
// reads: about 25 seconds.
TEST(ReadDeathTest, StreamsLongerThanTheIntLimitAreRefused) {
  pid_t writer;
  EXPECT_RTERROR(
      {
        Val d = Val::intscalar(bigstream(intmax + 1, &writer));
        Val r;
        rt::read(&r, &d);
      },
      "^" RTMSG("read fd: input beyond the int range") "$");
}

TEST(Write, ToDescriptors) {
  TempDir dir;
  int fd = ::open((dir / "w").c_str(), O_RDWR | O_CREAT, 0600);
  Val d = Val::intscalar(fd);
  struct Case { Val value; int32_t result; std::string file; } cases[] = {
      {Val::chars("hello"), 5, "hello"},
      {Val::chars(""), 0, "hello"},  // nothing written, no message
      {Val::chars("!", {}), 1, "hello!"},
      {Val::ints({0x41424344, 0, 0}), 3, std::string("hello!DCB", 9)},  // first 3 bytes of the storage
  };
  for (auto& c : cases) {
    Capture streams;
    Val r;
    rt::write(&r, &d, &c.value);
    EXPECT_EQ(r.first(), c.result);
    EXPECT_EQ(streams.err(), "");
    EXPECT_EQ(readfile(dir / "w"), c.file);
  }
  ::close(fd);

  Capture streams;
  Val closed = Val::intscalar(fd), text = Val::chars("lost"), r;
  rt::write(&r, &closed, &text);
  EXPECT_EQ(r.first(), -1);
  EXPECT_EQ(streams.err(), "[write]: write error [-1] Bad file descriptor\n");

  int failure = -1;  // the caller's to report: nothing on the stream
  Capture quiet;
  Val q;
  rt::write(&q, &closed, &text, &failure);
  EXPECT_EQ(q.first(), -1);
  EXPECT_EQ(failure, EBADF);
  EXPECT_EQ(quiet.err(), "");
}

TEST(Write, ShortWriteIsReported) {
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  fcntl(ends[1], F_SETFL, O_NONBLOCK);
  fcntl(ends[1], F_SETPIPE_SZ, 4096);
  Val d = Val::intscalar(ends[1]), text = Val::chars(std::string(10000, 'p')), r;
  Capture streams;
  rt::write(&r, &d, &text);
  int32_t c = static_cast<int32_t>(r.first());
  EXPECT_GT(c, 0);
  EXPECT_LT(c, 10000);
  EXPECT_EQ(streams.err(), "[write]: Resource temporarily unavailable, [10000] bytes requested, [" +
                               std::to_string(c) + "] bytes written \n");
  ::close(ends[0]);
  ::close(ends[1]);
}

TEST(Write, ByNameReplacesAndFwriteAppends) {
  TempDir dir;
  std::string path = dir / "t";
  writefile(path, "previous contents");
  Val name = Val::chars(path), r1, r2, r3;
  Val first = Val::chars("one\n"), second = Val::chars("2", {});
  rt::write(&r1, &name, &first);
  EXPECT_EQ(readfile(path), "one\n");
  rt::fwrite(&r2, &name, &second, "a");
  EXPECT_EQ(readfile(path), "one\n2");
  rt::fwrite(&r3, &name, &first, "w");
  EXPECT_EQ(readfile(path), "one\n");
  EXPECT_EQ(r1.first(), 1);
  EXPECT_EQ(r2.first(), 1);
  EXPECT_EQ(r3.first(), 1);
}

TEST(Write, EmptyNameWritesToTheOutputStream) {
  Capture streams;
  Val empty = Val::chars(""), text = Val::chars("no line break"), r;
  rt::fwrite(&r, &empty, &text, "w");
  EXPECT_EQ(streams.out(), "no line break");
  EXPECT_EQ(r.first(), 1);
}

TEST(FwriteDeathTest, Refusals) {
  Val name = Val::chars("/tmp/zelvo-x"), number = Val::intscalar(1), text = Val::chars("t");
  Val nowhere = Val::chars("/nonexistent/dir/file"), r;
  EXPECT_RTERROR(rt::fwrite(&r, &name, &number, "w"), "^" RTMSG("fwrite: non-character argument") "$");
  EXPECT_RTERROR(rt::fwrite(&r, &number, &text, "w"), "^" RTMSG("fwrite: bad file name type") "$");
  EXPECT_RTERROR(rt::fwrite(&r, &nowhere, &text, "a"),
                 "^\nfwrite: can't open /nonexistent/dir/file\n" RTMSG("fwrite: open failed") "$");
  EXPECT_RTERROR(rt::write(&r, &nowhere, &text),
                 "^\nfwrite: can't open /nonexistent/dir/file\n" RTMSG("fwrite: open failed") "$");
  Val real = Val::real(1);
  EXPECT_RTERROR(rt::write(&r, &real, &text), "^" RTMSG("\\[write\\]: bad file name type") "$");
}

// Bytes that do not all reach the file stop the program, whether a write
// fails (100,000 bytes to /dev/full) or only the flush at the close (100);
// a 16 KiB filesystem (mounted as root) takes 16,384 bytes, not one more.
TEST(FwriteDeathTest, BytesThatDoNotReachTheFileStopTheProgram) {
  Val full = Val::chars("/dev/full"), r;
  const char* failed = "^\nfwrite: can't write /dev/full\n" RTMSG("fwrite: write failed") "$";
  for (int n : {100, 100000}) {
    Val text = Val::chars(std::string(n, 'f'));
    EXPECT_RTERROR(rt::fwrite(&r, &full, &text, "a"), failed);
    EXPECT_RTERROR(rt::write(&r, &full, &text), failed);
  }
  TempDir dir;
  if (mount("zelvo-test", dir.path().c_str(), "tmpfs", 0, "size=16k") != 0) GTEST_SKIP() << "mounting takes root";
  Val name = Val::chars(dir / "f"), fits = Val::chars(std::string(16384, 'f')), over = Val::chars(fits.text() + "f");
  rt::write(&r, &name, &fits);
  EXPECT_EQ(readfile(dir / "f").size(), 16384u);
  EXPECT_RTERROR(rt::write(&r, &name, &over),
                 "^\nfwrite: can't write " + (dir / "f") + "\n" RTMSG("fwrite: write failed") "$");
  umount(dir.path().c_str());
}

TEST(Lseek, MovesAndTraces) {
  TempDir dir;
  writefile(dir / "s", "0123456789");
  int fd = ::open((dir / "s").c_str(), O_RDONLY);
  struct Case { const char* whence; int32_t offset, at, origin; } cases[] = {
      {"e", 0, 10, 2}, {"b", 3, 3, 0}, {"c", 2, 5, 1}, {"end", -4, 6, 2},
  };
  for (auto c : cases) {
    Val w = Val::chars(c.whence), right = Val::ints({fd, c.offset}), r;
    Capture streams;
    rt::lseek(&r, &w, &right);
    EXPECT_EQ(r.first(), c.at) << c.whence;
    EXPECT_EQ(streams.err(), "[lseek]: lseek fd " + std::to_string(fd) + ", position " + std::to_string(c.offset) +
                                 " from " + std::to_string(c.origin) + " \n");
  }
  ::close(fd);
}

TEST(LseekDeathTest, Refusals) {
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  Val b = Val::chars("b"), x = Val::chars("xb"), empty = Val::chars(""), number = Val::intscalar(1);
  Val pair = Val::ints({ends[0], 0}), real = Val::real(1), scalar = Val::intscalar(3), three = Val::ints({1, 2, 3}), r;
  EXPECT_RTERROR(rt::lseek(&r, &b, &real), "^" RTMSG("\\[lseek\\]: non int file descriptor, offset") "$");
  EXPECT_RTERROR(rt::lseek(&r, &b, &scalar), "^" RTMSG("\\[lseek\\]: bad file descriptor, offset") "$");
  EXPECT_RTERROR(rt::lseek(&r, &b, &three), "^" RTMSG("\\[lseek\\]: bad file descriptor, offset") "$");
  EXPECT_RTERROR(rt::lseek(&r, &x, &pair),
                 "^\\[lseek\\]: Whence : \\[xb\\] \n" RTMSG("\\[lseek\\]:  bad Whence character, use \\[b\\|c\\|e\\]") "$");
  EXPECT_RTERROR(rt::lseek(&r, &empty, &pair),
                 "^\\[lseek\\]: Whence : \\[\\] \n" RTMSG("\\[lseek\\]:  bad Whence character, use \\[b\\|c\\|e\\]") "$");
  EXPECT_RTERROR(rt::lseek(&r, &number, &pair), "^" RTMSG("\\[lseek\\]: bad whence type") "$");
  EXPECT_RTERROR(rt::lseek(&r, &b, &pair), "^" RTMSG("\\[lseek\\]: failed") "$");  // a pipe cannot seek
  ::close(ends[0]);
  ::close(ends[1]);
}

// A position past the int range is refused rather than given as 2^31 - 1;
// the last one an int holds is still given, from either end.
TEST(LseekDeathTest, PositionsBeyondTheIntRangeAreRefused) {
  int fd = sparsefile(threegib, {});
  int32_t fromend = static_cast<int32_t>(intmax - threegib);  // the end, back to 2^31 - 1
  struct Case { const char* whence; int32_t offset; bool fits; } cases[] = {
      {"b", INT32_MAX, true}, {"c", 1, false}, {"e", fromend, true}, {"e", fromend + 1, false}, {"e", 0, false},
  };
  for (auto c : cases) {
    Val w = Val::chars(c.whence), right = Val::ints({fd, c.offset}), r;
    if (c.fits) {
      Capture streams;
      rt::lseek(&r, &w, &right);
      EXPECT_EQ(r.first(), INT32_MAX) << c.whence << c.offset;
    } else {
      EXPECT_RTERROR(rt::lseek(&r, &w, &right), "^" RTMSG("\\[lseek\\]: offset beyond the int range") "$");
    }
  }
  ::close(fd);
}

TEST(Fcntl, SetsAndClearsFlags) {
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  Val both = Val::ints({ends[0], ends[1]});
  struct Case { const char* letters; int expected; } cases[] = {
      {"n", O_NONBLOCK}, {"", O_NONBLOCK}, {"-n", 0}, {"an", O_NONBLOCK | O_APPEND}, {"a-", O_NONBLOCK},
      {"n-a", 0},
  };
  for (auto c : cases) {
    Val letters = Val::chars(c.letters), r;
    rt::fcntl(&r, &letters, &both);
    EXPECT_EQ(r.first(), 1);
    for (int fd : ends) EXPECT_EQ(fcntl(fd, F_GETFL) & (O_NONBLOCK | O_APPEND), c.expected) << c.letters;
  }
  ::close(ends[0]);
  ::close(ends[1]);
}

TEST(FcntlDeathTest, Refusals) {
  Val n = Val::chars("n"), closed = Val::intscalar(1000), real = Val::real(1), number = Val::intscalar(0), r;
  EXPECT_RTERROR(rt::fcntl(&r, &n, &closed), "^" RTMSG("\\[fcntl\\]: fcntl get failed") "$");
  EXPECT_RTERROR(rt::fcntl(&r, &n, &real), "^" RTMSG("\\[fcntl\\]: bad file descriptor type") "$");
  EXPECT_RTERROR(rt::fcntl(&r, &number, &number), "^" RTMSG("\\[fcntl\\]: bad flag type") "$");
}

TEST(Close, ClosesEachAndListsThoseClosed) {
  int a[2], b[2];
  ASSERT_EQ(::pipe(a), 0);
  ASSERT_EQ(::pipe(b), 0);
  struct Case { std::vector<int32_t> fds; std::vector<int32_t> closed; int rank; std::string err; } cases[] = {
      {{a[0], a[0]}, {a[0]}, 0, "[close]: close fd " + std::to_string(a[0]) + " failed \n"},
      {{a[1], b[0], b[1]}, {a[1], b[0], b[1]}, 1, ""},
      {{a[1]}, {}, 1, "[close]: close fd " + std::to_string(a[1]) + " failed \n"},
      {{}, {}, 1, ""},
  };
  for (auto& c : cases) {
    Val fds = Val::ints(c.fds), r;
    Capture streams;
    rt::close(&r, &fds);
    EXPECT_EQ(r->type, rt::Int);
    EXPECT_EQ(r->rank, c.rank);
    EXPECT_EQ(r.list(), c.closed);
    EXPECT_EQ(streams.err(), c.err);
  }
}

TEST(EmptyVectors, ShareOneShapeAndLeaveTheValue) {
  rt::Array a, b;
  rt::descclear(&a);
  rt::descclear(&b);
  int32_t cell;
  b.value = &cell;
  rt::mkemptyivect(&a);
  rt::mkemptycvect(&b);
  EXPECT_EQ(a.type, rt::Int);
  EXPECT_EQ(b.type, rt::Char);
  EXPECT_EQ(a.rank, 1);
  EXPECT_EQ(a.shape, b.shape);
  EXPECT_EQ(a.shape[0], 0);
  EXPECT_EQ(a.value, nullptr);
  EXPECT_EQ(b.value, &cell);
  rt::detalloc(&b);  // leaves an empty vector alone
  EXPECT_EQ(b.type, rt::Char);
}

}  // namespace
