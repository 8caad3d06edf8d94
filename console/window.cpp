// The window's geometry, its title as a shell word, and the emulator command.
#include "console/window.h"

namespace zelvo {

namespace {

// The largest size or offset the X protocol holds.
const long largest = 32767;

// Takes the decimal digits at `at` in `text`, moving `at` past them.
std::string digitsat(const std::string& text, std::size_t& at) {
  std::size_t from = at;
  while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at;
  return text.substr(from, at - from);
}

// Whether `digits` is a number from `least` to the largest (leading zeros
// allowed, at most 5 digits, so that the number never overflows).
bool inrange(const std::string& digits, long least) {
  if (digits.empty() || digits.size() > 5) return false;
  long n = std::stol(digits);
  return n >= least && n <= largest;
}

bool sign(char c) { return c == '+' || c == '-'; }

}  // namespace

std::optional<std::string> completegeometry(const std::string& given) {
  std::string size = defaultsize, place = defaultplace;
  std::size_t at = 0;
  if (given.empty()) return std::nullopt;
  if (!sign(given[0])) {
    std::string width = digitsat(given, at);
    if (at == given.size() || given[at] != 'x') return std::nullopt;
    std::string height = digitsat(given, ++at);
    if (!inrange(width, 1) || !inrange(height, 1)) return std::nullopt;
    size = width + "x" + height;
  }
  if (at < given.size()) {
    std::size_t from = at;
    for (int offset = 0; offset < 2; ++offset) {
      if (at == given.size() || !sign(given[at])) return std::nullopt;
      if (!inrange(digitsat(given, ++at), 0)) return std::nullopt;
    }
    if (at != given.size()) return std::nullopt;
    place = given.substr(from);
  }
  return size + place;
}

namespace {
// X resources the window needs whatever the user's settings say, named in
// full so that no more specific setting of the user's can win: pasted
// control characters never act as keys (a pasted end-of-paste marker and CR
// would send a line by itself), a character shows all the combining marks
// xterm can keep (5), and the window never stays after the program ends.
constexpr const char* pinnedresources =
    " -xrm 'XTerm.vt100.allowPasteControls: false'"
    " -xrm 'XTerm.vt100.combiningChars: 5'"
    " -xrm 'XTerm.hold: false'";
}  // namespace

std::string shellquoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string xtermcommand(const WindowSetup& window) {
  std::string command = "xterm -name \"Zelvo: Keyboard Commands\" -sb -geometry " + window.geometry;
  if (window.title) command += " -title " + shellquoted(*window.title);
  return command + pinnedresources;
}

}  // namespace zelvo
