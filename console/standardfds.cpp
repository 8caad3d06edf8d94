// The three standard descriptors, made sure of at start.
#include "console/standardfds.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace zelvo {

void openstandard() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // The lower descriptors are open by now, so the lowest free one is fd.
    int opened = ::open("/dev/null", fd == 1 ? O_RDONLY : O_RDWR);
    if (opened > fd) {
      ::dup2(opened, fd);
      ::close(opened);
    }
  }
}

}  // namespace zelvo
