// The key loop: reading, dispatch on the first character of each batch, and
// completing a line.
#include "console/keyloop.h"

#include <cstdio>

#include "console/arrays.h"
#include "console/editing.h"
#include "console/screen.h"
#include "console/text.h"
#include "runtime/scalar/opcodes.h"
#include "runtime/core/globals.h"
#include "runtime/core/print.h"
#include "runtime/system/files.h"
#include "runtime/system/find.h"

namespace zelvo {

namespace {
const char cr = '\r', bel = 7;

// Writes text to the terminal after the check that it is a descriptor.
void showchecked(KeyState& k, const rt::Array& text) {
  testmxrank(k.XTtty.get());
  show(k, text);
}

// One read of the terminal, appended to Text; false when it delivered nothing.
bool readbatch(KeyState& k) {
  rt::Array got;
  rt::descclear(&got);
  rt::read(&got, &k.XTtty.get());
  Temp batch(got);
  if (rt::elemcount(got.rank, got.shape) == 0) return false;
  k.Text.set(catenate(k.Text.get(), batch));
  return true;
}

// The character at position i (from 1) of Text equals c.
bool textis(const KeyState& k, int32_t i, const rt::Array& c) {
  return firstint(Temp(dyadic(rt::OpEqual, Temp(pick(k.Text.get(), Temp(intscalar(i)))), c))) != 0;
}

void bell() {
  rt::Array count, fd = intscalar(2), text = charscalar(bel);
  rt::descclear(&count);
  rt::write(&count, &fd, &text);
  rt::detalloc(&count);
  rt::detalloc(&fd);
  rt::detalloc(&text);
}

// Whether pattern occurs in text (characters, at most one axis).
bool contains(const rt::Array& text, const char* pattern) {
  testchar(text);
  testmxrank(text);
  rt::Array marks;
  rt::descclear(&marks);
  Temp word(charvec(pattern));
  rt::find(&marks, &text, &word.get());
  Temp found(marks);
  return rt::elemcount(marks.rank, marks.shape) > 0 && firstint(Temp(maxreduce(found))) != 0;
}

// Whether Line ends in the four characters of word.
bool endsin(const KeyState& k, const char* word) {
  if (length(k.Line.get()) < 4) return false;
  Temp same(dyadic(rt::OpEqual, Temp(take(Temp(intscalar(-4)), k.Line.get())), Temp(charvec(word))));
  return firstint(Temp(plusreduce(same))) == 4;
}

// Return was pressed: the line goes to the history (unless it names a login
// or a password), to the window as a new line, and to standard output.
// Gives true when the line closes the loop.
bool complete(KeyState& k) {
  {
    Temp lower(tolower(copyof(k.Line.get())));
    if (!contains(lower, "login") && !contains(lower, "password")) store(k);
  }
  k.Flag.set(charscalar('N'));
  testmxrank(k.XTtty.get());
  endline(k);  // CR LF, below the whole line
  rt::Array count, out = intscalar(1);
  rt::descclear(&count);
  rt::write(&count, &out, &k.Line.get());
  rt::detalloc(&out);
  Temp shown(count);
  rt::display(shown);
  // Each line reaches a reader at once, as its characters, count and break.
  std::fflush(rt::outstream);
  return endsin(k, "quit") || endsin(k, "exit");
}

// A batch of ordinary characters: refused whole if it holds a control
// character other than CR; a final CR completes the line after the
// characters before it are inserted. Gives true when the loop ends.
bool ordinary(KeyState& k, bool& newline) {
  // Character numbers: positions in the 256-character atomic vector (code + 1).
  k.ChN.set(indexof(Temp(atomicvector()), k.Text.get()));
  Temp control(dyadic(rt::OpAnd, Temp(dyadic(rt::OpNotGreater, k.ChN.get(), Temp(intscalar(32)))),
                      Temp(dyadic(rt::OpNotEqual, k.Text.get(), Temp(charscalar(cr))))));
  if (firstint(Temp(maxreduce(control))) != 0) {
    bell();
    return false;
  }
  int32_t n = length(k.Text.get());
  if (!textis(k, n, Temp(charscalar(cr)))) {
    insert(k);
    return false;
  }
  if (n > 1) {
    k.Text.set(drop(Temp(intscalar(-1)), k.Text.get()));
    insert(k);
  }
  newline = true;
  return complete(k);
}

// An ESC "[" sequence, once Text holds at least three characters.
void escape(KeyState& k) {
  static const struct { char key; void (*action)(KeyState&); } keys[] = {
      {'A', up}, {'B', down}, {'C', right}, {'D', left}};
  for (const auto& entry : keys) {
    if (textis(k, 3, Temp(charscalar(entry.key)))) {
      entry.action(k);
      return;
    }
  }
  bell();
}

// A new line, just after the prompt was written.
void newline(KeyState& k) {
  k.CurP.set(intscalar(0));
  k.Nl.set(intscalar(0));
  k.Hoffset.set(intscalar(length(k.History.get())));
  k.Line.set(charvec(""));
  atprompt(k);
}
}  // namespace

bool keyloop(rt::Array prompt, rt::Array xttty) { return keyloop(prompt, xttty, {}); }

bool keyloop(rt::Array prompt, rt::Array xttty, const std::function<void(const KeyState&)>& afterbatch) {
  KeyState k(prompt, xttty);
  setconstants(k);
  showchecked(k, k.Prompt.get());
  k.Text.set(charvec(""));
  // What the window sends first (its id) is thrown away; a window that
  // sends nothing at all never came up.
  if (!readbatch(k)) return false;
  k.History.set(charvec(""));
  k.Nhl.set(intscalar(0));
  k.Flag.set(charscalar('0'));
  newline(k);
  for (;;) {
    if (afterbatch) afterbatch(k);
    k.Text.set(charvec(""));  // next batch
    if (!readbatch(k)) return true;
    // Dispatch on the first character; an escape sequence waits for three.
    if (textis(k, 1, k.Bs.get())) {
      backspace(k);
    } else if (textis(k, 1, k.Delete.get())) {
      deletechar(k);
    } else {
      bool isescape = textis(k, 1, k.Esc.get());
      while (isescape && length(k.Text.get()) <= 2)
        if (!readbatch(k)) return true;
      // A character split between reads is handled whole, once it is all there.
      while (!isescape && unfinished(k.Text.get()))
        if (!readbatch(k)) return true;
      if (isescape && textis(k, 2, Temp(charscalar('[')))) {
        escape(k);
      } else {
        bool completed = false;
        if (ordinary(k, completed)) return true;
        if (completed) {
          showchecked(k, k.Prompt.get());  // new prompt
          newline(k);
        }
      }
    }
  }
}

}  // namespace zelvo
