// The console's one way into each of the runtime's system functions.
#include "console/services.h"

#include <functional>

#include "runtime/system/files.h"
#include "runtime/system/find.h"
#include "runtime/system/process.h"
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

rt::Array readfrom(const rt::Array& file) { return filled(rt::read, file); }

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
