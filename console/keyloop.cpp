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
#include "console/aside.h"
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
  Temp batch(keysfrom(k.XTtty.get()));
  if (rt::elemcount(batch.get().rank, batch.get().shape) == 0) return false;
  k.Text.set(catenate(k.Text.get(), batch));
  return true;
}

// A refused key: the bell, on standard error, never in the window; dropped
// when standard error cannot take it at once.
void bell() { aside(Temp(charscalar(term::bell))); }

// How long an escape sequence cut short waits for its rest, in ms: a
// terminal sends each sequence in one piece, so what a pause cuts is a
// key of its own (the Escape key, say), not the start of the next one.
constexpr int escapewait = 50;

// What a wait and read of the terminal came to.
enum class Read { Keys, EndOfInput, ReaderGone };

// Waits for keys: without end, or for at most escapewait while Text holds
// an escape sequence cut short, which is then refused as one key.
Waited waitkeys(KeyState& k) {
  for (;;) {
    bool sequence = awaiting(textof(k.Text.get())) == Awaiting::Sequence;
    Waited w = waitinput(k.XTtty.get(), sequence ? escapewait : -1);
    if (w != Waited::Timeout) return w;
    bell();
    k.Text.set(charvec(""));
  }
}

// A pause of 10 ms, so that keys typed together arrive together; a wait
// for keys; then one read of at most 80 bytes, appended to Text. The pause
// comes before the wait, so a key that finds the loop waiting is read at
// once.
Read readkeys(KeyState& k) {
  pause(1);
  if (waitkeys(k) == Waited::ReaderGone) return Read::ReaderGone;
  return readbatch(k) ? Read::Keys : Read::EndOfInput;
}

// What the window sends first: its id is thrown away and the keys typed
// after it are kept in Text, waiting for the id's line end when a read
// cuts it; anything else that comes first is thrown away whole.
Read greeting(KeyState& k) {
  for (;;) {
    Read r = readkeys(k);
    if (r != Read::Keys) return r;
    int32_t id = windowid(textof(k.Text.get()));
    if (id >= 0) {
      k.Text.set(id > 0 ? drop(Temp(intscalar(id)), k.Text.get()) : charvec(""));
      return r;
    }
  }
}

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
// window, where the operator looks, the same on standard error, and one more
// line lost.
void notdelivered(KeyState& k, const std::string& why) {
  show(k, Temp(charvec("zelvo: not delivered: " + why + term::newrow)));
  aside(Temp(charvec("zelvo: not delivered: " + why + "\n")));
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
  rt::display(shown);
  // Each line reaches a reader at once, as its characters, count and break.
  errno = 0;
  bool flushed = std::fflush(rt::outstream) == 0;
  if (failure != 0) {
    notdelivered(k, std::strerror(failure));
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
  newwalk(k);
  k.Line.set(charvec(""));
  atprompt(k);
}

// How the loop ended, once the window had answered.
LoopEnd ended(const KeyState& k) { return num(k.Lost) > 0 ? LoopEnd::LinesLost : LoopEnd::Ended; }

// The bytes that a Characters or Paste key at the start of Text inserts.
std::string_view keybytes(const KeyState& k, const Key& key) {
  return textof(k.Text.get()).substr(static_cast<std::size_t>(key.from), static_cast<std::size_t>(key.count));
}

// A paste that would take the line past maxline: one bell, a notice row
// below the line, and the prompt and the line, unchanged, drawn again under
// it with the cursor where it was.
void refusepaste(KeyState& k) {
  bell();
  endline(k);
  show(k, Temp(charvec("zelvo: paste refused: the line would pass " + std::to_string(maxline) + " bytes" +
                       term::newrow)));
  showchecked(k, k.Prompt.get());
  Var whole("Whole", copyof(k.Line.get()));
  Var at("At", copyof(k.CurP.get()));
  k.Line.set(charvec(""));
  k.CurP.set(intscalar(0));
  atprompt(k);
  // The tail after the cursor is in Line, but not yet on the screen: the
  // insertion of the head before it writes both.
  k.Line.set(drop(at.get(), whole.get()));
  k.Nl.set(intscalar(length(k.Line.get())));
  insert(k, Temp(take(at.get(), whole.get())));
}

// The data of a paste: inserted at the cursor, or refused whole when the
// line would pass maxline.
void pasted(KeyState& k, std::string_view data, bool fits) {
  if (!fits || num(k.Nl) + static_cast<int64_t>(data.size()) > maxline) {
    refusepaste(k);
  } else if (!data.empty()) {
    insert(k, Temp(charvec(data)));
  }
}

// Reads the rest of a paste whose start marker begins Text: without the
// pause of a typed key's read, in pieces as large as the terminal has
// ready, `afterbatch` before every read after the first. The reads wait in
// the read itself, as a paste comes at the terminal's pace: standard output
// is watched again once the paste has ended. The paste is then inserted or
// refused, and what followed its end marker is left in Text.
Read readpaste(KeyState& k, const std::function<void(const KeyState&)>& afterbatch) {
  PasteRead paste(textof(k.Text.get()).substr(pastestart.size()), maxline - num(k.Nl));
  for (bool first = true; !paste.ended(); first = false) {
    if (!first && afterbatch) afterbatch(k);
    if (readready(k.XTtty.get(), paste.bytes()) == 0) return Read::EndOfInput;
  }
  k.Text.set(charvec(paste.rest()));
  pasted(k, paste.data(), paste.fits());
  return Read::Keys;
}

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
      if (!insert(k, Temp(charvec(keybytes(k, key))))) bell();  // the line would pass maxline
      break;
    case KeyKind::Paste: pasted(k, keybytes(k, key), true); break;
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
  // A window that sends nothing at all never came up.
  Read r = greeting(k);
  if (r == Read::EndOfInput) return LoopEnd::NoWindow;
  if (r == Read::ReaderGone) return LoopEnd::ReaderGone;
  k.Lost.set(intscalar(0));
  emptyhistory(k);
  setflag(k, Move::None);
  newline(k);
  for (;;) {
    // Every whole key in turn; a key that the reads cut short waits in Text
    // for the rest.
    for (;;) {
      Key key = firstkey(textof(k.Text.get()));
      if (key.kind == KeyKind::Unfinished) break;
      bool ends = dispatch(k, key);
      k.Text.set(drop(Temp(intscalar(key.length)), k.Text.get()));
      if (ends) return ended(k);
    }
    if (afterbatch) afterbatch(k);
    r = awaiting(textof(k.Text.get())) == Awaiting::Paste ? readpaste(k, afterbatch) : readkeys(k);
    if (r == Read::EndOfInput) return ended(k);
    if (r == Read::ReaderGone) return LoopEnd::ReaderGone;
  }
}

}  // namespace zelvo
