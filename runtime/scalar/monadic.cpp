// msopv, msopt, imsop and ifact: one switch on the operator code, each case
// calling a small function per element type.
#include "runtime/scalar/monadic.h"

#include <cmath>
#include <cstdio>

#include "runtime/core/convert.h"
#include "runtime/core/error.h"
#include "runtime/core/globals.h"
#include "runtime/core/tolerant.h"
#include "runtime/scalar/numeric.h"

namespace rt {

namespace {

constexpr double pi = 3.141592653589793;

bool isnumeric(int32_t type) { return type == Bit || type == Int || type == Real; }

// The numeric functions have no meaning for characters or undefined values;
// they stop rather than leave the result unwritten.
void needsnumber(int32_t type) {
  if (isnumeric(type)) return;
  std::fprintf(errstream, "type %d\n", type);
  rterror("[msopv] domain error, non-numeric argument");
}

// Negation of a 32-bit integer; the most negative value wraps to itself.
int32_t negateint(int32_t x) { return static_cast<int32_t>(0u - static_cast<uint32_t>(x)); }

// Floor (ceiling when `up`) of a numeric element as an integer. Reals beyond
// the 32-bit range saturate and NaN gives 0.
int32_t rounded(const Cell* x, int32_t type, bool up) {
  if (type != Real) return x->i;
  return trunc32(up ? std::ceil(x->r) : std::floor(x->r));
}

void negate(Cell* result, const Cell* x, int32_t type) {
  if (type == Real)
    result->r = -x->r;
  else
    result->i = negateint(x->i);
}

int32_t signum(const Cell* x, int32_t type) {
  if (type == Real) return x->r < 0.0 ? -1 : x->r == 0.0 ? 0 : 1;  // NaN gives 1
  return x->i < 0 ? -1 : x->i > 0 ? 1 : 0;
}

void magnitude(Cell* result, const Cell* x, int32_t type) {
  if (type == Real)
    result->r = x->r < 0.0 ? -x->r : x->r;
  else
    result->i = x->i < 0 ? negateint(x->i) : x->i;
}

// The argument as a real; characters stop with the conversion message.
double asreal(const Cell* x, int32_t type) {
  Cell r;
  cktype2(&r, Real, x, type);
  return r.r;
}

double reciprocal(double x) {
  if (x == 0.0) {
    std::printf("[runop] %% %g\n", x);
    rterror("%%: domain error");
  }
  return 1.0 / x;
}

double logarithm(double x) {
  if (!(x > 0.0)) {
    std::printf("[runop] log %g\n", x);
    rterror("log: domain error");
  }
  return std::log(x);
}

void factorial(Cell* result, const Cell* x, int32_t type) {
  if (type == Real) {
    result->r = gammafn(x->r + 1.0);
    return;
  }
  if (x->i < 0) {
    std::fprintf(errstream, "[msopv] domain error in !, argument (%d) < 0\n", x->i);
    rterror("domain error in !, argument < 0");
  }
  result->i = ifact(x->i);
}

}  // namespace

void msopv(Cell* result, int32_t op, const Cell* x, int32_t type) {
  if ((op >= OpFloor && op <= OpMagnitude) || op == OpPiTimes || op == OpFactorial) needsnumber(type);
  switch (op) {
    case OpNot:
      cktype2(result, Bit, x, type);
      result->i = result->i == 0 ? 1 : 0;
      break;
    case OpFloor: result->i = rounded(x, type, false); break;
    case OpCeiling: result->i = rounded(x, type, true); break;
    case OpConjugate: *result = *x; break;
    case OpNegate: negate(result, x, type); break;
    case OpSignum: result->i = signum(x, type); break;
    case OpMagnitude: magnitude(result, x, type); break;
    case OpReciprocal: result->r = reciprocal(asreal(x, type)); break;
    case OpExponential: result->r = std::exp(asreal(x, type)); break;
    case OpLogarithm: result->r = logarithm(asreal(x, type)); break;
    case OpPiTimes: result->r = asreal(x, type) * pi; break;
    case OpFactorial: factorial(result, x, type); break;
    default:
      std::fprintf(errstream, " operator %d\n", op);
      rterror("unimplemented op used in msopv");
  }
}

int32_t msopt(int32_t op, int32_t type) {
  switch (op) {
    case OpNot:
    case OpConjugate:
    case OpMagnitude:
    case OpFactorial: return type;
    // The negative of a boolean 1 is no boolean: it needs integer storage.
    case OpNegate: return type == Bit ? Int : type;
    case OpFloor:
    case OpCeiling:
    case OpSignum: return Int;
    case OpReciprocal:
    case OpExponential:
    case OpLogarithm: return Real;
    default:
      std::fprintf(errstream, "operator %d\n", op);
      rterror("unimplemented operator in msopt used");
  }
}

int32_t imsop(int32_t op, const Cell* x, int32_t type) {
  if (op != OpCeiling) rterror("unknon op in imsop");
  if (type == Int) return x->i;
  if (type == Real) return trunc32(std::ceil(x->r));
  rterror("illegal type in resop");
}

int32_t ifact(int32_t n) {
  // Unsigned, so products past 12! wrap instead of overflowing. From 34! on
  // the product holds 2 to the 32nd as a factor and stays 0.
  uint32_t product = 1;
  for (int32_t k = 2; k <= n && product != 0; ++k) product *= static_cast<uint32_t>(k);
  return static_cast<int32_t>(product);
}

}  // namespace rt
