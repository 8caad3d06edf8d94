// The undefined-value stop shared by every console function.
#include "console/locals.h"

#include <string>

#include "runtime/core/error.h"

namespace zelvo {

void undefined(const char* name) {
  std::string message = std::string("undefined value (") + name + ") used";
  rt::rterror(message.c_str());
}

}  // namespace zelvo
