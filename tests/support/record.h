// The record the console hands on for every finished line: the line's
// bytes, its byte count right-aligned in seven columns, and a line break.
#pragma once

#include <cstdio>
#include <string>

namespace zelvotest {

inline std::string record(const std::string& line) {
  char count[32];
  std::snprintf(count, sizeof count, "%7zu\n", line.size());
  return line + count;
}

}  // namespace zelvotest
