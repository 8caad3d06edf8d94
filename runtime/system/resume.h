// The system calls that a handled signal can interrupt before they have done
// anything, made again until they finish. A program that handles a signal
// without asking for restarted calls (a timer, say) would otherwise see a
// read that gives nothing, a write that writes nothing, or a child not
// collected. Every caller in the runtime goes through these.
#pragma once

#include <sys/types.h>

#include <cstddef>

namespace rt {

// read, write and waitpid, resumed while they fail with EINTR. The result
// is the call's own; on a failure errno is the one the call set, saved as
// soon as it returned. A short count is passed on as it is.
ssize_t sysread(int fd, void* buf, std::size_t n);
ssize_t syswrite(int fd, const void* buf, std::size_t n);
pid_t syswaitpid(pid_t pid, int* status, int options);

}  // namespace rt
