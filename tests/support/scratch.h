// Process-level facts and scratch space for tests of the system functions:
// a temporary folder, the count of open descriptors, children and zombies,
// and how much a process has read.
#pragma once

#include <string>

namespace zelvotest {

// A fresh folder under /tmp, removed with everything in it on scope exit.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  // The path of a name inside the folder.
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Writes a whole file; reads a whole file ("" if it cannot be read).
void writefile(const std::string& path, const std::string& bytes);
std::string readfile(const std::string& path);

// For a child just forked: the free heap it shares with its parent goes
// back to the system, and its peak resident memory is counted anew.
void freshpeak();

// The number of descriptors this process has open.
int fdcount();

// The number of this process's children, whether running or ended and not
// yet collected.
int children();

// The state letter and the parent of a process, from /proc/<pid>/stat;
// false when there is no such process.
bool procstate(int pid, char* state, int* ppid);

// Whether the child with this pid is a zombie (ended, not collected).
bool iszombie(int pid);

// The bytes a process has read so far, through any descriptor (rchar in
// /proc/<pid>/io), or -1 when that cannot be seen.
long readcount(int pid);

// Waits up to timeoutms until the process has read at least `bytes` more
// than `before` (a readcount taken earlier); gives whether it has.
bool waitread(int pid, long before, long bytes, int timeoutms);

}  // namespace zelvotest
