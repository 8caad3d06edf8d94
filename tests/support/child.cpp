// runchild and allowleaksatexit.
#include "tests/support/child.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#if defined(__SANITIZE_ADDRESS__)
#define ZELVO_HAVE_LSAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZELVO_HAVE_LSAN 1
#endif
#endif
#ifdef ZELVO_HAVE_LSAN
#endif

#ifdef ZELVO_HAVE_LSAN
// LeakSanitizer asks this at exit whether to skip its check. Only processes
// that called allowleaksatexit (children expected to end through rterror)
// answer yes; the test program itself is always checked.
static int leakcheckoff = 0;
extern "C" int __lsan_is_turned_off() { return leakcheckoff; }
#endif

namespace zelvotest {

void allowleaksatexit() {
#ifdef ZELVO_HAVE_LSAN
  leakcheckoff = 1;
#endif
}

bool sanitized() {
#ifdef ZELVO_HAVE_LSAN
  return true;
#else
  return false;
#endif
}

void limitaddressspace() {
  rlimit limit{1UL << 30, 1UL << 30};
  setrlimit(RLIMIT_AS, &limit);
}

bool pump(int* out, int* err, ChildResult* result, int waitms) {
  pollfd fds[2] = {{*out, POLLIN, 0}, {*err, POLLIN, 0}};
  int* ends[2] = {out, err};
  std::string* sinks[2] = {&result->out, &result->err};
  if (*out < 0 && *err < 0) return false;
  if (poll(fds, 2, waitms) <= 0) return true;
  for (int k = 0; k < 2; ++k) {
    if (fds[k].fd < 0 || fds[k].revents == 0) continue;
    char buf[65536];
    ssize_t n = read(fds[k].fd, buf, sizeof buf);
    if (n > 0) {
      sinks[k]->append(buf, static_cast<std::size_t>(n));
    } else {
      close(*ends[k]);
      *ends[k] = -1;
    }
  }
  return *out >= 0 || *err >= 0;
}

ChildResult runchild(const std::function<void()>& fn) {
  ChildResult result;
  int out[2], err[2];
  if (pipe(out) != 0 || pipe(err) != 0) {
    ADD_FAILURE() << "pipe failed";
    return result;
  }
  std::fflush(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    allowleaksatexit();
    dup2(out[1], 1);
    dup2(err[1], 2);
    close(out[0]);
    close(out[1]);
    close(err[0]);
    close(err[1]);
    fn();
    std::exit(0);
  }
  close(out[1]);
  close(err[1]);
  while (pump(&out[0], &err[0], &result, -1)) {
  }
  int status = 0;
  waitpid(pid, &status, 0);
  result.status = exitstatus(status);
  return result;
}

}  // namespace zelvotest
