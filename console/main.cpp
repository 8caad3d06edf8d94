// zelvo: the keyboard-command console.
#include "console/standardfds.h"
#include "console/start.h"
#include "console/usage.h"

int main(int argc, char** argv) {
  zelvo::openstandard();
  int status = zelvo::options(argc, argv);
  return status >= 0 ? status : zelvo::zelvomain(argc, argv);
}
