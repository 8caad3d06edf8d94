// The console's one way into each of the runtime's system functions.
#include "console/services.h"

#include <cerrno>

#include "runtime/system/files.h"
#include "runtime/system/find.h"
#include "runtime/system/process.h"
#include "runtime/system/sysvar.h"
#include "runtime/text/format.h"

namespace zelvo {

namespace {
// A result descriptor, cleared for the runtime to fill.
rt::Array fresh() {
  rt::Array a;
  rt::descclear(&a);
  return a;
}
}  // namespace

rt::Array readfrom(const rt::Array& file) {
  rt::Array got = fresh();
  rt::read(&got, &file);
  return got;
}

rt::Array writeto(const rt::Array& dest, const rt::Array& value, int* error) {
  rt::Array count = fresh();
  errno = 0;
  rt::write(&count, &dest, &value);
  if (error) *error = errno;
  return count;
}

rt::Array openfile(const rt::Array& mode, const rt::Array& name) {
  rt::Array fd = fresh();
  rt::open(&fd, &mode, &name);
  return fd;
}

rt::Array closefds(const rt::Array& fds) {
  rt::Array closed = fresh();
  rt::close(&closed, &fds);
  return closed;
}

rt::Array runshell(const rt::Array& command) {
  rt::Array status = fresh(), none = fresh();
  rt::sysvar(rt::Shell, &status, &none, &command);
  return status;
}

rt::Array piped(const rt::Array& command, const rt::Array& input) {
  rt::Array output = fresh();
  rt::pipe(&output, &command, &input);
  return output;
}

rt::Array format(const rt::Array& value) {
  rt::Array text = fresh();
  rt::Format(&text, &value);
  return text;
}

rt::Array findin(const rt::Array& text, const rt::Array& pattern) {
  rt::Array marks = fresh();
  rt::find(&marks, &text, &pattern);
  return marks;
}

}  // namespace zelvo
