// ProgramRun and the /proc facts about another process.
#include "tests/support/program.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tests/support/scratch.h"

namespace zelvotest {

ProgramRun::ProgramRun(const std::vector<std::pair<std::string, std::string>>& env) {
  int out[2], err[2];
  if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
    ADD_FAILURE() << "pipe failed";
    return;
  }
  std::string path = std::string(ZELVO_STANDIN_DIR) + ":" + std::getenv("PATH");
  std::string binary = std::string(ZELVO_BINARY_DIR) + "/zelvo";
  std::fflush(nullptr);
  pid_ = fork();
  if (pid_ == 0) {
    int devnull = open("/dev/null", O_RDONLY);
    dup2(devnull, 0);
    dup2(out[1], 1);
    dup2(err[1], 2);
    for (int fd = 3; fd < 1024; ++fd) close(fd);  // nothing of the test's leaks in
    setenv("PATH", path.c_str(), 1);
    for (const auto& [name, value] : env) setenv(name.c_str(), value.c_str(), 1);
    execl(binary.c_str(), "zelvo", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);
  close(err[1]);
  out_ = out[0];
  err_ = err[0];
}

ProgramRun::~ProgramRun() {
  if (pid_ > 0 && !ended_) {
    kill(pid_, SIGKILL);
    collect(0);
  }
  if (out_ >= 0) close(out_);
  if (err_ >= 0) close(err_);
}

bool ProgramRun::pump(int waitms) {
  pollfd fds[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
  std::string* sinks[2] = {&result_.out, &result_.err};
  if (out_ < 0 && err_ < 0) return false;
  if (poll(fds, 2, waitms) <= 0) return true;
  int* ends[2] = {&out_, &err_};
  for (int k = 0; k < 2; ++k) {
    if (fds[k].fd < 0 || fds[k].revents == 0) continue;
    char buf[4096];
    ssize_t n = read(fds[k].fd, buf, sizeof buf);
    if (n > 0) {
      sinks[k]->append(buf, static_cast<std::size_t>(n));
    } else {
      close(*ends[k]);
      *ends[k] = -1;
    }
  }
  return out_ >= 0 || err_ >= 0;
}

// Milliseconds left until the deadline, at least 0.
static int left(std::chrono::steady_clock::time_point deadline) {
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
  return ms.count() > 0 ? static_cast<int>(ms.count()) : 0;
}

bool ProgramRun::waitout(std::size_t bytes, int timeoutms) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutms);
  while (result_.out.size() < bytes) {
    int ms = left(deadline);
    if (ms == 0 || !pump(ms)) return result_.out.size() >= bytes;
  }
  return true;
}

void ProgramRun::collect(int options) {
  int status;
  if (waitpid(pid_, &status, options) != pid_) return;
  ended_ = true;
  result_.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

bool ProgramRun::running() {
  if (!ended_) collect(WNOHANG);
  return !ended_;
}

ChildResult ProgramRun::finish(int timeoutms) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutms);
  while (left(deadline) > 0 && pump(left(deadline))) {
  }
  // The streams end while the process is still ending.
  while (running() && left(deadline) > 0) usleep(1000);
  if (running()) {
    ADD_FAILURE() << "the program was still running after " << timeoutms << " ms";
    kill(pid_, SIGKILL);
  }
  if (!ended_) collect(0);
  return result_;
}

void ProgramRun::signal(int sig) { kill(pid_, sig); }

std::map<int, std::string> openfds(pid_t pid) {
  std::map<int, std::string> fds;
  std::string folder = "/proc/" + std::to_string(pid) + "/fd";
  DIR* d = opendir(folder.c_str());
  if (d == nullptr) return fds;
  while (dirent* e = readdir(d)) {
    if (e->d_name[0] == '.') continue;
    char target[PATH_MAX];
    ssize_t n = readlink((folder + "/" + e->d_name).c_str(), target, sizeof target);
    fds[std::atoi(e->d_name)] = n > 0 ? std::string(target, static_cast<std::size_t>(n)) : "?";
  }
  closedir(d);
  return fds;
}

std::vector<int> childrenof(pid_t pid) {
  std::vector<int> found;
  DIR* d = opendir("/proc");
  while (dirent* e = readdir(d)) {
    if (e->d_name[0] < '0' || e->d_name[0] > '9') continue;
    char state;
    int ppid;
    if (procstate(std::atoi(e->d_name), &state, &ppid) && ppid == pid) found.push_back(std::atoi(e->d_name));
  }
  closedir(d);
  return found;
}

bool alive(pid_t pid) { return kill(pid, 0) == 0 && !iszombie(pid); }

}  // namespace zelvotest
