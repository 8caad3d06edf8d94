// Element loops of the console's primitives.
#include "console/arrays.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#include "runtime/core/convert.h"
#include "runtime/core/error.h"
#include "runtime/core/globals.h"
#include "runtime/core/grade.h"
#include "runtime/core/shape.h"
#include "runtime/core/walk.h"
#include "runtime/scalar/dyadic.h"

namespace zelvo {

namespace {

int32_t count(const rt::Array& a) { return rt::elemcount(a.rank, a.shape); }

// Element i of a, in a cell of a's type.
rt::Cell element(const rt::Array& a, int64_t i) {
  rt::Cell c;
  rt::getmp(&c, &a.value, static_cast<int32_t>(i), a.type);
  return c;
}

// Stores a cell of type `from` as element i of a, converted to a's type.
void put(rt::Array& a, int64_t i, rt::Cell c, int32_t from) {
  rt::cktype(&c, a.type, from);
  rt::setmp(&c, &a.value, static_cast<int32_t>(i), a.type);
}

// Copies n elements of `from`, starting at element j and `stride` elements
// apart (0 repeats one element), to elements i, i+1, ... of `to`, a value of
// the same type. Elements move as bytes rather than through a cell each: the
// structural loops move long texts (the history) on every completed line.
void copyrun(rt::Array& to, int64_t i, const rt::Array& from, int64_t j, int64_t stride, int64_t n) {
  if (n <= 0) return;
  auto width = static_cast<int64_t>(rt::elemsize(to.type));
  if (width == 0) {  // no elements of this type: getmp refuses it
    for (int64_t k = 0; k < n; ++k) {
      rt::Cell c = element(from, j + k * stride);
      rt::setmp(&c, &to.value, static_cast<int32_t>(i + k), to.type);
    }
    return;
  }
  char* dst = static_cast<char*>(to.value) + i * width;
  const char* src = static_cast<const char*>(from.value) + j * width;
  if (stride == 1) {
    std::memcpy(dst, src, static_cast<std::size_t>(n * width));
    return;
  }
  for (int64_t k = 0; k < n; ++k)
    std::memcpy(dst + k * width, src + k * stride * width, static_cast<std::size_t>(width));
}

// Whether the type holds ints (a bit array holds them too).
inline bool inttype(int32_t type) { return type == rt::Bit || type == rt::Int; }

// Element i of a numeric value as an int (reals are refused).
int32_t intat(const rt::Array& a, int32_t i) {
  rt::Cell c = element(a, i);
  rt::cktype(&c, rt::Int, a.type);
  return c.i;
}

// The one element of a count or an index, as an int.
int32_t oneint(const rt::Array& a, const char* message) {
  if (count(a) != 1) rt::rterror(message);
  return intat(a, 0);
}

// The same value seen as a vector: a scalar becomes a one-element vector.
// Only for reading; it shares a's storage.
rt::Array asvector(const rt::Array& a) {
  rt::Array v = a;
  if (v.rank == 0) {
    v.rank = 1;
    v.shape = rt::scalarshape;
  }
  return v;
}

// Position of the index i (index origin) in an axis of this length.
int32_t position(int32_t i, int32_t length) {
  int64_t p = int64_t{i} - rt::indexorigin;
  if (p < 0 || p >= length) {
    std::fprintf(rt::errstream, "\nindex %d, length %d\n", i, length);
    rt::rterror("[index] index error");
  }
  return static_cast<int32_t>(p);
}

// How a walk moves along one source axis: the result's length on it, the
// source index of its first item, and +1 or -1.
struct Move {
  int32_t length;
  int32_t offset;
  int32_t direction;
};

// The items of a in the order that the moves describe, one per axis of a.
rt::Array walk(const rt::Array& a, const std::vector<Move>& moves) {
  int32_t rank = a.rank;
  int32_t *map, *offsets, *directions, *steps;
  rt::walkinit(rank, &map, &offsets, &directions);
  int32_t* shape = rt::shapecopy(rank, a.shape);
  for (int32_t t = 0; t < rank; ++t) {
    shape[t] = moves[t].length;
    offsets[t] = moves[t].offset;
    directions[t] = moves[t].direction;
  }
  int64_t at = rt::walksteps(rank, shape, rank, a.shape, &steps, map, offsets, directions);
  rt::Array r = rt::newarray(a.type, rank, shape);
  std::vector<int32_t> index(static_cast<std::size_t>(rank), 0);
  int32_t n = count(r), last = rank - 1, run = rank > 0 ? r.shape[last] : 1;
  // One run along the last axis at a time; then each axis whose inner axes
  // have all wrapped moves on, its step already undoing the inner axes' run.
  for (int32_t e = 0; e < n; e += run) {
    int64_t step = rank > 0 ? steps[last] : 0;
    copyrun(r, e, a, at, step, run);
    at += run * step;
    if (last <= 0) continue;
    int32_t t = last - 1;
    at += steps[t];
    while (t > 0 && ++index[t] == r.shape[t]) {
      index[t] = 0;
      at += steps[--t];
    }
  }
  for (int32_t* p : {map, offsets, directions, steps}) std::free(p);
  return r;
}

// The moves that leave every axis of a as it is.
std::vector<Move> unchanged(const rt::Array& a) {
  std::vector<Move> moves;
  for (int32_t t = 0; t < a.rank; ++t) moves.push_back({a.shape[t], 0, 1});
  return moves;
}

// The move of take (drop false) or drop (drop true) of c items along an axis
// of length `length`. Take has no fill, so it stops for a count beyond the
// axis; drop of the whole axis or more leaves it empty.
Move cut(bool drop, int32_t c, int32_t length, int32_t axis) {
  int64_t size = c < 0 ? -int64_t{c} : c;
  if (drop) {
    int32_t k = static_cast<int32_t>(size < length ? size : length);
    return {length - k, c < 0 ? 0 : k, 1};
  }
  if (size > length) {
    std::fprintf(rt::errstream, "\naxis %d, count %d, length %d\n", axis + rt::indexorigin, c,
                 length);
    rt::rterror("[take] length error");
  }
  int32_t k = static_cast<int32_t>(size);
  return {k, c < 0 ? length - k : 0, 1};
}

// Stops unless axis is an axis of an array of this rank.
void checkaxis(int32_t axis, int32_t rank, const char* message) {
  if (axis >= 0 && axis < rank) return;
  std::fprintf(rt::errstream, "\naxis %d, rank %d\n", axis, rank);
  rt::rterror(message);
}

// Take or drop with one count along the given axis, or without an axis
// along the last axis, or one count per axis.
rt::Array takedrop(bool drop, const rt::Array& count, const rt::Array& a,
                   std::optional<int32_t> axis) {
  rt::Array v = asvector(a);
  std::vector<Move> moves = unchanged(v);
  int32_t nc = zelvo::count(count);
  if (!axis && nc == v.rank && nc > 1) {
    for (int32_t t = 0; t < v.rank; ++t) moves[t] = cut(drop, intat(count, t), v.shape[t], t);
    return walk(v, moves);
  }
  int32_t k = axis.value_or(v.rank - 1);
  checkaxis(k, v.rank, drop ? "[drop] axis error" : "[take] axis error");
  if (nc != 1) {
    std::fprintf(rt::errstream, "\ncounts %d, rank %d\n", nc, v.rank);
    rt::rterror(drop ? "[drop] rank error" : "[take] rank error");
  }
  moves[k] = cut(drop, intat(count, 0), v.shape[k], k);
  return walk(v, moves);
}

rt::Array reversed(const rt::Array& a, std::optional<int32_t> axis) {
  rt::Array v = asvector(a);
  int32_t k = axis.value_or(v.rank - 1);
  checkaxis(k, v.rank, "[reverse] axis error");
  if (a.rank == 0) return copyof(a);  // a scalar is its own reverse
  std::vector<Move> moves = unchanged(v);
  moves[k] = {v.shape[k], v.shape[k] - 1, -1};
  return walk(v, moves);
}

// Catenation along the given axis, or without an axis along the last.
rt::Array catenation(const rt::Array& left, const rt::Array& right, std::optional<int32_t> axis) {
  int32_t *shape, block, lc, rc;
  int32_t rank = rt::catenate(&shape, left.rank, left.shape, right.rank, right.shape,
                              axis.value_or(0), axis ? rt::Along::Axis : rt::Along::LastAxis, &block, &lc, &rc);
  int32_t nl = count(left), nr = count(right);
  int32_t type = nl == 0 && nr > 0   ? right.type
                 : nr == 0 && nl > 0 ? left.type
                                     : rt::imax(left.type, right.type);
  rt::Array r = rt::newarray(type, rank, shape);
  // The result is a run of groups: lc * block items of the left, then
  // rc * block items of the right.
  int64_t lpart = int64_t{lc} * block, group = lpart + int64_t{rc} * block;
  int32_t n = count(r);
  if ((nl == 0 || left.type == type) && (nr == 0 || right.type == type) && group > 0) {
    // Both sides already of the result's type: copied group by group.
    int64_t rpart = group - lpart;
    for (int64_t g = 0, p = 0; p < n; ++g, p += group) {
      copyrun(r, p, left, nl == 1 ? 0 : g * lpart, nl == 1 ? 0 : 1, lpart);
      copyrun(r, p + lpart, right, nr == 1 ? 0 : g * rpart, nr == 1 ? 0 : 1, rpart);
    }
    return r;
  }
  for (int32_t p = 0; p < n; ++p) {
    int64_t g = p / group, o = p % group;
    if (o < lpart)
      put(r, p, element(left, nl == 1 ? 0 : g * lpart + o), left.type);
    else
      put(r, p, element(right, nr == 1 ? 0 : g * (group - lpart) + o - lpart), right.type);
  }
  return r;
}

// Compress by a mask of nm ints or bits (any non-zero selects): the chosen
// elements of a, or a's one element repeated, a run of neighbours at a time.
rt::Array compressints(const int32_t* mask, int32_t nm, const rt::Array& a) {
  int32_t na = count(a), n = 0;
  for (int32_t i = 0; i < nm; ++i) n += mask[i] != 0 ? 1 : 0;
  if (na != 1 && nm != na) rt::rterror("length error: compress, shape missmatch");
  rt::Array r = rt::newarray(a.type, 1, rt::vect1(n));
  if (na == 1) {
    copyrun(r, 0, a, 0, 0, n);
    return r;
  }
  for (int32_t i = 0, k = 0; i < nm;) {
    if (mask[i] == 0) {
      ++i;
      continue;
    }
    int32_t from = i;
    while (i < nm && mask[i] != 0) ++i;
    copyrun(r, k, a, from, 1, i - from);
    k += i - from;
  }
  return r;
}

// The and-scan (andscan true) or or-scan along the last axis.
rt::Array scan(bool andscan, const rt::Array& a) {
  rt::Array r = rt::newarray(rt::Bit, a.rank, rt::shapecopy(a.rank, a.shape));
  int32_t n = count(a), run = a.rank > 0 ? a.shape[a.rank - 1] : 1;
  int32_t* out = rt::ints(r);
  if (a.type == rt::Bit) {
    // Along each row the and-scan holds 1 up to the first 0 and the or-scan
    // 0 up to the first 1; after it, the other value.
    const int32_t* bits = rt::ints(a);
    for (int32_t row = 0; row < n; row += run) {
      int32_t i = row, end = row + run;
      for (; i < end && (bits[i] != 0) == andscan; ++i) out[i] = andscan;
      for (; i < end; ++i) out[i] = !andscan;
    }
    return r;
  }
  bool acc = false;
  for (int32_t i = 0; i < n; ++i) {
    rt::Cell c = element(a, i);
    rt::cktype(&c, rt::Bit, a.type);
    bool x = c.i != 0;
    acc = i % run == 0 ? x : andscan ? acc && x : acc || x;
    out[i] = acc;
  }
  return r;
}

// The plus (wrapping around as int sums do) or max reduction of n ints.
int32_t intreduce(int32_t op, const int32_t* v, int32_t n) {
  if (op == rt::OpMax) return *std::max_element(v, v + n);
  uint32_t sum = 0;
  for (int32_t i = 0; i < n; ++i) sum += static_cast<uint32_t>(v[i]);
  return static_cast<int32_t>(sum);
}

// The reduction by `op` along the last axis, from the right as is the rule
// for reductions; bits reduce to ints.
rt::Array reduce(int32_t op, const rt::Array& a) {
  int32_t type = a.type == rt::Bit ? rt::Int : a.type;
  if (a.rank == 0) {
    rt::Array r = rt::newarray(type, 0, rt::scalarshape);
    put(r, 0, element(a, 0), a.type);
    return r;
  }
  int32_t run = a.shape[a.rank - 1];
  rt::Array r = rt::newarray(type, a.rank - 1, rt::shapecopy(a.rank - 1, a.shape));
  int32_t n = count(r);
  for (int32_t k = 0; k < n; ++k) {
    rt::Cell acc;
    int64_t base = int64_t{k} * run;
    if (run == 0) {
      rt::identity(op, &acc, type);
    } else {
      acc = element(a, base + run - 1);
      rt::cktype(&acc, type, a.type);
    }
    if (inttype(a.type) && (op == rt::OpPlus || op == rt::OpMax) && run > 0) {
      acc.i = intreduce(op, rt::ints(a) + base, run);
    } else {
      for (int32_t j = run - 2; j >= 0; --j) {
        rt::Cell x = element(a, base + j);
        rt::dsopv(op, &acc, &x, a.type, &acc, type);
      }
    }
    rt::setmp(&acc, &r.value, k, type);
  }
  return r;
}

// A relation (op from OpLess to OpGreater) between n pairs of elements
// stored as T (signed char for characters, int32_t for ints and bits), one
// side possibly a single element, into n bits: the element kernel's
// comparison in one loop, without a cell per element.
template <typename T>
void relate(int32_t op, const T* l, bool onel, const T* r, bool oner, int32_t* out, int32_t n) {
  rt::comparison(op, [&](auto holds) {
    for (int32_t i = 0; i < n; ++i) out[i] = holds(l[onel ? 0 : i], r[oner ? 0 : i]) ? 1 : 0;
  });
}

}  // namespace

rt::Array charvec(std::string_view s) {
  if (s.size() > INT32_MAX) rt::rterror("[charvec] length beyond the int range");
  int32_t n = static_cast<int32_t>(s.size());
  rt::Array a = rt::newarray(rt::Char, 1, rt::vect1(n));
  if (n > 0) std::memcpy(a.value, s.data(), static_cast<std::size_t>(n));
  return a;
}

std::string_view textof(const rt::Array& a) {
  testchar(a);
  return {rt::chars(a), static_cast<std::size_t>(rt::elemcount(a.rank, a.shape))};
}

rt::Array intscalar(int32_t v) {
  rt::Array a = rt::newarray(rt::Int, 0, rt::scalarshape);
  rt::ints(a)[0] = v;
  return a;
}

rt::Array charscalar(char c) {
  rt::Array a = rt::newarray(rt::Char, 0, rt::scalarshape);
  rt::chars(a)[0] = c;
  return a;
}

rt::Array copyof(const rt::Array& a) {
  rt::Array r = rt::newarray(a.type, a.rank, rt::shapecopy(a.rank, a.shape));
  copyrun(r, 0, a, 0, 1, count(r));
  return r;
}

int32_t firstint(const rt::Array& a) { return intat(a, 0); }

int32_t length(const rt::Array& a) { return a.shape[0]; }

rt::Array dyadic(int32_t op, const rt::Array& left, const rt::Array& right) {
  int32_t* shape;
  int32_t rank = rt::dsops(&shape, left.rank, left.shape, right.rank, right.shape);
  rt::Array r = rt::newarray(rt::dsopt(op, left.type, right.type), rank, shape);
  int32_t n = count(r), nl = count(left), nr = count(right);
  if (op >= rt::OpLess && op <= rt::OpGreater && n > 0) {
    if (left.type == rt::Char && right.type == rt::Char) {
      relate(op, reinterpret_cast<const signed char*>(left.value), nl == 1,
             reinterpret_cast<const signed char*>(right.value), nr == 1, rt::ints(r), n);
      return r;
    }
    if (inttype(left.type) && inttype(right.type)) {
      relate(op, rt::ints(left), nl == 1, rt::ints(right), nr == 1, rt::ints(r), n);
      return r;
    }
  }
  for (int32_t i = 0; i < n; ++i) {
    rt::Cell a = element(left, nl == 1 ? 0 : i), b = element(right, nr == 1 ? 0 : i), c;
    rt::dsopv(op, &c, &a, left.type, &b, right.type);
    rt::setmp(&c, &r.value, i, r.type);
  }
  return r;
}

rt::Array catenate(const rt::Array& left, const rt::Array& right) {
  return catenation(left, right, std::nullopt);
}

rt::Array catenate(const rt::Array& left, const rt::Array& right, int32_t axis) {
  return catenation(left, right, axis);
}

rt::Array take(const rt::Array& count, const rt::Array& a) {
  return takedrop(false, count, a, std::nullopt);
}

rt::Array take(const rt::Array& count, const rt::Array& a, int32_t axis) {
  return takedrop(false, count, a, axis);
}

rt::Array drop(const rt::Array& count, const rt::Array& a) {
  return takedrop(true, count, a, std::nullopt);
}

rt::Array drop(const rt::Array& count, const rt::Array& a, int32_t axis) {
  return takedrop(true, count, a, axis);
}

namespace {
// The elements of the vector a from `from` on, n of them, seen in place: a
// descriptor over a's storage whose length is *n. Only for reading, while a
// and *n live.
rt::Array window(const rt::Array& a, int64_t from, int32_t* n) {
  rt::Array v = asvector(a);
  if (v.rank != 1) rt::rterror("[drop] rank error");
  v.shape = n;
  v.value = static_cast<char*>(v.value) + from * static_cast<int64_t>(rt::elemsize(v.type));
  return v;
}
}  // namespace

rt::Array slice(const rt::Array& from, const rt::Array& n, const rt::Array& a) {
  int32_t f = oneint(from, "[drop] length error"), k = oneint(n, "[take] length error");
  int32_t len = a.rank == 0 ? 1 : count(a);
  if (f < 0 || k < 0 || int64_t{f} + k > len) {
    std::fprintf(rt::errstream, "\nfrom %d, count %d, length %d\n", f, k, len);
    rt::rterror("[take] length error");
  }
  return copyof(window(a, f, &k));
}

rt::Array dropcatenate(const rt::Array& count, const rt::Array& a, const rt::Array& b) {
  int32_t d = oneint(count, "[drop] length error");
  if (d < 0) rt::rterror("[drop] domain error");
  int32_t len = a.rank == 0 ? 1 : zelvo::count(a);
  int32_t rest = len - std::min(d, len);
  return catenation(window(a, len - rest, &rest), b, std::nullopt);
}

rt::Array reverse(const rt::Array& a) { return reversed(a, std::nullopt); }

rt::Array reverse(const rt::Array& a, int32_t axis) { return reversed(a, axis); }

rt::Array compress(const rt::Array& mask, const rt::Array& a) {
  if (mask.rank > 1 || a.rank > 1) rt::rterror("[compress] rank error");
  int32_t nm = count(mask), na = count(a);
  if (inttype(mask.type)) return compressints(rt::ints(mask), nm, a);
  std::vector<int32_t> chosen;
  for (int32_t i = 0; i < nm; ++i)
    if (intat(mask, i) != 0) chosen.push_back(i);
  if (na != 1 && nm != na) rt::rterror("length error: compress, shape missmatch");
  int32_t n = static_cast<int32_t>(chosen.size());
  rt::Array r = rt::newarray(a.type, 1, rt::vect1(n));
  for (int32_t k = 0; k < n; ++k) copyrun(r, k, a, na == 1 ? 0 : chosen[k], 1, 1);
  return r;
}

rt::Array andscan(const rt::Array& a) { return scan(true, a); }

rt::Array orscan(const rt::Array& a) { return scan(false, a); }

rt::Array plusreduce(const rt::Array& a) { return reduce(rt::OpPlus, a); }

rt::Array maxreduce(const rt::Array& a) { return reduce(rt::OpMax, a); }

rt::Array iota(const rt::Array& n) {
  int32_t k = oneint(n, "[iota] length error");
  if (k < 0) rt::rterror("[iota] domain error");
  if (k > 0 && int64_t{k} - 1 + rt::indexorigin > INT32_MAX)
    rt::rterror("[iota] index beyond the int range");
  rt::Array r = rt::newarray(rt::Int, 1, rt::vect1(k));
  for (int32_t i = 0; i < k; ++i)
    rt::ints(r)[i] = static_cast<int32_t>(int64_t{i} + rt::indexorigin);
  return r;
}

rt::Array row(const rt::Array& m, const rt::Array& i) {
  if (m.rank != 2) rt::rterror("[row] rank error");
  int32_t p = position(oneint(i, "[row] length error"), m.shape[0]), cols = m.shape[1];
  rt::Array r = rt::newarray(m.type, 1, rt::vect1(cols));
  for (int32_t j = 0; j < cols; ++j) {
    rt::Cell c = element(m, int64_t{p} * cols + j);
    rt::setmp(&c, &r.value, j, r.type);
  }
  return r;
}

void assignrow(rt::Array& m, const rt::Array& i, const rt::Array& value) {
  if (m.rank != 2) rt::rterror("[sub assignment] rank error 1");
  if (value.rank > 1) rt::rterror("[sub assignment] rank error 2");
  int32_t p = position(oneint(i, "[sub assignment] length error"), m.shape[0]);
  int32_t cols = m.shape[1], nv = count(value);
  if (nv != 1 && nv != cols) rt::rterror("[sub assignment] length error");
  for (int32_t j = 0; j < cols; ++j)
    put(m, int64_t{p} * cols + j, element(value, nv == 1 ? 0 : j), value.type);
}

rt::Array pick(const rt::Array& v, const rt::Array& i) {
  if (v.rank > 1) rt::rterror("[index] rank error");
  int32_t len = count(v);
  rt::Array r = rt::newarray(v.type, i.rank, rt::shapecopy(i.rank, i.shape));
  int32_t n = count(r);
  for (int32_t k = 0; k < n; ++k) {
    rt::Cell c = element(v, position(intat(i, k), len));
    rt::setmp(&c, &r.value, k, r.type);
  }
  return r;
}

void assign(rt::Array& v, const rt::Array& i, const rt::Array& value) {
  if (v.rank > 1) rt::rterror("[sub assignment] rank error 1");
  int32_t len = count(v), ni = count(i), nv = count(value);
  if (nv != 1 && nv != ni) rt::rterror("[sub assignment] length error");
  for (int32_t k = 0; k < ni; ++k)
    put(v, position(intat(i, k), len), element(value, nv == 1 ? 0 : k), value.type);
}

rt::Array indexof(const rt::Array& table, const rt::Array& values) {
  rt::Array t = asvector(table);
  if (t.rank != 1) rt::rterror("[index of] rank error");
  int32_t n = t.shape[0];
  int32_t* grade;
  rt::gradesort(&grade, &t.value, n, t.type, 1);
  rt::Array r = rt::newarray(rt::Int, values.rank, rt::shapecopy(values.rank, values.shape));
  int32_t m = count(r);
  for (int32_t i = 0; i < m; ++i) {
    rt::Cell c = element(values, i);
    int32_t k = rt::gradesearch(grade, &t.value, &c, t.type, values.type, n);
    rt::ints(r)[i] = static_cast<int32_t>(int64_t{k} + rt::indexorigin);
  }
  std::free(grade);
  return r;
}

rt::Array reshape(const rt::Array& shape, const rt::Array& value) {
  rt::Array s = asvector(shape);
  if (s.rank != 1) rt::rterror("[reshape] rank error");
  int32_t rank = s.shape[0];
  int32_t* lengths = rt::scalarshape;
  if (rank > 0) lengths = rt::newints(rank);
  for (int32_t k = 0; k < rank; ++k) {
    lengths[k] = intat(s, k);
    if (lengths[k] < 0) rt::rterror("[reshape] domain error");
  }
  rt::Array r = rt::newarray(value.type, rank, lengths);
  int32_t n = count(r), nv = count(value);
  if (n > 0 && nv == 0) rt::rterror("[reshape] length error");
  for (int32_t i = 0; i < n; ++i) {
    rt::Cell c = element(value, i % nv);
    rt::setmp(&c, &r.value, i, r.type);
  }
  return r;
}

rt::Array plusscan(const rt::Array& a) {
  rt::Array v = asvector(a);
  if (v.rank != 1) rt::rterror("[plus scan] rank error");
  int32_t type = v.type == rt::Bit ? rt::Int : v.type;
  rt::Array r = rt::newarray(type, 1, rt::shapecopy(1, v.shape));
  int32_t n = count(r);
  rt::Cell acc;
  rt::identity(rt::OpPlus, &acc, type);
  for (int32_t i = 0; i < n; ++i) {
    rt::Cell x = element(v, i);
    rt::dsopv(rt::OpPlus, &acc, &acc, type, &x, v.type);
    rt::setmp(&acc, &r.value, i, type);
  }
  return r;
}

rt::Array atomicvector() {
  rt::Array r = rt::newarray(rt::Char, 1, rt::vect1(256));
  for (int32_t i = 0; i < 256; ++i) rt::chars(r)[i] = static_cast<char>(i);
  return r;
}

void testmxrank(const rt::Array& a) {
  if (a.rank > 1) rt::rterror("[testmxrank] rank error");
}

void testchar(const rt::Array& a) {
  if (a.type != rt::Char) rt::rterror("type error");
}

}  // namespace zelvo
