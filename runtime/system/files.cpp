// open, read, readfd, write, fwrite, lseek, fcntl, close and the empty-vector
// constructors. Inside namespace rt these names hide the C library's; the
// descriptor calls are made through the wrappers of syscalls.h, isatty, stat
// and the FIONREAD ioctl directly.
#include "runtime/system/files.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "runtime/core/error.h"
#include "runtime/core/globals.h"
#include "runtime/system/readbuffer.h"
#include "runtime/system/syscalls.h"
#include "runtime/system/sysargs.h"
#include "runtime/system/sysvar.h"

namespace rt {

void mkemptyivect(Array* d) {
  d->type = Int;
  d->rank = 1;
  d->shape = emptyshape;
}

void mkemptycvect(Array* d) {
  d->type = Char;
  d->rank = 1;
  d->shape = emptyshape;
}

// Whether a is the empty character vector, the designation of the standard stream.
static bool isstandard(const Array& a) { return a.rank == 1 && a.shape[0] == 0; }

// Whether the byte occurs among the n characters at s.
static bool has(const char* s, int32_t n, char letter) {
  return n > 0 && std::memchr(s, letter, static_cast<std::size_t>(n)) != nullptr;
}

// The first descriptor of an int or bit designation. An empty one names no
// descriptor at all and is refused rather than read from unset storage.
static int32_t firstfd(const Array& a, const char* emptymessage) {
  if (elemcount(a.rank, a.shape) == 0) rterror(emptymessage);
  return ints(a)[0];
}

// Refuses a name of more than one axis, which names no one file: a matrix
// would otherwise open the file its first column spells.
static void checkname(const Array& name, const char* rankmessage) {
  if (name.rank > 1) rterror(rankmessage);
}

// Whether the copied name holds a NUL byte, which no file name can: the
// system would open the name cut at the NUL, another file than the one named.
static bool holdsnul(const CText& path, int32_t length) {
  return std::strlen(path.str()) != static_cast<std::size_t>(length);
}

// Open flags of the mode letters: a outranks c, c outranks w.
static int modeflags(const char* m, int32_t n) {
  bool w = has(m, n, 'w'), c = has(m, n, 'c'), a = has(m, n, 'a');
  int flags = O_RDONLY;
  if (w || c || a) flags = has(m, n, 'r') ? O_RDWR : O_WRONLY;
  if (a)
    flags |= O_CREAT | O_APPEND;
  else if (c)
    flags |= O_CREAT | O_EXCL;
  else if (w)
    flags |= O_CREAT | O_TRUNC;
  if (has(m, n, 'n')) flags |= O_NONBLOCK;
  return flags;
}

// open with a name: the descriptor, -1 on refusal, 0 for the empty name.
static void openfile(Array* result, const Array* mode, const Array* name) {
  if (isstandard(*name)) {
    intresult(result, 0);
    return;
  }
  if (mode->type != Char) rterror("[open]: bad mode type");
  checkname(*name, "[open]: bad file name rank");
  CText path(*name, axislength(*name));
  if (holdsnul(path, axislength(*name))) {
    errno = ENOENT;
    intresult(result, -1);
    return;
  }
  int flags = modeflags(chars(*mode), elemcount(mode->rank, mode->shape));
  intresult(result, sysopen(path.str(), flags, 0664));
}

// open with a count: n fresh pipes, read end then write end of each.
static void openpipes(Array* result, const Array* count) {
  int32_t n = firstfd(*count, "[open:pipe]: bad pipe count");
  if (n < 0 || n > INT32_MAX / 2) rterror("[open:pipe]: bad pipe count");
  *result = newarray(Int, 1, vect1(2 * n));
  int32_t* ends = ints(*result);
  for (int32_t i = 0; i < n; ++i) {
    int fds[2];
    int made = syspipe(fds);
    ends[2 * i] = fds[0];
    ends[2 * i + 1] = fds[1];
    if (made < 0) rterror("[open:pipe]: open failed");
  }
}

void open(Array* result, const Array* mode, const Array* name) {
  sysentry();
  switch (name->type) {
    case Char: openfile(result, mode, name); break;
    case Bit:
    case Int: openpipes(result, name); break;
    default: rterror("[open]: bad file type");
  }
}

// The chunk a descriptor is read in before the first read: its size, 80 for
// a character device, the preferred block size for a pipe or socket, or for
// a regular file that reports size 0 (as those under /proc and /sys do). A
// directory cannot be read at all.
static int64_t firstchunk(const struct stat& st) {
  if (S_ISDIR(st.st_mode)) {
    std::fprintf(outstream, "[read fd] file is a directory \n");
    rterror("read fd: read failed");
  }
  if (S_ISCHR(st.st_mode)) return 80;
  if (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode) || st.st_size == 0) return st.st_blksize;
  return st.st_size;
}

// The size the system reports for a descriptor before a read. fstat gives 0
// for a pipe or FIFO, so there the size is the count of bytes pending in it,
// which lets one read take everything already written.
static int64_t reportedsize(int fd, const struct stat& st) {
  if (!S_ISFIFO(st.st_mode)) return st.st_size;
  int pending = 0;
  if (::ioctl(fd, FIONREAD, &pending) < 0) return 0;
  return pending;
}

// The bytes of a regular file from the descriptor's position to its end.
// More than an array can hold is an error, not a file cut short.
static int32_t remaining(int fd, const struct stat& st) {
  off_t at = syslseek(fd, 0, SEEK_CUR);
  int64_t left = st.st_size - (at > 0 ? at : 0);
  if (left > INT32_MAX) rterror("read fd: file size beyond the int range");
  return left > 0 ? static_cast<int32_t>(left) : 0;
}

// A regular file: after the pause, all that fstat then reports from the
// position on. One read call gives at most 2,147,479,552 bytes, so a file
// near the int limit takes two; they make one read, with no pause between.
static void readregular(ReadBuffer* b, int fd) {
  delay(1);
  struct stat st;
  if (sysfstat(fd, &st) < 0) return;
  int32_t want = remaining(fd, st);
  bufreserve(b, want);
  while (b->gathered < want) {
    ssize_t k = sysread(fd, b->bytes + b->gathered, static_cast<std::size_t>(want - b->gathered));
    if (k <= 0) break;
    b->gathered += static_cast<int32_t>(k);
  }
}

// Once a result holds as many bytes as an array can, one more byte still to
// come is an error rather than a result cut short; end of file, or nothing
// pending on a non-blocking descriptor, ends the read.
static void refusemore(int fd) {
  char extra;
  if (sysread(fd, &extra, 1) > 0) rterror("read fd: input beyond the int range");
}

// Anything else: a pause before every read call. Each call asks for the
// whole size the system reports (else the last chunk), within what a result
// can hold. A terminal is read once; a pipe, socket or other device until
// end of file or an error.
static void readstream(ReadBuffer* b, int fd, int64_t chunk, bool terminal) {
  for (;;) {
    delay(1);
    struct stat st;
    if (sysfstat(fd, &st) < 0) break;
    int64_t size = reportedsize(fd, st);
    if (size > 0) chunk = size;
    if (b->gathered == INT32_MAX) {
      refusemore(fd);
      break;
    }
    int64_t n = chunk < INT32_MAX - b->gathered ? chunk : INT32_MAX - b->gathered;
    if (n < 0) n = 0;
    bufreserve(b, b->gathered + static_cast<int32_t>(n));
    ssize_t k = sysread(fd, b->bytes + b->gathered, static_cast<std::size_t>(n));
    if (k > 0) b->gathered += static_cast<int32_t>(k);
    if (k <= 0 || terminal) break;
  }
}

void readfd(Array* result, int32_t fd) {
  bool terminal = ::isatty(fd) == 1;
  struct stat st;
  if (sysfstat(fd, &st) < 0) rterror("read fd: read fstat failed");
  int64_t chunk = firstchunk(st);
  ReadBuffer b;
  // A regular file of size 0 may still hold bytes that the system makes as
  // they are read: it is drained as a pipe is.
  if (S_ISREG(st.st_mode) && st.st_size > 0)
    readregular(&b, fd);
  else
    readstream(&b, fd, chunk, terminal);
  bufresult(result, &b);
}

// read by name: a missing file is reported and gives an empty vector.
static void readname(Array* result, const Array* name) {
  checkname(*name, "[read]: bad file name rank");
  CText path(*name, axislength(*name));
  struct stat st;
  if (holdsnul(path, axislength(*name)) || ::stat(path.str(), &st) < 0) {
    std::fprintf(errstream, "\nread: can't find %s\n", path.str());
    *result = emptyvector(Char);
    return;
  }
  int fd = sysopen(path.str(), O_RDONLY, 0);
  readfd(result, fd);
  if (sysclose(fd) < 0) rterror("[read]: close failed");
}

void read(Array* result, const Array* name) {
  sysentry();
  switch (name->type) {
    case Bit:
    case Int: readfd(result, firstfd(*name, "[read]: no file descriptor")); break;
    case Char:
      if (!isstandard(*name)) {
        readname(result, name);
      } else {
        readfd(result, 0);
        if (sysclose(0) < 0) rterror("[read]: close failed");
      }
      break;
    default: rterror("[read]: bad file name type");
  }
}

void write(Array* result, const Array* dest, const Array* value) { write(result, dest, value, nullptr); }

void write(Array* result, const Array* dest, const Array* value, int* failure) {
  sysentry();
  if (failure) *failure = 0;
  if (dest->type == Char) {
    fwrite(result, dest, value, "w");
    return;
  }
  if (dest->type != Bit && dest->type != Int) rterror("[write]: bad file name type");
  int32_t fd = firstfd(*dest, "[write]: no file descriptor");
  // n elements of any type span at least n bytes, so this never reads past
  // the storage; for characters it is exactly the text.
  int32_t n = elemcount(value->rank, value->shape);
  ssize_t c = syswriteall(fd, value->value, static_cast<std::size_t>(n));
  int reason = c < n ? errno : 0;
  if (failure)
    *failure = reason;
  else if (c < 0)
    std::fprintf(errstream, "[write]: write error [%d] %s\n", static_cast<int>(c), std::strerror(reason));
  else if (c < n)
    std::fprintf(errstream, "[write]: %s, [%d] bytes requested, [%d] bytes written \n", std::strerror(reason), n,
                 static_cast<int>(c));
  intresult(result, static_cast<int32_t>(c));
}

void fwrite(Array* result, const Array* name, const Array* text, const char* mode) {
  sysentry();
  if (text->type != Char) rterror("fwrite: non-character argument");
  std::size_t n = static_cast<std::size_t>(elemcount(text->rank, text->shape));
  if (isstandard(*name)) {
    std::fwrite(text->value, 1, n, outstream);  // buffered: neither flushed nor closed
  } else {
    if (name->type != Char) rterror("fwrite: bad file name type");
    checkname(*name, "fwrite: bad file name rank");
    CText path(*name, axislength(*name));
    FILE* f = holdsnul(path, axislength(*name)) ? nullptr : std::fopen(path.str(), mode);
    if (f == nullptr) {
      std::fprintf(errstream, "\nfwrite: can't open %s\n", path.str());
      rterror("fwrite: open failed");
    }
    // A failed write, or a flush at the close that the file refuses (a full
    // disk), would leave the file short: that stops the program instead.
    bool whole = std::fwrite(text->value, 1, n, f) == n;
    if (std::fclose(f) != 0 || !whole) {
      std::fprintf(errstream, "\nfwrite: can't write %s\n", path.str());
      rterror("fwrite: write failed");
    }
  }
  intresult(result, 1);
}

// The origin of a whence letter, or -1.
static int origin(char letter) {
  switch (letter) {
    case 'b': return SEEK_SET;
    case 'c': return SEEK_CUR;
    case 'e': return SEEK_END;
    default: return -1;
  }
}

void lseek(Array* result, const Array* whence, const Array* fdoffset) {
  sysentry();
  if (fdoffset->type != Int) rterror("[lseek]: non int file descriptor, offset");
  if (fdoffset->rank != 1 || fdoffset->shape[0] != 2) rterror("[lseek]: bad file descriptor, offset");
  if (whence->type != Char) rterror("[lseek]: bad whence type");
  CText letters(*whence, elemcount(whence->rank, whence->shape));
  int from = origin(letters.str()[0]);
  if (from < 0) {
    std::fprintf(errstream, "[lseek]: Whence : [%s] \n", letters.str());
    rterror("[lseek]:  bad Whence character, use [b|c|e]");
  }
  int32_t fd = ints(*fdoffset)[0], offset = ints(*fdoffset)[1];
  off_t at = syslseek(fd, offset, from);
  if (at == -1) rterror("[lseek]: failed");
  if (at > INT32_MAX) rterror("[lseek]: offset beyond the int range");
  std::fprintf(errstream, "[lseek]: lseek fd %d, position %d from %d \n", fd, offset, from);
  intresult(result, static_cast<int32_t>(at));
}

void fcntl(Array* result, const Array* flags, const Array* fds) {
  sysentry();
  if (flags->type != Char) rterror("[fcntl]: bad flag type");
  if (fds->type != Bit && fds->type != Int) rterror("[fcntl]: bad file descriptor type");
  const char* letters = chars(*flags);
  int32_t nletters = elemcount(flags->rank, flags->shape);
  int selected = (has(letters, nletters, 'a') ? O_APPEND : 0) | (has(letters, nletters, 'n') ? O_NONBLOCK : 0);
  bool clear = has(letters, nletters, '-');
  int32_t n = axislength(*fds);
  for (int32_t i = 0; i < n; ++i) {
    setflags(ints(*fds)[i], Flags::Status, clear ? 0 : selected, clear ? selected : 0,
             "[fcntl]: fcntl get failed", "[fcntl]: fcntl set failed");
  }
  intresult(result, 1);
}

void close(Array* result, const Array* fds) {
  sysentry();
  if (fds->type != Bit && fds->type != Int) rterror("[close]: bad file descriptor type");
  int32_t n = axislength(*fds);
  int32_t* closed = newints(n);
  void* buf = closed;
  int32_t m = 0;
  for (int32_t i = 0; i < n; ++i) {
    int32_t fd = ints(*fds)[i];
    if (sysclose(fd) == -1)
      std::fprintf(errstream, "[close]: close fd %d failed \n", fd);
    else
      closed[m++] = fd;
  }
  if (m > 0 && m < n) vectrealloc(&buf, m, Int);
  *result = adoptvector(Int, m, buf);
}

}  // namespace rt
