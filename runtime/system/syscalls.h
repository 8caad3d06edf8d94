// One wrapper each for the system calls that the system services make on
// descriptors and children: read, write, poll, waitpid, close, open, fstat,
// lseek, pipe, the descriptor duplicates, fork and the flag changes of
// fcntl. The other calls are made directly where they are used: isatty, stat
// and the FIONREAD ioctl in files.cpp; the /proc/self/fd listing (opendir,
// readdir), the pipe-capacity fcntl, system and _exit in process.cpp; the
// clock, the sleep and system in sysvar.cpp. On a failure a wrapper returns
// -1 (the flag wrappers say which step failed) with errno as the failing
// call set it: nothing a wrapper does afterwards changes it, so the caller
// can report it (syserror) or test it.
//
// read, write, poll and waitpid can be interrupted by a handled signal
// before they have done anything; a program that handles a signal without
// asking for restarted calls (a timer, say) would otherwise see a read that
// gives nothing, a write that writes nothing, a wait cut short, or a child
// not collected. Those four are made again until they finish. close never
// is: Linux releases the descriptor even when close reports EINTR, so a
// second close could close a descriptor that another open has been given
// meanwhile. The other calls are made once.
#pragma once

#include <poll.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>

namespace rt {

// read, write and waitpid, resumed while they fail with EINTR. The result
// is the call's own; a short count is passed on as it is.
ssize_t sysread(int fd, void* buf, std::size_t n);
ssize_t syswrite(int fd, const void* buf, std::size_t n);

// Writes all n bytes: after a short count (a signal arrived at a full pipe)
// the rest is written, until every byte is written or a call fails. Gives
// n; after a failure the count written before it, or -1 when that is none,
// with errno as the failing call set it. A call that writes nothing and
// reports no failure counts as one, with ENOSPC, as it can only repeat.
ssize_t syswriteall(int fd, const void* buf, std::size_t n);
pid_t syswaitpid(pid_t pid, int* status, int options);

// poll, resumed while it fails with EINTR as the three above are; a wait with
// a timeout then starts its time anew, so a signal can only lengthen it.
int syspoll(pollfd* fds, nfds_t n, int timeoutms);

// close, made once whatever it reports.
int sysclose(int fd);

// open, fstat and lseek as the system gives them.
int sysopen(const char* path, int flags, mode_t mode);
int sysfstat(int fd, struct stat* st);
off_t syslseek(int fd, off_t offset, int whence);

// Makes a pipe: its read end in ends[0], its write end in ends[1]. When the
// system refuses, both places are set to -1.
int syspipe(int ends[2]);

// A duplicate of fd on the lowest free descriptor not below `lowest`.
int sysdupfd(int fd, int lowest);

// A duplicate of fd on descriptor `to`, closing what was there first.
int sysdup2(int fd, int to);

// Forks. A fork refused for want of resources (EAGAIN: a process limit)
// is tried again after a pause of 10 ms, for about a second; then, or at
// once for any other refusal, the result is -1 with errno set. Pending
// stream output is flushed first, so that a child which ends through exit
// cannot write it a second time.
pid_t sysfork();

// The two sets of flags of a descriptor: its file status flags (F_GETFL,
// F_SETFL: O_APPEND, O_NONBLOCK) and its descriptor flags (F_GETFD,
// F_SETFD: FD_CLOEXEC).
enum class Flags { Status, Descriptor };

// The flags of fd, or -1.
int sysgetflags(int fd, Flags which);

// Which step of a change of flags failed, if any.
enum class FlagStep { Done, Get, Set };

// Reads fd's flags, adds `on`, takes away `off`, and stores them back; the
// flags are never stored when they could not be read.
FlagStep syssetflags(int fd, Flags which, int on, int off);

}  // namespace rt
