// The key loop: reading, dispatch of one key at a time, and completing a
// line.
#include "console/keyloop.h"

#include <stdio_ext.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "console/arrays.h"
#include "console/editing.h"
#include "console/keys.h"
#include "console/screen.h"
#include "console/services.h"
#include "console/terminal.h"
#include "console/text.h"
#include "runtime/core/globals.h"
#include "runtime/core/print.h"
#include "runtime/scalar/opcodes.h"

namespace zelvo {

namespace {
// Writes text to the terminal after the check that it is a descriptor.
void showchecked(KeyState& k, const rt::Array& text) {
  testmxrank(k.XTtty.get());
  show(k, text);
}

// One read of the terminal, appended to Text; false when it delivered nothing.
bool readbatch(KeyState& k) {
  Temp batch(readfrom(k.XTtty.get()));
  if (rt::elemcount(batch.get().rank, batch.get().shape) == 0) return false;
  k.Text.set(catenate(k.Text.get(), batch));
  return true;
}

// A refused key: the bell, on standard error, never in the window.
void bell() { Temp count(writeto(Temp(intscalar(2)), Temp(charscalar(term::bell)))); }

// Whether pattern occurs in text (characters, at most one axis).
bool contains(const rt::Array& text, const char* pattern) {
  testchar(text);
  testmxrank(text);
  Temp found(findin(text, Temp(charvec(pattern))));
  return rt::elemcount(found.get().rank, found.get().shape) > 0 && firstint(Temp(maxreduce(found))) != 0;
}

// Whether Line ends in the characters of word.
bool endsin(const KeyState& k, std::string_view word) {
  int32_t n = static_cast<int32_t>(word.size());
  if (length(k.Line.get()) < n) return false;
  Temp same(dyadic(rt::OpEqual, Temp(take(Temp(intscalar(-n)), k.Line.get())), Temp(charvec(word))));
  return firstint(Temp(plusreduce(same))) == n;
}

// When a line did not reach standard output whole: a notice row in the
// window, where the operator looks, and one more line lost.
void notdelivered(KeyState& k, const std::string& why) {
  show(k, Temp(charvec("zelvo: not delivered: " + why + term::newrow)));
  k.Lost.set(dyadic(rt::OpPlus, k.Lost.get(), Temp(intscalar(1))));
}

// Return was pressed: the line goes to the history (unless it names a login
// or a password), to the window as a new line, and to standard output.
// Gives true when the line closes the loop.
bool complete(KeyState& k) {
  {
    Temp lower(tolower(copyof(k.Line.get())));
    if (!contains(lower, "login") && !contains(lower, "password")) store(k);
  }
  setflag(k, Move::Completed);
  testmxrank(k.XTtty.get());
  endline(k);  // CR LF, below the whole line
  int failure = 0;
  Temp shown(writeto(Temp(intscalar(1)), k.Line.get(), &failure));
  int32_t written = firstint(shown), size = length(k.Line.get());
  rt::display(shown);
  // Each line reaches a reader at once, as its characters, count and break.
  errno = 0;
  bool flushed = std::fflush(rt::outstream) == 0;
  if (written < 0) {
    notdelivered(k, std::strerror(failure));
  } else if (written < size) {
    notdelivered(k, std::to_string(written) + " of " + std::to_string(size) + " bytes written");
  } else if (!flushed) {
    notdelivered(k, std::strerror(errno));
  }
  if (!flushed) {
    // What the stream could not write is dropped, so that it never turns up
    // inside a later line's record.
    __fpurge(rt::outstream);
    std::clearerr(rt::outstream);
  }
  return endsin(k, "quit") || endsin(k, "exit");
}

// A new line, just after the prompt was written.
void newline(KeyState& k) {
  k.CurP.set(intscalar(0));
  k.Nl.set(intscalar(0));
  k.Hoffset.set(intscalar(length(k.History.get())));
  k.Line.set(charvec(""));
  atprompt(k);
}

// How the loop ended, once the window had answered.
LoopEnd ended(const KeyState& k) { return num(k.Lost) > 0 ? LoopEnd::LinesLost : LoopEnd::Ended; }

// Handles one key; gives true when it ends the loop.
bool dispatch(KeyState& k, const Key& key) {
  switch (key.kind) {
    case KeyKind::Backspace: backspace(k); break;
    case KeyKind::Delete: deletechar(k); break;
    case KeyKind::Up: up(k); break;
    case KeyKind::Down: down(k); break;
    case KeyKind::Right:
      if (rightrefused(k)) {
        bell();
      } else {
        right(k);
      }
      break;
    case KeyKind::Left: left(k); break;
    case KeyKind::Refused: bell(); break;
    case KeyKind::Characters:
    case KeyKind::Paste:
      if (key.count > 0) {
        std::string_view text = textof(k.Text.get());
        if (!insert(k, Temp(charvec(text.substr(static_cast<std::size_t>(key.from), static_cast<std::size_t>(key.count))))))
          bell();  // the line would pass its longest
      }
      break;
    case KeyKind::Return:
      if (complete(k)) return true;
      showchecked(k, k.Prompt.get());  // new prompt
      newline(k);
      break;
    case KeyKind::Unfinished: break;
  }
  return false;
}
}  // namespace

LoopEnd keyloop(rt::Array prompt, rt::Array xttty) { return keyloop(prompt, xttty, {}); }

LoopEnd keyloop(rt::Array prompt, rt::Array xttty, const std::function<void(const KeyState&)>& afterbatch) {
  KeyState k(prompt, xttty);
  setconstants(k);
  showchecked(k, Temp(charvec(term::pastemode)));  // pastes come marked, told apart from typing
  showchecked(k, k.Prompt.get());
  k.Text.set(charvec(""));
  // What the window sends first (its id) is thrown away; a window that
  // sends nothing at all never came up.
  if (!readbatch(k)) return LoopEnd::NoWindow;
  k.Text.set(charvec(""));
  k.Lost.set(intscalar(0));
  k.History.set(charvec(""));
  k.Nhl.set(intscalar(0));
  setflag(k, Move::None);
  newline(k);
  for (;;) {
    if (afterbatch) afterbatch(k);
    if (!readbatch(k)) return ended(k);
    // Every whole key in turn; a key that the read cut short waits in Text
    // for the rest.
    for (;;) {
      Key key = firstkey(textof(k.Text.get()));
      if (key.kind == KeyKind::Unfinished) break;
      bool ends = dispatch(k, key);
      k.Text.set(drop(Temp(intscalar(key.length)), k.Text.get()));
      if (ends) return ended(k);
    }
  }
}

}  // namespace zelvo
