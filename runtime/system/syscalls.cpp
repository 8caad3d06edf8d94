// The system call wrappers of the system services.
#include "runtime/system/syscalls.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace rt {

// Makes the call until it succeeds or fails for another reason than a
// signal. Nothing runs after the last try, so the caller finds errno as that
// try set it.
template <class Call>
static auto resumed(Call call) {
  for (;;) {
    auto result = call();
    if (result >= 0 || errno != EINTR) return result;
  }
}

ssize_t sysread(int fd, void* buf, std::size_t n) {
  return resumed([&] { return ::read(fd, buf, n); });
}

ssize_t syswrite(int fd, const void* buf, std::size_t n) {
  return resumed([&] { return ::write(fd, buf, n); });
}

ssize_t syswriteall(int fd, const void* buf, std::size_t n) {
  const char* bytes = static_cast<const char*>(buf);
  std::size_t done = 0;
  while (done < n) {
    ssize_t k = syswrite(fd, bytes + done, n - done);
    if (k == 0) errno = ENOSPC;
    if (k <= 0) return done > 0 ? static_cast<ssize_t>(done) : -1;
    done += static_cast<std::size_t>(k);
  }
  return static_cast<ssize_t>(done);
}

pid_t syswaitpid(pid_t pid, int* status, int options) {
  return resumed([&] { return ::waitpid(pid, status, options); });
}

int syspoll(pollfd* fds, nfds_t n, int timeoutms) {
  return resumed([&] { return ::poll(fds, n, timeoutms); });
}

int sysclose(int fd) { return ::close(fd); }

int sysopen(const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); }

int sysfstat(int fd, struct stat* st) { return ::fstat(fd, st); }

off_t syslseek(int fd, off_t offset, int whence) { return ::lseek(fd, offset, whence); }

int syspipe(int ends[2]) {
  if (::pipe(ends) == 0) return 0;
  ends[0] = ends[1] = -1;
  return -1;
}

int sysdupfd(int fd, int lowest) { return ::fcntl(fd, F_DUPFD, lowest); }

int sysdup2(int fd, int to) { return ::dup2(fd, to); }

pid_t sysfork() {
  std::fflush(nullptr);
  const struct timespec pause = {0, 10 * 1000 * 1000};
  for (int tries = 1;; ++tries) {
    pid_t pid = ::fork();
    if (pid >= 0 || errno != EAGAIN || tries == 100) return pid;
    ::nanosleep(&pause, nullptr);
  }
}

int sysgetflags(int fd, Flags which) { return ::fcntl(fd, which == Flags::Status ? F_GETFL : F_GETFD); }

FlagStep syssetflags(int fd, Flags which, int on, int off) {
  int flags = sysgetflags(fd, which);
  if (flags < 0) return FlagStep::Get;
  flags = (flags | on) & ~off;
  if (::fcntl(fd, which == Flags::Status ? F_SETFL : F_SETFD, flags) < 0) return FlagStep::Set;
  return FlagStep::Done;
}

}  // namespace rt
