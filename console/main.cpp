// zelvo: the keyboard-command console.
#include "console/standardfds.h"
#include "console/start.h"
#include "console/usage.h"

int main(int argc, char** argv) {
  zelvo::openstandard();
  zelvo::Options opts;
  int status = zelvo::options(argc, argv, opts);
  return status >= 0 ? status : zelvo::zelvomain(opts.argc(), opts.args.data(), opts.window);
}
