// Cutting input into keys.
#include "console/keys.h"

#include <algorithm>

#include "console/chars.h"

namespace zelvo {

namespace {

constexpr char bs = 8, lf = 10, cr = 13, esc = 27, del = 127;

int32_t size(std::string_view s) { return static_cast<int32_t>(s.size()); }

Key key(KeyKind kind, int32_t length) { return {kind, length, 0, 0}; }

// Whether byte b starts a key of its own rather than going into a run.
bool startskey(std::string_view s) {
  unsigned char b = static_cast<unsigned char>(s[0]);
  return b < 0x20 || b == del || c1control(s) > 0;
}

// The run of characters at the start of s: up to the next byte that starts
// a key of its own. A character whose first bytes end s waits for the rest;
// the characters before it are a run already.
Key run(std::string_view s) {
  int32_t n = 1;
  while (n < size(s) && !startskey(s.substr(static_cast<std::size_t>(n)))) ++n;
  if (n == size(s)) n -= unfinished(s);
  if (n == 0) return {};
  return {KeyKind::Characters, n, 0, n};
}

// A paste whose start marker begins s: the data up to the end marker.
Key paste(std::string_view s) {
  std::size_t end = s.find(pasteend, pastestart.size());
  if (end == std::string_view::npos) return {};
  int32_t from = size(pastestart), count = static_cast<int32_t>(end) - from;
  return {KeyKind::Paste, static_cast<int32_t>(end + pasteend.size()), from, count};
}

// An escape sequence at the start of s, which begins ESC "[" or ESC "O".
Key escapesequence(std::string_view s) {
  auto within = [&](int32_t i, unsigned char lo, unsigned char hi) {
    unsigned char b = static_cast<unsigned char>(s[static_cast<std::size_t>(i)]);
    return b >= lo && b <= hi;
  };
  int32_t i = 2;
  while (i < size(s) && within(i, 0x30, 0x3F)) ++i;  // parameters
  while (i < size(s) && within(i, 0x20, 0x2F)) ++i;  // intermediates
  if (i == size(s)) return {};
  // A byte that cannot end a sequence ends it unfinished: what came so far
  // is refused, and the byte is a key of its own.
  if (!within(i, 0x40, 0x7E)) return key(KeyKind::Refused, i);
  std::string_view seq = s.substr(0, static_cast<std::size_t>(i + 1));
  static const struct { std::string_view bytes; KeyKind kind; } known[] = {
      {"\033[A", KeyKind::Up}, {"\033[B", KeyKind::Down}, {"\033[C", KeyKind::Right},
      {"\033[D", KeyKind::Left}, {"\033[3~", KeyKind::Delete}};
  for (const auto& k : known)
    if (seq == k.bytes) return key(k.kind, i + 1);
  if (seq == pastestart) return paste(s);
  return key(KeyKind::Refused, i + 1);
}

}  // namespace

Key firstkey(std::string_view input) {
  if (input.empty()) return {};
  switch (input[0]) {
    case bs: return key(KeyKind::Backspace, 1);
    case del: return key(KeyKind::Delete, 1);
    case cr: return key(KeyKind::Return, 1);
    case esc:
      if (input.size() < 2) return {};
      if (input[1] != '[' && input[1] != 'O') return key(KeyKind::Refused, 1);  // Escape alone
      return escapesequence(input);
    default: break;
  }
  if (startskey(input)) return key(KeyKind::Refused, std::max(1, c1control(input)));  // a control character
  return run(input);
}

Awaiting awaiting(std::string_view input) {
  if (input.empty()) return Awaiting::Nothing;
  if (input.starts_with(pastestart)) return Awaiting::Paste;
  return input[0] == esc ? Awaiting::Sequence : Awaiting::Character;
}

int32_t windowid(std::string_view input) {
  constexpr std::string_view hex = "0123456789abcdefABCDEF";
  std::size_t digits = std::min(input.find_first_not_of(hex), input.size());
  if (digits > 16) return 0;
  std::string_view end = input.substr(digits);
  if (end.empty()) return -1;
  if (digits == 0) return 0;
  if (end == "\r") return -1;
  if (end[0] == lf) return static_cast<int32_t>(digits + 1);
  return end.starts_with("\r\n") ? static_cast<int32_t>(digits + 2) : 0;
}

PasteRead::PasteRead(std::string_view first, int64_t room) : bytes_(first), room_(room) {}

bool PasteRead::ended() {
  if (end_ != std::string::npos) return true;
  end_ = bytes_.find(pasteend, searched_);
  if (end_ != std::string::npos) return true;
  // The marker may yet begin in the last bytes, where it would end past them.
  searched_ = bytes_.size() - std::min(bytes_.size(), pasteend.size() - 1);
  if (dropped_ + static_cast<int64_t>(searched_) > room_) {
    dropped_ += static_cast<int64_t>(searched_);
    bytes_.erase(0, searched_);
    searched_ = 0;
  }
  return false;
}

}  // namespace zelvo
