// sysread, syswrite and syswaitpid.
#include "runtime/system/resume.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace rt {

// Makes the call until it succeeds or fails for another reason than a
// signal. errno is saved as soon as each try returns, before anything else
// can change it; nothing runs after the last try, so the caller finds it.
template <class Call>
static auto resumed(Call call) {
  for (;;) {
    auto result = call();
    int err = errno;
    if (result >= 0 || err != EINTR) return result;
  }
}

ssize_t sysread(int fd, void* buf, std::size_t n) {
  return resumed([&] { return ::read(fd, buf, n); });
}

ssize_t syswrite(int fd, const void* buf, std::size_t n) {
  return resumed([&] { return ::write(fd, buf, n); });
}

pid_t syswaitpid(pid_t pid, int* status, int options) {
  return resumed([&] { return ::waitpid(pid, status, options); });
}

}  // namespace rt
