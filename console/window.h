// The terminal window's size, place and title as the command line gives
// them, and the emulator command that opens the window.
#pragma once

#include <optional>
#include <string>

namespace zelvo {

// The window's size and place when the command line gives none.
inline constexpr const char* defaultsize = "46x7";
inline constexpr const char* defaultplace = "+740+518";

struct WindowSetup {
  std::string geometry = std::string(defaultsize) + defaultplace;  // WIDTHxHEIGHT{+-}X{+-}Y
  std::optional<std::string> title;  // none: the emulator's own, the -name below
};

// The whole geometry that an X geometry `given`, [WIDTHxHEIGHT][{+-}X{+-}Y],
// asks for: the parts given replace those of the default, so "+0+0" keeps
// its size and "80x10" its place. None when `given` is empty or anything
// else, or when a number lies outside what X can hold (sizes 1 to 32767,
// offsets 0 to 32767).
std::optional<std::string> completegeometry(const std::string& given);

// `text` as one word for the shell, which then does nothing with it: in
// single quotes, each quote inside written as '\''.
std::string shellquoted(const std::string& text);

// The emulator's command for the window (without the pseudo-terminal, which
// startxt adds): the emulator, its resource name, the scroll bar, the
// geometry, then the title when one is given, then the X resources that
// the window needs whatever the user's settings say.
std::string xtermcommand(const WindowSetup& window);

}  // namespace zelvo
