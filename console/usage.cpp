// The options: --help, --version, --geometry and --title.
#include "console/usage.h"

#include <getopt.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "console/version.h"

namespace zelvo {

namespace {

const char* const usagetext =
    "Usage: zelvo [OPTION]... [ARGUMENT]...\n"
    "Opens a terminal window of its own with the prompt \"zelvo: \" and writes\n"
    "each line typed there on standard output: the line's characters, its\n"
    "length in bytes right-aligned in seven columns, and a line break.\n"
    "A line ending in \"quit\" or \"exit\" ends it. So does the window going\n"
    "away (Quit in the emulator's menu, xkill, the display gone), and a\n"
    "reader of standard output that has gone away. The window's close\n"
    "button does nothing.\n"
    "\n"
    "  -h, --help               show this help and exit\n"
    "      --version            show the version and exit\n"
    "      --geometry=GEOMETRY  the window's size and place, as an X geometry:\n"
    "                           [WIDTHxHEIGHT][{+-}X{+-}Y]; the parts not given\n"
    "                           are those of 46x7+740+518\n"
    "      --title=TEXT         the window's title (\"Zelvo: Keyboard Commands\"\n"
    "                           by default)\n"
    "\n"
    "Other arguments are not read. The manual page is zelvo(1).\n";

// Writes text on standard output and gives the exit status: 0, or 1 with a
// line on standard error when it could not all be written.
int answer(const std::string& text) {
  errno = 0;
  bool written = std::fputs(text.c_str(), stdout) >= 0;
  if (std::fflush(stdout) == 0 && written) return 0;
  std::fprintf(stderr, "zelvo: cannot write to standard output: %s\n",
               errno != 0 ? std::strerror(errno) : "write failed");
  return 1;
}

// Refuses the command line after `message` (which may be empty, getopt
// having said what was wrong): the pointer to --help, and status 2.
int refuse(const std::string& message) {
  std::fputs(message.c_str(), stderr);
  std::fputs("Try 'zelvo --help' for more information.\n", stderr);
  return 2;
}

const option longoptions[] = {{"help", no_argument, nullptr, 'h'},
                              {"version", no_argument, nullptr, 'v'},
                              {"geometry", required_argument, nullptr, 'g'},
                              {"title", required_argument, nullptr, 't'},
                              {nullptr, 0, nullptr, 0}};

// The name in messages, whatever path the program was started by.
char programname[] = "zelvo";

}  // namespace

int options(int argc, char** argv, Options& opts) {
  // getopt reorders the words it reads, so it reads a copy; the operands
  // end up after the options in it.
  std::vector<char*> words(argv, argv + argc);
  words.push_back(nullptr);
  if (argc > 0) words[0] = programname;
  optind = 0;  // a fresh scan, whatever scanned before
  for (int c; argc > 0 && (c = getopt_long(argc, words.data(), "h", longoptions, nullptr)) != -1;) {
    switch (c) {
      case 'h': return answer(usagetext);
      case 'v': return answer(std::string("zelvo ") + version + "\n");
      case 'g':
        if (std::optional<std::string> whole = completegeometry(optarg)) {
          opts.window.geometry = *whole;
          break;
        }
        return refuse(std::string("zelvo: invalid geometry '") + optarg + "'\n");
      case 't': opts.window.title = optarg; break;
      default: return refuse("");
    }
  }
  opts.args.assign(1, argc > 0 ? argv[0] : programname);
  for (int i = argc > 0 ? optind : 1; i < argc; ++i) opts.args.push_back(words[i]);
  opts.args.push_back(nullptr);
  return -1;
}

}  // namespace zelvo
