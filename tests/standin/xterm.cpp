// A stand-in for the terminal emulator, for tests of the whole program
// without a display. Started as "xterm ... -S<N>/<fd>" (or "-S<cc><fd>"), it
// serves the inherited master descriptor the way a window would: it sends a
// window id first, then types the batches of the script named by
// ZELVO_STANDIN_SCRIPT, one batch per line (escapes \r \n \t \e \\ \xHH),
// each only after the program has read the one before, and appends all
// that the program shows to the file named by ZELVO_STANDIN_SCREEN.
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

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

// Appends what the program has shown so far to the screen file.
void drain(int master, FILE* screen, int waitms) {
  pollfd p{master, POLLIN, 0};
  while (poll(&p, 1, waitms) > 0) {
    char buf[4096];
    ssize_t k = read(master, buf, sizeof buf);
    if (k <= 0) return;
    if (screen) {
      std::fwrite(buf, 1, static_cast<std::size_t>(k), screen);
      std::fflush(screen);
    }
    waitms = 20;
  }
}

// Waits until the program has read everything typed so far.
void consumed(int slave, std::size_t typed) {
  int count = 0;
  for (int i = 0; i < 2000; ++i) {  // first the bytes reach the slave side
    if (ioctl(slave, FIONREAD, &count) == 0 && static_cast<std::size_t>(count) >= typed) break;
    usleep(500);
  }
  for (int i = 0; i < 20000; ++i) {
    if (ioctl(slave, FIONREAD, &count) == 0 && count == 0) return;
    usleep(500);
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::string option;
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], "-S", 2) == 0) option = argv[i] + 2;
  std::size_t slash = option.rfind('/');
  if (option.empty() || slash == std::string::npos) return 2;  // only the Unix98 form
  int master = std::atoi(option.c_str() + slash + 1);
  std::string slavepath = "/dev/pts/" + option.substr(0, slash);
  int slave = open(slavepath.c_str(), O_RDONLY | O_NOCTTY);
  if (slave < 0) return 3;

  const char* screenname = std::getenv("ZELVO_STANDIN_SCREEN");
  FILE* screen = screenname ? std::fopen(screenname, "a") : nullptr;
  const char* scriptname = std::getenv("ZELVO_STANDIN_SCRIPT");
  std::ifstream script(scriptname ? scriptname : "/dev/null");

  drain(master, screen, 2000);  // the prompt
  const char* id = "4194316\n";
  if (write(master, id, std::strlen(id)) < 0) return 4;
  consumed(slave, std::strlen(id));
  std::string line;
  while (std::getline(script, line)) {
    std::string batch = unescape(line);
    if (write(master, batch.data(), batch.size()) < 0) break;
    consumed(slave, batch.size());
    drain(master, screen, 30);
  }
  drain(master, screen, 200);
  if (screen) std::fclose(screen);
  return 0;
}
