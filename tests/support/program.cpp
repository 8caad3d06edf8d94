// ProgramRun and the open descriptors of another process.
#include "tests/support/program.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tests/support/scratch.h"

namespace zelvotest {

ProgramRun::ProgramRun(const Env& env, const std::vector<std::string>& command, const std::string& errfile) {
  int out[2], err[2] = {-1, -1};
  if (pipe2(out, O_CLOEXEC) != 0 || (errfile.empty() && pipe2(err, O_CLOEXEC) != 0)) {
    ADD_FAILURE() << "pipe failed";
    return;
  }
  std::string path = std::string(ZELVO_STANDIN_DIR) + ":" + std::getenv("PATH");
  std::string file = command.empty() || command[0] == "zelvo" ? ZELVO_BINARY_DIR "/zelvo" : command[0];
  std::vector<std::string> words = command.empty() ? std::vector<std::string>{"zelvo"} : command;
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  std::fflush(nullptr);
  pid_ = fork();
  if (pid_ == 0) {
    setsid();
    int devnull = open("/dev/null", O_RDONLY);
    dup2(devnull, 0);
    dup2(out[1], 1);
    if (errfile.empty()) dup2(err[1], 2);
    else dup2(open(errfile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
    for (int fd = 3; fd < 1024; ++fd) close(fd);  // nothing of the test's leaks in
    setenv("PATH", path.c_str(), 1);
    for (const auto& [name, value] : env) setenv(name.c_str(), value.c_str(), 1);
    execvp(file.c_str(), argv.data());
    _exit(127);
  }
  close(out[1]);
  out_ = out[0];
  if (err[1] >= 0) close(err[1]);
  err_ = err[0];
}

ProgramRun::~ProgramRun() {
  if (pid_ > 0 && !ended_) stop();
  if (out_ >= 0) close(out_);
  if (err_ >= 0) close(err_);
}

bool ProgramRun::pump(int waitms) { return zelvotest::pump(&out_, &err_, &result_, waitms); }

// Milliseconds left until the deadline, at least 0.
static int left(std::chrono::steady_clock::time_point deadline) {
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
  return ms.count() > 0 ? static_cast<int>(ms.count()) : 0;
}

bool ProgramRun::waitout(const std::function<bool(const std::string&)>& enough, int timeoutms) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutms);
  while (!enough(result_.out)) {
    int ms = left(deadline);
    if (ms == 0 || !pump(ms)) return enough(result_.out);
  }
  return true;
}

void ProgramRun::collect(int options) {
  int status;
  if (waitpid(pid_, &status, options) != pid_) return;
  ended_ = true;
  result_.status = exitstatus(status);
}

bool ProgramRun::running() {
  if (!ended_) collect(WNOHANG);
  return !ended_;
}

int ProgramRun::wait(int timeoutms) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutms);
  while (running() && left(deadline) > 0)
    if (!pump(std::min(left(deadline), 5))) usleep(5000);  // both streams have ended
  return ended_ ? result_.status : -1;
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

void ProgramRun::stop() {
  if (pid_ <= 0) return;
  kill(-pid_, SIGTERM);
  auto start = std::chrono::steady_clock::now();
  bool killed = false;
  for (;;) {
    int status;
    pid_t done = waitpid(-pid_, &status, WNOHANG);
    if (done < 0) break;  // no member left that is a child of this process
    if (done == pid_) {
      ended_ = true;
      result_.status = exitstatus(status);
    }
    if (done > 0) continue;
    auto waited = std::chrono::steady_clock::now() - start;
    if (waited > std::chrono::seconds(10)) break;
    if (!killed && waited > std::chrono::seconds(2)) {
      kill(-pid_, SIGKILL);
      killed = true;
    }
    usleep(5000);
  }
}

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

}  // namespace zelvotest
