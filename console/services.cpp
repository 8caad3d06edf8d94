// The console's one way into each of the runtime's system functions, and
// the waits and reads of the terminal that the key loop makes itself.
#include "console/services.h"

#include <poll.h>

#include <cerrno>
#include <functional>

#include "console/arrays.h"
#include "runtime/system/files.h"
#include "runtime/system/find.h"
#include "runtime/system/process.h"
#include "runtime/system/syscalls.h"
#include "runtime/system/sysvar.h"
#include "runtime/text/format.h"

namespace zelvo {

namespace {
// Calls the runtime's function f with a fresh result descriptor and the
// arguments, and gives the result it filled in.
template <typename F, typename... Args>
rt::Array filled(F f, const Args&... args) {
  rt::Array result;
  rt::descclear(&result);
  f(&result, &args...);
  return result;
}
}  // namespace

Waited waitinput(const rt::Array& tty, int timeoutms) {
  pollfd watched[2] = {{firstint(tty), POLLIN, 0}, {1, 0, 0}};
  if (watched[0].fd < 0) return Waited::Ready;  // poll passes over it; the read tells
  nfds_t n = 2;
  for (;;) {
    int got = rt::syspoll(watched, n, timeoutms);
    if (got == 0) return Waited::Timeout;
    if (got < 0) return Waited::Ready;
    if (n == 2 && (watched[1].revents & (POLLERR | POLLHUP)) != 0) return Waited::ReaderGone;
    if (watched[0].revents != 0) return Waited::Ready;
    n = 1;  // standard output is not open (POLLNVAL): there is nothing to watch
  }
}

void pause(int32_t hundredths) { rt::delay(hundredths); }

rt::Array keysfrom(const rt::Array& tty) {
  char keys[80];
  ssize_t got = rt::sysread(firstint(tty), keys, sizeof keys);
  if (got == 1) return charscalar(keys[0]);
  return charvec(std::string_view(keys, got > 0 ? static_cast<std::size_t>(got) : 0));
}

int32_t readready(const rt::Array& tty, std::string& bytes) {
  char chunk[65536];
  ssize_t got = rt::sysread(firstint(tty), chunk, sizeof chunk);
  if (got <= 0) return 0;
  bytes.append(chunk, static_cast<std::size_t>(got));
  return static_cast<int32_t>(got);
}

rt::Array writeto(const rt::Array& dest, const rt::Array& value, int* error) {
  return filled([error](rt::Array* r, const rt::Array* d, const rt::Array* v) { rt::write(r, d, v, error); }, dest,
                value);
}

rt::Array openfile(const rt::Array& mode, const rt::Array& name) { return filled(rt::open, mode, name); }

rt::Array closefds(const rt::Array& fds) { return filled(rt::close, fds); }

rt::Array runshell(const rt::Array& command) {
  rt::Array none;  // sysvar's left argument, which it does not read
  rt::descclear(&none);
  return filled(std::bind_front(rt::sysvar, rt::Shell), none, command);
}

rt::Array piped(const rt::Array& command, const rt::Array& input) { return filled(rt::pipe, command, input); }

rt::Array format(const rt::Array& value) { return filled(rt::Format, value); }

rt::Array findin(const rt::Array& text, const rt::Array& pattern) { return filled(rt::find, text, pattern); }

}  // namespace zelvo
