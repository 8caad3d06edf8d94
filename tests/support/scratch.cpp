// Temporary folders, and counts of descriptors, children and reads from /proc.
#include "tests/support/scratch.h"

#include <dirent.h>
#include <ftw.h>
#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

namespace zelvotest {

TempDir::TempDir() {
  char name[] = "/tmp/zelvo-test-XXXXXX";
  if (mkdtemp(name) == nullptr) ADD_FAILURE() << "mkdtemp failed";
  path_ = name;
}

static int removeone(const char* path, const struct stat*, int, struct FTW*) { return std::remove(path); }

TempDir::~TempDir() { nftw(path_.c_str(), removeone, 16, FTW_DEPTH | FTW_PHYS); }

void writefile(const std::string& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary);
  f << bytes;
}

std::string readfile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

int fdcount() {
  DIR* d = opendir("/proc/self/fd");
  int n = 0;
  while (dirent* e = readdir(d))
    if (e->d_name[0] != '.') ++n;
  closedir(d);
  return n - 1;  // the listing's own descriptor
}

bool procstate(int pid, char* state, int* ppid) {
  std::ifstream f("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(f, line)) return false;
  // The command name is in parentheses and may hold blanks: skip past it.
  std::size_t close = line.rfind(')');
  if (close == std::string::npos) return false;
  std::istringstream rest(line.substr(close + 1));
  return static_cast<bool>(rest >> *state >> *ppid);
}

int children() {
  DIR* d = opendir("/proc");
  int n = 0;
  int me = getpid();
  while (dirent* e = readdir(d)) {
    if (e->d_name[0] < '0' || e->d_name[0] > '9') continue;
    char state;
    int ppid;
    if (procstate(std::atoi(e->d_name), &state, &ppid) && ppid == me) ++n;
  }
  closedir(d);
  return n;
}

bool iszombie(int pid) {
  char state;
  int ppid;
  return procstate(pid, &state, &ppid) && state == 'Z';
}

long readcount(int pid) {
  std::string io = readfile("/proc/" + std::to_string(pid) + "/io");
  std::size_t at = io.find("rchar: ");
  return at == std::string::npos ? -1 : std::atol(io.c_str() + at + 7);
}

bool waitread(int pid, long before, long bytes, int timeoutms) {
  for (int waited = 0; waited < timeoutms * 2; ++waited) {
    if (readcount(pid) >= before + bytes) return true;
    usleep(500);
  }
  return readcount(pid) >= before + bytes;
}

void freshpeak() {
  malloc_trim(0);
  // "5" resets the peak resident memory to the resident memory now.
  writefile("/proc/self/clear_refs", "5");
}

}  // namespace zelvotest
