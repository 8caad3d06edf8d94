// The array runtime's public interface, in one header.
#pragma once

#include "runtime/core/array.h"
#include "runtime/core/convert.h"
#include "runtime/core/error.h"
#include "runtime/core/globals.h"
#include "runtime/core/print.h"
#include "runtime/scalar/numeric.h"
