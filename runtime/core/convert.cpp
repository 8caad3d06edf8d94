// getmp, setmp, assign_ind, the cktype family, fillvalue and identity.
#include "runtime/core/convert.h"

#include <cfloat>
#include <climits>
#include <cstdio>

#include "runtime/core/error.h"
#include "runtime/core/globals.h"

namespace rt {

Cell* getmp(Cell* cell, void* const* place, int32_t i, int32_t type) {
  switch (type) {
    case Bit:
    case Int: cell->i = static_cast<const int32_t*>(*place)[i]; break;
    case Real: cell->r = static_cast<const double*>(*place)[i]; break;
    case Char: cell->c = static_cast<const char*>(*place)[i]; break;
    default:
      std::fprintf(errstream, "type %d\n", type);
      rterror("[getmp] impossible condition");
  }
  return cell;
}

void setmp(const Cell* cell, void* const* place, int32_t i, int32_t type) {
  switch (type) {
    case Bit:
    case Int: static_cast<int32_t*>(*place)[i] = cell->i; break;
    case Real: static_cast<double*>(*place)[i] = cell->r; break;
    case Char: static_cast<char*>(*place)[i] = cell->c; break;
    default:
      std::fprintf(errstream, "type %d\n", type);
      rterror("[setmp] impossible condition");
  }
}

void assign_ind(Array* dst, int32_t i, const Array* src, int32_t j) {
  if (src->rank == 0) j = 0;
  int32_t st = src->type;
  switch (dst->type) {
    case Bit:
    case Int:
      if (st != Int) rterror("[assign_ind] impossible conversion to VEXA_INT");
      ints(*dst)[i] = ints(*src)[j];
      break;
    case Real:
      if (st == Int)
        reals(*dst)[i] = ints(*src)[j];
      else if (st == Real)
        reals(*dst)[i] = reals(*src)[j];
      else
        rterror("[assign_ind] impossible conversion to REAL");
      break;
    case Char:
      if (st != Char) rterror("[assign_ind] impossible conversion to VEXA_CHAR");
      chars(*dst)[i] = chars(*src)[j];
      break;
    default:
      std::fprintf(errstream, "type %d\n", dst->type);
      rterror("[assign_ind] impossible type");
  }
}

// Stops for a conversion to `wanted` that the rules refuse.
[[noreturn]] static void refuse(int32_t wanted, int32_t given, const char* unknown) {
  switch (wanted) {
    case Bit: rterror("illegal coversion to bit");
    case Int:
      std::fprintf(errstream, "giventype %d, ", given);
      rterror("illegal conversion to int");
    case Real: rterror("illegal conversion to real");
    case Char: rterror("illegal conversion to char");
    default:
      std::fprintf(errstream, " [type= %d ,", wanted);
      std::fprintf(errstream, "giventype= %d]\n", given);
      rterror(unknown);
  }
}

void cktype(Cell* cell, int32_t wanted, int32_t given) {
  if (wanted == Undefined) {
    if (given != Undefined) return;
    rterror("unknown type");
  }
  if (wanted == given) return;
  if (wanted == Bit && given == Int && (cell->i == 0 || cell->i == 1)) return;
  if (wanted == Int && given == Bit) return;
  if (wanted == Real && (given == Bit || given == Int)) {
    cell->r = cell->i;
    return;
  }
  refuse(wanted, given, "unknown type in cktype");
}

void cktype2(Cell* dst, int32_t wanted, const Cell* src, int32_t given) {
  if (wanted == Undefined) {
    if (given != Undefined) return;
    rterror("unknown type");
  }
  switch (wanted) {
    case Bit:
      if (given == Bit || (given == Int && (src->i == 0 || src->i == 1))) {
        dst->i = src->i;
        return;
      }
      break;
    case Int:
      if (given == Bit || given == Int) {
        dst->i = src->i;
        return;
      }
      break;
    case Real:
      if (given == Bit || given == Int) {
        dst->r = src->i;
        return;
      }
      if (given == Real) {
        dst->r = src->r;
        return;
      }
      break;
    case Char:
      if (given == Char) {
        dst->c = src->c;
        return;
      }
      break;
    default: break;
  }
  refuse(wanted, given, "unknown type in cktype2");
}

int32_t cktypes(Cell* a, int32_t ta, Cell* b, int32_t tb) {
  if (ta < tb) {
    cktype(a, tb, ta);
    return tb;
  }
  if (tb < ta) cktype(b, ta, tb);
  return ta;
}

int32_t cktypes2(Cell* da, const Cell* sa, int32_t ta, Cell* db, const Cell* sb, int32_t tb) {
  int32_t t = ta > tb ? ta : tb;
  cktype2(da, t, sa, ta);
  cktype2(db, t, sb, tb);
  return t;
}

void fillvalue(Cell* cell, int32_t type) {
  switch (type) {
    case Bit:
    case Int: cell->i = 0; break;
    case Real: cell->r = 0.0; break;
    case Char: cell->c = ' '; break;
    default: rterror("fill type vexa_error");
  }
}

void identity(int32_t op, Cell* cell, int32_t type) {
  // Identity by operator code: 'm' minimum, 'M' maximum, '0' zero, '1' one,
  // '-' none. Index 0 is unused.
  static const char kinds[20] = {'-', 'm', 'M', '0', '0', '1', '-', '1', '1', '-',
                                 '-', '1', '1', '0', '-', '-', '0', '1', '1', '0'};
  char kind = op >= 1 && op <= 19 ? kinds[op] : '-';
  if (kind == '-') {
    std::fprintf(errstream, "operator %d\n", op);
    rterror("unknown op used in identity");
  }
  if (type == Bit || type == Int) {
    cell->i = kind == 'm' ? INT_MAX : kind == 'M' ? INT_MIN : kind == '1' ? 1 : 0;
  } else if (type == Real) {
    cell->r = kind == 'm' ? DBL_MAX : kind == 'M' ? -DBL_MAX : kind == '1' ? 1.0 : 0.0;
  } else {
    rterror("identity type error");
  }
}

}  // namespace rt
