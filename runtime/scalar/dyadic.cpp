// dsopv, dsopt and resop. The kernel converts both elements as its operator
// code requires, then dispatches on the code to one small function per
// working type.
#include "runtime/scalar/dyadic.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "runtime/core/array.h"
#include "runtime/core/convert.h"
#include "runtime/core/error.h"
#include "runtime/core/globals.h"

namespace rt {
namespace {

// The element at p, in a cell. Codes without elements read nothing; their
// conversion refuses them afterwards. (A switch of fixed-size copies rather
// than one copy of elemsize bytes: this runs once per element of every
// dyadic loop.)
Cell load(const void* p, int32_t type) {
  Cell c;
  c.r = 0.0;
  switch (type) {
    case Bit:
    case Int: std::memcpy(&c.i, p, sizeof c.i); break;
    case Real: std::memcpy(&c.r, p, sizeof c.r); break;
    case Char: std::memcpy(&c.c, p, sizeof c.c); break;
    default: break;
  }
  return c;
}

// Writes the cell's element of type t at p (nothing for a code without elements).
void store(void* p, const Cell& c, int32_t t) {
  switch (t) {
    case Bit:
    case Int: std::memcpy(p, &c.i, sizeof c.i); break;
    case Real: std::memcpy(p, &c.r, sizeof c.r); break;
    case Char: std::memcpy(p, &c.c, sizeof c.c); break;
    default: break;
  }
}

// The cell converted from `given` to `wanted`, or a stop if that is refused.
Cell as(const Cell& c, int32_t wanted, int32_t given) {
  Cell r;
  r.r = 0.0;
  cktype2(&r, wanted, &c, given);
  return r;
}

[[noreturn]] void illegaltypes() { rterror("illegal types for op"); }

// Ints wrap around on overflow, as 32-bit machine arithmetic does.
int32_t intarith(int32_t op, int32_t a, int32_t b) {
  int64_t v = op == OpPlus ? int64_t{a} + b : op == OpMinus ? int64_t{a} - b : int64_t{a} * b;
  return static_cast<int32_t>(v);
}

double realarith(int32_t op, double a, double b) {
  return op == OpPlus ? a + b : op == OpMinus ? a - b : a * b;
}

// r reduced modulo l, taking the sign of l; 0|r is r. Exact in 64 bits.
int32_t intresidue(int32_t l, int32_t r) {
  if (l == 0) return r;
  int64_t q = int64_t{r} / l;
  if (int64_t{r} % l != 0 && (r < 0) != (l < 0)) --q;  // floor, not truncation
  return static_cast<int32_t>(r - l * q);
}

double realresidue(double l, double r) {
  if (l == 0.0) return r;
  return r - std::floor(r / l) * l;
}

// Whether a is strictly greater than b under the working type: ints as
// signed 32-bit, chars as signed bytes, reals by IEEE rules (false with NaN).
bool greater(const Cell& a, const Cell& b, int32_t t) {
  switch (t) {
    case Bit:
    case Int: return a.i > b.i;
    case Real: return a.r > b.r;
    case Char: return static_cast<signed char>(a.c) > static_cast<signed char>(b.c);
    default: illegaltypes();
  }
}

// Minimum and maximum: the result is l unless r is strictly beyond it.
Cell minmax(int32_t op, const Cell& l, const Cell& r, int32_t t) {
  bool replace = op == OpMin ? greater(l, r, t) : greater(r, l, t);
  return replace ? r : l;
}

// A numeric function in the working type t: its int kernel for bits and
// ints, its real kernel for reals; any other type stops with `refusal`.
template <typename IntKernel, typename RealKernel>
Cell numeric(const Cell& l, const Cell& r, int32_t t, IntKernel ints, RealKernel reals,
             const char* refusal) {
  Cell c;
  c.r = 0.0;
  switch (t) {
    case Bit:
    case Int: c.i = ints(l.i, r.i); break;
    case Real: c.r = reals(l.r, r.r); break;
    default: rterror(refusal);
  }
  return c;
}

double divide(double l, double r) {
  if (r == 0.0) {
    std::printf("[runop] %g %% %g\n", l, r);
    rterror("%%: domain error");
  }
  return l / r;
}

// The logarithm of r to base l. Only a non-positive r with a positive base
// is refused; other bases give what the mathematics library gives.
double logarithm(double l, double r) {
  if (l > 0.0 && r <= 0.0) {
    std::printf("[runop] %g log %g\n", l, r);
    rterror("log: domain error");
  }
  return std::log(r) / std::log(l);
}

double circular(int32_t fn, double x) {
  switch (fn) {
    case -7:
      if (!(x > -1.0 && x < 1.0)) rterror("[runop] domain error");
      return std::atanh(x);
    case -6: return std::acosh(x);
    case -5: return std::asinh(x);
    case -4: return std::sqrt(x * x - 1.0);
    case -3: return std::atan(x);
    case -2: return std::acos(x);
    case -1: return std::asin(x);
    case 0: return std::sqrt(1.0 - x * x);
    case 1: return std::sin(x);
    case 2: return std::cos(x);
    case 3: return std::sin(x) / std::cos(x);
    case 4: return std::sqrt(x * x + 1.0);
    case 5: return std::sinh(x);
    case 6: return std::cosh(x);
    case 7: return std::tanh(x);
    default: rterror("[runop] illegal circular function");
  }
}

int32_t logic(int32_t op, int32_t a, int32_t b) {
  bool x = a != 0, y = b != 0;
  switch (op) {
    case OpAnd: return x && y;
    case OpOr: return x || y;
    case OpNand: return !(x && y);
    default: return !(x || y);
  }
}

// One relation between two elements of one type, as dsopv gives it: 1 when
// it holds, else 0.
template <typename T>
int32_t relation(int32_t op, T a, T b) {
  int32_t holds = 0;
  comparison(op, [&](auto compare) { holds = compare(a, b) ? 1 : 0; });
  return holds;
}

int32_t compare(int32_t op, const Cell& l, const Cell& r, int32_t t) {
  switch (t) {
    case Bit:
    case Int: return relation(op, l.i, r.i);
    case Real: return relation(op, l.r, r.r);
    case Char: return relation(op, static_cast<signed char>(l.c), static_cast<signed char>(r.c));
    default: illegaltypes();
  }
}

}  // namespace

void dsopv(int32_t op, void* result, const void* left, int32_t lefttype, const void* right,
           int32_t righttype) {
  if (op < OpMin || op > OpGreater) rterror("unknown op used in dsopv");
  const Cell l = load(left, lefttype), r = load(right, righttype);
  Cell res;
  res.r = 0.0;
  int32_t t = lefttype > righttype ? lefttype : righttype;  // the working type
  Cell a, b;
  switch (op) {
    case OpDivide:
    case OpPower:
    case OpLog:
      a = as(l, Real, lefttype);
      b = as(r, Real, righttype);
      res.r = op == OpDivide  ? divide(a.r, b.r)
              : op == OpPower ? std::pow(a.r, b.r)
                              : logarithm(a.r, b.r);
      t = Real;
      break;
    case OpCircular:
      a = as(l, Int, lefttype);
      b = as(r, Real, righttype);
      res.r = circular(a.i, b.r);
      t = Real;
      break;
    case OpAnd:
    case OpOr:
    case OpNand:
    case OpNor:
      a = as(l, Bit, lefttype);
      b = as(r, Bit, righttype);
      res.i = logic(op, a.i, b.i);
      t = Bit;
      break;
    default:  // everything computed in the working type
      a = as(l, t, lefttype);
      b = as(r, t, righttype);
      if (op == OpMin || op == OpMax) {
        res = minmax(op, a, b, t);
      } else if (op <= OpTimes) {
        auto ints = [op](int32_t x, int32_t y) { return intarith(op, x, y); };
        auto reals = [op](double x, double y) { return realarith(op, x, y); };
        res = numeric(a, b, t, ints, reals, "illegal types for op");
      } else if (op == OpResidue) {
        res = numeric(a, b, t, intresidue, realresidue, "type error for mod function");
      } else if (op == OpBinomial) {
        res = numeric(a, b, t, ibinomial, binomial, "illegal types for op");
      } else {
        res.i = compare(op, a, b, t);
        t = Bit;
      }
  }
  store(result, res, t);
}

int32_t dsopt(int32_t op, int32_t lefttype, int32_t righttype) {
  if ((op >= OpMin && op <= OpResidue) || op == OpBinomial)
    return lefttype > righttype ? lefttype : righttype;
  if (op >= OpDivide && op <= OpCircular) return Real;
  if (op >= OpAnd && op <= OpGreater) return Bit;
  std::fprintf(errstream, "operator %d\n", op);
  rterror("unimplemented operator in dsopt used");
}

void resop(void* value, int32_t type, int32_t op, int32_t n) {
  if (type != Int && type != Real) rterror("illegal type in resop");
  if (op != OpPlus && op != OpMinus) rterror("unknon op in resop");
  int64_t by = op == OpPlus ? int64_t{n} : -int64_t{n};
  if (type == Int) {
    int32_t* v = static_cast<int32_t*>(value);
    *v = static_cast<int32_t>(*v + by);
  } else {
    double* v = static_cast<double*>(value);
    *v += static_cast<double>(by);
  }
}

}  // namespace rt
