// The runtime's one header brings every part of it in, without clashes.
#include "runtime/runtime.h"

#include <gtest/gtest.h>

TEST(RuntimeHeader, OneNumberingOfOperatorCodes) {
  EXPECT_EQ(rt::OpFloor, rt::OpMin);
  EXPECT_EQ(rt::OpFactorial, rt::OpBinomial);
  EXPECT_EQ(rt::OpGreater, 21);
}
