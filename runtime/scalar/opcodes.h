// The one numbering of the scalar functions, shared by the dyadic and
// monadic kernels, the result-type rules and the identity elements. A code
// names a dyadic function and, for 0 to 11, a monadic one.
#pragma once

#include <cstdint>

namespace rt {

enum Opcode : int32_t {
  OpNot = 0,  // monadic only
  OpMin = 1,
  OpMax = 2,
  OpPlus = 3,
  OpMinus = 4,
  OpTimes = 5,
  OpResidue = 6,
  OpDivide = 7,
  OpPower = 8,
  OpLog = 9,
  OpCircular = 10,
  OpBinomial = 11,
  OpAnd = 12,
  OpOr = 13,
  OpNand = 14,
  OpNor = 15,
  OpLess = 16,
  OpNotGreater = 17,
  OpEqual = 18,
  OpNotEqual = 19,
  OpNotLess = 20,
  OpGreater = 21,

  // The monadic meanings of codes 1 to 11.
  OpFloor = OpMin,
  OpCeiling = OpMax,
  OpConjugate = OpPlus,
  OpNegate = OpMinus,
  OpSignum = OpTimes,
  OpMagnitude = OpResidue,
  OpReciprocal = OpDivide,
  OpExponential = OpPower,
  OpLogarithm = OpLog,
  OpPiTimes = OpCircular,
  OpFactorial = OpBinomial,
};

}  // namespace rt
