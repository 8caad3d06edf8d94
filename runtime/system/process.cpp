// pipe, spawn and the collection of finished children.
//
// Children are collected without a SIGCHLD handler on purpose: a handler
// would cut the read pauses short, each cut reported on the error stream.
#include "runtime/system/process.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "runtime/core/error.h"
#include "runtime/core/globals.h"
#include "runtime/system/files.h"
#include "runtime/system/syscalls.h"
#include "runtime/system/sysargs.h"

namespace rt {

// The children started here and not yet collected.
static int32_t* children;
static int32_t nchildren, childroom;

static void keepchild(pid_t pid) {
  if (nchildren == childroom) {
    childroom = childroom == 0 ? 8 : 2 * childroom;
    void* p = children;
    if (p == nullptr)
      vectalloc(&p, childroom, Int);
    else
      vectrealloc(&p, childroom, Int);
    children = static_cast<int32_t*>(p);
  }
  children[nchildren++] = pid;
  entryhook = reapchildren;
}

void reapchildren() {
  int saved = errno;
  int32_t kept = 0;
  for (int32_t i = 0; i < nchildren; ++i) {
    int status;
    // 0: still running. -1: not ours to wait for any more (collected).
    if (syswaitpid(children[i], &status, WNOHANG) == 0) children[kept++] = children[i];
  }
  nchildren = kept;
  errno = saved;
}

// Moves a descriptor below `lowest` to the lowest free one not below it, and
// closes the old one; a descriptor not below it stays. False when the system
// refuses, with errno as the refusal set it.
static bool lift(int* fd, int lowest) {
  if (*fd >= lowest) return true;
  int moved = sysdupfd(*fd, lowest);
  if (moved < 0) return false;
  sysclose(*fd);
  *fd = moved;
  return true;
}

// Creates a pipe whose two ends lie above the standard descriptors, so that
// placing one end on descriptor 0 or 1 in a child can never close another
// (a program that has closed descriptor 0 would otherwise get it back here).
static void makepipe(int ends[2], const char* message) {
  if (syspipe(ends) < 0 || !lift(&ends[0], 3) || !lift(&ends[1], 3)) rterror(message);
}

// Closes a standard descriptor; one that is already closed counts as closed.
static bool closestd(int fd) { return sysclose(fd) == 0 || errno == EBADF; }

// Closes every descriptor above the standard ones that is marked
// close-on-exec. A child that runs its command through system does not exec
// itself but waits while the command runs, so it must close them itself:
// were it to keep the program's end of another child's pipe open, that child
// would not see end of file when the program closes its end.
static void closeexecfds() {
  DIR* d = ::opendir("/proc/self/fd");
  if (d == nullptr) return;
  int own = ::dirfd(d);
  while (dirent* e = ::readdir(d)) {
    int fd = std::atoi(e->d_name);
    if (fd <= 2 || fd == own) continue;
    int flags = sysgetflags(fd, Flags::Descriptor);
    if (flags >= 0 && (flags & FD_CLOEXEC) != 0) sysclose(fd);
  }
  ::closedir(d);
}

// The largest capacity the system gives a pipe of an ordinary process, from
// /proc/sys/fs/pipe-max-size (read once); 0 where it cannot be read.
static int32_t pipemaxsize() {
  static int32_t size = -1;
  if (size >= 0) return size;
  size = 0;
  FILE* f = std::fopen("/proc/sys/fs/pipe-max-size", "r");
  if (f == nullptr) return size;
  long value = 0;
  if (std::fscanf(f, "%ld", &value) == 1 && value > 0) size = value < INT32_MAX ? static_cast<int32_t>(value) : INT32_MAX;
  std::fclose(f);
  return size;
}

// Gives a pipe the largest capacity the system allows, so that each paused
// read of it takes all that has piled up meanwhile instead of the default
// 64 KiB. A refusal (a user past its share of pipe memory) is met by asking
// for half as much; below the default the pipe keeps what it has.
static void widenpipe(int fd) {
  for (int32_t size = pipemaxsize(); size > 65536; size /= 2)
    if (::fcntl(fd, F_SETPIPE_SZ, size) >= 0) return;
}

// Forks (sysfork); a refusal stops the program with the system's reason.
static pid_t forked(const char* message) {
  pid_t pid = sysfork();
  if (pid < 0) syserror(message);
  return pid;
}

// The feeder: writes the input into the command's standard input, in pieces
// of at most 1024 bytes, and ends.
[[noreturn]] static void feed(const int out[2], const int back[2], const char* bytes, int32_t n) {
  if (sysclose(out[0]) < 0 || sysclose(back[0]) < 0 || sysclose(back[1]) < 0 || !closestd(0) || !closestd(1))
    rterror("pipe: pipe (write) close failed");
  // The position is counted in 64 bits: after the last piece of an input
  // within 1024 bytes of the int limit, a 32-bit count would step past it.
  for (int64_t at = 0; at < n; at += 1024) {
    int64_t piece = n - at < 1024 ? n - at : 1024;
    ssize_t written = syswrite(out[1], bytes + at, static_cast<std::size_t>(piece));
    (void)written;  // each piece counts as written in full
  }
  if (sysclose(out[1]) < 0) rterror("pipe: pipe (write end) close failed");
  ::_exit(0);
}

// The command runner: starts the feeder, puts the outgoing pipe on its
// standard input and the return pipe on its standard output, runs the
// command and ends.
[[noreturn]] static void runcommand(const int out[2], const int back[2], const char* command,
                                    const char* bytes, int32_t n) {
  closeexecfds();
  if (forked("[pipe]: fork failed") == 0) feed(out, back, bytes, n);
  if (!closestd(0)) rterror("pipe: pipe (cmd in 0) close failed");
  if (sysdup2(out[0], 0) < 0) rterror("pipe: pipeout dup failed");
  if (!closestd(1)) rterror("pipe: pipe (cmd out 1) close failed");
  if (sysdup2(back[1], 1) < 0) rterror("pipe: pipeback dup failed");
  if (sysclose(out[0]) < 0 || sysclose(out[1]) < 0 || sysclose(back[0]) < 0 || sysclose(back[1]) < 0)
    rterror("pipe: pipe cmd close failed");
  int status = std::system(command);
  (void)status;
  ::_exit(1);
}

void pipe(Array* result, const Array* command, const Array* input) {
  reapchildren();
  int32_t n = input->value != nullptr ? elemcount(input->rank, input->shape) : 0;
  if (command->type != Char) rterror("[pipe]: bad command type");
  CText text(*command, elemcount(command->rank, command->shape));
  int out[2], back[2];
  makepipe(out, "pipe: pipeout create failed");
  makepipe(back, "pipe: pipeback create failed");
  widenpipe(back[0]);
  pid_t runner = forked("[pipe]: fork failed");
  if (runner == 0) runcommand(out, back, text.str(), static_cast<const char*>(input->value), n);
  keepchild(runner);
  // Only the command may hold the return pipe open, or it would never end.
  if (sysclose(out[0]) < 0 || sysclose(out[1]) < 0 || sysclose(back[1]) < 0) rterror("pipe: pipe read close failed");
  readfd(result, back[0]);
  if (sysclose(back[0]) < 0) rterror("[pipe]: pipe read close failed");
  reapchildren();
}

// One pipe of spawn: the child's descriptor, its direction, blocking.
struct Entry {
  int32_t fd;        // the descriptor the pipe gets in the child
  bool input;        // the child reads (the program writes)
  bool nonblocking;  // the program's end is non-blocking
};

static const int32_t maxpipes = 11;
static const char defaultselection[] = "00ib01ob02ob03ib04ob05ib06ob07ib08ob09ib10ob";

// The entries of a selection: a count of default entries, or 4 characters
// per entry. Gives the number of entries.
static int32_t selectentries(const Array& sel, Entry* entries) {
  const char* text = defaultselection;
  int32_t n;
  if (sel.type == Bit || sel.type == Int) {
    if (sel.rank != 0 && !(sel.rank == 1 && sel.shape[0] == 1)) rterror("[spawn]: bad selection length");
    n = ints(sel)[0];
    if (n > maxpipes) rterror("[spawn]: selection: fewer, or use character mode please ");
    if (n < 0) rterror("[spawn]: selection: negative count");
  } else if (sel.type == Char) {
    int32_t length = elemcount(sel.rank, sel.shape);
    n = length / 4;
    if (n > maxpipes) rterror("[spawn]: selection: fewer pipes please (or re-compile for more) ");
    if (length != 4 * n) rterror("[spawn]: selection: wrong nomber of characters");
    text = chars(sel);
  } else {
    rterror("[spawn]: bad selection type");
  }
  // Each entry's descriptor is exactly two decimal digits: a sign, a blank
  // or a letter there would put the pipe on some other descriptor.
  auto digit = [](char c) { return c >= '0' && c <= '9'; };
  for (int32_t i = 0; i < n; ++i) {
    const char* e = text + 4 * i;
    if (!digit(e[0]) || !digit(e[1])) rterror("[spawn]: bad selection type");
    entries[i] = Entry{10 * (e[0] - '0') + (e[1] - '0'), e[2] == 'i', e[3] == 'n'};
  }
  return n;
}

// What a refused duplication of an entry's pipe says.
static const char* dupfailed(const Entry& e) {
  return e.input ? "[spawn]: dup (i) failed" : "[spawn]: dup (o) failed";
}

// The child of spawn: every pipe onto its chosen descriptor, then the command.
[[noreturn]] static void spawnchild(const Entry* entries, int32_t n, int (*pipes)[2], const char* command) {
  // Lift every pipe end at or below the highest chosen descriptor first, so
  // that freeing a chosen number never closes an end still to be placed.
  int32_t top = -1;
  for (int32_t i = 0; i < n; ++i)
    if (entries[i].fd > top) top = entries[i].fd;
  for (int32_t i = 0; i < n; ++i)
    if (!lift(&pipes[i][0], top + 1) || !lift(&pipes[i][1], top + 1)) syserror(dupfailed(entries[i]));
  for (int32_t i = 0; i < n; ++i) {
    const Entry& e = entries[i];
    sysclose(e.fd);
    // The child reads an input pipe and writes an output pipe.
    int mine = e.input ? pipes[i][0] : pipes[i][1], theirs = e.input ? pipes[i][1] : pipes[i][0];
    if (sysdupfd(mine, e.fd) < 0) syserror(dupfailed(e));
    if (sysclose(theirs) < 0)
      std::fprintf(errstream, e.input ? "[spawn] close pipe (s:i) failed \n" : "[spawn] close pipe (s:o) failed \n");
  }
  closeexecfds();
  int status = std::system(command);
  (void)status;
  ::_exit(1);
}

void spawn(Array* result, const Array* selection, const Array* command) {
  reapchildren();
  Entry entries[maxpipes];
  int32_t n = selectentries(*selection, entries);
  if (command->type != Char) rterror("[spawn]: bad command type");
  int pipes[maxpipes][2];
  for (int32_t i = 0; i < n; ++i)
    if (syspipe(pipes[i]) < 0) rterror("[spawn]: pipe create failed");
  CText text(*command, elemcount(command->rank, command->shape));
  pid_t child = forked("[spawn]: fork failed");
  if (child == 0) spawnchild(entries, n, pipes, text.str());
  keepchild(child);
  int32_t ends[maxpipes];
  for (int32_t i = 0; i < n; ++i) {
    const Entry& e = entries[i];
    int mine = e.input ? pipes[i][1] : pipes[i][0], theirs = e.input ? pipes[i][0] : pipes[i][1];
    if (e.nonblocking)
      setflags(mine, Flags::Status, O_NONBLOCK, 0, "[spawn:read]: fcntl get failed",
               "[spawn:read]: fcntl set failed");
    // Close-on-exec, so that no command started later holds the program's end.
    const char* cloexec = "[spawn]: fcntl close-on-exec failed";
    setflags(mine, Flags::Descriptor, FD_CLOEXEC, 0, cloexec, cloexec);
    if (sysclose(theirs) < 0)
      std::fprintf(errstream, e.input ? "[spawn] close pipe (c:o) failed \n" : "[spawn] close pipe (c:i) failed \n");
    ends[i] = mine;
  }
  if (n == 1) {
    intresult(result, ends[0]);
  } else {
    *result = newarray(Int, 1, vect1(n));
    intcopy(ints(*result), n, ends);
  }
}

}  // namespace rt
