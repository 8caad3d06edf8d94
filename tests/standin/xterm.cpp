// A stand-in for the terminal emulator, for tests of the whole program
// without a display. Started as "xterm ... -S<N>/<fd>" (or "-S<cc><fd>"), it
// serves the inherited master descriptor the way a window would: it sends a
// window id first, then types ZELVO_STANDIN_LINES generated lines (see
// typing.h), each batch only after the program has answered the one before,
// then the batches of the script named by ZELVO_STANDIN_SCRIPT, one batch
// per line (escapes \r \n \t \e \\ \xHH), each only after the program has
// read the one before, and then ends, as a closed window does. It appends
// all that the program shows to the file named by ZELVO_STANDIN_SCREEN, and
// writes its process id to the file named by ZELVO_STANDIN_PIDFILE and its
// arguments, one a line, to the file named by ZELVO_STANDIN_ARGS. With
// ZELVO_STANDIN_NODISPLAY set it fails at once, as without a display: a
// message on standard error, status 1, nothing sent. ZELVO_STANDIN_WARN
// makes it warn on standard error once it has sent its window id, as xterm
// may; ZELVO_STANDIN_LINGER, stay that many seconds after its last batch.
// Started as "xterm --expect N", it writes what the program hands on for N
// generated lines instead.
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "tests/standin/typing.h"

namespace {

std::string unescape(const std::string& line) {
  std::string out;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] != '\\' || i + 1 == line.size()) {
      out += line[i];
      continue;
    }
    char c = line[++i];
    switch (c) {
      case 'r': out += '\r'; break;
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case 'e': out += '\033'; break;
      case 'x':
        out += static_cast<char>(std::strtol(line.substr(i + 1, 2).c_str(), nullptr, 16));
        i += 2;
        break;
      default: out += c;
    }
  }
  return out;
}

// Whether the master has something to show within waitms.
bool showing(int master, int waitms) {
  pollfd p{master, POLLIN, 0};
  return poll(&p, 1, waitms) > 0;
}

// Appends what the program has shown so far to the screen file and gives it.
std::string drain(int master, FILE* screen, int waitms) {
  std::string shown;
  while (showing(master, waitms)) {
    char buf[4096];
    ssize_t k = read(master, buf, sizeof buf);
    if (k <= 0) break;
    shown.append(buf, static_cast<std::size_t>(k));
    if (screen) {
      std::fwrite(buf, 1, static_cast<std::size_t>(k), screen);
      std::fflush(screen);
    }
    waitms = 20;
  }
  return shown;
}

// Waits until the program has read everything typed so far: the slave side
// has nothing pending once the bytes have reached it. A program that shows
// something has read them, even if they were gone before they were seen.
void consumed(int slave, int master, std::size_t typed) {
  int count = 0;
  for (int i = 0; i < 2000; ++i) {  // first the bytes reach the slave side
    if (ioctl(slave, FIONREAD, &count) == 0 && static_cast<std::size_t>(count) >= typed) break;
    if (showing(master, 0)) return;
    usleep(500);
  }
  for (int i = 0; i < 20000; ++i) {
    if (ioctl(slave, FIONREAD, &count) == 0 && count == 0) return;
    usleep(500);
  }
}

// Reads what the program shows until it ends with `answer`, the sign that
// the program has read and handled the batch typed before; false when ten
// seconds pass without it.
bool answered(int master, FILE* screen, const std::string& answer) {
  std::string shown;
  while (shown.size() < answer.size() || shown.compare(shown.size() - answer.size(), answer.size(), answer) != 0) {
    if (!showing(master, 10000)) return false;
    char buf[4096];
    ssize_t k = read(master, buf, sizeof buf);
    if (k <= 0) return false;
    shown.append(buf, static_cast<std::size_t>(k));
    if (screen) std::fwrite(buf, 1, static_cast<std::size_t>(k), screen);
  }
  return true;
}

// Types `lines` generated lines; false (with a note on standard error, which
// is the program's) when the program does not answer a batch as expected.
bool generate(int master, FILE* screen, const std::string& prompt, long lines) {
  zelvotest::Typist typist(prompt);
  for (long n = 1; n <= lines; ++n) {
    std::string text;
    for (const zelvotest::Keys& keys : typist.line(static_cast<int>(n), &text)) {
      if (write(master, keys.batch.data(), keys.batch.size()) < 0) return false;
      if (!answered(master, screen, keys.answer)) {
        std::fprintf(stderr, "stand-in: no answer to a batch of line %ld\n", n);
        return false;
      }
    }
  }
  if (screen) std::fflush(screen);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--expect") == 0) {
    std::fputs(zelvotest::handedon(std::strtol(argv[2], nullptr, 10)).c_str(), stdout);
    return 0;
  }
  std::string option;
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], "-S", 2) == 0) option = argv[i] + 2;
  if (const char* argsfile = std::getenv("ZELVO_STANDIN_ARGS")) {
    std::ofstream record(argsfile);
    for (int i = 1; i < argc; ++i) record << argv[i] << "\n";
  }
  std::size_t slash = option.rfind('/');
  if (option.empty() || slash == std::string::npos) return 2;  // only the Unix98 form
  if (std::getenv("ZELVO_STANDIN_NODISPLAY")) {
    std::fputs("xterm: Xt error: Can't open display: \n", stderr);
    return 1;
  }
  int master = std::atoi(option.c_str() + slash + 1);
  std::string slavepath = "/dev/pts/" + option.substr(0, slash);
  int slave = open(slavepath.c_str(), O_RDONLY | O_NOCTTY);
  if (slave < 0) return 3;

  if (const char* pidfile = std::getenv("ZELVO_STANDIN_PIDFILE")) {
    std::ofstream(pidfile) << getpid() << "\n";
  }
  const char* screenname = std::getenv("ZELVO_STANDIN_SCREEN");
  FILE* screen = screenname ? std::fopen(screenname, "a") : nullptr;
  const char* scriptname = std::getenv("ZELVO_STANDIN_SCRIPT");
  std::ifstream script(scriptname ? scriptname : "/dev/null");
  const char* lines = std::getenv("ZELVO_STANDIN_LINES");

  // What the program shows first is its prompt, after the command that
  // turns bracketed paste on, which a window obeys and does not show.
  std::string prompt = drain(master, screen, 2000);
  const std::string pastemode = "\033[?2004h";
  if (prompt.compare(0, pastemode.size(), pastemode) == 0) prompt.erase(0, pastemode.size());
  const char* id = "4194316\n";
  if (write(master, id, std::strlen(id)) < 0) return 4;
  consumed(slave, master, std::strlen(id));
  if (std::getenv("ZELVO_STANDIN_WARN")) std::fputs("stand-in: a warning\n", stderr);
  if (lines && !generate(master, screen, prompt, std::strtol(lines, nullptr, 10))) return 5;
  std::string line;
  while (std::getline(script, line)) {
    std::string batch = unescape(line);
    if (write(master, batch.data(), batch.size()) < 0) break;
    consumed(slave, master, batch.size());
    drain(master, screen, 30);
  }
  drain(master, screen, 200);
  if (screen) std::fclose(screen);
  if (const char* linger = std::getenv("ZELVO_STANDIN_LINGER")) sleep(static_cast<unsigned>(std::atoi(linger)));
  return 0;
}
