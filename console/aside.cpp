// Messages on standard error that never hold up the key loop.
#include "console/aside.h"

#include <poll.h>

#include "console/arrays.h"
#include "console/locals.h"
#include "console/services.h"

namespace zelvo {

void aside(const rt::Array& text) {
  pollfd p{2, POLLOUT, 0};
  if (poll(&p, 1, 0) != 1 || (p.revents & POLLOUT) == 0 || (p.revents & POLLERR) != 0) return;
  int failure = 0;  // a message that fails is lost with nothing more said
  Temp count(writeto(Temp(intscalar(2)), text, &failure));
}

}  // namespace zelvo
